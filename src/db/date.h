// Calendar dates as the tables keep them: a julian day number, 0 for the
// empty date. Stored in DBF 'D' fields as yyyymmdd text, shown and typed as
// "MM/DD/yy" with the century window 60-99 -> 1960-1999, 00-59 -> 2000-2059.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vv::db {

class Date {
public:
    constexpr Date() = default;
    static Date fromJulian(int32_t julianDay) { Date d; d.jd_ = julianDay; return d; }
    // Throws InvalidArgument when the day does not exist.
    static Date fromYmd(int year, int month, int day);
    static std::optional<Date> tryYmd(int year, int month, int day);
    static Date today();
    // today(), recomputed at most once a second: for stamping many records.
    static Date todayCached();

    // "yyyymmdd" as stored in a 'D' field; blanks (or all zeros) give the empty date.
    // Anything else that is not a real date gives nullopt.
    static std::optional<Date> fromDtos(std::string_view text);
    // "MM/DD/yy" (also "M/D/yy" and four-digit years); empty or blank text
    // gives the empty date, an impossible date gives nullopt.
    static std::optional<Date> fromDisplay(std::string_view text);
    // Two-digit year to full year by the century window.
    static int expandYear(int twoDigitYear);

    bool isEmpty() const { return jd_ == 0; }
    int32_t julian() const { return jd_; }
    int year() const;
    int month() const;
    int day() const;
    int dayOfWeek() const;  // 1 = Sunday ... 7 = Saturday

    std::string dtos() const;     // "yyyymmdd", 8 blanks when empty
    std::string display() const;  // "MM/DD/yy", empty text when empty
    std::string iso() const;      // "yyyy-mm-dd", empty text when empty

    Date addDays(int days) const { return isEmpty() ? *this : fromJulian(jd_ + days); }

    friend auto operator<=>(const Date&, const Date&) = default;

private:
    int32_t jd_ = 0;
};

}  // namespace vv::db
