#include "shared/filter_result.h"

#include <gtest/gtest.h>

namespace vv::shared {
namespace {

TEST(FilterResultTest, CancelKeepsEmptyClearsAnythingElseApplies) {
    EXPECT_EQ(filterAction("Cancel"), FilterAction::Keep);
    EXPECT_EQ(filterAction(""), FilterAction::Clear);
    EXPECT_EQ(filterAction("SALES_ID = 'XXX'"), FilterAction::Apply);
    EXPECT_EQ(filterAction("cancel"), FilterAction::Apply);  // only the exact word
}

}  // namespace
}  // namespace vv::shared
