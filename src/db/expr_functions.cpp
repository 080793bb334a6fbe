// The functions of the expression language: a table of names and argument
// counts, and one small node class per kind of work.
#include <array>
#include <cstring>
#include <functional>

#include "db/error.h"
#include "db/expr_node.h"
#include "db/expr_text.h"

namespace vv::db::expr {
namespace {

using Args = std::vector<NodePtr>;

std::string at(std::size_t position) { return " at position " + std::to_string(position); }

// ---- texts ----

class CaseMap final : public Node {
public:
    CaseMap(NodePtr s, const CodePage& cp, bool upper, std::size_t position)
        : Node(ValueType::Character, position), s_(std::move(s)) {
        adopt(*s_);
        setFixedWidth(s_->fixedWidth());
        for (int b = 0; b < 256; ++b)
            map_[b] = upper ? cp.upper(static_cast<unsigned char>(b)) : cp.lower(static_cast<unsigned char>(b));
    }
    std::string_view text(EvalContext& ctx) const override {
        const std::string_view v = s_->text(ctx);
        char* out = ctx.scratch.allocate(v.size(), position());
        for (std::size_t i = 0; i < v.size(); ++i) out[i] = static_cast<char>(map_[static_cast<unsigned char>(v[i])]);
        return {out, v.size()};
    }

private:
    NodePtr s_;
    std::array<unsigned char, 256> map_{};
};

constexpr std::string_view kBlankDtos = "        ";

// DTOS of a 'D' field: the stored bytes themselves when they are a real date.
class DtosField final : public Node {
public:
    DtosField(NodePtr field, std::size_t position)
        : Node(ValueType::Character, position), field_(std::move(field)), offset_(field_->dateField()->offset) {
        adopt(*field_);
        setFixedWidth(8);
    }
    std::string_view text(EvalContext& ctx) const override {
        const unsigned char* p = ctx.record.data + offset_;
        int y, m, d;
        return storedDate(p, y, m, d) ? std::string_view(reinterpret_cast<const char*>(p), 8) : kBlankDtos;
    }
    const FieldDef* dtosOfDateField() const override { return field_->dateField(); }

private:
    NodePtr field_;
    uint32_t offset_;
};

class DateText final : public Node {  // DTOS and DTOC of any date
public:
    DateText(NodePtr d, bool display, std::size_t position)
        : Node(ValueType::Character, position), d_(std::move(d)), display_(display) {
        adopt(*d_);
        setFixedWidth(8);
    }
    std::string_view text(EvalContext& ctx) const override {
        const int32_t jd = d_->date(ctx);
        if (jd == 0) return display_ ? std::string_view("  /  /  ") : kBlankDtos;
        char* out = ctx.scratch.allocate(8, position());
        if (!display_) {
            writeDtos(jd, out);
        } else {
            char ymd[8];
            writeDtos(jd, ymd);
            const char mdy[8] = {ymd[4], ymd[5], '/', ymd[6], ymd[7], '/', ymd[2], ymd[3]};
            std::memcpy(out, mdy, 8);
        }
        return {out, 8};
    }

private:
    NodePtr d_;
    bool display_;
};

enum class Trim { Right, Left, Both };

class TrimText final : public Node {
public:
    TrimText(NodePtr s, Trim how, std::size_t position) : Node(ValueType::Character, position), s_(std::move(s)), how_(how) {
        adopt(*s_);
    }
    std::string_view text(EvalContext& ctx) const override {
        std::string_view v = s_->text(ctx);
        if (how_ != Trim::Left) v = trimRight(v);
        if (how_ != Trim::Right) v = trimLeft(v);
        return v;
    }

private:
    NodePtr s_;
    Trim how_;
};

enum class Slice { Left, Right, Substr };

// LEFT, RIGHT and SUBSTR hand out a part of their argument's text: no copy.
class SliceText final : public Node {
public:
    SliceText(Slice kind, Args args, std::size_t position)
        : Node(ValueType::Character, position), kind_(kind), args_(std::move(args)) {
        for (const auto& a : args_) adopt(*a);
        setFixedWidth(computeWidth());
    }
    std::string_view text(EvalContext& ctx) const override {
        const std::string_view s = args_[0]->text(ctx);
        const int size = static_cast<int>(s.size());
        if (kind_ == Slice::Left) return s.substr(0, clampToInt(args_[1]->number(ctx), 0, size));
        if (kind_ == Slice::Right) {
            const int n = clampToInt(args_[1]->number(ctx), 0, size);
            return s.substr(size - n);
        }
        const int start = clampToInt(args_[1]->number(ctx), 0, size + 1);
        if (start < 1 || start > size) return {};
        const int rest = size - start + 1;
        const int len = args_.size() > 2 ? clampToInt(args_[2]->number(ctx), 0, rest) : rest;
        return s.substr(start - 1, len);
    }

private:
    int computeWidth() const {
        const int w = args_[0]->fixedWidth();
        if (w < 0) return -1;
        for (std::size_t i = 1; i < args_.size(); ++i)
            if (!args_[i]->isLiteral()) return -1;
        const RecordView none;
        EvalContext ctx(none);
        if (kind_ != Slice::Substr) return clampToInt(args_[1]->number(ctx), 0, w);
        const int start = clampToInt(args_[1]->number(ctx), 0, w + 1);
        if (start < 1 || start > w) return 0;
        const int rest = w - start + 1;
        return args_.size() > 2 ? clampToInt(args_[2]->number(ctx), 0, rest) : rest;
    }

