#include "data/data_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "data/paths.h"
#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::data {
namespace {

using db::Date;

bool createdInDataFolder(const TableDef& t) { return t.folder != TableFolder::Program; }

std::unique_ptr<db::Table> openTable(const std::string& dataFolder, std::string_view name) {
    const TableDef& def = tableDef(name);
    return db::Table::open(folderOf(def, dataFolder, {}), def.fileName);
}

TEST(DataFolder, CreatesEveryTableEmptyWithItsLayout) {
    test::TempDir dir;
    const std::string data = dir.file("data");  // does not exist yet
    std::vector<std::string> messages;
    createDataFolder(data, [&](const std::string& m) { messages.push_back(m); });

    std::size_t created = 0;
    for (const auto& def : allTables()) {
        if (!createdInDataFolder(def)) continue;
        ++created;
        auto t = openTable(data, def.fileName);
        EXPECT_EQ(t->recordCount(), 0u) << def.fileName;
        ASSERT_EQ(t->fields().size(), def.fields.size()) << def.fileName;
        for (std::size_t i = 0; i < def.fields.size(); ++i) {
            EXPECT_EQ(t->fields()[i].name, def.fields[i].name) << def.fileName;
            EXPECT_EQ(t->fields()[i].type, def.fields[i].type) << def.fields[i].name;
            EXPECT_EQ(t->fields()[i].width, def.fields[i].width) << def.fields[i].name;
            EXPECT_EQ(t->fields()[i].decimals, def.fields[i].decimals) << def.fields[i].name;
        }
    }
    EXPECT_EQ(messages.size(), created);
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Creating SALECALL.DBF..."), messages.end());
    EXPECT_TRUE(std::filesystem::exists(exportFolder(data) + "EXPCALLS.DBF"));
    EXPECT_FALSE(std::filesystem::exists(data + "/SYSPATH.DBF"));  // belongs to the program folder
}

TEST(DataFolder, RefusesToOverwriteAndTouchesNothing) {
    test::TempDir dir;
    createDataFolder(dir.str(), {});
    {
        auto letters = openTable(dir.str(), "LETTERS");
        letters->append();
        letters->setText("FILE_NAME", "keep me.doc");
        letters->post();
    }
    try {
        createDataFolder(dir.str(), {});
        FAIL() << "a second creation went through";
    } catch (const db::Error& e) {
        EXPECT_NE(std::string(e.what()).find("ACCOUNT.DBF"), std::string::npos) << e.what();
    }
    EXPECT_EQ(openTable(dir.str(), "LETTERS")->recordCount(), 1u);

    createDataFolder(dir.str(), {}, /*overwrite=*/true);
    EXPECT_EQ(openTable(dir.str(), "LETTERS")->recordCount(), 0u);
}

// One table in the way, under another case, stops the whole run before it starts.
TEST(DataFolder, OneExistingTableStopsTheRunBeforeAnythingIsMade) {
    test::TempDir dir;
    const std::string exports = exportFolder(dir.str());
    std::filesystem::create_directories(exports);
    std::ofstream(exports + "expcalls.dbf") << "not a table";
    EXPECT_THROW(createDataFolder(dir.str(), {}), db::Error);
    EXPECT_FALSE(std::filesystem::exists(dir.file("ACCOUNT.DBF")));
}

// One demo folder for all checks of its contents.
class DemoData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        createDataFolder(dir_->str(), {});
        summary_ = fillDemoData(dir_->str(), today(), [](const std::string& m) { messages_.push_back(m); });
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static Date today() { return Date::fromYmd(2026, 11, 18); }
    static std::string folder() { return dir_->str(); }

    // Every record of a table as field -> text.
    static std::vector<std::map<std::string, std::string>> rows(std::string_view table) {
        auto t = openTable(folder(), table);
        std::vector<std::map<std::string, std::string>> out;
        for (t->first(); !t->eof(); t->next()) {
            auto& row = out.emplace_back();
            for (std::size_t i = 0; i < t->fields().size(); ++i)
                row[t->fields()[i].name] = t->getText(static_cast<int>(i));
        }
        return out;
    }

    static test::TempDir* dir_;
    static DemoSummary summary_;
    static std::vector<std::string> messages_;
};

test::TempDir* DemoData::dir_ = nullptr;
DemoSummary DemoData::summary_;
std::vector<std::string> DemoData::messages_;

