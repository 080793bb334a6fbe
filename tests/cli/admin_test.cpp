// vekvoro-admin as a user runs it: output, exit status, messages.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>
#include <cstdio>
#include <string>

#include "db/table.h"
#include "cli/command_run.h"
#include "support/temp_dir.h"

using namespace vv::db;
using vv::test::TempDir;

namespace {

using AdminRun = vv::test::CommandRun;

// Stdout only, unless `withErrors`.
AdminRun admin(const std::string& args, bool withErrors = false) { return vv::test::admin(args, withErrors); }

class AdminTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table::create(dir.str(), "CALLS.DBF",
                      {{"CODE", FieldType::Character, 8, 0, 0, 0}, {"DATE", FieldType::Date, 8, 0, 0, 0},
                       {"RATE", FieldType::Numeric, 7, 2, 0, 0}, {"OK", FieldType::Logical, 1, 0, 0, 0},
                       {"NOTES", FieldType::Memo, 10, 0, 0, 0}});
        auto t = Table::open(dir.str(), "CALLS.DBF");
        const char* codes[] = {"ACME", "CAFÉ", "DELTA"};
        for (int i = 0; i < 3; ++i) {
            t->append();
            t->setText("CODE", codes[i]);
            t->setDate("DATE", Date::fromYmd(2024, 3, i + 1));
            t->setNumber("RATE", 89.5 + i);
            t->setBool("OK", i != 1);
            t->setText("NOTES", i == 0 ? "said \"yes\", then\nleft" : "");
            t->post();
        }
        t->go(3);
        t->deleteRecord();
    }
    std::string q(const std::string& s) { return "'" + s + "'"; }
    TempDir dir;
};

TEST_F(AdminTest, DumpCsvShowsVisibleRecordsWithRecnoFirst) {
    const AdminRun r = admin("dump " + q(dir.str()) + " calls");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "RECNO,CODE,DATE,RATE,OK,NOTES\n"
              "1,ACME,2024-03-01,89.50,T,\"said \"\"yes\"\", then\nleft\"\n"
              "2,CAFÉ,2024-03-02,90.50,F,\n");
    const AdminRun all = admin("dump " + q(dir.str()) + " CALLS --deleted");
    EXPECT_NE(all.out.find("3,T,DELTA,2024-03-03"), std::string::npos) << all.out;
}

TEST_F(AdminTest, DumpJsonIsOneArrayKeyedByFieldName) {
    const AdminRun r = admin("dump " + q(dir.str()) + " CALLS --format json --filter " + q("code = \"CAF\""));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "[\n  {\"RECNO\": 2, \"CODE\": \"CAFÉ\", \"DATE\": \"2024-03-02\", \"RATE\": 90.5, \"OK\": false, "
              "\"NOTES\": \"\"}\n]\n");
    EXPECT_EQ(admin("dump " + q(dir.str()) + " CALLS --format json --filter " + q("code = [NONE]")).out, "[]\n");
}

TEST_F(AdminTest, CountPrintsOnlyTheNumber) {
    EXPECT_EQ(admin("count " + q(dir.str()) + " CALLS").out, "2\n");
    EXPECT_EQ(admin("count " + q(dir.str()) + " CALLS --filter " + q("rate >= 90")).out, "1\n");
    EXPECT_EQ(admin("count " + q(dir.str()) + " CALLS --deleted").out, "3\n");
}

TEST_F(AdminTest, InfoDescribesTheTable) {
    const AdminRun r = admin("info " + q(dir.str()) + " CALLS");
    EXPECT_EQ(r.status, 0);
    for (const char* expected : {"0xF5", "1252", "Records:     3", "Encrypted:   no", "RATE       N   7  2",
                                 "NOTES      M  10  0"})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
}

