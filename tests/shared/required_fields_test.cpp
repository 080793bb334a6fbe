#include "shared/required_fields.h"

#include <gtest/gtest.h>

#include "db/date.h"
#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"
#include "shared_fixture.h"

namespace vv::shared {
namespace {

TEST(RequiredFieldsTest, TheLastFailingConditionWinsAndEveryConditionIsChecked) {
    struct Case {
        std::vector<bool> missing;
        int last;
    } cases[] = {
        {{}, -1},
        {{false, false, false}, -1},
        {{true, false, false}, 0},
        {{true, false, true}, 2},
        {{false, true, false}, 1},
        {{true, true, true}, 2},
    };
    for (const Case& c : cases) {
        std::vector<RequiredFields::Missing> checks;
        int evaluated = 0;
        for (bool m : c.missing)
            checks.push_back([&evaluated, m] {
                ++evaluated;
                return m;
            });
        EXPECT_EQ(RequiredFields::lastMissing(checks), c.last);
        EXPECT_EQ(evaluated, static_cast<int>(c.missing.size()));
    }
}

TEST(RequiredFieldsTest, DatesAreEmptyWithoutADateOtherFieldsWhenBlank) {
    test::TempDir dir;
    test::fillTable(dir.str(), "TRACES.DBF", {{}, {{"FILE_CODE", "ACME"}, {"TRACE_DATE", "01/02/59"}}});
    auto table = db::Table::open(dir.str(), "TRACES.DBF");
    table->first();
    EXPECT_TRUE(RequiredFields::fieldEmpty(*table, "FILE_CODE"));
    EXPECT_TRUE(RequiredFields::fieldEmpty(*table, "TRACE_DATE"));
    table->next();
    EXPECT_FALSE(RequiredFields::fieldEmpty(*table, "FILE_CODE"));
    EXPECT_FALSE(RequiredFields::fieldEmpty(*table, "trace_date"));
    EXPECT_THROW(RequiredFields::fieldEmpty(*table, "NO_SUCH"), db::Error);
}

}  // namespace
}  // namespace vv::shared
