#include "data/index_rebuild.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/catalogue.h"
#include "data/data_folder.h"
#include "data/paths.h"
#include "data/table_encryption_commands.h"
#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::data {
namespace {

using db::Date;

class IndexRebuild : public ::testing::Test {
protected:
    void SetUp() override {
        createDataFolder(dir.str(), {});
        fillDemoData(dir.str(), Date::fromYmd(2026, 11, 18), {});
        encryptTables(dir.str());
        indexNewDataFolder(dir.str(), {});
    }
    std::vector<std::string> rebuild(const std::vector<std::string>& only = {}) {
        std::vector<std::string> messages;
        rebuildIndexes(dir.str(), [&](const std::string& m) { messages.push_back(m); }, only);
        return messages;
    }
    std::unique_ptr<db::Table> open(const std::string& name, bool exclusive = false) {
        const TableDef& def = tableDef(name);
        db::OpenOptions options;
        options.exclusive = exclusive;
        auto t = db::Table::open(folderOf(def, dir.str(), {}), def.fileName, options);
        if (t->isEncrypted()) t->enableEncryption(kTablePassword);
        return t;
    }
    test::TempDir dir;
};

TEST_F(IndexRebuild, BuildsEveryTableInOrderWithTheCataloguesTags) {
    const auto messages = rebuild();
    std::vector<std::string> expected;
    for (const TableDef* t : indexRebuildOrder()) expected.push_back(t->indexProgress);
    expected.push_back("All Finished...Click Close...");
    EXPECT_EQ(messages, expected);
    EXPECT_TRUE(checkIndexes(dir.str()).empty());

    auto calls = open("SALECALL");
    const auto tags = calls->tags();
    ASSERT_EQ(tags.size(), 10u);
    for (std::size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(tags[i].name, tableDef("SALECALL").tags[i].name);
    calls->setIndexName("DATEDESC");
    Date previous = calls->getDate("DATE");
    for (calls->next(); !calls->eof(); calls->next()) {
        ASSERT_LE(calls->getDate("DATE").julian(), previous.julian());
        previous = calls->getDate("DATE");
    }
}

TEST_F(IndexRebuild, WithoutRateCodesItSaysNothingOfThemAndFinishes) {
    std::filesystem::remove(dir.file("RATECODE.DBF"));
    std::ofstream(dir.file("ratecode.cdx")) << "stale";
    const auto messages = rebuild();
    EXPECT_EQ(std::find(messages.begin(), messages.end(), "Indexing Rate Codes..."), messages.end());
    EXPECT_EQ(messages.back(), "All Finished...Click Close...");
    EXPECT_FALSE(std::filesystem::exists(dir.file("ratecode.cdx")));
}

TEST_F(IndexRebuild, StaleTagsGoAndEncryptedTablesStayEncrypted) {
    rebuild();
    open("SALECALL", true)->addTag("STRAY", "CALL_TYPE");
    EXPECT_EQ(open("SALECALL")->tags().size(), 11u);
    rebuild({"salecall", "ACCOUNT.DBF"});
    EXPECT_EQ(open("SALECALL")->tags().size(), 10u);
    auto account = open("ACCOUNT");
    EXPECT_TRUE(account->isEncrypted());
    account->setIndexName("ACCT_NAME");
    EXPECT_TRUE(account->locate("ACCT_NAME", "café"));
    // The account names are not readable in the index file.
    std::ifstream in(dir.file("ACCOUNT.CDX"), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(bytes.find("ACME PRECISION"), std::string::npos);
}

TEST_F(IndexRebuild, ATableInUseStopsTheRunAfterTheTablesBeforeIt) {
    rebuild();
    auto inUse = open("SALECALL");
    inUse->setIndexName("DATEDESC");
    std::vector<std::string> messages;
    EXPECT_THROW(rebuildIndexes(dir.str(), [&](const std::string& m) { messages.push_back(m); }), db::Error);
    EXPECT_EQ(messages, (std::vector<std::string>{"Indexing Accounts...", "Indexing Contacts..."}));
    // The index of the table in use is still there for its user.
    inUse->first();
    EXPECT_TRUE(std::filesystem::exists(dir.file("SALECALL.CDX")));
    inUse.reset();
    EXPECT_TRUE(checkIndexes(dir.str()).empty());
}

TEST_F(IndexRebuild, CheckNamesEachDisagreement) {
    rebuild();
    std::filesystem::remove(dir.file("MASTPER.CDX"));
    {
        // An index left behind by a copy of the table from before one more call.
        std::filesystem::copy_file(dir.file("SALECALL.CDX"), dir.file("OLD.CDX"));
        auto calls = open("SALECALL");
        calls->append();
        calls->setText("FILE_CODE", "NEW");
        calls->post();
    }
    std::filesystem::rename(dir.file("OLD.CDX"), dir.file("SALECALL.CDX"));
    const auto problems = checkIndexes(dir.str());
    std::vector<std::string> lines;
    for (const auto& p : problems) lines.push_back(p.table + "|" + p.tag + "|" + p.message);
    const std::string newRecord = std::to_string(open("SALECALL")->recordCount());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "MASTPER.DBF||the index file is missing"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SALECALL.DBF|DATEDESC|record " + newRecord + " is missing"),
              lines.end());
    EXPECT_EQ(lines.size(), 11u);  // MASTPER, and each of the ten call tags once
}

}  // namespace
}  // namespace vv::data
