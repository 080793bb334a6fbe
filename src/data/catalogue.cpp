#include "data/catalogue.h"

#include <algorithm>
#include <array>

#include "data/catalogue_parts.h"
#include "db/error.h"

namespace vv::data {

namespace {

std::string upper(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && upper(a) == upper(b);
}

std::vector<TableDef> buildCatalogue() {
    auto business = catalogue_parts::businessTables();
    auto codes = catalogue_parts::codeTables();
    auto system = catalogue_parts::systemTables();
    auto exchange = catalogue_parts::exchangeTables(business);
    std::vector<TableDef> all;
    for (auto* group : {&business, &codes, &system, &exchange})
        std::move(group->begin(), group->end(), std::back_inserter(all));
    return all;
}

// The order in which the index rebuild works through its tables; the
// data-folder tables first, then the export folder.
constexpr std::array kRebuildOrder = {
    "ACCOUNT.DBF",  "CONTACTS.DBF", "SALECALL.DBF", "TRACES.DBF",   "SALES.DBF",
    "MASTPER.DBF",  "SALECODE.DBF", "TRACCODE.DBF", "TITLES.DBF",   "DEPTS.DBF",
    "UFILE1.DBF",   "UFILE2.DBF",   "UFILE3.DBF",   "UFILE4.DBF",   "UFILE5.DBF",
    "MASTSEG.DBF",  "RATECODE.DBF", "EXPCALLS.DBF", "EXPTRACE.DBF", "EXPSALES.DBF",
};

}  // namespace

const db::FieldDef* TableDef::findField(std::string_view name) const {
    auto it = std::find_if(fields.begin(), fields.end(), [&](const db::FieldDef& f) { return sameName(f.name, name); });
    return it == fields.end() ? nullptr : &*it;
}

const db::FieldDef& TableDef::field(std::string_view name) const {
    if (const auto* f = findField(name)) return *f;
    throw db::Error(db::ErrorKind::FieldNotFound, fileName + " has no field " + std::string(name));
}

const TagDef* TableDef::findTag(std::string_view name) const {
    auto it = std::find_if(tags.begin(), tags.end(), [&](const TagDef& t) { return sameName(t.name, name); });
    return it == tags.end() ? nullptr : &*it;
}

const std::vector<TableDef>& allTables() {
    static const std::vector<TableDef> tables = buildCatalogue();
    return tables;
}

const TableDef& tableDef(std::string_view fileName) {
    std::string wanted = upper(fileName);
    if (wanted.find('.') == std::string::npos) wanted += ".DBF";
    for (const auto& t : allTables())
        if (t.fileName == wanted) return t;
    throw db::Error(db::ErrorKind::FileNotFound, "The table " + std::string(fileName) + " is not one of this program's");
}

std::vector<const TableDef*> indexRebuildOrder() {
    std::vector<const TableDef*> order;
    order.reserve(kRebuildOrder.size());
    for (const char* name : kRebuildOrder) order.push_back(&tableDef(name));
    return order;
}

}  // namespace vv::data