    Slice kind_;
    Args args_;
};

class PadText final : public Node {  // PADL / PADR; longer texts are cut on the right
public:
    PadText(Args args, bool left, std::size_t position)
        : Node(ValueType::Character, position), args_(std::move(args)), left_(left) {
        for (const auto& a : args_) adopt(*a);
        if (args_[1]->isLiteral()) {
            const RecordView none;
            EvalContext ctx(none);
            setFixedWidth(clampToInt(args_[1]->number(ctx), 0, static_cast<int>(kMaxScratchBytes)));
        }
    }
    std::string_view text(EvalContext& ctx) const override {
        const std::string_view s = args_[0]->text(ctx);
        const auto n = static_cast<std::size_t>(clampToInt(args_[1]->number(ctx), 0, static_cast<int>(kMaxScratchBytes) + 1));
        char fill = ' ';
        if (args_.size() > 2) {
            const std::string_view f = args_[2]->text(ctx);
            if (!f.empty()) fill = f[0];
        }
        if (s.size() >= n) return s.substr(0, n);
        char* out = ctx.scratch.allocate(n, position());
        const std::size_t pad = n - s.size();
        std::memset(left_ ? out : out + s.size(), fill, pad);
        if (!s.empty()) std::memcpy(left_ ? out + pad : out, s.data(), s.size());
        return {out, n};
    }

private:
    Args args_;
    bool left_;
};

class StrText final : public Node {
public:
    StrText(Args args, std::size_t position) : Node(ValueType::Character, position), args_(std::move(args)) {
        for (const auto& a : args_) adopt(*a);
        if (args_.size() < 2) {
            setFixedWidth(10);
        } else if (args_[1]->isLiteral()) {
            const RecordView none;
            EvalContext ctx(none);
            setFixedWidth(clampToInt(args_[1]->number(ctx), 1, kMaxStrLength));
        }
    }
    std::string_view text(EvalContext& ctx) const override {
        const double v = args_[0]->number(ctx);
        const int len = args_.size() > 1 ? clampToInt(args_[1]->number(ctx), 1, kMaxStrLength) : 10;
        const int dec = args_.size() > 2 ? clampToInt(args_[2]->number(ctx), 0, kMaxStrDecimals) : 0;
        char* out = ctx.scratch.allocate(static_cast<std::size_t>(len), position());
        formatStr(v, len, dec, out);
        return {out, static_cast<std::size_t>(len)};
    }

private:
    Args args_;
};

// ---- numbers, dates, logicals ----

enum class Measure { Val, Len, Year, Month, Day, Recno };

class MeasureNumber final : public Node {
public:
    MeasureNumber(Measure what, NodePtr arg, std::size_t position)
        : Node(ValueType::Numeric, position), what_(what), arg_(std::move(arg)) {
        if (arg_) adopt(*arg_);
        if (what == Measure::Recno) setVarying();
    }
    double number(EvalContext& ctx) const override {
        switch (what_) {
        case Measure::Val: return parseVal(arg_->text(ctx));
        case Measure::Len: return static_cast<double>(arg_->text(ctx).size());
        case Measure::Recno: return ctx.record.recno;
        default: break;
        }
        const int32_t jd = arg_->date(ctx);
        if (jd == 0) return 0;
        const Date d = Date::fromJulian(jd);
        return what_ == Measure::Year ? d.year() : what_ == Measure::Month ? d.month() : d.day();
    }

private:
    Measure what_;
    NodePtr arg_;
};

class CtodDate final : public Node {
public:
    CtodDate(NodePtr s, std::size_t position) : Node(ValueType::Date, position), s_(std::move(s)) { adopt(*s_); }
    int32_t date(EvalContext& ctx) const override {
        const auto d = Date::fromDisplay(s_->text(ctx));
        return d ? d->julian() : 0;
    }

private:
    NodePtr s_;
};

class TodayDate final : public Node {
public:
    explicit TodayDate(std::size_t position) : Node(ValueType::Date, position) { setVarying(); }
    int32_t date(EvalContext&) const override { return Date::todayCached().julian(); }
};

class DeletedFlag final : public Node {
public:
    explicit DeletedFlag(std::size_t position) : Node(ValueType::Logical, position) { setVarying(); }
    bool logical(EvalContext& ctx) const override { return ctx.record.data[0] == '*'; }
};

class EmptyTest final : public Node {
public:
    EmptyTest(NodePtr arg, std::size_t position) : Node(ValueType::Logical, position), arg_(std::move(arg)) {
        adopt(*arg_);
    }
    bool logical(EvalContext& ctx) const override {
        switch (arg_->type()) {
        case ValueType::Character: return isBlankText(arg_->text(ctx));
        case ValueType::Numeric: return arg_->number(ctx) == 0;
        case ValueType::Date: return arg_->date(ctx) == 0;
        case ValueType::Logical: return !arg_->logical(ctx);
        }
        return false;
    }

private:
    NodePtr arg_;
};

class Iif final : public Node {
public:
    explicit Iif(Args args, std::size_t position) : Node(args[1]->type(), position), args_(std::move(args)) {
        for (const auto& a : args_) adopt(*a);
        if (args_[1]->fixedWidth() == args_[2]->fixedWidth()) setFixedWidth(args_[1]->fixedWidth());
    }
    bool logical(EvalContext& ctx) const override { return pick(ctx).logical(ctx); }
    double number(EvalContext& ctx) const override { return pick(ctx).number(ctx); }
    int32_t date(EvalContext& ctx) const override { return pick(ctx).date(ctx); }
    std::string_view text(EvalContext& ctx) const override { return pick(ctx).text(ctx); }

private:
    const Node& pick(EvalContext& ctx) const { return *args_[args_[0]->logical(ctx) ? 1 : 2]; }
    Args args_;
};

// ---- the table of names ----

struct Function {
    std::string_view name;
    int minArgs;
    int maxArgs;
    // Argument types; a function checks its own when they depend on each other (IIF).
    std::string_view types;  // C N D L, or '?' for any
    std::function<NodePtr(Args&, std::size_t, const CodePage&)> build;
};

const std::vector<Function>& functions() {
    static const std::vector<Function> table = {
        {"UPPER", 1, 1, "C", [](Args& a, std::size_t p, const CodePage& cp) { return std::make_unique<CaseMap>(std::move(a[0]), cp, true, p); }},
        {"LOWER", 1, 1, "C", [](Args& a, std::size_t p, const CodePage& cp) { return std::make_unique<CaseMap>(std::move(a[0]), cp, false, p); }},
        {"DTOS", 1, 1, "D", [](Args& a, std::size_t p, const CodePage&) -> NodePtr {
             if (a[0]->dateField()) return std::make_unique<DtosField>(std::move(a[0]), p);
             return std::make_unique<DateText>(std::move(a[0]), false, p);
         }},
        {"DTOC", 1, 1, "D", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<DateText>(std::move(a[0]), true, p); }},
        {"CTOD", 1, 1, "C", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<CtodDate>(std::move(a[0]), p); }},
        {"TRIM", 1, 1, "C", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<TrimText>(std::move(a[0]), Trim::Right, p); }},
        {"RTRIM", 1, 1, "C", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<TrimText>(std::move(a[0]), Trim::Right, p); }},
        {"LTRIM", 1, 1, "C", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<TrimText>(std::move(a[0]), Trim::Left, p); }},
        {"ALLTRIM", 1, 1, "C", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<TrimText>(std::move(a[0]), Trim::Both, p); }},
        {"LEFT", 2, 2, "CN", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<SliceText>(Slice::Left, std::move(a), p); }},
        {"RIGHT", 2, 2, "CN", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<SliceText>(Slice::Right, std::move(a), p); }},
        {"SUBSTR", 2, 3, "CNN", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<SliceText>(Slice::Substr, std::move(a), p); }},
        {"PADL", 2, 3, "CNC", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<PadText>(std::move(a), true, p); }},
        {"PADR", 2, 3, "CNC", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<PadText>(std::move(a), false, p); }},
        {"STR", 1, 3, "NNN", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<StrText>(std::move(a), p); }},
        {"VAL", 1, 1, "C", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<MeasureNumber>(Measure::Val, std::move(a[0]), p); }},
        {"LEN", 1, 1, "C", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<MeasureNumber>(Measure::Len, std::move(a[0]), p); }},
        {"YEAR", 1, 1, "D", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<MeasureNumber>(Measure::Year, std::move(a[0]), p); }},
        {"MONTH", 1, 1, "D", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<MeasureNumber>(Measure::Month, std::move(a[0]), p); }},
        {"DAY", 1, 1, "D", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<MeasureNumber>(Measure::Day, std::move(a[0]), p); }},
        {"RECNO", 0, 0, "", [](Args&, std::size_t p, const CodePage&) { return std::make_unique<MeasureNumber>(Measure::Recno, nullptr, p); }},
        {"DATE", 0, 0, "", [](Args&, std::size_t p, const CodePage&) { return std::make_unique<TodayDate>(p); }},
        {"DELETED", 0, 0, "", [](Args&, std::size_t p, const CodePage&) { return std::make_unique<DeletedFlag>(p); }},
        {"EMPTY", 1, 1, "?", [](Args& a, std::size_t p, const CodePage&) { return std::make_unique<EmptyTest>(std::move(a[0]), p); }},
        {"IIF", 3, 3, "L??", [](Args& a, std::size_t p, const CodePage&) -> NodePtr {
             if (a[1]->type() != a[2]->type())
                 throw ExpressionError("The two results of IIF() must have the same type, not " +
                                           std::string(typeName(a[1]->type())) + " and " + typeName(a[2]->type()) + at(p),
                                       p);
             return std::make_unique<Iif>(std::move(a), p);
         }},
    };
    return table;
}

