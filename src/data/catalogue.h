// The catalogue of every table this program uses: file, folder, fields in
// their order, index tags and the switches that set a table apart
// (encrypted, optional, rebuilt by the index rebuild). Everything that
// creates, checks, indexes or exports tables reads their shape from here, so
// no field list or tag is written down twice.
//
// The catalogue is built once, on first use, and lives for the whole program;
// the returned references and pointers stay valid. Thread-safe to read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/field.h"

namespace vv::data {

// The password of the tables that may be encrypted (TableDef::encrypted).
constexpr const char* kTablePassword = "mebrankoz";

// An index tag of a table's structural compound index. None is unique and
// none has a condition.
struct TagDef {
    std::string name;
    std::string expression;  // xBase key expression over the table's fields
    bool descending = false;
};

// Which folder a table lies in.
enum class TableFolder {
    Data,     // the data folder
    Export,   // the export folder below the data folder (see paths.h)
    Program,  // the program's own folder
};

struct TableDef {
    std::string fileName;  // upper case with extension, e.g. "SALECALL.DBF"
    TableFolder folder = TableFolder::Data;
    db::FieldList fields;   // in file order; offsets are left 0 (the engine computes them)
    std::vector<TagDef> tags;
    bool encrypted = false;       // may be encrypted with kTablePassword
    bool optional = false;        // every user first checks that the file exists
    bool rebuiltByIndex = false;  // the index rebuild drops and recreates its tags
    std::string indexProgress;    // the rebuild's progress message, e.g. "Indexing Sales Calls..."

    // Null when the table has no field of that name; names match in any case.
    const db::FieldDef* findField(std::string_view name) const;
    // As findField, but throws vv::db::Error (FieldNotFound) naming the table.
    const db::FieldDef& field(std::string_view name) const;
    const TagDef* findTag(std::string_view name) const;
};

// Every table, business tables first, then code, system and exchange tables.
const std::vector<TableDef>& allTables();

// The table of that file name, matched without regard to case; ".DBF" may be
// left out. Throws vv::db::Error (FileNotFound) for a table not in the catalogue.
const TableDef& tableDef(std::string_view fileName);

// The tables of the index rebuild, in the order it handles them.
std::vector<const TableDef*> indexRebuildOrder();

}  // namespace vv::data
