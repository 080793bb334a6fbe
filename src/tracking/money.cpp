#include "tracking/money.h"

#include <cstdlib>
#include <limits>

#include "db/error.h"
#include "db/table.h"

namespace vv::tracking {

namespace {

constexpr int64_t kLargest = std::numeric_limits<int64_t>::max() / 100 - 1;

std::string_view trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
    return text;
}

// The text as a sign, whole part and fraction digits; nullopt when it is not
// a plain decimal number.
struct Decimal {
    bool negative = false;
    int64_t whole = 0;
    std::string_view fraction;
};

std::optional<Decimal> splitDecimal(std::string_view text) {
    Decimal d;
    text = trim(text);
    if (text.empty()) return d;
    if (text.front() == '-' || text.front() == '+') {
        d.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    if (point != std::string_view::npos) d.fraction = text.substr(point + 1);
    if (whole.empty() && d.fraction.empty()) return std::nullopt;
    for (char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        if (d.whole > kLargest / 10) return std::nullopt;
        d.whole = d.whole * 10 + (c - '0');
    }
    for (char c : d.fraction)
        if (c < '0' || c > '9') return std::nullopt;
    return d;
}

// The fraction's digits past `keep` decide whether the kept part rounds up.
bool roundsUp(std::string_view fraction, std::size_t keep) { return fraction.size() > keep && fraction[keep] >= '5'; }

[[noreturn]] void notANumber(const db::Table& table, std::string_view field, const std::string& text) {
    throw db::Error(db::ErrorKind::InvalidArgument, "\"" + text + "\" is not a number (field " + std::string(field) +
                                                        " of " + table.name() + ")");
}

}  // namespace

std::optional<Money> Money::parse(std::string_view text) {
    const std::optional<Decimal> d = splitDecimal(text);
    if (!d) return std::nullopt;
    int64_t cents = d->whole * 100;
    if (!d->fraction.empty()) cents += (d->fraction[0] - '0') * 10;
    if (d->fraction.size() > 1) cents += d->fraction[1] - '0';
    if (roundsUp(d->fraction, 2)) ++cents;
    return fromCents(d->negative ? -cents : cents);
}

std::string Money::toString(int decimals) const {
    const bool negative = cents_ < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cents_) : static_cast<uint64_t>(cents_);
    std::string text;
    if (decimals <= 0) {
        text = std::to_string((magnitude + 50) / 100);
    } else {
        const uint64_t fraction = magnitude % 100;
        text = std::to_string(magnitude / 100) + '.' + static_cast<char>('0' + fraction / 10) +
               static_cast<char>('0' + fraction % 10);
        if (decimals > 2) text.append(static_cast<std::size_t>(decimals - 2), '0');
    }
    if (negative && text.find_first_not_of("0.") != std::string::npos) text.insert(text.begin(), '-');
    return text;
}

Money Money::dividedBy(int64_t count) const {
    const bool negative = (cents_ < 0) != (count < 0);
    const int64_t a = std::llabs(cents_);
    const int64_t b = std::llabs(count);
    int64_t q = a / b;
    if ((a % b) * 2 >= b) ++q;
    return fromCents(negative ? -q : q);
}

std::optional<int64_t> parseWhole(std::string_view text) {
    const std::optional<Decimal> d = splitDecimal(text);
    if (!d) return std::nullopt;
    const int64_t whole = d->whole + (roundsUp(d->fraction, 0) ? 1 : 0);
    return d->negative ? -whole : whole;
}

Money readMoney(const db::Table& table, std::string_view field) {
    const std::string text = table.getText(field);
    const std::optional<Money> value = Money::parse(text);
    if (!value) notANumber(table, field, text);
    return *value;
}

int64_t readWhole(const db::Table& table, std::string_view field) {
    const std::string text = table.getText(field);
    const std::optional<int64_t> value = parseWhole(text);
    if (!value) notANumber(table, field, text);
    return *value;
}

void writeMoney(db::Table& table, std::string_view field, Money value) {
    table.setText(field, value.toString(2));
}

void writeWhole(db::Table& table, std::string_view field, int64_t value) { table.setText(field, std::to_string(value)); }

}  // namespace vv::tracking
