#include "db/cdx_key.h"

#include <bit>
#include <cmath>

#include "db/error.h"

namespace vv::db {

unsigned char cdxFillerByte(CdxKeyType type) { return type == CdxKeyType::Character ? ' ' : 0; }

std::string cdxCharacterKey(std::string_view bytes, std::size_t length) {
    std::string key(bytes.substr(0, length));
    key.resize(length, ' ');
    return key;
}

std::string cdxNumericKey(double value) {
    if (value == 0.0) value = 0.0;  // one key for both zeros
    uint64_t bits = std::bit_cast<uint64_t>(value);
    bits = (bits & 0x8000000000000000ull) ? ~bits : bits ^ 0x8000000000000000ull;
    std::string key(8, '\0');
    for (int i = 0; i < 8; ++i) key[i] = static_cast<char>(bits >> (8 * (7 - i)));
    return key;
}

double cdxNumericValue(std::string_view key) {
    if (key.size() != 8) throw Error(ErrorKind::InvalidArgument, "a numeric index key has 8 bytes");
    uint64_t bits = 0;
    for (unsigned char c : key) bits = (bits << 8) | c;
    bits = (bits & 0x8000000000000000ull) ? bits ^ 0x8000000000000000ull : ~bits;
    return std::bit_cast<double>(bits);
}

std::string cdxDateKey(int32_t julianDay) { return cdxNumericKey(static_cast<double>(julianDay)); }

int32_t cdxDateValue(std::string_view key) {
    const double day = cdxNumericValue(key);
    if (!(day >= INT32_MIN && day <= INT32_MAX)) return 0;  // not a day number: treat as the empty date
    return static_cast<int32_t>(std::lround(day));
}

}  // namespace vv::db
