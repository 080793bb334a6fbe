#include "db/expr_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "db/date.h"

namespace vv::db::expr {

bool equalPadded(std::string_view a, std::string_view b) {
    if (a.size() < b.size()) std::swap(a, b);
    if (!b.empty() && std::memcmp(a.data(), b.data(), b.size()) != 0) return false;
    for (std::size_t i = b.size(); i < a.size(); ++i)
        if (a[i] != ' ') return false;
    return true;
}

bool isBlankText(std::string_view s) {
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

std::string_view trimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

std::string_view trimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    return s.substr(i);
}

int clampToInt(double v, int lo, int hi) {
    if (!(v >= lo)) return lo;  // also NaN
    if (v > hi) return hi;
    return static_cast<int>(v);
}

namespace {

// round(|value| * 10^decimals) as decimal digits, rounding half away from zero
// on the value's first 15 significant digits (so 2.675 rounds to 2.68, as a
// user reading "2.675" expects, although the double lies just below it).
// Returns the number of digits written (at least 1).
int roundedDigits(double magnitude, int decimals, char* digits, int capacity) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", magnitude);
    char mantissa[15];
    mantissa[0] = buf[0];
    std::memcpy(mantissa + 1, buf + 2, 14);
    const int exponent = std::atoi(buf + 17);
    // mantissa[0] is the digit of 10^exponent; keep the digits down to 10^-decimals.
    const int keep = exponent + 1 + decimals;
    int n = 0;
    if (keep <= 0) {
        digits[n++] = keep == 0 && mantissa[0] >= '5' ? '1' : '0';
        return n;
    }
    if (keep > capacity - 1) return -1;
    for (int i = 0; i < keep; ++i) digits[n++] = i < 15 ? mantissa[i] : '0';
    if (keep < 15 && mantissa[keep] >= '5') {
        int i = n - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            std::memmove(digits + 1, digits, n);
            digits[0] = '1';
            ++n;
        }
    }
    return n;
}

}  // namespace

void formatStr(double value, int length, int decimals, char* out) {
    if (length < 1) length = 1;
    if (length > kMaxStrLength) length = kMaxStrLength;
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxStrDecimals) decimals = kMaxStrDecimals;
    if (std::isfinite(value)) {
        const bool negative = value < 0;
        for (int d = decimals; d >= 0; --d) {
            char digits[400];
            int n = roundedDigits(std::fabs(value), d, digits, sizeof digits);
            if (n < 0) break;
            // Leading zeros of the whole part go, but one digit stays before the point.
            int lead = 0;
            while (lead < n - d - 1 && digits[lead] == '0') ++lead;
            const int intDigits = n - d - lead;
            bool nonZero = false;
            for (int i = lead; i < n; ++i) nonZero = nonZero || digits[i] != '0';
            const bool minus = negative && nonZero;
            // Whole part (at least "0"), point, decimals.
            const int wholeLen = intDigits > 0 ? intDigits : 1;
            const int total = (minus ? 1 : 0) + wholeLen + (d > 0 ? d + 1 : 0);
            if (total > length) continue;
            char* p = out;
            for (int i = 0; i < length - total; ++i) *p++ = ' ';
            if (minus) *p++ = '-';
            if (intDigits > 0) {
                std::memcpy(p, digits + lead, intDigits);
                p += intDigits;
            } else {
                *p++ = '0';
            }
            if (d > 0) {
                *p++ = '.';
                // Fewer digits than decimals only when the value is below 10^-d... pad zeros.
                const int have = n - lead - (intDigits > 0 ? intDigits : 0);
                for (int i = 0; i < d - have; ++i) *p++ = '0';
                std::memcpy(p, digits + n - (have < d ? have : d), have < d ? have : d);
            }
            return;
        }
    }
    std::memset(out, '*', length);
}

double parseVal(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    const std::size_t start = i;
    auto isDigit = [&](std::size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
    std::size_t digits = 0;
    while (isDigit(i)) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (isDigit(i)) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < s.size() && (s[k] == '-' || s[k] == '+')) ++k;
        if (isDigit(k)) {
            while (isDigit(k)) ++k;
            i = k;
        }
    }
    double v = 0;
    const auto r = std::from_chars(s.data() + start, s.data() + i, v);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: saturate the way the reader would.
        const bool tiny = s.substr(start, i - start).find_first_of("eE") != std::string_view::npos &&
                          s.substr(start, i - start).find('-') != std::string_view::npos;
        v = tiny ? 0.0 : HUGE_VAL;
    } else if (r.ec != std::errc()) {
        return 0;
    }
    return negative ? -v : v;
}

bool storedDate(const unsigned char* p, int& year, int& month, int& day) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
    constexpr uint64_t kZeros = 0x3030303030303030ull;
    if ((x & kHigh) != kZeros || ((x + 0x0606060606060606ull) & kHigh) != kZeros) return false;
    year = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
    month = (p[4] - '0') * 10 + (p[5] - '0');
    day = (p[6] - '0') * 10 + (p[7] - '0');
    if (year < 1 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int8_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day <= kDays[month - 1]) return true;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && day == 29 && leap;
}

void writeDtos(int32_t julian, char* out) {
    if (julian == 0) {
        std::memset(out, ' ', 8);
        return;
    }
    const Date d = Date::fromJulian(julian);
    int y = d.year(), m = d.month(), day = d.day();
    for (int i = 3; i >= 0; --i, y /= 10) out[i] = static_cast<char>('0' + y % 10);
    out[4] = static_cast<char>('0' + m / 10);
    out[5] = static_cast<char>('0' + m % 10);
    out[6] = static_cast<char>('0' + day / 10);
    out[7] = static_cast<char>('0' + day % 10);
}

}  // namespace vv::db::expr
