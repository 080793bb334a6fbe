#include "data/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "data/layout.h"
#include "data/paths.h"
#include "db/code_page.h"
#include "db/dbf_header.h"
#include "db/error.h"
#include "db/expression.h"

namespace vv::data {
namespace {

using db::FieldType;

// "NAME=EXPR; NAME=EXPR desc; ..." as the index rebuild lists them.
std::string tagList(const TableDef& t) {
    std::string out;
    for (const auto& tag : t.tags) {
        if (!out.empty()) out += "; ";
        out += tag.name + "=" + tag.expression + (tag.descending ? " desc" : "");
    }
    return out;
}

TEST(Catalogue, FieldCountsOfEveryTable) {
    const std::pair<const char*, std::size_t> kCounts[] = {
        {"ACCOUNT.DBF", 222}, {"CONTACTS.DBF", 75}, {"SALECALL.DBF", 44}, {"TRACES.DBF", 39},
        {"SALES.DBF", 41},    {"GROUPS.DBF", 159},  {"SALECODE.DBF", 6},  {"TRACCODE.DBF", 2},
        {"MASTPER.DBF", 6},   {"MASTSEG.DBF", 3},   {"RATECODE.DBF", 2},  {"TITLES.DBF", 1},
        {"DEPTS.DBF", 1},     {"UFILE1.DBF", 2},    {"UFILE5.DBF", 2},    {"HOTELS2.DBF", 2},
        {"LETTERS.DBF", 1},   {"SYSPATH.DBF", 8},   {"SYSTEM.DBF", 8},    {"LOCINFO.DBF", 11},
        {"BKUPDATE.DBF", 1},  {"LITEEXP.DBF", 2},   {"EXPCALLS.DBF", 39}, {"EXPTRACE.DBF", 36},
        {"EXPSALES.DBF", 37},
    };
    for (const auto& [name, count] : kCounts) EXPECT_EQ(tableDef(name).fields.size(), count) << name;
    EXPECT_EQ(allTables().size(), 28u);
}

// Fields picked by position (1-based) where a slip would go unnoticed elsewhere.
TEST(Catalogue, FieldsAtTheirPositions) {
    struct Case { const char* table; std::size_t position; const char* name; FieldType type; int width, decimals; };
    const Case kCases[] = {
        {"ACCOUNT", 15, "ACCT_NAME", FieldType::Character, 50, 0},
        {"ACCOUNT", 41, "LAST_RMS", FieldType::Numeric, 4, 0},
        {"ACCOUNT", 155, "CO_NEWS", FieldType::Character, 100, 0},
        {"ACCOUNT", 198, "CUSTFLD1", FieldType::Character, 70, 0},
        {"ACCOUNT", 212, "CUSTFLD15", FieldType::Character, 70, 0},
        {"ACCOUNT", 221, "MEMO", FieldType::Memo, 10, 0},
        {"ACCOUNT", 222, "EMAIL", FieldType::Character, 40, 0},
        {"CONTACTS", 41, "C_BIRTH", FieldType::Character, 5, 0},
        {"CONTACTS", 75, "MEMO", FieldType::Memo, 10, 0},
        {"SALECALL", 3, "DATE", FieldType::Date, 8, 0},
        {"SALECALL", 35, "MEMO", FieldType::Memo, 10, 0},
        {"SALECALL", 41, "ADD_METH", FieldType::Character, 1, 0},
        {"SALECALL", 42, "SOURCE", FieldType::Character, 2, 0},
        {"SALECALL", 43, "POSTED_BY", FieldType::Character, 3, 0},
        {"SALECALL", 44, "KEY", FieldType::Character, 15, 0},
        {"TRACES", 15, "STATUS", FieldType::Character, 1, 0},
        {"TRACES", 23, "COUNT", FieldType::Numeric, 4, 0},
        {"TRACES", 39, "KEY", FieldType::Character, 15, 0},
        {"SALES", 17, "RATE", FieldType::Numeric, 8, 2},
        {"SALES", 36, "KEY", FieldType::Character, 15, 0},
        {"SALES", 41, "EXTSTAY", FieldType::Character, 1, 0},
        {"GROUPS", 137, "DEP1_RECV", FieldType::Logical, 1, 0},
        {"GROUPS", 159, "MEMO", FieldType::Memo, 10, 0},
        {"SALECODE", 4, "POINTS", FieldType::Numeric, 4, 0},
        {"MASTPER", 4, "SALES_ID", FieldType::Character, 3, 0},
        {"SYSPATH", 4, "PROG_PATH", FieldType::Character, 50, 0},
        {"SYSTEM", 8, "PROG_PATH", FieldType::Character, 80, 0},
        {"LOCINFO", 11, "TIER3_RMS", FieldType::Numeric, 5, 0},
        {"UFILE3", 2, "U_NAME3", FieldType::Character, 25, 0},
        {"BKUPDATE", 1, "EXPDATE", FieldType::Date, 8, 0},
    };
    for (const auto& c : kCases) {
        const auto& fields = tableDef(c.table).fields;
        ASSERT_GE(fields.size(), c.position) << c.table;
        const auto& f = fields[c.position - 1];
        EXPECT_EQ(f.name, c.name) << c.table << " #" << c.position;
        EXPECT_EQ(f.type, c.type) << c.table << "." << c.name;
        EXPECT_EQ(f.width, c.width) << c.table << "." << c.name;
        EXPECT_EQ(f.decimals, c.decimals) << c.table << "." << c.name;
    }
}

TEST(Catalogue, LookupIgnoresCaseAndExtensionAndRejectsStrangers) {
    EXPECT_EQ(&tableDef("salecall"), &tableDef("SaleCall.dbf"));
    EXPECT_EQ(tableDef("ufile2").fileName, "UFILE2.DBF");
    try {
        tableDef("NOSUCH.DBF");
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::FileNotFound);
        EXPECT_NE(std::string(e.what()).find("NOSUCH"), std::string::npos);
    }
    EXPECT_EQ(tableDef("SALES").field("rmrev").name, "RMREV");
    EXPECT_EQ(tableDef("SALES").findField("NOPE"), nullptr);
    EXPECT_THROW(tableDef("SALES").field("NOPE"), db::Error);
}

TEST(Catalogue, FlagsAndFolders) {
    std::set<std::string> encrypted, optional, program, exportFolder;
    for (const auto& t : allTables()) {
        if (t.encrypted) encrypted.insert(t.fileName);
        if (t.optional) optional.insert(t.fileName);
        if (t.folder == TableFolder::Program) program.insert(t.fileName);
        if (t.folder == TableFolder::Export) exportFolder.insert(t.fileName);
    }
    EXPECT_EQ(encrypted, (std::set<std::string>{"ACCOUNT.DBF", "CONTACTS.DBF"}));
    EXPECT_EQ(optional, (std::set<std::string>{"LITEEXP.DBF", "RATECODE.DBF"}));
    EXPECT_EQ(program, (std::set<std::string>{"SYSPATH.DBF"}));
    EXPECT_EQ(exportFolder, (std::set<std::string>{"EXPCALLS.DBF", "EXPSALES.DBF", "EXPTRACE.DBF"}));
    EXPECT_STREQ(kTablePassword, "mebrankoz");
}

TEST(Catalogue, IndexRebuildOrderAndMessages) {
    const std::pair<const char*, const char*> kOrder[] = {
        {"ACCOUNT.DBF", "Indexing Accounts..."},
        {"CONTACTS.DBF", "Indexing Contacts..."},
        {"SALECALL.DBF", "Indexing Sales Calls..."},
        {"TRACES.DBF", "Indexing Traces..."},
        {"SALES.DBF", "Indexing Tracking File..."},
        {"MASTPER.DBF", "Indexing Salesperson File..."},
        {"SALECODE.DBF", "Indexing Sales Call Codes..."},
        {"TRACCODE.DBF", "Indexing Trace Codes..."},
        {"TITLES.DBF", "Indexing Contact Title File..."},
        {"DEPTS.DBF", "Indexing Contact Department File..."},
        {"UFILE1.DBF", "Indexing User Code File 1..."},
        {"UFILE2.DBF", "Indexing User Code File 2..."},
        {"UFILE3.DBF", "Indexing User Code File 3..."},
        {"UFILE4.DBF", "Indexing User Code File 4..."},
        {"UFILE5.DBF", "Indexing User Code File 5..."},
        {"MASTSEG.DBF", "Indexing Market Segment File..."},
        {"RATECODE.DBF", "Indexing Rate Codes..."},
        {"EXPCALLS.DBF", "Indexing Sales Calls Export..."},
        {"EXPTRACE.DBF", "Indexing Traces Export..."},
        {"EXPSALES.DBF", "Indexing Tracking File Export..."},
    };
    const auto order = indexRebuildOrder();
    ASSERT_EQ(order.size(), std::size(kOrder));
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i]->fileName, kOrder[i].first) << i;
        EXPECT_EQ(order[i]->indexProgress, kOrder[i].second) << i;
        EXPECT_EQ(order[i]->folder, i < 17 ? TableFolder::Data : TableFolder::Export) << order[i]->fileName;
        EXPECT_FALSE(order[i]->tags.empty()) << order[i]->fileName;
    }
    // The flag and the order agree: nothing else is rebuilt, GROUPS keeps its own index.
    for (const auto& t : allTables()) {
        const bool inOrder = std::find(order.begin(), order.end(), &t) != order.end();
        EXPECT_EQ(t.rebuiltByIndex, inOrder) << t.fileName;
        EXPECT_EQ(t.indexProgress.empty(), !inOrder) << t.fileName;
    }
}

