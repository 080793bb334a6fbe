// Start-up's reading of the program-wide settings: the branding, the program
// and data folders (through SYSPATH.DBF), then SYSTEM.DBF and LOCINFO.DBF of
// the data folder. A plain class: asking the user for the data folder is a
// callback, so the sequence runs the same with the Locate Data dialog or in
// a test.
#pragma once

#include <functional>
#include <string>

#include "shared/settings.h"

namespace vv::shared {

// "OMVI LITE" when a file named "OMVI", "omvi" or "Omvi" (no extension) is
// in `workingFolder`, otherwise "VEK LITE".
std::string productTitleFor(const std::string& workingFolder);

// Where the program stands when it starts.
struct StartupPlaces {
    std::string workingFolder;  // the current folder, where the branding marker is looked for
    std::string programFolder;  // the folder of the program file
};

class SettingsLoader {
public:
    // Asks the user for the data folder (the Locate Data dialog, modal). It
    // may change ProgramFolder, DataFolder and SYSPATH.DBF, or nothing when
    // the user cancels; the sequence goes on either way.
    using LocateDataFn = std::function<void()>;

    SettingsLoader(Settings& settings, StartupPlaces places, LocateDataFn locateData);

    // Runs the sequence once: brand(), then load().
    void run();
    // The branding: sets ProductTitle from the marker file.
    void brand();
    // The rest, from the program folder to LOCINFO.DBF. A table that cannot
    // be opened or lacks a field it reads (RESTNAME may be missing) ends it
    // with the engine's vv::db::Error: what was read stays, the rest stays
    // as it was, and the caller reports the error.
    void load();

    // How often the sequence asked for the data folder (0, 1 or 2).
    int locateDataCalls() const { return locateDataCalls_; }

private:
    void locateData();
    void readSysPath();
    void readSystem();
    void readLocInfo();

    Settings& settings_;
    StartupPlaces places_;
    LocateDataFn locateData_;
    int locateDataCalls_ = 0;
};

}  // namespace vv::shared
