// Small one-record system tables (SYSPATH, SYSTEM, LOCINFO, ...) made with
// the catalogue's fields, for the tests of start-up and the shell windows.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "db/table.h"

namespace vv::test {

using FieldValues = std::map<std::string, std::string>;

// Creates `file` in `folder` (made when missing) with the catalogue's fields
// except `dropFields`, and one record holding `values` (no record when
// `values` is empty and `withRecord` is false).
inline void makeTable(const std::string& folder, const std::string& file, const FieldValues& values,
                      const std::vector<std::string>& dropFields = {}, bool withRecord = true) {
    std::filesystem::create_directories(folder);
    db::FieldList fields = data::tableDef(file).fields;
    fields.erase(std::remove_if(fields.begin(), fields.end(),
                                [&](const db::FieldDef& f) {
                                    return std::find(dropFields.begin(), dropFields.end(), f.name) != dropFields.end();
                                }),
                 fields.end());
    db::CreateOptions options;
    options.overwrite = true;
    db::Table::create(folder, file, fields, options);
    if (!withRecord && values.empty()) return;
    auto table = db::Table::open(folder, file);
    table->append();
    for (const auto& [field, value] : values) table->setText(field, value);
    table->post();
}

// A field of the first record; empty when the table has none.
inline std::string firstRecordField(const std::string& folder, const std::string& file, const std::string& field) {
    auto table = db::Table::open(folder, file);
    table->first();
    return table->getText(field);
}

inline uint32_t recordCount(const std::string& folder, const std::string& file) {
    return db::Table::open(folder, file)->recordCount();
}

}  // namespace vv::test
