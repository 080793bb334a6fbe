// Grammar, loosest binding first:
//   or       := and { .OR. and }
//   and      := not { .AND. not }
//   not      := ( .NOT. | ! ) not | relation
//   relation := sum { ( = == <> # != < <= > >= $ ) sum }
//   sum      := product { ( + | - ) product }
//   product  := sign { ( * | / | % ) sign }
//   sign     := ( - | + ) sign | primary
//   primary  := number | text | date | .T. | .F. | field | name ( [or {, or}] ) | ( or )
#include "db/expr_parser.h"

#include <charconv>

#include "db/error.h"
#include "db/expr_lexer.h"

namespace vv::db::expr {
namespace {

std::string at(std::size_t position) { return " at position " + std::to_string(position); }

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

// Tree depth allowed; more than the parser's nesting so that long flat
// chains such as a+b+c+... still fit.
constexpr int kMaxTreeDepth = 5 * kMaxDepth;

class Parser {
public:
    Parser(std::string_view text, const FieldList& fields, const CodePage& codePage)
        : lexer_(text), fields_(fields), codePage_(codePage) {
        advance();
    }

    Parsed run() {
        if (tok_.kind == Tok::End) throw ExpressionError("The expression is empty", 0);
        NodePtr root = parseOr();
        if (tok_.kind != Tok::End)
            throw ExpressionError("Unexpected \"" + std::string(tok_.spelling) + "\"" + at(tok_.position), tok_.position);
        return {std::move(root), std::move(names_)};
    }

private:
    // Counts open parentheses, calls and signs, so hostile input cannot run
    // the parser out of stack.
    class Nesting {
    public:
        Nesting(Parser& p, std::size_t position) : p_(p) {
            if (++p_.nesting_ > kMaxDepth)
                throw ExpressionError("The expression is nested more than " + std::to_string(kMaxDepth) +
                                          " levels deep" + at(position),
                                      position);
        }
        ~Nesting() { --p_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& p_;
    };

    void advance() { tok_ = lexer_.next(); }

    NodePtr checked(NodePtr node, std::size_t position) {
        if (node->depth() > kMaxTreeDepth)
            throw ExpressionError("The expression is nested more than " + std::to_string(kMaxTreeDepth) +
                                      " levels deep" + at(position),
                                  position);
        return node;
    }

    NodePtr binary(BinaryOp op, NodePtr left, NodePtr right, const Token& opToken) {
        return checked(makeBinary(op, opToken.spelling, std::move(left), std::move(right), opToken.position),
                       opToken.position);
    }

    NodePtr parseOr() {
        NodePtr left = parseAnd();
        while (tok_.kind == Tok::Or) {
            const Token op = tok_;
            advance();
            left = binary(BinaryOp::Or, std::move(left), parseAnd(), op);
        }
        return left;
    }

    NodePtr parseAnd() {
        NodePtr left = parseNot();
        while (tok_.kind == Tok::And) {
            const Token op = tok_;
            advance();
            left = binary(BinaryOp::And, std::move(left), parseNot(), op);
        }
        return left;
    }

    NodePtr parseNot() {
        if (tok_.kind != Tok::Not) return parseRelation();
        const Token op = tok_;
        Nesting nesting(*this, op.position);
        advance();
        return checked(makeNot(parseNot(), op.position, op.position), op.position);
    }

    static bool relation(Tok kind, BinaryOp& op) {
        switch (kind) {
        case Tok::Equal: op = BinaryOp::Equal; return true;
        case Tok::ExactEqual: op = BinaryOp::ExactEqual; return true;
        case Tok::NotEqual: op = BinaryOp::NotEqual; return true;
        case Tok::Less: op = BinaryOp::Less; return true;
        case Tok::LessEqual: op = BinaryOp::LessEqual; return true;
        case Tok::Greater: op = BinaryOp::Greater; return true;
        case Tok::GreaterEqual: op = BinaryOp::GreaterEqual; return true;
        case Tok::Dollar: op = BinaryOp::Contains; return true;
        default: return false;
        }
    }

    NodePtr parseRelation() {
        NodePtr left = parseSum();
        BinaryOp op;
        while (relation(tok_.kind, op)) {
            const Token opToken = tok_;
            advance();
            left = binary(op, std::move(left), parseSum(), opToken);
        }
        return left;
    }

    NodePtr parseSum() {
        NodePtr left = parseProduct();
        while (tok_.kind == Tok::Plus || tok_.kind == Tok::Minus) {
            const Token op = tok_;
            advance();
            left = binary(op.kind == Tok::Plus ? BinaryOp::Add : BinaryOp::Subtract, std::move(left), parseProduct(), op);
        }
        return left;
    }

    NodePtr parseProduct() {
        NodePtr left = parseSign();
        while (tok_.kind == Tok::Star || tok_.kind == Tok::Slash || tok_.kind == Tok::Percent) {
            const Token op = tok_;
            advance();
            const BinaryOp kind = op.kind == Tok::Star    ? BinaryOp::Multiply
                                  : op.kind == Tok::Slash ? BinaryOp::Divide
                                                          : BinaryOp::Modulo;
            left = binary(kind, std::move(left), parseSign(), op);
        }
        return left;
    }

