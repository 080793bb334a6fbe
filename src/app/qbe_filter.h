// Query by example: one condition per field (an operator and a typed
// value) turned into an xBase filter expression for the table engine. No
// widgets here; the Filter Condition dialog only collects the entries.
//
// What each operator means for each kind of field:
// - text: compared without regard to case unless asked (UPPER on both
//   sides, so the table's code page decides what a letter's case is);
//   "equals" ignores trailing blanks, "starts with" is a prefix test,
//   "contains" a substring test;
// - numbers: compared as numbers; "starts with" and "contains" look at the
//   number as the grid shows it (STR with the field's width and decimals);
// - dates (and date-times, read as their day): typed as MM/DD/yy and
//   compared as yyyymmdd texts, so the empty date sorts first;
// - logicals: only "equals" and "does not equal", with T/F, Y/N or .T./.F.;
// - every kind: "is null" and "is not null" test EMPTY() and need no value.
// A condition with no value and an operator that needs one is left out.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/field.h"

namespace vv::app {

enum class QbeOperator {
    Equals,
    NotEquals,
    Greater,
    GreaterOrEqual,
    Less,
    LessOrEqual,
    StartsWith,
    Contains,
    NotContains,
    IsNull,
    IsNotNull,
};

// Every operator, in the order the dialog lists them.
const std::vector<QbeOperator>& qbeOperators();
// "equals", "does not equal", ... "is not null".
const char* qbeOperatorCaption(QbeOperator op);
std::optional<QbeOperator> qbeOperatorFromCaption(std::string_view caption);

struct QbeCondition {
    std::string field;
    QbeOperator op = QbeOperator::Equals;
    std::string value;  // as typed, UTF-8

    friend bool operator==(const QbeCondition&, const QbeCondition&) = default;
};

struct QbeOptions {
    bool caseSensitive = false;
    // Each condition in its own parentheses: "(A) .AND. (B)".
    bool leadingParenthesis = false;

    friend bool operator==(const QbeOptions&, const QbeOptions&) = default;
};

// Whether a field of this type can be queried: text, the number types,
// logical, date and date-time. Memos, binary and other types cannot.
bool isQbeFieldType(db::FieldType type);
// The queryable fields of `fields`, in field order.
db::FieldList qbeFields(const db::FieldList& fields);

// `text` as an xBase character literal. The delimiter is one the text does
// not contain (', then ", then [ ]); a text holding all of them is written
// as several literals joined with '+'. Throws vv::db::Error
// (InvalidArgument) for a control character, which no literal can hold.
std::string xbaseLiteral(std::string_view text);

// One condition over `field`; empty when it is left out (no value).
// Throws vv::db::Error (InvalidArgument) naming the field for a value its
// type cannot take (a number field and "abc", a date that does not exist,
// a logical compared by size).
std::string qbeConditionExpression(const db::FieldDef& field, const QbeCondition& condition,
                                   const QbeOptions& options);

// The conditions joined with .AND.; empty when none is left. A condition
// naming a field not in `fields` is an error (FieldNotFound).
std::string buildQbeExpression(const std::vector<QbeCondition>& conditions, const db::FieldList& fields,
                               const QbeOptions& options);

}  // namespace vv::app
