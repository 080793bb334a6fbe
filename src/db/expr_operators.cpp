// Operator nodes: arithmetic, joining texts, comparisons and the logical
// connectives, with the type rules that decide which node an operator becomes.
#include <cmath>
#include <cstring>
#include <iterator>
#include <new>

#include "db/error.h"
#include "db/expr_node.h"
#include "db/expr_text.h"

namespace vv::db::expr {
namespace {

std::string at(std::size_t position) { return " at position " + std::to_string(position); }

bool isComparison(BinaryOp op) {
    switch (op) {
    case BinaryOp::Equal:
    case BinaryOp::ExactEqual:
    case BinaryOp::NotEqual:
    case BinaryOp::Less:
    case BinaryOp::LessEqual:
    case BinaryOp::Greater:
    case BinaryOp::GreaterEqual: return true;
    default: return false;
    }
}

template <typename T>
bool ordered(BinaryOp op, T a, T b) {
    switch (op) {
    case BinaryOp::Equal:
    case BinaryOp::ExactEqual: return a == b;
    case BinaryOp::NotEqual: return a != b;
    case BinaryOp::Less: return a < b;
    case BinaryOp::LessEqual: return a <= b;
    case BinaryOp::Greater: return a > b;
    case BinaryOp::GreaterEqual: return a >= b;
    default: return false;
    }
}

bool compareTexts(BinaryOp op, std::string_view a, std::string_view b) {
    switch (op) {
    case BinaryOp::Equal: return equalOff(a, b);
    case BinaryOp::NotEqual: return !equalOff(a, b);
    case BinaryOp::ExactEqual: return equalPadded(a, b);
    case BinaryOp::Less: return compareOff(a, b) < 0;
    case BinaryOp::LessEqual: return compareOff(a, b) <= 0;
    case BinaryOp::Greater: return compareOff(a, b) > 0;
    case BinaryOp::GreaterEqual: return compareOff(a, b) >= 0;
    default: return false;
    }
}

// ---- unary ----

class Negate final : public Node {
public:
    Negate(NodePtr operand, std::size_t position) : Node(ValueType::Numeric, position), operand_(std::move(operand)) {
        adopt(*operand_);
    }
    double number(EvalContext& ctx) const override { return -operand_->number(ctx); }

private:
    NodePtr operand_;
};

class Not final : public Node {
public:
    Not(NodePtr operand, std::size_t position) : Node(ValueType::Logical, position), operand_(std::move(operand)) {
        adopt(*operand_);
    }
    bool logical(EvalContext& ctx) const override { return !operand_->logical(ctx); }

private:
    NodePtr operand_;
};

// ---- logical connectives, flattened so long chains stay shallow ----

class LogicalChain final : public Node {
public:
    LogicalChain(BinaryOp op, NodePtr first, NodePtr second)
        : Node(ValueType::Logical, first->position()), isAnd_(op == BinaryOp::And) {
        append(std::move(first));
        append(std::move(second));
    }
    void append(NodePtr operand) {
        adopt(*operand);
        allCheap_ = (operands_.empty() || allCheap_) && operand->cheap();
        operands_.push_back(std::move(operand));
    }
    bool isAnd() const { return isAnd_; }
    bool logical(EvalContext& ctx) const override {
        if (allCheap_) {
            bool result = isAnd_;
            if (isAnd_) {
                for (const auto& operand : operands_) result &= operand->logical(ctx);
            } else {
                for (const auto& operand : operands_) result |= operand->logical(ctx);
            }
            return result;
        }
        // Stops at the first operand that decides the result.
        for (const auto& operand : operands_)
            if (operand->logical(ctx) != isAnd_) return !isAnd_;
        return isAnd_;
    }
    bool cheap() const override { return allCheap_ && operands_.size() <= 4; }

private:
    bool isAnd_;
    bool allCheap_ = false;
    std::vector<NodePtr> operands_;
};

// ---- texts joined with + and - ----

// "a - b" moves a's trailing blanks behind b; the length is the sum either way.
class TextJoin final : public Node {
public:
    TextJoin(NodePtr first, bool trimFirst, NodePtr second) : Node(ValueType::Character, first->position()) {
        append(false, std::move(first));
        append(trimFirst, std::move(second));
    }
    void append(bool trimBefore, NodePtr operand) {
        adopt(*operand);
        const int w = operand->fixedWidth();
        setFixedWidth(parts_.empty() ? w : (fixedWidth() < 0 || w < 0 ? -1 : fixedWidth() + w));
        parts_.push_back({trimBefore, std::move(operand)});
        anyTrim_ = anyTrim_ || trimBefore;
    }
    std::string_view text(EvalContext& ctx) const override {
        // All parts first, so the result is allocated once.
        std::string_view local[8];
        std::string_view* views = parts_.size() <= std::size(local)
                                      ? local
                                      : ctx.scratch.allocateArray<std::string_view>(parts_.size(), position());
        std::size_t total = 0;
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            new (&views[i]) std::string_view(parts_[i].operand->text(ctx));
            total += views[i].size();
            if (total > kMaxScratchBytes) total = kMaxScratchBytes + 1;  // the allocation below refuses it
        }
        char* out = ctx.scratch.allocate(total, position());
        std::size_t n = 0;
        std::size_t trailing = 0;  // blanks at the end of out[0, n), kept so "-" never rescans
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            const std::string_view v = views[i];
            const std::size_t vTrailing = anyTrim_ ? v.size() - trimRight(v).size() : 0;
            if (parts_[i].trimBefore) {
                n -= trailing;
                if (!v.empty()) std::memcpy(out + n, v.data(), v.size());
                n += v.size();
                std::memset(out + n, ' ', trailing);
                n += trailing;
                trailing += vTrailing;
            } else {
                if (!v.empty()) std::memcpy(out + n, v.data(), v.size());
                n += v.size();
                trailing = vTrailing == v.size() ? trailing + vTrailing : vTrailing;
            }
        }
        return {out, n};
    }

private:
    struct Part {
        bool trimBefore;
        NodePtr operand;
    };
    std::vector<Part> parts_;
    bool anyTrim_ = false;  // plain "+" chains (index keys) need no blank counting
};

