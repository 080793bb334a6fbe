// xBase expressions (index keys and filters), compiled once against a table's
// field list and evaluated per record straight from the record's bytes,
// without re-parsing and without allocating on the common paths.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/code_page.h"
#include "db/date.h"
#include "db/field.h"

namespace vv::db {

enum class ValueType { Character, Numeric, Date, Logical };

// Gives memo text (code-page bytes) to expressions that use memo fields.
class MemoSource {
public:
    virtual ~MemoSource() = default;
    virtual std::string memoText(const FieldDef& field, const unsigned char* record) const = 0;
};

// What an expression sees of one record.
struct RecordView {
    const unsigned char* data = nullptr;  // the whole record; byte 0 is the deletion flag ('*' = deleted)
    uint32_t recno = 0;                   // 1-based physical record number
    const MemoSource* memos = nullptr;    // null: memo fields read as empty text
};

class CompiledExpression;  // internal

class Expression {
public:
    Expression();
    ~Expression();
    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // Compiles UTF-8 expression text; literals are converted to the table's
    // code page (UPPER/LOWER use its letter case). Field names match in any
    // case. The grammar and the comparison rules are in doc/expressions.md.
    // Throws ExpressionError
    // (kind BadExpression) with the position and a plain message for syntax
    // errors, unknown fields or functions and type mismatches.
    static Expression compile(std::string_view text, const FieldList& fields, const CodePage& codePage);
    // As compile, and also requires a logical result ("... is not a logical expression").
    static Expression compileFilter(std::string_view text, const FieldList& fields, const CodePage& codePage);

    bool valid() const { return impl_ != nullptr; }
    const std::string& text() const;
    ValueType type() const;  // InvalidState when !valid()
    // Width of a character result when it is fixed (field widths add up, as
    // index keys need); 0 when it varies. 8 for dates, 8 for numbers as keys,
    // 1 for logicals. Fixed: fields, literals, UPPER/LOWER of fixed texts,
    // DTOS/DTOC (8), STR (its length, 10 by default), PADL/PADR with a literal
    // length, LEFT/RIGHT/SUBSTR of a fixed text with literal numbers, and
    // IIF whose two results have the same fixed width. TRIM and memos vary.
    int width() const;
    // Field names referenced, upper case, in order of first appearance.
    std::vector<std::string> fieldNames() const;

    // Evaluation. Calling the one that does not match type() throws InvalidState.
    // Evaluating never changes the expression: one compiled expression may be
    // evaluated from several threads at once. Filters and keys made of
    // fields (memos excepted), literals, comparisons and the text functions
    // do not allocate (texts built on the way live in a buffer on the stack).
    // The only run-time error: an expression that would build more than
    // 16 MB of text for one record (ExpressionError).
    bool evalLogical(const RecordView& record) const;
    std::string evalText(const RecordView& record) const;  // code-page bytes
    double evalNumber(const RecordView& record) const;
    Date evalDate(const RecordView& record) const;
    // As evalText, into `out` (its capacity is reused: building many index
    // keys allocates nothing once out has grown).
    void evalTextInto(const RecordView& record, std::string& out) const;

private:
    std::unique_ptr<CompiledExpression> impl_;
};

}  // namespace vv::db
