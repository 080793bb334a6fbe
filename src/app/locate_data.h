// What the Locate Data dialog does, without the dialog: it finds SYSPATH.DBF
// in the program's folder (making an empty one when it is missing), checks
// that the folder the user names holds the data (an account.dbf in it) and
// records that folder, with contract, report and letters folders derived
// from it, in SYSPATH.DBF and in the data folder's SYSTEM.DBF.
#pragma once

#include <string>

#include "shared/settings.h"

namespace vv::app {

// The folders recorded for a data folder (native texts, trailing separators).
struct LocatedFolders {
    std::string dataFolder;      // the folder as named, with a trailing separator
    std::string contractFolder;  // "vek\contract\" on its drive when the folder mentions "vek", else "contract\"
    std::string reportFolder;    // always "c:\vek\reports\"
    std::string lettersFolder;   // "vek\letters\" or "letters\" on its drive, as the contract folder
};

// The folders for `folder`, which already ends in a separator. The "vek"
// test is a case-sensitive search in the folder's lower-case text.
LocatedFolders locatedFoldersFor(const std::string& folder);

class LocateData {
public:
    enum class Result { Accepted, PathNotFound };

    // `programFolder`: the folder of the program file.
    LocateData(shared::Settings& settings, std::string programFolder);

    // When the dialog appears: sets ProgramFolder, creates an empty
    // SYSPATH.DBF when there is none, and returns the text the edit box
    // starts with: SYSPATH's PROG_PATH when set, otherwise "c:\vek\data".
    std::string prepare();

    // OK with the edit box's text. `folder` gets its trailing separator (the
    // edit box shows it so afterwards, whatever the result). Accepted: the
    // settings and both tables hold the new folder. PathNotFound: no
    // account.dbf there; nothing was written. Engine errors propagate.
    Result accept(std::string& folder);

private:
    shared::Settings& settings_;
    std::string programFolder_;
};

}  // namespace vv::app
