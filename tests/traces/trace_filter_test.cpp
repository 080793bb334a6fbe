#include "traces/trace_filter.h"

#include <gtest/gtest.h>

#include "db/table.h"
#include "support/temp_dir.h"
#include "traces/traces_fixture.h"

namespace vv::traces {
namespace {

const db::Date kJul1 = db::Date::fromYmd(2024, 7, 1);
const db::Date kJul31 = db::Date::fromYmd(2024, 7, 31);

TEST(TraceFilterTest, NothingFilledMeansAllTraces) {
    const shared::FilterResult r = buildTraceFilter({});
    EXPECT_EQ(r.expression, "");
    EXPECT_EQ(r.filterText, QStringLiteral("All Traces"));
    EXPECT_EQ(r.headerLines, allTracesHeadings());
    EXPECT_EQ(r.headerLines[2], QStringLiteral("Trace Types: All Trace Types"));
}

// One box at a time: its condition, its text and the heading line it sets.
TEST(TraceFilterTest, EachCriterion) {
    struct Case {
        const char* name;
        TraceFilterEntries entries;
        const char* expression;
        const char* text;
        int line;  // -1: no heading line changes
        const char* heading;
    };
    auto with = [](auto set) {
        TraceFilterEntries e;
        set(e);
        return e;
    };
    const std::vector<Case> cases{
        {"file code padded", with([](auto& e) { e.fileCode = "ABC"; }), "File_code = 'ABC       '",
         "File Code = ABC", 0, "File: ABC"},
        {"event number aligned", with([](auto& e) { e.eventNo = "12"; }), "Event_no = '    12'", "Event # = 12", -1,
         ""},
        {"last name", with([](auto& e) { e.lastName = "SM"; }), "Upper(c_last) = 'SM'", "Last Name = SM", -1, ""},
        {"salesperson", with([](auto& e) { e.salesId = "ABC"; }), "Sales_id = 'ABC'", "Sales Id = ABC", 3,
         "Salesperson: ABC"},
        {"trace code", with([](auto& e) { e.traceCode = "FU"; }), "Trace_code = 'FU'", "Trace Code = FU", 2,
         "Trace Types: FU"},
        {"status", with([](auto& e) { e.status = "O"; }), "Status = 'O'", "Status = O", -1, ""},
        {"blank status", with([](auto& e) { e.status = "   "; }), "", "All Traces", -1, ""},
        {"trace dates", with([](auto& e) { e.begin = kJul1; e.end = kJul31; }),
         "dtos(trace_date) >= '20240701' .and. dtos(trace_date) <= '20240731'", "Dates Between 07/01/24 and 07/31/24",
         1, "Dates: Between 07/01/24 and 07/31/24"},
        {"trace date from", with([](auto& e) { e.begin = kJul1; }), "dtos(trace_date) >= '20240701'",
         "Dates Later Than 07/01/24", 1, "Dates: Later Than 07/01/24"},
        {"trace date to", with([](auto& e) { e.end = kJul31; }), "dtos(trace_date) <= '20240731'",
         "Dates Earlier Than 07/31/24", 1, "Dates: Earlier Than 07/31/24"},
        {"completed to", with([](auto& e) { e.completedEnd = kJul31; }), "dtos(comp_date) <= '20240731'",
         "Completed Earlier Than 07/31/24", 1, "Completed: Earlier Than 07/31/24"},
        {"completed from", with([](auto& e) { e.completedBegin = kJul1; }), "dtos(comp_date) >= '20240701'",
         "Completed Later Than 07/01/24", 1, "Completed: Later Than 07/01/24"},
        {"quote in a last name", with([](auto& e) { e.lastName = "O'NEIL"; }), "Upper(c_last) = \"O'NEIL\"",
         "Last Name = O'NEIL", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const shared::FilterResult r = buildTraceFilter(c.entries);
        EXPECT_EQ(r.expression, c.expression);
        EXPECT_EQ(r.filterText, QString::fromLatin1(c.text));
        auto headings = allTracesHeadings();
        if (c.line >= 0) headings[static_cast<std::size_t>(c.line)] = QString::fromLatin1(c.heading);
        EXPECT_EQ(r.headerLines, headings);
    }
}

TEST(TraceFilterTest, CriteriaJoinInTheirOrderAndCompletionOverridesTheDatesLine) {
    TraceFilterEntries e;
    e.status = "O";
    e.fileCode = "ABC";
    shared::FilterResult r = buildTraceFilter(e);
    EXPECT_EQ(r.expression, "File_code = 'ABC       ' .and. Status = 'O'");
    EXPECT_EQ(r.filterText, QStringLiteral("File Code = ABC and Status = O"));

    e = {};
    e.salesId = "ABC";
    e.begin = kJul1;
    e.end = kJul31;
    e.completedBegin = kJul1;
    r = buildTraceFilter(e);
    EXPECT_TRUE(r.filterText.startsWith(QStringLiteral("Dates Between ")));
    EXPECT_TRUE(r.filterText.contains(QStringLiteral(" and Sales Id = ABC and Completed Later Than 07/01/24")));
    EXPECT_EQ(r.headerLines[1], QStringLiteral("Completed: Later Than 07/01/24"));
}

// The built expressions select what the user meant on a real table.
TEST(TraceFilterTest, ExpressionsSelectTheTracesMeant) {
    test::TempDir dir;
    test::makeTracesFolder(dir.str());
    auto traces = db::Table::open(dir.str(), "TRACES.DBF");
    auto count = [&](const TraceFilterEntries& e) {
        traces->setFilter(buildTraceFilter(e).expression);
        int n = 0;
        for (traces->first(); !traces->eof(); traces->next()) ++n;
        return n;
    };
    TraceFilterEntries e;
    e.eventNo = "12";
    EXPECT_EQ(count(e), 1);
    e = {};
    e.lastName = "DO";
    EXPECT_EQ(count(e), 2);
    e = {};
    e.fileCode = "ACME";
    e.status = "O";
    EXPECT_EQ(count(e), 2);
    e = {};
    e.begin = db::Date::fromYmd(2024, 7, 15);
    EXPECT_EQ(count(e), 2);
    e = {};
    e.lastName = "A\"B'C]";
    EXPECT_EQ(count(e), 0);
}

}  // namespace
}  // namespace vv::traces