// ---- numbers and dates ----

class Arithmetic final : public Node {
public:
    Arithmetic(BinaryOp op, NodePtr l, NodePtr r)
        : Node(ValueType::Numeric, l->position()), op_(op), l_(std::move(l)), r_(std::move(r)) {
        adopt(*l_);
        adopt(*r_);
    }
    double number(EvalContext& ctx) const override {
        const double a = l_->number(ctx);
        const double b = r_->number(ctx);
        switch (op_) {
        case BinaryOp::Add: return a + b;
        case BinaryOp::Subtract: return a - b;
        case BinaryOp::Multiply: return a * b;
        // A filter has no way to stop on a run-time error, so dividing by zero gives 0.
        case BinaryOp::Divide: return b == 0 ? 0 : a / b;
        case BinaryOp::Modulo: return b == 0 ? 0 : a - b * std::floor(a / b);  // sign of the divisor
        default: return 0;
        }
    }

private:
    BinaryOp op_;
    NodePtr l_, r_;
};

// date + days, days + date, date - days. Empty dates stay empty; results
// outside the years 1 to 9999 become the empty date.
class DateShift final : public Node {
public:
    DateShift(NodePtr date, NodePtr days, bool subtract, std::size_t position)
        : Node(ValueType::Date, position), date_(std::move(date)), days_(std::move(days)), subtract_(subtract) {
        adopt(*date_);
        adopt(*days_);
    }
    int32_t date(EvalContext& ctx) const override {
        const int32_t jd = date_->date(ctx);
        double days = std::round(days_->number(ctx));
        if (subtract_) days = -days;
        if (jd == 0) return 0;
        if (!(std::fabs(days) <= kMaxJulian)) return 0;
        const auto shifted = static_cast<int64_t>(jd) + static_cast<int64_t>(days);
        return shifted >= kMinJulian && shifted <= kMaxJulian ? static_cast<int32_t>(shifted) : 0;
    }

private:
    NodePtr date_, days_;
    bool subtract_;
};