    NodePtr parseSign() {
        if (tok_.kind != Tok::Minus && tok_.kind != Tok::Plus) return parsePrimary();
        const Token op = tok_;
        Nesting nesting(*this, op.position);
        advance();
        NodePtr operand = parseSign();
        if (op.kind == Tok::Plus) {
            if (operand->type() != ValueType::Numeric)
                throw ExpressionError("A sign needs a numeric value, not a " + std::string(typeName(operand->type())) +
                                          " value" + at(op.position),
                                      op.position);
            return operand;
        }
        return checked(makeNegate(std::move(operand), op.position, op.position), op.position);
    }

    void expectClose(const char* after) {
        if (tok_.kind != Tok::RightParen)
            throw ExpressionError(std::string("Missing \")\" ") + after + at(tok_.position), tok_.position);
        advance();
    }

    NodePtr parsePrimary() {
        const Token t = tok_;
        switch (t.kind) {
        case Tok::Number: {
            advance();
            double v = 0;
            const auto r = std::from_chars(t.spelling.data(), t.spelling.data() + t.spelling.size(), v);
            if (r.ec != std::errc() || r.ptr != t.spelling.data() + t.spelling.size())
                throw ExpressionError("The number " + std::string(t.spelling) + " is out of range" + at(t.position),
                                      t.position);
            return makeNumberLiteral(v, t.position);
        }
        case Tok::Text: {
            advance();
            try {
                return makeTextLiteral(codePage_.fromUtf8(t.body), t.position);
            } catch (const Error& e) {
                throw ExpressionError("The text at position " + std::to_string(t.position) +
                                          " cannot be used with this table: " + e.what(),
                                      t.position);
            }
        }
        case Tok::DateLiteral: advance(); return makeDateLiteral(dateLiteral(t), t.position);
        case Tok::True: advance(); return makeLogicalLiteral(true, t.position);
        case Tok::False: advance(); return makeLogicalLiteral(false, t.position);
        case Tok::LeftParen: {
            Nesting nesting(*this, t.position);
            advance();
            NodePtr inner = parseOr();
            expectClose(("to match the \"(\" at position " + std::to_string(t.position) + ",").c_str());
            return inner;
        }
        case Tok::Identifier: advance(); return tok_.kind == Tok::LeftParen ? call(t) : field(t);
        case Tok::End: throw ExpressionError("The expression ends where a value should follow" + at(t.position), t.position);
        default:
            throw ExpressionError("Expected a value" + at(t.position) + ", found \"" + std::string(t.spelling) + "\"",
                                  t.position);
        }
    }

    NodePtr call(const Token& name) {
        Nesting nesting(*this, name.position);
        advance();  // "("
        const std::string upper = upperAscii(name.spelling);
        std::vector<NodePtr> args;
        if (tok_.kind != Tok::RightParen) {
            args.push_back(parseOr());
            while (tok_.kind == Tok::Comma) {
                advance();
                args.push_back(parseOr());
            }
        }
        expectClose(("after the arguments of " + upper + "(),").c_str());
        return checked(makeFunction(upper, std::move(args), name.position, codePage_), name.position);
    }

    NodePtr field(const Token& name) {
        const std::string upper = upperAscii(name.spelling);
        for (const FieldDef& f : fields_) {
            if (upperAscii(f.name) != upper) continue;
            bool seen = false;
            for (const auto& n : names_) seen = seen || n == upper;
            if (!seen) names_.push_back(upper);
            return makeField(f, name.position);
        }
        throw ExpressionError("Unknown field \"" + upper + "\"" + at(name.position), name.position);
    }

    // {^yyyy-mm-dd}, {MM/DD/yy} (century window), {} for the empty date.
    int32_t dateLiteral(const Token& t) {
        std::string_view body = t.body;
        while (!body.empty() && body.front() == ' ') body.remove_prefix(1);
        while (!body.empty() && body.back() == ' ') body.remove_suffix(1);
        auto bad = [&]() -> ExpressionError {
            return ExpressionError(std::string(t.spelling) + " is not a date" + at(t.position), t.position);
        };
        if (body.empty()) return 0;
        if (body.front() != '^') {
            const auto d = Date::fromDisplay(body);
            if (!d) throw bad();
            return d->julian();
        }
        body.remove_prefix(1);
        int parts[3] = {0, 0, 0};
        std::size_t i = 0;
        for (int k = 0; k < 3; ++k) {
            const std::size_t start = i;
            while (i < body.size() && body[i] >= '0' && body[i] <= '9' && i - start < 4) parts[k] = parts[k] * 10 + (body[i++] - '0');
            if (i == start || (k > 0 && i - start > 2)) throw bad();
            if (k < 2) {
                if (i >= body.size() || (body[i] != '-' && body[i] != '/' && body[i] != '.')) throw bad();
                ++i;
            }
        }
        if (i < body.size() && (body[i] == ' ' || body[i] == 'T' || body[i] == 't'))
            throw ExpressionError("Date-time literals are not supported: " + std::string(t.spelling) + at(t.position),
                                  t.position);
        const auto d = i == body.size() ? Date::tryYmd(parts[0], parts[1], parts[2]) : std::nullopt;
        if (!d) throw bad();
        return d->julian();
    }

    Lexer lexer_;
    const FieldList& fields_;
    const CodePage& codePage_;
    Token tok_;
    int nesting_ = 0;
    std::vector<std::string> names_;
};

}  // namespace

Parsed parse(std::string_view text, const FieldList& fields, const CodePage& codePage) {
    return Parser(text, fields, codePage).run();
}

}  // namespace vv::db::expr
