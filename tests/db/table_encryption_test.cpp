#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "db/error.h"
#include "db/table.h"
#include "db/table_rewrite.h"
#include "support/temp_dir.h"

using namespace vv::db;
using vv::test::TempDir;

namespace {

constexpr const char* kPassword = "mebrankoz";

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TableEncryptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table::create(dir.str(), "ACCOUNT.DBF",
                      {{"FILE_CODE", FieldType::Character, 10, 0, 0, 0},
                       {"ACCT_NAME", FieldType::Character, 40, 0, 0, 0},
                       {"MEMO", FieldType::Memo, 10, 0, 0, 0}});
        auto t = Table::open(dir.str(), "ACCOUNT.DBF");
        for (int i = 0; i < 50; ++i) {
            t->append();
            t->setText("FILE_CODE", "F" + std::to_string(i));
            t->setText("ACCT_NAME", "Secret Company " + std::to_string(i));
            if (i % 3 == 0) t->setText("MEMO", "Confidential memo " + std::to_string(i));
            t->post();
        }
        t->go(7);
        t->deleteRecord();
    }

    std::unique_ptr<Table> openExclusive() {
        OpenOptions o;
        o.exclusive = true;
        return Table::open(dir.str(), "ACCOUNT.DBF", o);
    }

    void encrypt() {
        auto t = openExclusive();
        t->enableEncryption(kPassword);
        t->encryptTable(kPassword);
    }

    void expectPlainContent(Table& t) {
        t.go(1);
        EXPECT_EQ(t.getText("ACCT_NAME"), "Secret Company 0");
        EXPECT_EQ(t.getText("MEMO"), "Confidential memo 0");
        t.go(7);
        EXPECT_TRUE(t.isDeleted());
        EXPECT_EQ(t.count(), 49u);
    }

    TempDir dir;
};

TEST_F(TableEncryptionTest, EncryptedTableHidesRecordsAndMemosButReadsWithPassword) {
    encrypt();
    const std::string dbf = readAll(dir.file("ACCOUNT.DBF"));
    const std::string fpt = readAll(dir.file("ACCOUNT.FPT"));
    EXPECT_EQ(dbf.find("Secret Company"), std::string::npos);
    EXPECT_EQ(fpt.find("Confidential"), std::string::npos);

    auto t = Table::open(dir.str(), "account.dbf");
    EXPECT_TRUE(t->isEncrypted());
    // The header and the deletion flags stay readable without the password.
    EXPECT_EQ(t->recordCount(), 50u);
    try {
        t->getText("ACCT_NAME");
        t->first();
        FAIL() << "read an encrypted table without the password";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::WrongPassword);
    }
    try {
        t->enableEncryption("wrong");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::WrongPassword);
        EXPECT_NE(std::string(e.what()).find("ACCOUNT.DBF"), std::string::npos);
    }
    t->enableEncryption(kPassword);
    expectPlainContent(*t);

    // Changes through an enabled table object stay encrypted on disk.
    t->go(2);
    t->edit();
    t->setText("ACCT_NAME", "Renamed Secretly");
    t->setText("MEMO", "New hidden memo");
    t->post();
    t->append();
    t->setText("ACCT_NAME", "Appended Secretly");
    t->post();
    t.reset();
    EXPECT_EQ(readAll(dir.file("ACCOUNT.DBF")).find("Secretly"), std::string::npos);
    EXPECT_EQ(readAll(dir.file("ACCOUNT.FPT")).find("hidden"), std::string::npos);
    auto again = Table::open(dir.str(), "ACCOUNT.DBF");
    again->enableEncryption(kPassword);
    again->go(2);
    EXPECT_EQ(again->getText("ACCT_NAME"), "Renamed Secretly");
    EXPECT_EQ(again->getText("MEMO"), "New hidden memo");
    again->go(51);
    EXPECT_EQ(again->getText("ACCT_NAME"), "Appended Secretly");
}

TEST_F(TableEncryptionTest, EncryptingTwiceChangesNothingAndDecryptRestoresPlainFiles) {
    encrypt();
    const std::string once = readAll(dir.file("ACCOUNT.DBF"));
    encrypt();
    EXPECT_EQ(readAll(dir.file("ACCOUNT.DBF")), once);
    {
        auto t = openExclusive();
        t->enableEncryption(kPassword);
        t->decryptTable();
        EXPECT_FALSE(t->isEncrypted());
        expectPlainContent(*t);
    }
    EXPECT_NE(readAll(dir.file("ACCOUNT.DBF")).find("Secret Company 0"), std::string::npos);
    auto plain = Table::open(dir.str(), "ACCOUNT.DBF");
    expectPlainContent(*plain);
}

TEST_F(TableEncryptionTest, EncryptionNeedsExclusiveUseAndLeavesTheTableAsItWas) {
    auto reader = Table::open(dir.str(), "ACCOUNT.DBF");
    const std::string before = readAll(dir.file("ACCOUNT.DBF"));
    try {
        openExclusive();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::ExclusiveConflict);
    }
    try {
        reader->encryptTable(kPassword);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::ExclusiveConflict);
    }
    EXPECT_EQ(readAll(dir.file("ACCOUNT.DBF")), before);
}

TEST_F(TableEncryptionTest, InterruptedConversionRollsForwardWithMarkerAndBackWithout) {
    const std::string plainDbf = readAll(dir.file("ACCOUNT.DBF"));
    const std::string plainFpt = readAll(dir.file("ACCOUNT.FPT"));
    encrypt();
    const std::string encDbf = readAll(dir.file("ACCOUNT.DBF"));
    const std::string encFpt = readAll(dir.file("ACCOUNT.FPT"));
    auto put = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir.file(name), std::ios::binary | std::ios::trunc) << bytes;
    };

    // Crash after the memo file was swapped but before the table: the marker says finish it.
    put("ACCOUNT.DBF", plainDbf);
    put("ACCOUNT.FPT", encFpt);
    put("ACCOUNT.DBF.vvnew", encDbf);
    put("ACCOUNT.DBF.vvcommit", "vvcommit\n");
    {
        auto t = Table::open(dir.str(), "ACCOUNT.DBF");
        EXPECT_TRUE(t->isEncrypted());
        t->enableEncryption(kPassword);
        expectPlainContent(*t);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("ACCOUNT.DBF.vvcommit")));

    // Crash while the new files were still being written: no marker, throw them away.
    put("ACCOUNT.DBF", plainDbf);
    put("ACCOUNT.FPT", plainFpt);
    put("ACCOUNT.DBF.vvnew", encDbf.substr(0, 300));
    put("ACCOUNT.FPT.vvnew", encFpt.substr(0, 700));
    {
        auto t = Table::open(dir.str(), "ACCOUNT.DBF");
        EXPECT_FALSE(t->isEncrypted());
        expectPlainContent(*t);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("ACCOUNT.DBF.vvnew")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("ACCOUNT.FPT.vvnew")));
}

}  // namespace
