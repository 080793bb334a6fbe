#include "shared/sort_choice.h"

#include <gtest/gtest.h>

namespace vv::shared {
namespace {

std::vector<db::Table::TagInfo> callTags() {
    return {
        {"DATEDESC", "DTOS(DATE)", "DATE", true},
        {"NAME", "UPPER(ACCT_NAME)+FILE_CODE", "ACCT_NAME;FILE_CODE", false},
        {"SALES", "SALES_ID+DTOS(DATE)", "SALES_ID;DATE", false},
    };
}

TEST(SortChoiceTest, AColumnSortsOnlyWhenSomeTagLeadsWithItsFieldExactly) {
    struct Case {
        const char* column;
        const char* order;  // "" for none
    } cases[] = {
        {"DATE", "DATE"},
        {"ACCT_NAME", "ACCT_NAME"},
        {"SALES_ID", "SALES_ID"},
        {"FILE_CODE", ""},  // second in a tag only
        {"MEMO", ""},
        {"acct_name", ""},  // case counts
        {"", ""},
    };
    for (const Case& c : cases) {
        const auto order = SortChoice::forColumn(callTags(), c.column);
        EXPECT_EQ(order.value_or(""), c.order) << c.column;
    }
    EXPECT_FALSE(SortChoice::forColumn({}, "DATE"));
}

TEST(SortChoiceTest, TheLeadingFieldIsLookedForInTheFirst30Characters) {
    EXPECT_EQ(SortChoice::leadingField("C_LAST;FILE_CODE"), "C_LAST");
    EXPECT_EQ(SortChoice::leadingField("TRACE_DATE"), "TRACE_DATE");
    EXPECT_EQ(SortChoice::leadingField(""), "");
    EXPECT_EQ(SortChoice::leadingField(std::string(35, 'A')), std::string(30, 'A'));
}

TEST(SortChoiceTest, OneColumnCarriesTheMarkAtATime) {
    SortMark mark;
    EXPECT_EQ(mark.markedColumn(), -1);
    SortMark::Change c = mark.markColumn(2);
    EXPECT_EQ(c.cleared, -1);
    EXPECT_EQ(c.marked, 2);
    c = mark.markColumn(0);
    EXPECT_EQ(c.cleared, 2);
    EXPECT_EQ(mark.markedColumn(), 0);
    c = mark.markColumn(0);  // the same column again: nothing to clear
    EXPECT_EQ(c.cleared, -1);
    EXPECT_EQ(mark.markedColumn(), 0);
}

}  // namespace
}  // namespace vv::shared
