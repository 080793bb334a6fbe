#include "tracking/money.h"

#include <gtest/gtest.h>

#include "tracking/account_totals.h"

namespace vv::tracking {
namespace {

TEST(MoneyTest, ParsesFieldTextToExactCents) {
    struct Case {
        const char* text;
        std::optional<int64_t> cents;
    } cases[] = {
        {"1074.00", 107400}, {"  89.5", 8950}, {"89.50  ", 8950}, {".25", 25},    {"7", 700},
        {"", 0},             {"   ", 0},       {"-3.5", -350},    {"+2.01", 201}, {"0.105", 11},
        {"0.104", 10},       {"-0.105", -11},  {"12.", 1200},     {"1.2.3", {}},  {"abc", {}},
        {".", {}},           {"-", {}},        {"1 2", {}},
    };
    for (const Case& c : cases) {
        const std::optional<Money> m = Money::parse(c.text);
        ASSERT_EQ(m.has_value(), c.cents.has_value()) << '"' << c.text << '"';
        if (m) {
            EXPECT_EQ(m->cents(), *c.cents) << '"' << c.text << '"';
        }
    }
}

TEST(MoneyTest, WritesTwoDecimalsOrRoundsToWhole) {
    struct Case {
        int64_t cents;
        int decimals;
        const char* text;
    } cases[] = {
        {107400, 2, "1074.00"}, {5, 2, "0.05"},  {-5, 2, "-0.05"}, {0, 2, "0.00"},  {-107400, 2, "-1074.00"},
        {107450, 0, "1075"},    {107449, 0, "1074"}, {-150, 0, "-2"}, {-49, 0, "0"}, {1234, 4, "12.3400"},
    };
    for (const Case& c : cases) EXPECT_EQ(Money::fromCents(c.cents).toString(c.decimals), c.text) << c.cents;
}

TEST(MoneyTest, RoomsTimesRateIsExact) {
    EXPECT_EQ(Money::parse("89.50")->times(12).toString(), "1074.00");
    // 0.1 and 0.7 have no exact binary form; three rooms at 0.70 are still 2.10.
    EXPECT_EQ(Money::parse("0.70")->times(3).toString(), "2.10");
    EXPECT_EQ(Money::parse("999.99")->times(9999).toString(), "9998900.01");
}

TEST(MoneyTest, AverageRoundsHalfAwayFromZero) {
    EXPECT_EQ(Money::fromCents(100).dividedBy(3).cents(), 33);
    EXPECT_EQ(Money::fromCents(200).dividedBy(3).cents(), 67);
    EXPECT_EQ(Money::fromCents(5).dividedBy(2).cents(), 3);
    EXPECT_EQ(Money::fromCents(-5).dividedBy(2).cents(), -3);
}

TEST(MoneyTest, WholeNumbers) {
    EXPECT_EQ(parseWhole("12"), 12);
    EXPECT_EQ(parseWhole(" 12.5"), 13);
    EXPECT_EQ(parseWhole(""), 0);
    EXPECT_EQ(parseWhole("-4"), -4);
    EXPECT_EQ(parseWhole("x"), std::nullopt);
}

TEST(AccountTotalsTest, DeletingADayTakesItBackOut) {
    const auto m = [](const char* text) { return *Money::parse(text); };
    struct Case {
        const char* what;
        YearToDate before;
        TrackedDay day;
        YearToDate after;
    } cases[] = {
        {"everything taken back leaves exact zeros", {10, m("1000.00"), m("100.00")}, {{}, 10, m("1000.00")},
         {0, m("0"), m("0")}},
        {"tenths that binary floating point cannot hold", {3, m("0.30"), m("0.10")}, {{}, 1, m("0.10")},
         {2, m("0.20"), m("0.10")}},
        {"the rate follows the rest", {13, m("1300.11"), m("100.01")}, {{}, 3, m("100.11")},
         {10, m("1200.00"), m("120.00")}},
        {"rounded to the cent", {4, m("100.00"), m("25.00")}, {{}, 1, m("0")}, {3, m("100.00"), m("33.33")}},
        {"no revenue left keeps the old rate", {5, m("50.00"), m("10.00")}, {{}, 2, m("50.00")},
         {3, m("0"), m("10.00")}},
        {"more rooms taken than counted keeps the old rate", {1, m("80.00"), m("80.00")}, {{}, 2, m("40.00")},
         {-1, m("40.00"), m("80.00")}},
    };
    for (const Case& c : cases) EXPECT_EQ(withoutDay(c.before, c.day), c.after) << c.what;
}

}  // namespace
}  // namespace vv::tracking