TEST(Catalogue, TagsOfTheRebuildInTheirOrder) {
    const std::pair<const char*, const char*> kTags[] = {
        {"ACCOUNT", "FILE_CODE=FILE_CODE; CORP_NO=CORP_NO; ACCT_NAME=UPPER(ACCT_NAME); SALES_ID=SALES_ID; "
                    "COMPANY_ID=COMPANY_ID; CO_ID2=CO_ID2; CO_ID3=CO_ID3; CO_ID4=CO_ID4"},
        {"CONTACTS", "FILE_CODE=FILE_CODE; LAST=UPPER(C_LAST); SALES_ID=SALES_ID; ACCT_NAME=UPPER(ACCT_NAME); "
                     "BIRTH=C_BIRTH"},
        {"SALECALL", "FILE_CODE=FILE_CODE+DTOS(DATE); SALES_ID=SALES_ID+DTOS(DATE); DATE=DTOS(DATE)+SALES_ID; "
                     "LASTNAME=UPPER(C_LAST)+FILE_CODE; CALL_TYPE=CALL_TYPE; ACCT_NAME=ACCT_NAME; "
                     "DATEDESC=DTOS(DATE) desc; FILEDATE=FILE_CODE+DTOS(DATE) desc; "
                     "EVENT_NO=EVENT_NO+DTOS(DATE) desc; KEY=KEY"},
        {"TRACES", "STATUS=STATUS; SALES_ID=SALES_ID+DTOS(TRACE_DATE); SALES_STAT=SALES_ID+STATUS+DTOS(TRACE_DATE); "
                   "LASTNAME=UPPER(C_LAST); DATE=DTOS(TRACE_DATE); TRACE_CODE=TRACE_CODE; "
                   "EVENT_NO=EVENT_NO+DTOS(TRACE_DATE); FILE_CODE=FILE_CODE+DTOS(TRACE_DATE); KEY=KEY"},
        {"SALES", "DATE=DTOS(DATE); CORP_NO=CORP_NO+DTOS(DATE); BOOKER_NO=BOOKER_NO+DTOS(DATE); KEY=KEY"},
        {"MASTSEG", "SEGMENT=SEGMENT; TYPE=TYPE+SEGMENT"},
        {"RATECODE", "CODE=CODE"},
        {"UFILE4", "U_CODE4=U_CODE4"},
        {"GROUPS", "FILE_CODE=FILE_CODE+EVENT_NO; BOOK_NAME=BOOK_NAME; EVENT_NO=EVENT_NO; ARRIVAL=ARR_DATE; "
                   "FILE_DATE=FILE_CODE+DTOS(ARR_DATE)"},
        {"HOTELS2", ""},
        {"LETTERS", ""},
    };
    for (const auto& [table, tags] : kTags) EXPECT_EQ(tagList(tableDef(table)), tags) << table;
    EXPECT_EQ(tableDef("SALECALL").tags.size(), 10u);
}

