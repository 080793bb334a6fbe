#include "db/expr_node.h"

#include <cstring>

#include "db/error.h"

namespace vv::db::expr {

char* Scratch::allocate(std::size_t n, std::size_t position) {
    if (n > kMaxScratchBytes - total_)
        throw ExpressionError("The text built at position " + std::to_string(position) +
                                  " needs more than 16 MB",
                              position);
    total_ += n;
    if (n <= kInlineBytes - inlineUsed_) {
        char* p = inline_ + inlineUsed_;
        inlineUsed_ += n;
        return p;
    }
    auto& blocks = heap().blocks;
    blocks.push_back(std::make_unique<char[]>(n == 0 ? 1 : n));
    return blocks.back().get();
}

std::string_view Scratch::keep(std::string&& text) {
    auto& kept = heap().kept;
    kept.push_back(std::make_unique<std::string>(std::move(text)));
    return *kept.back();
}

Scratch::Heap& Scratch::heap() {
    if (!heap_) heap_ = std::make_unique<Heap>();
    return *heap_;
}

namespace {

[[noreturn]] void wrongCall(const Node& node, const char* wanted) {
    // The compiler checks types, so reaching this is a bug in this file set.
    throw Error(ErrorKind::InvalidState, std::string("Internal error: a ") + typeName(node.type()) +
                                             " node was asked for a " + wanted + " value");
}

class TextLiteral final : public Node {
public:
    TextLiteral(std::string bytes, std::size_t position)
        : Node(ValueType::Character, position), bytes_(std::move(bytes)) {
        setFixedWidth(static_cast<int>(bytes_.size()));
    }
    std::string_view text(EvalContext&) const override { return bytes_; }
    bool isLiteral() const override { return true; }

private:
    std::string bytes_;
};

class NumberLiteral final : public Node {
public:
    NumberLiteral(double value, std::size_t position) : Node(ValueType::Numeric, position), value_(value) {}
    double number(EvalContext&) const override { return value_; }
    bool isLiteral() const override { return true; }

private:
    double value_;
};

class DateLiteral final : public Node {
public:
    DateLiteral(int32_t julian, std::size_t position) : Node(ValueType::Date, position), julian_(julian) {}
    int32_t date(EvalContext&) const override { return julian_; }
    bool isLiteral() const override { return true; }

private:
    int32_t julian_;
};

class LogicalLiteral final : public Node {
public:
    LogicalLiteral(bool value, std::size_t position) : Node(ValueType::Logical, position), value_(value) {}
    bool logical(EvalContext&) const override { return value_; }
    bool isLiteral() const override { return true; }

private:
    bool value_;
};

}  // namespace

bool Node::logical(EvalContext&) const { wrongCall(*this, "logical"); }
double Node::number(EvalContext&) const { wrongCall(*this, "numeric"); }
int32_t Node::date(EvalContext&) const { wrongCall(*this, "date"); }
std::string_view Node::text(EvalContext&) const { wrongCall(*this, "character"); }

const char* typeName(ValueType type) {
    switch (type) {
    case ValueType::Character: return "character";
    case ValueType::Numeric: return "numeric";
    case ValueType::Date: return "date";
    case ValueType::Logical: return "logical";
    }
    return "unknown";
}

NodePtr makeTextLiteral(std::string bytes, std::size_t position) {
    return std::make_unique<TextLiteral>(std::move(bytes), position);
}
NodePtr makeNumberLiteral(double value, std::size_t position) {
    return std::make_unique<NumberLiteral>(value, position);
}
NodePtr makeDateLiteral(int32_t julian, std::size_t position) {
    return std::make_unique<DateLiteral>(julian, position);
}
NodePtr makeLogicalLiteral(bool value, std::size_t position) {
    return std::make_unique<LogicalLiteral>(value, position);
}

NodePtr fold(NodePtr node) {
    if (!node->constant() || node->isLiteral() || node->foldRefused()) return node;
    // Constant subtrees never look at the record.
    const RecordView none;
    EvalContext ctx(none);
    const std::size_t at = node->position();
    switch (node->type()) {
    case ValueType::Character: {
        // A huge constant text stays a node: folding a long chain of them
        // step by step would copy the growing text once per step.
        const std::string_view value = node->text(ctx);
        if (value.size() > kMaxFoldedText) {
            node->refuseFold();
            return node;
        }
        return makeTextLiteral(std::string(value), at);
    }
    case ValueType::Numeric: return makeNumberLiteral(node->number(ctx), at);
    case ValueType::Date: return makeDateLiteral(node->date(ctx), at);
    case ValueType::Logical: return makeLogicalLiteral(node->logical(ctx), at);
    }
    return node;
}

}  // namespace vv::db::expr
