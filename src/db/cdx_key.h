// Index key bytes as compact indexes store them: keys of one tag all have the
// tag's key length and compare as unsigned bytes, so each value type is
// turned into bytes whose order is the value order.
//
// The expression evaluator computes key values; these helpers only pack them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vv::db {

// Decides the byte that trailing-count compression stands for in leaves:
// blanks for character keys, zero bytes for numeric and date keys.
enum class CdxKeyType { Character, Numeric, Date };

unsigned char cdxFillerByte(CdxKeyType type);

// Code-page bytes cut or padded with blanks to `length`.
std::string cdxCharacterKey(std::string_view bytes, std::size_t length);

// 8 bytes: the IEEE double big-endian, sign bit flipped for values >= 0 and
// all bits inverted for negative ones, so byte order is numeric order.
// -0.0 gives the key of 0.0.
std::string cdxNumericKey(double value);
double cdxNumericValue(std::string_view key);  // key must be 8 bytes

// A date is the numeric key of its julian day number; the empty date is day 0
// and so sorts before every real date.
std::string cdxDateKey(int32_t julianDay);
int32_t cdxDateValue(std::string_view key);

}  // namespace vv::db
