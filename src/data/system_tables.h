// The one-record system tables: SYSPATH.DBF in the program's folder, which
// names the data folder and the folders derived from it, and SYSTEM.DBF and
// LOCINFO.DBF in the data folder. Only SYSPATH.DBF is ever created by the
// program; the others come with the data folder.
//
// Folders are handled as the texts stored in the fields: no separator is
// added or translated here (the application's path rules do that).
// Errors: vv::db::Error from the engine, naming the table.
#pragma once

#include <string>

namespace vv::db {
class Table;
}

namespace vv::data {

constexpr const char* kSysPathFile = "SYSPATH.DBF";
constexpr const char* kSystemFile = "SYSTEM.DBF";
constexpr const char* kLocInfoFile = "LOCINFO.DBF";

// The folders SYSPATH.DBF names, as stored.
struct SysPathFolders {
    std::string dataFolder;      // PROG_PATH
    std::string reportFolder;    // REP_PATH
    std::string contractFolder;  // CONT_PATH
    std::string lettersFolder;   // MISC
};

// Whether SYSPATH.DBF (in any case) is in `programFolder`.
bool sysPathExists(const std::string& programFolder);

// Creates SYSPATH.DBF in `programFolder` without records: the eight
// character fields of the catalogue, a plain table without index. An
// existing table is an error and stays as it is.
void createSysPath(const std::string& programFolder);

// The first record's folders; empty texts when the table has no record.
SysPathFolders readSysPath(const std::string& programFolder);

// Puts `table` into edit mode on its first record, or appends one when the
// table has no (visible) record, so the caller can set fields and post.
void editFirstRecord(db::Table& table);

// Sets up SYSPATH.DBF for an installation made from the command line:
// creates it when missing and stores `dataFolder` in PROG_PATH and
// `lettersFolder` in MISC (empty: the "letters" folder inside the data
// folder), each given a trailing '/' when it ends in no separator. The
// report and contract folders are left empty, so start-up derives the
// contract folder from the data folder. Neither folder is checked.
void writeSysPath(const std::string& programFolder, const std::string& dataFolder,
                  const std::string& lettersFolder = {});

}  // namespace vv::data
