// Internal: the text rules of the expression language (comparisons with
// EXACT OFF, STR and VAL, blank tests) and fast readers of stored values,
// kept apart from the node classes so each rule is written once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vv::db::expr {

// Ordering with EXACT OFF: the left text is cut to the right one's length,
// then both are compared byte by byte (unsigned); a left text that runs out
// first sorts before. So an empty right text equals everything, and
// "ABC" = "AB" while "AB" < "AB ".
inline int compareOff(std::string_view left, std::string_view right) {
    const std::size_t n = left.size() < right.size() ? left.size() : right.size();
    if (n != 0) {
        const int r = std::memcmp(left.data(), right.data(), n);
        if (r != 0) return r;
    }
    return left.size() < right.size() ? -1 : 0;
}

inline bool equalOff(std::string_view left, std::string_view right) {
    return left.size() >= right.size() &&
           (right.empty() || std::memcmp(left.data(), right.data(), right.size()) == 0);
}

// "==": equal once the shorter text is padded with blanks.
bool equalPadded(std::string_view a, std::string_view b);

// EMPTY() of a text: nothing but blanks, tabs, carriage returns and line feeds.
bool isBlankText(std::string_view s);

std::string_view trimRight(std::string_view s);
std::string_view trimLeft(std::string_view s);

// STR(value, length, decimals): exactly `length` bytes into out, right-aligned,
// rounded half away from zero on the value's 15 significant digits; fewer
// decimals when the number does not fit otherwise; asterisks when even the
// whole part does not fit. length 1..255, decimals 0..18.
void formatStr(double value, int length, int decimals, char* out);
constexpr int kMaxStrLength = 255;
constexpr int kMaxStrDecimals = 18;

// VAL(): leading blanks, a sign, digits with an optional point and exponent;
// reading stops at the first byte that does not fit; 0 when there is no number.
double parseVal(std::string_view s);

// A double as a whole number within [lo, hi] (NaN gives lo), truncated.
int clampToInt(double v, int lo, int hi);

// A 'D' field's 8 stored bytes: true with y/m/d filled when they are a real date.
bool storedDate(const unsigned char* p, int& year, int& month, int& day);

// "yyyymmdd" of a julian day into out[8]; 8 blanks for 0.
void writeDtos(int32_t julian, char* out);

}  // namespace vv::db::expr