TEST(Catalogue, ExportTablesMirrorTheirSources) {
    const std::pair<const char*, const char*> kPairs[] = {
        {"EXPCALLS", "SALECALL"}, {"EXPTRACE", "TRACES"}, {"EXPSALES", "SALES"}};
    for (const auto& [exp, src] : kPairs) {
        const TableDef& e = tableDef(exp);
        const TableDef& s = tableDef(src);
        for (const auto& f : e.fields) {
            const auto* original = s.findField(f.name);
            ASSERT_NE(original, nullptr) << exp << "." << f.name;
            EXPECT_EQ(f.type, original->type) << exp << "." << f.name;
            EXPECT_EQ(f.width, original->width) << exp << "." << f.name;
            EXPECT_EQ(f.decimals, original->decimals) << exp << "." << f.name;
        }
        EXPECT_EQ(tagList(e), tagList(s)) << exp;
    }
    // First and last fields, so a dropped or reordered name shows.
    EXPECT_EQ(tableDef("EXPCALLS").fields.back().name, "KEY");
    EXPECT_EQ(tableDef("EXPTRACE").fields[5].name, "TRACE_DESC");
    EXPECT_EQ(tableDef("EXPSALES").fields.back().name, "EXTSTAY");
    EXPECT_EQ(tableDef("EXPSALES").fields[1].name, "DATE");
}

