// The values every window needs and no window owns: where the program and
// its data lie, the product title, the hotel the data belongs to, the
// captions of the user code fields and a few switches. One instance lives
// for the whole run (settings()); start-up fills it (SettingsLoader), the
// Locate Data and Configure Program windows change single members, and any
// window may read or write a member. Single thread, no locking.
//
// Folder members hold native paths (see paths.h): texts read from the
// tables are translated as they are loaded.
#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace vv::db {
class Table;
}

namespace vv::shared {

// The five captions of the user code fields U_CODE1 ... U_CODE5, indexed 1 to 5.
class UserFieldCaptions {
public:
    std::string& operator[](int number) { return labels_.at(index(number)); }
    const std::string& operator[](int number) const { return labels_.at(index(number)); }

private:
    static std::size_t index(int number) {
        if (number < 1 || number > 5) throw std::out_of_range("user field labels are numbered 1 to 5");
        return static_cast<std::size_t>(number - 1);
    }
    std::array<std::string, 5> labels_;
};

struct Settings {
    std::string DataFolder;      // every data table; SYSPATH PROG_PATH, else ProgramFolder
    std::string ProgramFolder;   // the program file's folder, trailing separator; holds SYSPATH.DBF
    std::string ReportFolder;    // print-to-file target of report layouts; SYSPATH REP_PATH
    std::string ContractFolder;  // SYSPATH CONT_PATH, else defaultContractFolder(DataFolder)
    std::string LettersFolder;   // letter documents; SYSPATH MISC, else defaultLettersFolder()
    std::string ProductTitle;    // "VEK LITE", or "OMVI LITE" with the marker file
    std::string BackupDrive;     // SYSTEM BACKUPTO, "A" when empty
    std::string ConnectionType;  // ConnectionTypeName of SYSTEM.DBF
    std::string EngineVersion;   // the table engine's version text
    std::string SalesId;         // the current user's salesperson id: always "XXX"
    UserFieldCaptions UserFieldLabels;  // SYSTEM USER_FLD1 ... USER_FLD5
    std::string KeepFields;      // SYSTEM KEEP_FLDS: "Y" carries fields into the next tracking record
    std::string LocCode;         // LOCINFO LOCCODE
    std::string CurrentLocCode;  // stamped into new tracking records; set by the record windows
    std::string LocName;         // LOCINFO LOCNAM, printed in report headings
    std::string RestName;        // LOCINFO RESTNAME when the table has that field, else empty
    std::string LocAddr;
    std::string LocCity;
    std::string LocState;
    std::string LocZip;
    std::string LocType;
};

// The program's one Settings; all members empty until start-up fills them.
Settings& settings();

// The folder of the export tables, computed from settings().DataFolder
// each time: see exportFolder() in paths.h.
std::string ExportFolder();

// The kind of connection through which `table` is open: "Local", "Remote",
// "AIS" or "UnKnown".
std::string ConnectionTypeName(const db::Table& table);

}  // namespace vv::shared