class DateDifference final : public Node {  // days between; 0 when either date is empty
public:
    DateDifference(NodePtr l, NodePtr r) : Node(ValueType::Numeric, l->position()), l_(std::move(l)), r_(std::move(r)) {
        adopt(*l_);
        adopt(*r_);
    }
    double number(EvalContext& ctx) const override {
        const int32_t a = l_->date(ctx);
        const int32_t b = r_->date(ctx);
        return a == 0 || b == 0 ? 0.0 : static_cast<double>(a) - b;
    }

private:
    NodePtr l_, r_;
};

// ---- comparisons ----

class TextCompare final : public Node {
public:
    TextCompare(BinaryOp op, NodePtr l, NodePtr r)
        : Node(ValueType::Logical, l->position()), op_(op), l_(std::move(l)), r_(std::move(r)) {
        adopt(*l_);
        adopt(*r_);
    }
    bool logical(EvalContext& ctx) const override { return compareTexts(op_, l_->text(ctx), r_->text(ctx)); }

private:
    BinaryOp op_;
    NodePtr l_, r_;
};

// The usual filter shape: something compared with a literal. A plain
// character field on the left is read without a call.
class TextCompareLiteral final : public Node {
public:
    TextCompareLiteral(BinaryOp op, NodePtr l, std::string literal)
        : Node(ValueType::Logical, l->position()), op_(op), l_(std::move(l)), literal_(std::move(literal)) {
        adopt(*l_);
        if (const FieldDef* f = l_->characterField()) {
            offset_ = f->offset;
            width_ = f->width;
            direct_ = true;
        }
    }
    bool logical(EvalContext& ctx) const override {
        const std::string_view left =
            direct_ ? std::string_view(reinterpret_cast<const char*>(ctx.record.data + offset_), width_)
                    : l_->text(ctx);
        return compareTexts(op_, left, literal_);
    }

private:
    BinaryOp op_;
    NodePtr l_;
    std::string literal_;
    bool direct_ = false;
    uint32_t offset_ = 0;
    uint32_t width_ = 0;
};

// The hot filter shapes "FIELD = 'ABC'" and "DTOS(DATE) >= '19990301'":
// up to 8 leading bytes of the record are compared with a literal of that
// length, both read as big-endian integers, so byte order is number order
// and no call is made. For DTOS the stored bytes count only when they are a
// real date; otherwise DTOS gives blanks, whose answer is worked out once.
class RecordPrefixCompare final : public Node {
public:
    RecordPrefixCompare(BinaryOp op, NodePtr l, std::string_view literal, uint32_t offset, bool dtos)
        : Node(ValueType::Logical, l->position()), op_(op), offset_(offset), length_(literal.size()),
          isDate_(dtos), literal_(load(reinterpret_cast<const unsigned char*>(literal.data()), literal.size())),
          blankAnswer_(compareTexts(op, "        ", literal)) {
        adopt(*l);
    }
    bool logical(EvalContext& ctx) const override {
        const unsigned char* p = ctx.record.data + offset_;
        if (isDate_) {
            int y, m, d;
            if (!storedDate(p, y, m, d)) return blankAnswer_;
        }
        const uint64_t value = load(p, length_);
        switch (op_) {
        case BinaryOp::Equal: return value == literal_;
        case BinaryOp::NotEqual: return value != literal_;
        case BinaryOp::Less: return value < literal_;
        case BinaryOp::LessEqual: return value <= literal_;
        case BinaryOp::Greater: return value > literal_;
        case BinaryOp::GreaterEqual: return value >= literal_;
        default: return false;
        }
    }
    bool cheap() const override { return true; }
    // Usable when the left side always has at least `literal` bytes (so
    // EXACT OFF compares exactly the literal's length) and "==" is not asked.
    static bool fits(BinaryOp op, std::size_t literalLength) {
        return op != BinaryOp::ExactEqual && literalLength <= 8;
    }

private:
    static uint64_t load(const unsigned char* p, std::size_t n) {
        uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
        return n == 0 ? 0 : v << (8 * (8 - n));
    }