// Every tag compiles against its own table, so it names only that table's fields.
TEST(Catalogue, EveryTagCompilesAgainstItsTable) {
    const auto& cp = db::CodePage::windows1252();
    for (const auto& t : allTables()) {
        std::set<std::string> names;
        for (const auto& tag : t.tags) {
            EXPECT_TRUE(names.insert(tag.name).second) << t.fileName << " tag " << tag.name << " twice";
            EXPECT_LE(tag.name.size(), 10u) << t.fileName << " " << tag.name;
            try {
                const auto e = db::Expression::compile(tag.expression, t.fields, cp);
                EXPECT_GT(e.width(), 0) << t.fileName << " " << tag.name;
            } catch (const db::Error& e) {
                ADD_FAILURE() << t.fileName << " tag " << tag.name << ": " << e.what();
            }
        }
    }
}

TEST(Catalogue, EveryLayoutMakesAValidHeader) {
    for (const auto& t : allTables()) {
        const bool memo = std::any_of(t.fields.begin(), t.fields.end(), [](const auto& f) { return f.isMemoLike(); });
        try {
            const auto h = db::DbfHeader::forNewTable(
                t.fields, memo ? db::dbf::kVersionFoxPro2Memo : db::dbf::kVersionDbase3, 0x03);
            EXPECT_EQ(h.fields.size(), t.fields.size()) << t.fileName;
        } catch (const db::Error& e) {
            ADD_FAILURE() << t.fileName << ": " << e.what();
        }
    }
}

TEST(Layout, Notation) {
    const auto f = parseLayout("NAME C10; WHEN D; RATE N8,2; RMS N4; OK L; NOTES M");
    ASSERT_EQ(f.size(), 6u);
    EXPECT_EQ(f[0].type, FieldType::Character);
    EXPECT_EQ(f[0].width, 10);
    EXPECT_EQ(f[1].type, FieldType::Date);
    EXPECT_EQ(f[2].width, 8);
    EXPECT_EQ(f[2].decimals, 2);
    EXPECT_EQ(f[3].width, 4);
    EXPECT_EQ(f[3].decimals, 0);
    EXPECT_EQ(f[4].type, FieldType::Logical);
    EXPECT_EQ(f[5].type, FieldType::Memo);
    for (const char* bad : {"NAME", "NAME X4", "NAME C", "NAME C0", "NAME Cx", "NAME N8,", "NAME D8", "NAME N300"})
        EXPECT_THROW(parseLayout(bad), db::Error) << bad;
    EXPECT_THROW(pickFields(f, "NAME, MISSING", "T.DBF"), db::Error);
}

TEST(Paths, ExportFolderHasOneSeparator) {
    const std::pair<const char*, const char*> kCases[] = {
        {"/srv/vek/data", "/srv/vek/data/Export/"},
        {"/srv/vek/data/", "/srv/vek/data/Export/"},
        {"/srv/vek/data//", "/srv/vek/data/Export/"},
        {"c:\\vek\\data\\", "c:\\vek\\data/Export/"},
        {"/", "/Export/"},
        {"", "Export/"},
    };
    for (const auto& [data, expected] : kCases) EXPECT_EQ(exportFolder(data), expected) << data;
}

}  // namespace
}  // namespace vv::data