ValueType typeOfLetter(char c) {
    switch (c) {
    case 'N': return ValueType::Numeric;
    case 'D': return ValueType::Date;
    case 'L': return ValueType::Logical;
    default: return ValueType::Character;
    }
}

std::string argumentCount(const Function& f) {
    if (f.maxArgs == 0) return "no arguments";
    if (f.minArgs == f.maxArgs) return std::to_string(f.minArgs) + (f.minArgs == 1 ? " argument" : " arguments");
    if (f.maxArgs == f.minArgs + 1)
        return std::to_string(f.minArgs) + " or " + std::to_string(f.maxArgs) + " arguments";
    return std::to_string(f.minArgs) + " to " + std::to_string(f.maxArgs) + " arguments";
}

}  // namespace

NodePtr makeFunction(std::string_view name, Args args, std::size_t position, const CodePage& codePage) {
    for (const Function& f : functions()) {
        if (f.name != name) continue;
        const int n = static_cast<int>(args.size());
        if (n < f.minArgs || n > f.maxArgs)
            throw ExpressionError(std::string(name) + "() takes " + argumentCount(f) + ", not " + std::to_string(n) +
                                      at(position),
                                  position);
        for (int i = 0; i < n; ++i) {
            const char want = f.types[i];
            if (want == '?' || args[i]->type() == typeOfLetter(want)) continue;
            const std::size_t p = args[i]->position();
            throw ExpressionError("Argument " + std::to_string(i + 1) + " of " + std::string(name) + "() must be a " +
                                      typeName(typeOfLetter(want)) + " value, not a " + typeName(args[i]->type()) +
                                      " value" + at(p),
                                  p);
        }
        return fold(f.build(args, position, codePage));
    }
    throw ExpressionError("Unknown function \"" + std::string(name) + "\"" + at(position), position);
}

}  // namespace vv::db::expr