    BinaryOp op_;
    uint32_t offset_;
    std::size_t length_;
    bool isDate_;
    uint64_t literal_;
    bool blankAnswer_;
};

class Contains final : public Node {  // "$": an empty left text is in nothing
public:
    Contains(NodePtr l, NodePtr r) : Node(ValueType::Logical, l->position()), l_(std::move(l)), r_(std::move(r)) {
        adopt(*l_);
        adopt(*r_);
    }
    bool logical(EvalContext& ctx) const override {
        const std::string_view needle = l_->text(ctx);
        if (needle.empty()) return false;
        return r_->text(ctx).find(needle) != std::string_view::npos;
    }

private:
    NodePtr l_, r_;
};

template <ValueType kType>
class ValueCompare final : public Node {
public:
    ValueCompare(BinaryOp op, NodePtr l, NodePtr r)
        : Node(ValueType::Logical, l->position()), op_(op), l_(std::move(l)), r_(std::move(r)) {
        adopt(*l_);
        adopt(*r_);
    }
    bool logical(EvalContext& ctx) const override {
        if constexpr (kType == ValueType::Numeric) return ordered(op_, l_->number(ctx), r_->number(ctx));
        if constexpr (kType == ValueType::Date) return ordered(op_, l_->date(ctx), r_->date(ctx));
        if constexpr (kType == ValueType::Logical) return ordered(op_, l_->logical(ctx), r_->logical(ctx));
        return false;
    }

private:
    BinaryOp op_;
    NodePtr l_, r_;
};

NodePtr makeComparison(BinaryOp op, std::string_view opText, NodePtr l, NodePtr r, std::size_t opPosition) {
    const ValueType lt = l->type(), rt = r->type();
    if (lt != rt)
        throw ExpressionError(std::string("Cannot compare a ") + typeName(lt) + " value with a " + typeName(rt) +
                                  " value" + at(opPosition),
                              opPosition);
    switch (lt) {
    case ValueType::Character:
        if (r->isLiteral() && !l->isLiteral()) {
            const RecordView none;
            EvalContext ctx(none);
            std::string literal(r->text(ctx));
            if (RecordPrefixCompare::fits(op, literal.size())) {
                const FieldDef* f = l->characterField();
                if (f && f->width >= literal.size())
                    return std::make_unique<RecordPrefixCompare>(op, std::move(l), literal, f->offset, false);
                if (const FieldDef* d = l->dtosOfDateField())
                    return std::make_unique<RecordPrefixCompare>(op, std::move(l), literal, d->offset, true);
            }
            return std::make_unique<TextCompareLiteral>(op, std::move(l), std::move(literal));
        }
        return std::make_unique<TextCompare>(op, std::move(l), std::move(r));
    case ValueType::Numeric: return std::make_unique<ValueCompare<ValueType::Numeric>>(op, std::move(l), std::move(r));
    case ValueType::Date: return std::make_unique<ValueCompare<ValueType::Date>>(op, std::move(l), std::move(r));
    case ValueType::Logical:
        if (op != BinaryOp::Equal && op != BinaryOp::ExactEqual && op != BinaryOp::NotEqual)
            throw ExpressionError("Logical values can only be compared with =, == and <>, not with \"" +
                                      std::string(opText) + "\"" + at(opPosition),
                                  opPosition);
        return std::make_unique<ValueCompare<ValueType::Logical>>(op, std::move(l), std::move(r));
    }
    return nullptr;
}

[[noreturn]] void cannotCombine(std::string_view opText, const Node& l, const Node& r, std::size_t opPosition) {
    throw ExpressionError("Operator \"" + std::string(opText) + "\" cannot combine a " + typeName(l.type()) +
                              " value with a " + typeName(r.type()) + " value" + at(opPosition),
                          opPosition);
}

