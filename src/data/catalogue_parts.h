// The pieces the catalogue is assembled from, one function per group of
// tables. Internal to src/data: use catalogue.h.
#pragma once

#include <vector>

#include "data/catalogue.h"

namespace vv::data::catalogue_parts {

// ACCOUNT, CONTACTS, SALECALL, TRACES, SALES, GROUPS.
std::vector<TableDef> businessTables();
// The code tables: call types, trace codes, salespeople, segments, rate
// codes, titles, departments, user codes, hotels, letters.
std::vector<TableDef> codeTables();
// SYSPATH (program folder), SYSTEM, LOCINFO.
std::vector<TableDef> systemTables();
// BKUPDATE, LITEEXP and the three export tables, whose fields are taken by
// name from their source tables in `business`.
std::vector<TableDef> exchangeTables(const std::vector<TableDef>& business);

}  // namespace vv::data::catalogue_parts