TEST_F(DemoData, CountsMatchTheSummary) {
    EXPECT_EQ(summary_.accounts, 40);
    EXPECT_GE(summary_.contacts, 40);
    EXPECT_EQ(summary_.calls, 200);
    EXPECT_GE(summary_.traces, 80);
    EXPECT_EQ(summary_.tracking, 300);
    EXPECT_EQ(summary_.groups, 6);
    const std::pair<const char*, int> kCounts[] = {
        {"ACCOUNT", summary_.accounts}, {"CONTACTS", summary_.contacts}, {"SALECALL", summary_.calls},
        {"TRACES", summary_.traces},    {"SALES", summary_.tracking},    {"GROUPS", summary_.groups},
        {"LOCINFO", 1},                 {"SYSTEM", 1},                   {"BKUPDATE", 1},
    };
    for (const auto& [table, count] : kCounts)
        EXPECT_EQ(openTable(folder(), table)->recordCount(), static_cast<uint32_t>(count)) << table;
    for (const char* code : {"SALECODE", "TRACCODE", "MASTPER", "MASTSEG", "RATECODE", "TITLES", "DEPTS", "UFILE1",
                             "UFILE5", "HOTELS2", "LETTERS"})
        EXPECT_GT(openTable(folder(), code)->recordCount(), 1u) << code;
    EXPECT_NE(std::find(messages_.begin(), messages_.end(), "Filling SALECALL.DBF..."), messages_.end());
}

TEST_F(DemoData, SettingsTables) {
    auto system = rows("SYSTEM");
    EXPECT_EQ(system[0]["USER_FLD1"], "Industry");
    EXPECT_EQ(system[0]["KEEP_FLDS"], "Y");
    auto loc = rows("LOCINFO");
    EXPECT_FALSE(loc[0]["LOCCODE"].empty());
    EXPECT_FALSE(loc[0]["LOCNAM"].empty());
    EXPECT_EQ(openTable(folder(), "BKUPDATE")->getDate("EXPDATE"), today().addDays(-14));
    std::set<std::string> people;
    for (auto& p : rows("MASTPER")) people.insert(p["SALES_ID"]);
    EXPECT_TRUE(people.count("XXX"));
    std::set<std::string> types;
    for (auto& c : rows("SALECODE")) types.insert(c["SALE_CODE"]);
    for (const char* t : {"TEL", "VIS", "MAI"}) EXPECT_TRUE(types.count(t)) << t;
}

TEST_F(DemoData, CallsAreStampedKeyedAndPointAtRealCodes) {
    std::set<std::string> accounts, types, traceCodes;
    for (auto& a : rows("ACCOUNT")) accounts.insert(a["FILE_CODE"]);
    for (auto& c : rows("SALECODE")) types.insert(c["SALE_CODE"]);
    for (auto& c : rows("TRACCODE")) traceCodes.insert(c["TR_CODE"]);
    auto t = openTable(folder(), "SALECALL");
    for (t->first(); !t->eof(); t->next()) {
        const std::string key = t->getText("KEY");
        ASSERT_EQ(key.size(), 15u) << key;
        EXPECT_EQ(key.find_first_not_of("0123456789"), std::string::npos) << key;
        EXPECT_EQ(t->getText("ADD_METH"), "M");
        EXPECT_EQ(t->getText("SOURCE"), "SL");
        EXPECT_EQ(t->getText("POSTED_BY"), "999");
        EXPECT_TRUE(accounts.count(t->getText("FILE_CODE"))) << t->getText("FILE_CODE");
        EXPECT_TRUE(types.count(t->getText("CALL_TYPE"))) << t->getText("CALL_TYPE");
        if (!t->isBlank("TRACE_CODE")) {
            EXPECT_TRUE(traceCodes.count(t->getText("TRACE_CODE")));
        }
        const Date date = t->getDate("DATE");
        EXPECT_LE(date, today());
        EXPECT_GE(date, today().addDays(-185));
        EXPECT_EQ(t->getDate("ADDED"), date);
        EXPECT_FALSE(t->getDate("MODIFIED").isEmpty());
        EXPECT_FALSE(t->getText("MEMO").empty());
    }
}

// The export picks records changed after their last export; the demo leaves
// both kinds, stamped as an export on the BKUPDATE date would have.
TEST_F(DemoData, ExportStampsFollowTheLastExport) {
    const Date lastExport = today().addDays(-14);
    for (const char* table : {"SALECALL", "TRACES", "SALES"}) {
        int pending = 0, exported = 0;
        auto t = openTable(folder(), table);
        for (t->first(); !t->eof(); t->next()) {
            const Date modified = t->getDate("MODIFIED");
            if (modified > lastExport) {
                EXPECT_TRUE(t->getDate("EXPORTED").isEmpty()) << table;
                ++pending;
            } else {
                EXPECT_EQ(t->getDate("EXPORTED"), lastExport) << table;
                ++exported;
            }
        }
        EXPECT_GT(pending, 0) << table;
        EXPECT_GT(exported, 0) << table;
    }
}