NodePtr makeUnfolded(BinaryOp op, std::string_view opText, NodePtr l, NodePtr r, std::size_t opPosition) {
    const ValueType lt = l->type(), rt = r->type();
    if (isComparison(op)) return makeComparison(op, opText, std::move(l), std::move(r), opPosition);
    switch (op) {
    case BinaryOp::Contains:
        if (lt != ValueType::Character || rt != ValueType::Character) cannotCombine(opText, *l, *r, opPosition);
        return std::make_unique<Contains>(std::move(l), std::move(r));
    case BinaryOp::And:
    case BinaryOp::Or: {
        if (lt != ValueType::Logical || rt != ValueType::Logical)
            throw ExpressionError("Operator \"" + std::string(opText) + "\" needs logical values on both sides, not a " +
                                      typeName(lt != ValueType::Logical ? lt : rt) + " value" + at(opPosition),
                                  opPosition);
        if (auto* chain = dynamic_cast<LogicalChain*>(l.get()); chain && chain->isAnd() == (op == BinaryOp::And)) {
            chain->append(std::move(r));
            return l;
        }
        return std::make_unique<LogicalChain>(op, std::move(l), std::move(r));
    }
    case BinaryOp::Add:
    case BinaryOp::Subtract: {
        const bool subtract = op == BinaryOp::Subtract;
        if (lt == ValueType::Character && rt == ValueType::Character) {
            if (auto* join = dynamic_cast<TextJoin*>(l.get())) {
                join->append(subtract, std::move(r));
                return l;
            }
            return std::make_unique<TextJoin>(std::move(l), subtract, std::move(r));
        }
        if (lt == ValueType::Numeric && rt == ValueType::Numeric)
            return std::make_unique<Arithmetic>(op, std::move(l), std::move(r));
        if (lt == ValueType::Date && rt == ValueType::Numeric) {
            const std::size_t start = l->position();
            return std::make_unique<DateShift>(std::move(l), std::move(r), subtract, start);
        }
        if (!subtract && lt == ValueType::Numeric && rt == ValueType::Date) {
            const std::size_t start = l->position();
            return std::make_unique<DateShift>(std::move(r), std::move(l), false, start);
        }
        if (subtract && lt == ValueType::Date && rt == ValueType::Date)
            return std::make_unique<DateDifference>(std::move(l), std::move(r));
        cannotCombine(opText, *l, *r, opPosition);
    }
    case BinaryOp::Multiply:
    case BinaryOp::Divide:
    case BinaryOp::Modulo:
        if (lt != ValueType::Numeric || rt != ValueType::Numeric) cannotCombine(opText, *l, *r, opPosition);
        return std::make_unique<Arithmetic>(op, std::move(l), std::move(r));
    default: break;
    }
    cannotCombine(opText, *l, *r, opPosition);
}

}  // namespace

NodePtr makeNegate(NodePtr operand, std::size_t opPosition, std::size_t position) {
    if (operand->type() != ValueType::Numeric)
        throw ExpressionError("A sign needs a numeric value, not a " + std::string(typeName(operand->type())) +
                                  " value" + at(opPosition),
                              opPosition);
    return fold(std::make_unique<Negate>(std::move(operand), position));
}

NodePtr makeNot(NodePtr operand, std::size_t opPosition, std::size_t position) {
    if (operand->type() != ValueType::Logical)
        throw ExpressionError("\".NOT.\" needs a logical value, not a " + std::string(typeName(operand->type())) +
                                  " value" + at(opPosition),
                              opPosition);
    return fold(std::make_unique<Not>(std::move(operand), position));
}

NodePtr makeBinary(BinaryOp op, std::string_view opText, NodePtr left, NodePtr right, std::size_t opPosition) {
    return fold(makeUnfolded(op, opText, std::move(left), std::move(right), opPosition));
}

}  // namespace vv::db::expr
