#include "db/field_codec.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "db/byte_order.h"
#include "db/error.h"

namespace vv::db::field_codec {
namespace {

[[noreturn]] void doesNotFit(const FieldDef& f, const std::string& why) {
    throw Error(ErrorKind::InvalidArgument, "Field " + f.name + ": " + why);
}

std::string_view trimmed(std::string_view s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

double parseNumber(std::string_view s) {
    s = trimmed(s);
    if (s.empty()) return 0;
    if (s.front() == '+') s.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() ? v : 0;
}

}  // namespace

bool isBlank(const FieldDef& f, const unsigned char* record) {
    const auto b = bytes(f, record);
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        return b.find_first_not_of('\0') == std::string_view::npos;
    case FieldType::Memo:
    case FieldType::General:
    case FieldType::Picture:
    case FieldType::Blob:
        return memoBlock(f, record).value_or(0) == 0;
    case FieldType::Logical:
        return b[0] == ' ' || b[0] == '?' || b[0] == '\0';
    default:
        return b.find_first_not_of(std::string_view(" \0", 2)) == std::string_view::npos;
    }
}

std::string_view text(const FieldDef& f, const unsigned char* record) {
    auto b = bytes(f, record);
    const auto e = b.find_last_not_of(std::string_view(" \0", 2));
    return e == std::string_view::npos ? std::string_view{} : b.substr(0, e + 1);
}

double number(const FieldDef& f, const unsigned char* record) {
    const unsigned char* p = record + f.offset;
    switch (f.type) {
    case FieldType::Integer: return static_cast<int32_t>(readLe32(p));
    case FieldType::Double: {
        const uint64_t bits = readLe64(p);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    case FieldType::Currency: return static_cast<double>(static_cast<int64_t>(readLe64(p))) / 10000.0;
    default: return parseNumber(bytes(f, record));
    }
}

Date date(const FieldDef& f, const unsigned char* record) {
    if (f.type == FieldType::DateTime) {
        // Day numbers of the years 1 to 9999; anything else is damage, shown as no date.
        constexpr int32_t kFirstDay = 1721426, kLastDay = 5373484;
        const auto jd = static_cast<int32_t>(readLe32(record + f.offset));
        return jd >= kFirstDay && jd <= kLastDay ? Date::fromJulian(jd) : Date{};
    }
    return Date::fromDtos(bytes(f, record)).value_or(Date{});
}

uint32_t milliseconds(const FieldDef& f, const unsigned char* record) {
    return f.type == FieldType::DateTime ? readLe32(record + f.offset + 4) : 0;
}

bool logical(const FieldDef& f, const unsigned char* record) {
    const char c = static_cast<char>(record[f.offset]);
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

std::optional<uint32_t> memoBlock(const FieldDef& f, const unsigned char* record) {
    if (f.width == 4) return readLe32(record + f.offset);
    const auto s = trimmed(bytes(f, record));
    if (s.empty()) return 0;
    uint32_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::string formatNumber(const FieldDef& f, const unsigned char* record) {
    switch (f.type) {
    case FieldType::Integer: return std::to_string(static_cast<int32_t>(readLe32(record + f.offset)));
    case FieldType::Double:
    case FieldType::Currency: {
        char buf[64];
        const int decimals = f.type == FieldType::Currency ? 4 : f.decimals;
        auto r = std::to_chars(buf, buf + sizeof buf, number(f, record), std::chars_format::fixed, decimals);
        return std::string(buf, r.ptr);
    }
    default: return std::string(trimmed(bytes(f, record)));
    }
}

void setText(const FieldDef& f, unsigned char* record, std::string_view value) {
    if (f.type != FieldType::Character && f.type != FieldType::Varchar)
        doesNotFit(f, "is not a character field");
    if (value.size() > f.width) {
        // Blanks past the width are padding anyway; anything else would be lost.
        if (value.find_first_not_of(' ', f.width) != std::string_view::npos)
            doesNotFit(f, "the text is " + std::to_string(value.size()) + " characters long, the field holds " +
                              std::to_string(f.width));
        value = value.substr(0, f.width);
    }
    std::memcpy(record + f.offset, value.data(), value.size());
    std::memset(record + f.offset + value.size(), ' ', f.width - value.size());
}

void setNumber(const FieldDef& f, unsigned char* record, double value) {
    unsigned char* p = record + f.offset;
    if (!std::isfinite(value)) doesNotFit(f, "the number is not finite");
    switch (f.type) {
    case FieldType::Integer: {
        const double r = std::round(value);
        if (r < -2147483648.0 || r > 2147483647.0) doesNotFit(f, "the number is out of range");
        writeLe32(p, static_cast<uint32_t>(static_cast<int32_t>(r)));
        return;
    }
    case FieldType::Double: {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        writeLe64(p, bits);
        return;
    }
    case FieldType::Currency: {
        const double scaled = std::round(value * 10000.0);
        if (std::fabs(scaled) > 9.2e18) doesNotFit(f, "the number is out of range");
        writeLe64(p, static_cast<uint64_t>(static_cast<int64_t>(scaled)));
        return;
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, f.decimals);
        std::string_view s(buf, r.ptr - buf);
        if (s == "-0" || (s.starts_with("-0.") && s.find_first_not_of("0.", 1) == std::string_view::npos))
            s.remove_prefix(1);
        if (s.size() > f.width) doesNotFit(f, "the number " + std::string(s) + " does not fit " +
                                                  std::to_string(f.width) + " places");
        std::memset(p, ' ', f.width - s.size());
        std::memcpy(p + f.width - s.size(), s.data(), s.size());
        return;
    }
    default:
        doesNotFit(f, "is not a numeric field");
    }
}

void setDate(const FieldDef& f, unsigned char* record, Date value) {
    if (f.type == FieldType::DateTime) {
        writeLe32(record + f.offset, value.isEmpty() ? 0 : static_cast<uint32_t>(value.julian()));
        writeLe32(record + f.offset + 4, 0);
        return;
    }
    if (f.type != FieldType::Date) doesNotFit(f, "is not a date field");
    const std::string s = value.dtos();
    std::memcpy(record + f.offset, s.data(), 8);
}

void setLogical(const FieldDef& f, unsigned char* record, bool value) {
    if (f.type != FieldType::Logical) doesNotFit(f, "is not a logical field");
    record[f.offset] = value ? 'T' : 'F';
}

void setMemoBlock(const FieldDef& f, unsigned char* record, uint32_t block) {
    unsigned char* p = record + f.offset;
    if (f.width == 4) {
        writeLe32(p, block);
        return;
    }
    std::memset(p, ' ', f.width);
    if (block == 0) return;
    const std::string s = std::to_string(block);
    if (s.size() > f.width) doesNotFit(f, "the memo block number is too large");
    std::memcpy(p + f.width - s.size(), s.data(), s.size());
}

void setBlank(const FieldDef& f, unsigned char* record) {
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        std::memset(record + f.offset, 0, f.width);
        break;
    case FieldType::Memo:
    case FieldType::General:
    case FieldType::Picture:
    case FieldType::Blob:
        setMemoBlock(f, record, 0);
        break;
    default:
        std::memset(record + f.offset, ' ', f.width);
    }
}

}  // namespace vv::db::field_codec
