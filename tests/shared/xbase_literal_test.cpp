#include "shared/xbase_literal.h"

#include <gtest/gtest.h>

namespace vv::shared {
namespace {

TEST(XbaseLiteralTest, TakesTheFirstDelimiterTheTextDoesNotHold) {
    EXPECT_EQ(xbaseLiteral("ABC"), "'ABC'");
    EXPECT_EQ(xbaseLiteral(""), "''");
    EXPECT_EQ(xbaseLiteral("O'NEIL"), "\"O'NEIL\"");
    EXPECT_EQ(xbaseLiteral("O'NEIL \"JR\""), "[O'NEIL \"JR\"]");
    EXPECT_EQ(xbaseLiteral("[X]"), "'[X]'");
}

TEST(XbaseLiteralTest, ATextHoldingEveryDelimiterBecomesAConcatenation) {
    EXPECT_EQ(xbaseLiteral("A'B\"C]D"), "([A'B\"C] + ']D')");
    EXPECT_EQ(xbaseLiteral("'\"]"), "(['\"] + ']')");
}

}  // namespace
}  // namespace vv::shared
