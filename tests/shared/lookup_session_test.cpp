#include "shared/lookup_session.h"

#include <gtest/gtest.h>

#include "db/error.h"
#include "support/temp_dir.h"
#include "shared_fixture.h"

namespace vv::shared {
namespace {

TEST(LookupGeometryTest, WidthIsTheColumnsAnd40AtMost500CentredIn550HalfToEven) {
    struct Case {
        std::vector<int> widths;
        int width, left;
    } cases[] = {
        {{}, 40, 255},
        {{100, 200}, 340, 105},
        {{64}, 104, 223},
        {{5}, 45, 252},    // 252.5 goes to the even side
        {{3}, 43, 254},    // 253.5 likewise
        {{460}, 500, 25},
        {{300, 300}, 500, 25},  // more than 460: exactly 500 wide
    };
    for (const Case& c : cases) {
        const LookupGridGeometry g = LookupSession::gridGeometry(c.widths);
        EXPECT_EQ(g.width, c.width) << c.widths.size();
        EXPECT_EQ(g.left, c.left) << c.width;
    }
}

TEST(LookupSearchTest, TheBoxKeepsTheLongestPrefixThatMatches) {
    const std::vector<std::string> names = {"ACME TRAVEL", "ACORN BANK", "ZÜRICH RE"};
    auto matches = [&](std::string_view prefix) {
        for (const auto& n : names)
            if (n.compare(0, prefix.size(), prefix) == 0) return true;
        return false;
    };
    struct Case {
        const char* typed;
        const char* kept;
    } cases[] = {
        {"AC", "AC"}, {"ACMX", "ACM"}, {"ACQQQ", "AC"}, {"Q", ""}, {"ZÜX", "ZÜ"}, {"ZÖ", "Z"}, {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(LookupSession::longestMatchingPrefix(c.typed, matches), c.kept) << c.typed;
}

class LookupSessionTest : public ::testing::Test {
protected:
    LookupSessionTest() {
        test::fillTable(dir_.str(), "TITLES.DBF", {{{"TITLE_NAME", "Director"}}, {{"TITLE_NAME", "Manager"}}});
        test::fillTable(dir_.str(), "CONTACTS.DBF",
                        {{{"FILE_CODE", "BOLT"}, {"C_FIRST", "Ann"}, {"C_LAST", "Bolt"}},
                         {{"FILE_CODE", "ACME"}, {"C_FIRST", "Bob"}, {"C_LAST", "Acme"}},
                         {{"FILE_CODE", "BOLT"}, {"C_FIRST", "Cy"}, {"C_LAST", "Bolt"}},
                         {{"FILE_CODE", "ACME"}, {"C_FIRST", "Di"}, {"C_LAST", "Acme"}}});
        test::encryptTable(dir_.str(), "CONTACTS.DBF");
    }

    test::TempDir dir_;
};

TEST_F(LookupSessionTest, ReturnsTheFieldOrThePhysicalRecordNumberUnderAFilter) {
    LookupSession titles(dir_.str(), {"titles", "", "title_name", "", "Title Lookup", {"title_name"}, {"Title Description"}});
    EXPECT_FALSE(titles.hasSearchBox());
    EXPECT_EQ(titles.currentValue(), "Director");
    titles.table().next();
    EXPECT_EQ(titles.currentValue(), "Manager");

    // The contacts are encrypted: read in plain all the same.
    LookupSession contacts(dir_.str(), {"contacts", "", "recno", "file_code = 'ACME'", "Contact Lookup",
                                        {"file_code", "c_first", "c_last"}, {"File Code", "First Name", "Last Name"}});
    EXPECT_EQ(contacts.currentValue(), "2");
    EXPECT_EQ(contacts.table().getText("C_FIRST"), "Bob");
    contacts.table().next();
    EXPECT_EQ(contacts.currentValue(), "4");
}

TEST_F(LookupSessionTest, WhatCannotBeShownIsAnEngineErrorNamingIt) {
    struct Case {
        LookupRequest request;
        db::ErrorKind kind;
        const char* named;
    } cases[] = {
        {{"nosuch", "", "code", "", "", {"code"}, {"Code"}}, db::ErrorKind::FileNotFound, "nosuch"},
        {{"titles", "", "title", "", "", {"title_name"}, {"Title"}}, db::ErrorKind::FieldNotFound, "title"},
        {{"titles", "", "recno", "", "", {"title_name", "missing"}, {"a", "b"}}, db::ErrorKind::FieldNotFound, "missing"},
        {{"titles", "", "RECNO", "", "", {"title_name"}, {"a"}}, db::ErrorKind::FieldNotFound, "RECNO"},
        {{"titles", "", "recno", "title_name = ", "", {"title_name"}, {"a"}}, db::ErrorKind::BadExpression, ""},
    };
    for (const Case& c : cases) {
        try {
            LookupSession session(dir_.str(), c.request);
            ADD_FAILURE() << "no error for " << c.named;
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << e.what();
            std::string message = e.what();
            for (auto& ch : message) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            std::string named = c.named;
            for (auto& ch : named) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_NE(message.find(named), std::string::npos) << e.what();
        }
    }
}

TEST_F(LookupSessionTest, OnlyTheAccountTableSearchesPrefixesIgnoringCase) {
    test::fillTable(dir_.str(), "ACCOUNT.DBF",
                    {{{"FILE_CODE", "Z1"}, {"ACCT_NAME", "Zenith Corp"}},
                     {{"FILE_CODE", "A1"}, {"ACCT_NAME", "Acme Travel"}},
                     {{"FILE_CODE", "A2"}, {"ACCT_NAME", "Acorn Bank"}},
                     {{"FILE_CODE", "B1"}, {"ACCT_NAME", "Bolt & Sons"}}});
    if (!test::orderingAvailable(dir_.str(), "ACCOUNT.DBF")) GTEST_SKIP() << "the engine does not order by tags yet";
    test::indexTable(dir_.str(), "ACCOUNT.DBF");
    LookupSession account(dir_.str(), {"Account", "acct_name", "file_code", "", "Account Lookup",
                                       {"file_code", "acct_name", "sales_id"}, {"File Code", "Account Name", "Sales Id"}});
    ASSERT_TRUE(account.hasSearchBox());
    EXPECT_EQ(account.currentValue(), "A1") << "the grid starts on the first name in order";
    struct Case {
        const char* typed;
        const char* kept;
        const char* code;
    } cases[] = {
        {"b", "b", "B1"}, {"aco", "aco", "A2"}, {"ACMEX", "ACME", "A1"}, {"zq", "z", "Z1"}, {"q", "", "A1"}, {"", "", "A1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(account.search(c.typed), c.kept) << c.typed;
        EXPECT_EQ(account.currentValue(), c.code) << c.typed;
    }
}

}  // namespace
}  // namespace vv::shared
