#include "db/date.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "db/error.h"

namespace vv::db {
namespace {

// Gregorian date <-> julian day number (Fliegel & Van Flandern).
int32_t toJulian(int y, int m, int d) {
    const int a = (14 - m) / 12;
    const int yy = y + 4800 - a;
    const int mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

void fromJulianDay(int32_t jd, int& y, int& m, int& d) {
    // 64-bit arithmetic: a damaged date-time field may hold any day number.
    const int64_t a = int64_t{jd} + 32044;
    const int64_t b = (4 * a + 3) / 146097;
    const int64_t c = a - 146097 * b / 4;
    const int64_t dd = (4 * c + 3) / 1461;
    const int64_t e = c - 1461 * dd / 4;
    const int64_t mm = (5 * e + 2) / 153;
    d = static_cast<int>(e - (153 * mm + 2) / 5 + 1);
    m = static_cast<int>(mm + 3 - 12 * (mm / 10));
    y = static_cast<int>(100 * b + dd - 4800 + mm / 10);
}

bool allDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

int toInt(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

}  // namespace

std::optional<Date> Date::tryYmd(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day > last) return std::nullopt;
    return fromJulian(toJulian(year, month, day));
}

Date Date::fromYmd(int year, int month, int day) {
    if (auto d = tryYmd(year, month, day)) return *d;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d is not a date", year, month, day);
    throw Error(ErrorKind::InvalidArgument, buf);
}

Date Date::today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return fromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

Date Date::todayCached() {
    thread_local std::time_t lastSecond = 0;
    thread_local Date lastDay;
    const std::time_t now = std::time(nullptr);
    if (now != lastSecond) {
        lastSecond = now;
        lastDay = today();
    }
    return lastDay;
}

int Date::expandYear(int twoDigitYear) {
    return twoDigitYear >= 60 ? 1900 + twoDigitYear : 2000 + twoDigitYear;
}

std::optional<Date> Date::fromDtos(std::string_view text) {
    if (text.find_first_not_of(' ') == std::string_view::npos) return Date{};
    if (text.size() != 8 || !allDigits(text)) return std::nullopt;
    if (text == "00000000") return Date{};
    return tryYmd(toInt(text.substr(0, 4)), toInt(text.substr(4, 2)), toInt(text.substr(6, 2)));
}

std::optional<Date> Date::fromDisplay(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return Date{};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    // An entry mask leaves "  /  /  " for an untouched date.
    if (text.find_first_not_of(" /") == std::string_view::npos) return Date{};
    const auto s1 = text.find('/');
    if (s1 == std::string_view::npos) return std::nullopt;
    const auto s2 = text.find('/', s1 + 1);
    if (s2 == std::string_view::npos) return std::nullopt;
    const auto mm = text.substr(0, s1);
    const auto dd = text.substr(s1 + 1, s2 - s1 - 1);
    const auto yy = text.substr(s2 + 1);
    if (!allDigits(mm) || !allDigits(dd) || !allDigits(yy)) return std::nullopt;
    if (mm.size() > 2 || dd.size() > 2 || (yy.size() != 2 && yy.size() != 4)) return std::nullopt;
    int year = toInt(yy);
    if (yy.size() == 2) year = expandYear(year);
    return tryYmd(year, toInt(mm), toInt(dd));
}

int Date::year() const { int y, m, d; fromJulianDay(jd_, y, m, d); return y; }
int Date::month() const { int y, m, d; fromJulianDay(jd_, y, m, d); return m; }
int Date::day() const { int y, m, d; fromJulianDay(jd_, y, m, d); return d; }
int Date::dayOfWeek() const { return static_cast<int>((jd_ + 1) % 7) + 1; }

std::string Date::dtos() const {
    if (isEmpty()) return std::string(8, ' ');
    int y, m, d;
    fromJulianDay(jd_, y, m, d);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

std::string Date::display() const {
    if (isEmpty()) return {};
    int y, m, d;
    fromJulianDay(jd_, y, m, d);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", m, d, y % 100);
    return buf;
}

std::string Date::iso() const {
    if (isEmpty()) return {};
    int y, m, d;
    fromJulianDay(jd_, y, m, d);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}

}  // namespace vv::db
