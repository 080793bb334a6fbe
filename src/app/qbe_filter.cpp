#include "app/qbe_filter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

#include "db/date.h"
#include "db/error.h"

namespace vv::app {

namespace {

constexpr std::array<std::pair<QbeOperator, const char*>, 11> kCaptions = {{
    {QbeOperator::Equals, "equals"},
    {QbeOperator::NotEquals, "does not equal"},
    {QbeOperator::Greater, "greater than"},
    {QbeOperator::GreaterOrEqual, "greater than or equal to"},
    {QbeOperator::Less, "less than"},
    {QbeOperator::LessOrEqual, "less than or equal to"},
    {QbeOperator::StartsWith, "starts with"},
    {QbeOperator::Contains, "contains"},
    {QbeOperator::NotContains, "does not contain"},
    {QbeOperator::IsNull, "is null"},
    {QbeOperator::IsNotNull, "is not null"},
}};

db::Error badValue(const db::FieldDef& field, const std::string& why) {
    return db::Error(db::ErrorKind::InvalidArgument, "Filter on " + field.name + ": " + why);
}

std::string trimmed(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    const auto end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

bool isNumberType(db::FieldType type) {
    using T = db::FieldType;
    return type == T::Numeric || type == T::Float || type == T::Integer || type == T::Double || type == T::Currency;
}

// The comparison operators that both sides of a relation share.
const char* relation(QbeOperator op) {
    switch (op) {
    case QbeOperator::Equals: return "=";
    case QbeOperator::NotEquals: return "<>";
    case QbeOperator::Greater: return ">";
    case QbeOperator::GreaterOrEqual: return ">=";
    case QbeOperator::Less: return "<";
    case QbeOperator::LessOrEqual: return "<=";
    default: return nullptr;
    }
}

// Text operators over `subject`, a character expression, and the literal.
std::string textCondition(const std::string& subject, QbeOperator op, const std::string& literal) {
    switch (op) {
    case QbeOperator::Equals: return subject + " == " + literal;
    case QbeOperator::NotEquals: return "!(" + subject + " == " + literal + ")";
    case QbeOperator::StartsWith: return subject + " = " + literal;
    case QbeOperator::Contains: return literal + " $ " + subject;
    case QbeOperator::NotContains: return "!(" + literal + " $ " + subject + ")";
    default: return subject + " " + relation(op) + " " + literal;
    }
}

std::string textFieldCondition(const db::FieldDef& field, const QbeCondition& c, const QbeOptions& options) {
    std::string literal = xbaseLiteral(c.value);
    if (options.caseSensitive) return textCondition(field.name, c.op, literal);
    return textCondition("UPPER(" + field.name + ")", c.op, "UPPER(" + literal + ")");
}

// The number as the grid shows it, for the text operators.
std::string numberAsText(const db::FieldDef& field) {
    using T = db::FieldType;
    int width = field.width;
    int decimals = field.decimals;
    if (field.type == T::Integer) width = 11, decimals = 0;
    if (field.type == T::Currency) width = 20, decimals = 4;
    if (field.type == T::Double) width = 20;
    return "ALLTRIM(STR(" + field.name + ", " + std::to_string(width) + ", " + std::to_string(decimals) + "))";
}

std::string numberCondition(const db::FieldDef& field, const QbeCondition& c) {
    if (!relation(c.op)) return textCondition(numberAsText(field), c.op, xbaseLiteral(trimmed(c.value)));
    const std::string value = trimmed(c.value);
    double number = 0;
    const char* first = value.data();
    const char* last = value.data() + value.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end != last || !std::isfinite(number))
        throw badValue(field, "\"" + c.value + "\" is not a number");
    // Written back in the shortest form that reads as the same number.
    std::array<char, 32> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    return field.name + " " + relation(c.op) + " " + std::string(buffer.data(), written.ptr);
}

std::string dateCondition(const db::FieldDef& field, const QbeCondition& c) {
    if (!relation(c.op)) return textCondition("DTOC(" + field.name + ")", c.op, xbaseLiteral(trimmed(c.value)));
    const std::optional<db::Date> date = db::Date::fromDisplay(trimmed(c.value));
    if (!date || date->isEmpty()) throw badValue(field, "\"" + c.value + "\" is not a date (MM/DD/yy)");
    return "DTOS(" + field.name + ") " + relation(c.op) + " '" + date->dtos() + "'";
}

std::string logicalCondition(const db::FieldDef& field, const QbeCondition& c) {
    std::string value = trimmed(c.value);
    std::transform(value.begin(), value.end(), value.begin(), [](unsigned char ch) { return std::toupper(ch); });
    if (value.size() == 3 && value.front() == '.' && value.back() == '.') value = value.substr(1, 1);
    bool wanted = false;
    if (value == "T" || value == "Y" || value == "TRUE" || value == "YES") wanted = true;
    else if (value == "F" || value == "N" || value == "FALSE" || value == "NO") wanted = false;
    else throw badValue(field, "\"" + c.value + "\" is not a logical value (T or F)");
    if (c.op == QbeOperator::NotEquals) wanted = !wanted;
    else if (c.op != QbeOperator::Equals) throw badValue(field, "a logical field can only equal or not equal a value");
    return wanted ? field.name : "!" + field.name;
}

}  // namespace

const std::vector<QbeOperator>& qbeOperators() {
    static const std::vector<QbeOperator> all = [] {
        std::vector<QbeOperator> ops;
        for (const auto& [op, caption] : kCaptions) ops.push_back(op);
        return ops;
    }();
    return all;
}

const char* qbeOperatorCaption(QbeOperator op) {
    for (const auto& [o, caption] : kCaptions)
        if (o == op) return caption;
    return "";
}

std::optional<QbeOperator> qbeOperatorFromCaption(std::string_view caption) {
    for (const auto& [op, text] : kCaptions)
        if (caption == text) return op;
    return std::nullopt;
}

bool isQbeFieldType(db::FieldType type) {
    using T = db::FieldType;
    return type == T::Character || type == T::Logical || type == T::Date || type == T::DateTime || isNumberType(type);
}

db::FieldList qbeFields(const db::FieldList& fields) {
    db::FieldList result;
    std::copy_if(fields.begin(), fields.end(), std::back_inserter(result),
                 [](const db::FieldDef& f) { return isQbeFieldType(f.type); });
    return result;
}

std::string xbaseLiteral(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            throw db::Error(db::ErrorKind::InvalidArgument, "A filter value cannot hold a control character");
    std::string result;
    while (true) {
        // The longest piece one pair of delimiters can hold.
        struct Quote {
            char open, close;
        };
        constexpr Quote kQuotes[] = {{'\'', '\''}, {'"', '"'}, {'[', ']'}};
        const Quote* best = &kQuotes[0];
        std::size_t bestLength = 0;
        for (const Quote& q : kQuotes) {
            const std::size_t length = std::min(text.find(q.close), text.size());
            if (length > bestLength) best = &q, bestLength = length;
        }
        if (!result.empty()) result += " + ";
        result += best->open;
        result += text.substr(0, bestLength);
        result += best->close;
        text.remove_prefix(bestLength);
        if (text.empty()) return result;
    }
}

std::string qbeConditionExpression(const db::FieldDef& field, const QbeCondition& c, const QbeOptions& options) {
    if (!isQbeFieldType(field.type)) throw badValue(field, "fields of this type cannot be filtered");
    if (c.op == QbeOperator::IsNull) return "EMPTY(" + field.name + ")";
    if (c.op == QbeOperator::IsNotNull) return "!EMPTY(" + field.name + ")";
    // A text may be searched for blanks; any other value must be typed.
    if (field.type == db::FieldType::Character ? c.value.empty() : trimmed(c.value).empty()) return {};
    switch (field.type) {
    case db::FieldType::Character: return textFieldCondition(field, c, options);
    case db::FieldType::Logical: return logicalCondition(field, c);
    case db::FieldType::Date:
    case db::FieldType::DateTime: return dateCondition(field, c);
    default: return numberCondition(field, c);
    }
}

std::string buildQbeExpression(const std::vector<QbeCondition>& conditions, const db::FieldList& fields,
                               const QbeOptions& options) {
    std::string expression;
    for (const QbeCondition& c : conditions) {
        auto field = std::find_if(fields.begin(), fields.end(), [&](const db::FieldDef& f) {
            return f.name.size() == c.field.size() &&
                   std::equal(f.name.begin(), f.name.end(), c.field.begin(), [](unsigned char a, unsigned char b) {
                       return std::toupper(a) == std::toupper(b);
                   });
        });
        if (field == fields.end())
            throw db::Error(db::ErrorKind::FieldNotFound, "Filter: the table has no field " + c.field);
        std::string part = qbeConditionExpression(*field, c, options);
        if (part.empty()) continue;
        if (options.leadingParenthesis) part = "(" + part + ")";
        if (!expression.empty()) expression += " .AND. ";
        expression += part;
    }
    return expression;
}

}  // namespace vv::app
