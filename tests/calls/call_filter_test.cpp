#include "calls/call_filter.h"

#include <gtest/gtest.h>

#include "db/table.h"
#include "shared/shared_fixture.h"
#include "support/temp_dir.h"

namespace vv::calls {
namespace {

shared::UserFieldCaptions captions() {
    shared::UserFieldCaptions c;
    c[1] = "Region";
    c[2] = "Source";
    c[3] = "Three";
    c[4] = "Four";
    c[5] = "Five";
    return c;
}

TEST(CallFilterTest, TheDocumentedExampleComesOutExactly) {
    CallFilterEntries e;
    e.begin = db::Date::fromYmd(1999, 3, 1);
    e.salesId = QStringLiteral("ABC");
    e.callType = QStringLiteral("PH");
    const shared::FilterResult r = buildCallFilter(e, captions());
    EXPECT_EQ(r.expression, "dtos(date) >= '19990301' .and. sales_id = 'ABC' .and. call_type = 'PH'");
    EXPECT_EQ(r.filterText, QStringLiteral("Dates Later Than 03/01/99 and Sales Id = ABC and Call Type = PH"));
    EXPECT_EQ(r.headerLines[0], QStringLiteral("File: All Files"));
    EXPECT_EQ(r.headerLines[1], QStringLiteral("Dates: Later Than 03/01/99"));
    EXPECT_EQ(r.headerLines[2], QStringLiteral("Call Types: PH"));
    EXPECT_EQ(r.headerLines[3], QStringLiteral("Salesperson: ABC"));
}

TEST(CallFilterTest, NothingFilledInMeansAllCallsAndTheInitialHeadings) {
    const shared::FilterResult r = buildCallFilter({}, captions());
    EXPECT_EQ(r.expression, "");
    EXPECT_EQ(r.filterText, QStringLiteral("All Calls"));
    EXPECT_EQ(r.headerLines, allCallsHeadings());
    EXPECT_EQ(r.headerLines[3], QStringLiteral("Salesperson: All Salespersons"));
}

// Each criterion alone (its "first" form) and after a date (its "later" form).
TEST(CallFilterTest, EveryCriterionInItsFirstAndLaterForm) {
    struct Case {
        const char* name;
        std::function<void(CallFilterEntries&)> fill;
        std::string part;
        QString first;
        QString later;
    };
    const std::vector<Case> cases = {
        {"file code", [](auto& e) { e.fileCode = "ABC"; }, "file_code = 'ABC       '", "File Code = ABC",
         " and File Code = ABC"},
        {"account", [](auto& e) { e.acctName = "ACME"; }, "upper(acct_name) = 'ACME'", "Acct Name = ACME",
         " and Acct Name = ACME"},
        {"address 1", [](auto& e) { e.addr1 = "MAIN"; }, "'MAIN' $ upper(Addr1)", "Addr 1 = MAIN", " and Addr1 = MAIN"},
        {"address 2", [](auto& e) { e.addr2 = "STE"; }, "'STE' $ upper(Addr2)", "Addr 2 = STE", " and Addr2 = STE"},
        {"city", [](auto& e) { e.city = "RENO"; }, "upper(city) = 'RENO'", "City = RENO", " and City = RENO"},
        {"last name", [](auto& e) { e.lastName = "DOE"; }, "upper(c_last) = 'DOE'", "Last Name = DOE",
         " and Last Name = DOE"},
        {"salesperson", [](auto& e) { e.salesId = "XXX"; }, "sales_id = 'XXX'", "Salesperson = XXX",
         " and Sales Id = XXX"},
        {"call type", [](auto& e) { e.callType = "TEL"; }, "call_type = 'TEL'", "Call Type = TEL",
         " and Call Type = TEL"},
        {"segment", [](auto& e) { e.segment = "CO"; }, "segment = 'CO'", "Segment = CO", " and Segment = CO"},
        {"user code 2", [](auto& e) { e.userCodes[1] = "WEB"; }, "u_code2 = 'WEB'", "Source = WEB",
         " and Source = WEB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallFilterEntries alone;
        c.fill(alone);
        const shared::FilterResult first = buildCallFilter(alone, captions());
        EXPECT_EQ(first.expression, c.part);
        EXPECT_EQ(first.filterText, c.first);

        CallFilterEntries after = alone;
        after.end = db::Date::fromYmd(2024, 5, 31);
        const shared::FilterResult later = buildCallFilter(after, captions());
        EXPECT_EQ(later.expression, "dtos(date) <= '20240531' .and. " + c.part);
        EXPECT_EQ(later.filterText, QStringLiteral("Dates Earlier Than 05/31/24") + c.later);
        EXPECT_EQ(later.headerLines[1], QStringLiteral("Dates: Earlier Than 05/31/24"));
    }
}

TEST(CallFilterTest, BothDatesAndTheHeadingsTheyNarrow) {
    CallFilterEntries e;
    e.begin = db::Date::fromYmd(2024, 1, 1);
    e.end = db::Date::fromYmd(2024, 12, 31);
    e.fileCode = QStringLiteral("ACME");
    const shared::FilterResult r = buildCallFilter(e, captions());
    EXPECT_EQ(r.expression,
              "dtos(date) >= '20240101' .and. dtos(date) <= '20241231' .and. file_code = 'ACME      '");
    EXPECT_EQ(r.filterText, QStringLiteral("Dates Between 01/01/24 and 12/31/24 and File Code = ACME"));
    EXPECT_EQ(r.headerLines[0], QStringLiteral("File: ACME"));
    EXPECT_EQ(r.headerLines[1], QStringLiteral("Dates: Between 01/01/24 and 12/31/24"));
    EXPECT_EQ(r.headerLines[2], QStringLiteral("Call Types: All Call Types"));
}

TEST(CallFilterTest, BlanksCountOnlyInTheEntriesThatAreNotTrimmed) {
    CallFilterEntries e;
    e.fileCode = QStringLiteral("   ");
    e.salesId = QStringLiteral("  ");
    e.userCodes[4] = QStringLiteral(" ");
    e.city = QStringLiteral("  ");
    const shared::FilterResult r = buildCallFilter(e, captions());
    EXPECT_EQ(r.expression, "upper(city) = '  '");
    EXPECT_EQ(r.filterText, QStringLiteral("City =   "));
}

// What the user types must never break the expression: each delimiter, and
// all of them at once, filter the calls that hold that text.
TEST(CallFilterTest, QuotesTypedIntoTheBoxesFilterAsTyped) {
    test::TempDir dir;
    test::fillTable(dir.str(), "SALECALL.DBF",
                    {{{"ACCT_NAME", "O'Neil Travel"}, {"ADDR1", "1 \"Quoted\" Way"}, {"CITY", "A'B\"C]D"}},
                     {{"ACCT_NAME", "Acme"}, {"ADDR1", "2 Main St"}, {"CITY", "Reno"}}});
    auto calls = db::Table::open(dir.str(), "SALECALL.DBF");
    const struct {
        const char* name;
        std::function<void(CallFilterEntries&)> fill;
    } cases[] = {
        {"single quote", [](auto& e) { e.acctName = "O'NEIL"; }},
        {"double quote", [](auto& e) { e.addr1 = "\"QUOTED\""; }},
        {"every delimiter", [](auto& e) { e.city = "A'B\"C]D"; }},
        {"bracket and quote", [](auto& e) { e.city = "A'B\"C]"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CallFilterEntries e;
        c.fill(e);
        const shared::FilterResult r = buildCallFilter(e, captions());
        ASSERT_NO_THROW(calls->setFilter(r.expression)) << r.expression;
        EXPECT_EQ(calls->count(), 1u) << r.expression;
        calls->first();
        EXPECT_EQ(calls->getText("ACCT_NAME"), "O'Neil Travel");
    }
}

}  // namespace
}  // namespace vv::calls
