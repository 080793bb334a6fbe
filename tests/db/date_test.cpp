#include "db/date.h"

#include <gtest/gtest.h>

using vv::db::Date;

TEST(Date, DisplayUsesTwoDigitYearsWithCenturyWindow) {
    struct Case { const char* typed; const char* dtos; };
    const Case cases[] = {
        {"03/01/99", "19990301"}, {"03/01/60", "19600301"}, {"12/31/59", "20591231"},
        {"01/02/00", "20000102"}, {"2/9/05", "20050209"},   {"02/29/2000", "20000229"},
    };
    for (const auto& c : cases) {
        auto d = Date::fromDisplay(c.typed);
        ASSERT_TRUE(d) << c.typed;
        EXPECT_EQ(d->dtos(), c.dtos) << c.typed;
    }
    EXPECT_EQ(Date::fromYmd(1999, 3, 1).display(), "03/01/99");
    EXPECT_EQ(Date::fromYmd(2059, 12, 31).display(), "12/31/59");
}

TEST(Date, RejectsImpossibleDatesAndAcceptsBlanks) {
    for (const char* bad : {"02/30/01", "13/01/01", "00/10/01", "1/1", "ab/cd/ef", "02/29/01", "1/1/123"})
        EXPECT_FALSE(Date::fromDisplay(bad)) << bad;
    for (const char* blank : {"", "   ", "  /  /  "}) {
        auto d = Date::fromDisplay(blank);
        ASSERT_TRUE(d) << blank;
        EXPECT_TRUE(d->isEmpty());
    }
}

TEST(Date, DtosRoundTripAndEmptyStorage) {
    EXPECT_EQ(Date::fromDtos("20240229")->iso(), "2024-02-29");
    EXPECT_TRUE(Date::fromDtos("        ")->isEmpty());
    EXPECT_TRUE(Date::fromDtos("00000000")->isEmpty());
    EXPECT_FALSE(Date::fromDtos("2024022x"));
    EXPECT_FALSE(Date::fromDtos("20230229"));
    EXPECT_EQ(Date{}.dtos(), "        ");
    EXPECT_EQ(Date::fromYmd(2026, 12, 10).dayOfWeek(), 5);  // a Thursday
    EXPECT_LT(Date::fromYmd(1999, 12, 31), Date::fromYmd(2000, 1, 1));
}