TEST_F(AdminTest, FailuresSayWhatAndExitNonZero) {
    struct Case { std::string args; int status; const char* message; };
    const Case cases[] = {
        {"dump " + q(dir.str()) + " NOPE", 1, "NOPE.DBF was not found"},
        {"count " + q(dir.str()) + " CALLS --filter " + q("code = "), 1, "position"},
        {"count " + q(dir.str()) + " CALLS --filter " + q("nofield = 'x'"), 1, "NOFIELD"},
        {"dump " + q(dir.str()) + " CALLS --format xml", 2, "csv or json"},
        {"frobnicate", 2, "unknown command"},
        {"dump " + q(dir.str()), 2, "expected DIR and TABLE"},
        {"count " + q(dir.str()) + " CALLS --bogus", 2, "unknown option"},
    };
    for (const auto& c : cases) {
        const AdminRun r = admin(c.args, true);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
    }
}

}  // namespace

namespace {

TEST(AdminDataFolder, CreateDataWithDemoEncryptsIndexesAndChecks) {
    TempDir dir;
    const std::string folder = "'" + dir.str() + "/hotel'";
    ASSERT_EQ(admin("create-data " + folder + " --demo").status, 0);
    EXPECT_EQ(admin("count " + folder + " ACCOUNT").out, "2000\n");
    EXPECT_NE(admin("info " + folder + " CONTACTS").out.find("Encrypted:   yes"), std::string::npos);
    const AdminRun checked = admin("check " + folder);
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_EQ(checked.out, "Every index agrees with its table\n");
    // A second create refuses to overwrite the folder.
    EXPECT_EQ(admin("create-data " + folder).status, 1);
    ASSERT_EQ(admin("decrypt " + folder).status, 0);
    EXPECT_NE(admin("info " + folder + " ACCOUNT").out.find("Encrypted:   no"), std::string::npos);
    EXPECT_EQ(admin("count " + folder + " ACCOUNT").out, "2000\n");
    // Every demo call already has its key: the key update has nothing to do.
    EXPECT_EQ(admin("update-keys " + folder).out, "0 sales calls and 0 traces got a key\n");

    // A lost index is found by check and mended by reindex of that table alone.
    std::filesystem::remove(dir.str() + "/hotel/TRACES.CDX");
    const AdminRun broken = admin("check " + folder);
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out, "TRACES.DBF: the index file is missing\n");
    EXPECT_EQ(admin("reindex " + folder + " traces", true).out, "Indexing Traces...\nAll Finished...Click Close...\n");
    EXPECT_EQ(admin("check " + folder).status, 0);
}

TEST(AdminDataFolder, DumpInATagsOrderAndSeek) {
    TempDir dir;
    Table::create(dir.str(), "CALLS.DBF",
                  {{"CODE", FieldType::Character, 6, 0, 0, 0}, {"DATE", FieldType::Date, 8, 0, 0, 0}});
    {
        auto t = Table::open(dir.str(), "CALLS.DBF", {.exclusive = true});
        for (const auto& [code, day] : std::vector<std::pair<const char*, int>>{
                 {"ACME", 3}, {"BETA", 1}, {"ACME", 1}, {"ACMEX", 2}}) {
            t->append();
            t->setText("CODE", code);
            t->setDate("DATE", Date::fromYmd(2026, 1, day));
            t->post();
        }
        t->rebuildIndex({{"CODE", "CODE+DTOS(DATE)", false, {}}, {"DATEDESC", "DTOS(DATE)", true, {}}});
    }
    const std::string d = "'" + dir.str() + "'";
    struct Case {
        std::string args, out;
    };
    for (const Case& c : std::vector<Case>{
             {"--tag DATEDESC", "RECNO,CODE,DATE\n1,ACME,2026-01-03\n4,ACMEX,2026-01-02\n3,ACME,2026-01-01\n"
                                "2,BETA,2026-01-01\n"},
             {"--tag code --seek ACME", "RECNO,CODE,DATE\n3,ACME,2026-01-01\n1,ACME,2026-01-03\n"},
             {"--tag CODE --seek ACME,20260103", "RECNO,CODE,DATE\n1,ACME,2026-01-03\n"},
             {"--tag CODE --seek NONE", "RECNO,CODE,DATE\n"}}) {
        SCOPED_TRACE(c.args);
        const AdminRun r = admin("dump " + d + " CALLS " + c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(admin("dump " + d + " CALLS --seek ACME").status, 2);
    const AdminRun missing = admin("dump " + d + " CALLS --tag NOSUCH", true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("\"Index Files\""), std::string::npos) << missing.out;
}

}  // namespace