TEST_F(DemoData, TracesAreOpenOverdueOrCompleted) {
    std::set<std::string> callKeys;
    for (auto& c : rows("SALECALL")) callKeys.insert(c["KEY"]);
    int open = 0, overdue = 0, completed = 0, fromCalls = 0;
    auto t = openTable(folder(), "TRACES");
    for (t->first(); !t->eof(); t->next()) {
        const std::string status = t->getText("STATUS");
        const Date due = t->getDate("TRACE_DATE");
        if (status == "O") {
            ++open;
            if (due < today()) ++overdue;
            EXPECT_TRUE(t->getDate("COMP_DATE").isEmpty());
        } else {
            ASSERT_EQ(status, "C");
            ++completed;
            EXPECT_EQ(t->getText("COMP_BY"), "XXX");
            EXPECT_LE(t->getDate("COMP_DATE"), today());
        }
        EXPECT_EQ(t->getText("KEY").size(), 15u);
        // A trace written by a call shares the call's key.
        if (t->getText("ADD_METH") == "A") {
            ++fromCalls;
            EXPECT_TRUE(callKeys.count(t->getText("KEY")));
            EXPECT_EQ(t->getText("TRACE_DESC").rfind("SC-", 0), 0u);
        } else {
            EXPECT_EQ(t->getText("ADD_METH"), "M");
        }
    }
    EXPECT_EQ(open, summary_.openTraces);
    EXPECT_GT(overdue, 0);
    EXPECT_GT(open - overdue, 0);
    EXPECT_GT(completed, 0);
    EXPECT_GT(fromCalls, 0);
}

TEST_F(DemoData, TrackingRevenueIsRoomsTimesRate) {
    std::set<std::string> corpNos;
    for (auto& a : rows("ACCOUNT")) corpNos.insert(a["CORP_NO"]);
    auto t = openTable(folder(), "SALES");
    for (t->first(); !t->eof(); t->next()) {
        EXPECT_NEAR(t->getNumber("RMREV"), t->getNumber("ROOMS") * t->getNumber("RATE"), 0.005);
        EXPECT_GT(t->getNumber("ROOMS"), 0);
        EXPECT_TRUE(corpNos.count(t->getText("CORP_NO")));
        EXPECT_EQ(t->getText("USER"), "XXX");
        EXPECT_EQ(t->getText("ADD_METH"), "M");
        EXPECT_EQ(t->getText("SOURCE"), "SL");
        EXPECT_EQ(t->getText("KEY").size(), 15u);
        const std::string ext = t->getText("EXTSTAY");
        EXPECT_TRUE(ext == "Y" || ext == "N") << ext;
    }
}

// The summaries kept on the account agree with the calls, traces and stays.
TEST_F(DemoData, AccountSummariesAgreeWithActivity) {
    std::map<std::string, Date> lastCall, nextTrace;
    for (auto& c : rows("SALECALL")) {
        const Date d = *Date::fromDisplay(c["DATE"]);
        lastCall[c["FILE_CODE"]] = std::max(lastCall[c["FILE_CODE"]], d);
    }
    for (auto& t : rows("TRACES")) {
        if (t["STATUS"] != "O") continue;
        const Date d = *Date::fromDisplay(t["TRACE_DATE"]);
        auto& next = nextTrace[t["FILE_CODE"]];
        if (next.isEmpty() || d < next) next = d;
    }
    auto a = openTable(folder(), "ACCOUNT");
    for (a->first(); !a->eof(); a->next()) {
        const std::string code = a->getText("FILE_CODE");
        EXPECT_EQ(a->getDate("LAST_CALL"), lastCall[code]) << code;
        EXPECT_EQ(a->getDate("NEXT_TRACE"), nextTrace[code]) << code;
    }
}

TEST_F(DemoData, TextBeyondAsciiSurvives) {
    std::string names, memos;
    for (auto& a : rows("ACCOUNT")) names += a["ACCT_NAME"] + "|";
    for (auto& c : rows("SALECALL")) memos += c["MEMO"] + "|";
    EXPECT_NE(names.find("Café Müller"), std::string::npos);
    EXPECT_NE(names.find("€"), std::string::npos);
    EXPECT_NE(memos.find("€ 139"), std::string::npos);
}

// Same `today`, same folder, byte for byte (but for the header's last-update date).
TEST_F(DemoData, SameEveryTime) {
    test::TempDir other;
    createDataFolder(other.str(), {});
    fillDemoData(other.str(), today(), {});
    for (const char* file : {"ACCOUNT.DBF", "SALECALL.DBF", "SALECALL.FPT", "TRACES.DBF", "SALES.DBF", "GROUPS.DBF"}) {
        auto read = [](const std::string& path) {
            std::ifstream in(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        std::string a = read(dir_->file(file)), b = read(other.file(file));
        ASSERT_EQ(a.size(), b.size()) << file;
        if (a.size() > 4) a.replace(1, 3, "   "), b.replace(1, 3, "   ");
        EXPECT_TRUE(a == b) << file;
    }
}

}  // namespace
}  // namespace vv::data
