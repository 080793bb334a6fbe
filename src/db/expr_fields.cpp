// Field nodes: each reads its value straight from the record's bytes.
#include <cstring>

#include "db/byte_order.h"
#include "db/error.h"
#include "db/expr_node.h"
#include "db/expr_text.h"
#include "db/field_codec.h"

namespace vv::db::expr {
namespace {

class CharacterField final : public Node {
public:
    CharacterField(const FieldDef& f, std::size_t position) : Node(ValueType::Character, position), field_(f) {
        setVarying();
        setFixedWidth(f.width);
    }
    std::string_view text(EvalContext& ctx) const override {
        return {reinterpret_cast<const char*>(ctx.record.data + field_.offset), field_.width};
    }
    const FieldDef* characterField() const override { return &field_; }

private:
    FieldDef field_;
};

class MemoField final : public Node {
public:
    MemoField(const FieldDef& f, std::size_t position) : Node(ValueType::Character, position), field_(f) {
        setVarying();
    }
    std::string_view text(EvalContext& ctx) const override {
        if (ctx.record.memos == nullptr) return {};
        return ctx.scratch.keep(ctx.record.memos->memoText(field_, ctx.record.data));
    }

private:
    FieldDef field_;
};

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// 'N' and 'F': right-aligned ASCII. Up to 15 digits the value is read as an
// integer and divided by a power of ten: both exact, so the one rounding of
// the division gives the same double as a full decimal parser.
class NumericField final : public Node {
public:
    NumericField(const FieldDef& f, std::size_t position) : Node(ValueType::Numeric, position), field_(f) {
        setVarying();
    }
    double number(EvalContext& ctx) const override {
        const unsigned char* p = ctx.record.data + field_.offset;
        const int w = field_.width;
        int i = 0;
        while (i < w && p[i] == ' ') ++i;
        if (i == w) return 0;
        bool negative = false;
        if (p[i] == '-' || p[i] == '+') negative = p[i++] == '-';
        uint64_t mantissa = 0;
        int digits = 0, decimals = 0;
        for (; i < w && p[i] >= '0' && p[i] <= '9'; ++i, ++digits) mantissa = mantissa * 10 + (p[i] - '0');
        if (i < w && p[i] == '.')
            for (++i; i < w && p[i] >= '0' && p[i] <= '9'; ++i, ++digits, ++decimals)
                mantissa = mantissa * 10 + (p[i] - '0');
        while (i < w && p[i] == ' ') ++i;
        if (i != w || digits == 0 || digits > 15) return field_codec::number(field_, ctx.record.data);
        const double v = static_cast<double>(mantissa) / kPow10[decimals];
        return negative ? -v : v;
    }

private:
    FieldDef field_;
};

class BinaryNumberField final : public Node {  // I, B, Y
public:
    BinaryNumberField(const FieldDef& f, std::size_t position) : Node(ValueType::Numeric, position), field_(f) {
        setVarying();
    }
    double number(EvalContext& ctx) const override { return field_codec::number(field_, ctx.record.data); }

private:
    FieldDef field_;
};

class DateField final : public Node {
public:
    DateField(const FieldDef& f, std::size_t position) : Node(ValueType::Date, position), field_(f) {
        setVarying();
    }
    int32_t date(EvalContext& ctx) const override {
        int y, m, d;
        if (!storedDate(ctx.record.data + field_.offset, y, m, d)) return 0;
        return Date::fromYmd(y, m, d).julian();
    }
    const FieldDef* dateField() const override { return &field_; }

private:
    FieldDef field_;
};

class DateTimeField final : public Node {  // the date part only
public:
    DateTimeField(const FieldDef& f, std::size_t position) : Node(ValueType::Date, position), field_(f) {
        setVarying();
    }
    int32_t date(EvalContext& ctx) const override {
        const auto jd = static_cast<int32_t>(readLe32(ctx.record.data + field_.offset));
        return jd >= kMinJulian && jd <= kMaxJulian ? jd : 0;
    }

private:
    FieldDef field_;
};

class LogicalField final : public Node {
public:
    LogicalField(const FieldDef& f, std::size_t position) : Node(ValueType::Logical, position), field_(f) {
        setVarying();
    }
    bool logical(EvalContext& ctx) const override {
        const unsigned char c = ctx.record.data[field_.offset];
        return c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }
    bool cheap() const override { return true; }

private:
    FieldDef field_;
};

}  // namespace

NodePtr makeField(const FieldDef& f, std::size_t position) {
    auto needs = [&](int bytes) {
        if (f.width < bytes)
            throw ExpressionError("Field " + f.name + " at position " + std::to_string(position) +
                                      " is too narrow for its type",
                                  position);
    };
    switch (f.type) {
    case FieldType::Character: return std::make_unique<CharacterField>(f, position);
    case FieldType::Memo:
    case FieldType::General:
    case FieldType::Picture:
    case FieldType::Blob: return std::make_unique<MemoField>(f, position);
    case FieldType::Numeric:
    case FieldType::Float: return std::make_unique<NumericField>(f, position);
    case FieldType::Integer: needs(4); return std::make_unique<BinaryNumberField>(f, position);
    case FieldType::Double:
    case FieldType::Currency: needs(8); return std::make_unique<BinaryNumberField>(f, position);
    case FieldType::Date: needs(8); return std::make_unique<DateField>(f, position);
    case FieldType::DateTime: needs(4); return std::make_unique<DateTimeField>(f, position);
    case FieldType::Logical: needs(1); return std::make_unique<LogicalField>(f, position);
    default: break;
    }
    throw ExpressionError("Field " + f.name + " at position " + std::to_string(position) + " has type " +
                              std::string(1, static_cast<char>(f.type)) + ", which expressions cannot read",
                          position);
}

}  // namespace vv::db::expr
