// Amounts of money and counts of rooms as the tracking tables hold them,
// kept in whole cents so that sums, products and differences are exact:
// 12 rooms at 89.50 make 1074.00, and taking back what was added leaves 0,
// not a binary-floating remainder. Table fields are read and written through
// their decimal text, never through a double.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vv::db {
class Table;
}

namespace vv::tracking {

class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromCents(int64_t cents) {
        Money m;
        m.cents_ = cents;
        return m;
    }

    // A number as a numeric field shows it: "1074.00", "-3.5", "  89.5",
    // ".25"; blank text is 0. Digits past the second decimal round half away
    // from zero. nullopt when the text is not a number or too large.
    static std::optional<Money> parse(std::string_view text);

    constexpr int64_t cents() const { return cents_; }
    // "1074.00", "-0.05"; with 0 decimals rounded half away from zero ("1074");
    // more than 2 are padded with zeros.
    std::string toString(int decimals = 2) const;

    // Rooms times a rate.
    Money times(int64_t count) const { return fromCents(cents_ * count); }
    // An average over `count` (not 0), rounded half away from zero to the cent.
    Money dividedBy(int64_t count) const;

    friend constexpr Money operator+(Money a, Money b) { return fromCents(a.cents_ + b.cents_); }
    friend constexpr Money operator-(Money a, Money b) { return fromCents(a.cents_ - b.cents_); }
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    int64_t cents_ = 0;
};

// A whole number as a numeric field shows it ("12", "", "12.0"); a fraction
// rounds half away from zero. nullopt when the text is not a number.
std::optional<int64_t> parseWhole(std::string_view text);

// Field access in exact decimals. Readers throw vv::db::Error
// (InvalidArgument) naming the table and field when the stored text is not
// a number; writers need the insert or edit state.
Money readMoney(const db::Table& table, std::string_view field);
int64_t readWhole(const db::Table& table, std::string_view field);
void writeMoney(db::Table& table, std::string_view field, Money value);
void writeWhole(db::Table& table, std::string_view field, int64_t value);

}  // namespace vv::tracking
