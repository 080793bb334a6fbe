// What the export and the import remember between runs, in the data folder:
// BKUPDATE.DBF holds the date of the last export that wrote an archive;
// LITEEXP.DBF, when the file exists, the last export location and the last
// import archive. Each table is opened shared for the moment of reading or
// writing its one record (added when the table is empty).
#pragma once

#include <optional>
#include <string>

#include "db/date.h"

namespace vv::data {

// The path of the file `name` in `folder`, matched without regard to case as
// the table engine matches table names; nullopt when there is none.
std::optional<std::string> findFileIgnoringCase(const std::string& folder, const std::string& name);

// LITEEXPORT and LITEIMPORT, trimmed; both empty without LITEEXP.DBF.
struct LastExchange {
    std::string exportLocation;
    std::string importArchive;
};
LastExchange readLastExchange(const std::string& dataFolder);

// Store the text in LITEEXPORT / LITEIMPORT; do nothing without LITEEXP.DBF.
void rememberExportLocation(const std::string& dataFolder, const std::string& location);
void rememberImportArchive(const std::string& dataFolder, const std::string& archive);

// EXPDATE of BKUPDATE.DBF (empty date when the table has no record).
db::Date lastExportDate(const std::string& dataFolder);
void setLastExportDate(const std::string& dataFolder, db::Date date);

}  // namespace vv::data
