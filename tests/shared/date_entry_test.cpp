#include "shared/date_entry.h"

#include <gtest/gtest.h>

namespace vv::shared {
namespace {

using Kind = DateEntry::Parsed::Kind;

TEST(DateEntryTest, TypedDatesFollowTheCenturyWindowOf1960) {
    struct Case {
        const char* typed;
        Kind kind;
        int year, month, day;
    } cases[] = {
        {"01/02/59", Kind::Valid, 2059, 1, 2},
        {"01/02/60", Kind::Valid, 1960, 1, 2},
        {"12/31/99", Kind::Valid, 1999, 12, 31},
        {"02/29/00", Kind::Valid, 2000, 2, 29},
        {"__/__/__", Kind::Empty, 0, 0, 0},
        {"  /  /  ", Kind::Empty, 0, 0, 0},
        {"", Kind::Empty, 0, 0, 0},
        {"01/2_/__", Kind::Invalid, 0, 0, 0},
        {"02/30/24", Kind::Invalid, 0, 0, 0},
        {"13/01/24", Kind::Invalid, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const DateEntry::Parsed p = DateEntry::parse(c.typed);
        EXPECT_EQ(p.kind, c.kind) << c.typed;
        EXPECT_EQ(p.usable(), c.kind != Kind::Invalid) << c.typed;
        if (c.kind == Kind::Valid) {
            EXPECT_EQ(p.date, db::Date::fromYmd(c.year, c.month, c.day)) << c.typed;
        } else {
            EXPECT_TRUE(p.date.isEmpty()) << c.typed;
        }
    }
}

TEST(DateEntryTest, CalendarStartsOnTheFieldsDateOrTodayAndActsOnlyWhileEntering) {
    const db::Date today = db::Date::fromYmd(2024, 5, 17);
    const db::Date due = db::Date::fromYmd(2024, 6, 1);
    EXPECT_EQ(DateEntry::calendarStart(due, today), due);
    EXPECT_EQ(DateEntry::calendarStart(db::Date(), today), today);

    EXPECT_FALSE(DateEntry::calendarActs(db::Table::State::Browse));
    EXPECT_TRUE(DateEntry::calendarActs(db::Table::State::Insert));
    EXPECT_TRUE(DateEntry::calendarActs(db::Table::State::Edit));
    EXPECT_EQ(std::string(DateEntry::kPicture).size(), 8u);
}

}  // namespace
}  // namespace vv::shared
