#include "cli/demo_folder.h"

#include <filesystem>

#include "db/table.h"

namespace vv::cli {

namespace {

db::FieldList salesCallFields() {
    using T = db::FieldType;
    struct F { const char* name; T type; int width; };
    static const F kFields[] = {
        {"LOCCODE", T::Character, 5},  {"FILE_CODE", T::Character, 10}, {"DATE", T::Date, 8},
        {"ACCT_NAME", T::Character, 50}, {"TEMPCALL", T::Character, 10}, {"C_SAL", T::Character, 4},
        {"C_FIRST", T::Character, 10}, {"C_LAST", T::Character, 15},   {"C_PHONE", T::Character, 13},
        {"C_EXT", T::Character, 6},    {"C_FAX", T::Character, 13},    {"C_TITLE", T::Character, 40},
        {"ADDR1", T::Character, 30},   {"ADDR2", T::Character, 30},    {"CITY", T::Character, 20},
        {"STATE", T::Character, 2},    {"ZIP", T::Character, 10},      {"EMAIL", T::Character, 40},
        {"U_CODE1", T::Character, 4},  {"U_CODE2", T::Character, 4},   {"U_CODE3", T::Character, 4},
        {"U_CODE4", T::Character, 4},  {"U_CODE5", T::Character, 4},   {"EVENT_NO", T::Character, 6},
        {"CALL_TYPE", T::Character, 3}, {"SALES_ID", T::Character, 3}, {"SALES_ID2", T::Character, 3},
        {"SEGMENT", T::Character, 4},  {"NEXT_ACT", T::Character, 4},  {"TRACE", T::Date, 8},
        {"TRACE_CODE", T::Character, 4}, {"VLF", T::Character, 6},     {"CALL_NO", T::Character, 5},
        {"POST_NOTES", T::Character, 1}, {"MEMO", T::Memo, 10},        {"POSTED_ON", T::Date, 8},
        {"ADDED", T::Date, 8},         {"MODIFIED", T::Date, 8},       {"EXPORTED", T::Date, 8},
        {"CALLCOUNT", T::Numeric, 5},  {"ADD_METH", T::Character, 1},  {"SOURCE", T::Character, 2},
        {"POSTED_BY", T::Character, 3}, {"KEY", T::Character, 15},
    };
    db::FieldList out;
    for (const auto& f : kFields) out.push_back({f.name, f.type, static_cast<uint8_t>(f.width), 0, 0, 0});
    return out;
}

}  // namespace

void createDemoFolder(const std::string& folder) {
    std::filesystem::create_directories(folder);
    db::Table::create(folder, "SALECALL.DBF", salesCallFields());
    auto t = db::Table::open(folder, "SALECALL.DBF");
    static const char* kAccounts[][3] = {
        {"ACME", "Acme Manufacturing", "Dubois"}, {"BLUESKY", "Blue Sky Airlines", "Nakamura"},
        {"CAFE", "Café Müller GmbH", "Müller"},   {"DELTA", "Delta Consulting", "O'Brien"},
    };
    static const char* kTypes[] = {"TEL", "VIS", "MAI"};
    const db::Date start = db::Date::fromYmd(2026, 11, 2);
    for (int i = 0; i < 48; ++i) {
        const auto& acct = kAccounts[i % 4];
        t->append();
        t->setText("LOCCODE", "DEMO");
        t->setText("FILE_CODE", acct[0]);
        t->setDate("DATE", start.addDays(i / 2));
        t->setText("ACCT_NAME", acct[1]);
        t->setText("C_LAST", acct[2]);
        t->setText("CALL_TYPE", kTypes[i % 3]);
        t->setText("SALES_ID", i % 2 ? "ABC" : "XXX");
        t->setText("MEMO", "Call " + std::to_string(i + 1) + " with " + acct[2] + ": talked about rates (€ 89.50).");
        t->setDate("ADDED", start.addDays(i / 2));
        t->setDate("MODIFIED", start.addDays(i / 2));
        t->setText("ADD_METH", "M");
        t->setText("SOURCE", "SL");
        t->setText("POSTED_BY", "999");
        t->post();
    }
}

}  // namespace vv::cli
