// Internal: the typed node tree an Expression is compiled into, and the
// scratch memory one evaluation uses. Each node answers only the evaluation
// method of its own type; the compiler guarantees nobody asks for another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "db/expression.h"

namespace vv::db::expr {

// Bounds that keep hostile expressions from exhausting the stack or memory.
constexpr int kMaxDepth = 200;                            // nesting of the node tree and the parser
constexpr std::size_t kMaxScratchBytes = 16u << 20;       // texts one evaluation may build
constexpr std::size_t kMaxFoldedText = 64u << 10;          // longest text folded into a literal

// Julian day numbers of 0001-01-01 and 9999-12-31, the dates the tables can hold.
constexpr int32_t kMinJulian = 1721426;
constexpr int32_t kMaxJulian = 5373484;

// Texts built during one evaluation (UPPER, concatenation...) live here until
// the evaluation ends. The first few kilobytes sit on the caller's stack, so a
// usual filter or key never touches the heap.
class Scratch {
public:
    Scratch() = default;
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // Room for n bytes, valid until the Scratch ends. Throws ExpressionError
    // at `position` when the evaluation would pass kMaxScratchBytes.
    char* allocate(std::size_t n, std::size_t position);
    // Room for n objects of a trivially destructible type, suitably aligned.
    template <typename T>
    T* allocateArray(std::size_t n, std::size_t position) {
        static_assert(std::is_trivially_destructible_v<T>);
        char* raw = allocate(n * sizeof(T) + alignof(T), position);
        const auto misalign = reinterpret_cast<std::uintptr_t>(raw) % alignof(T);
        return reinterpret_cast<T*>(raw + (misalign == 0 ? 0 : alignof(T) - misalign));
    }
    // Keeps a text (memo contents) alive for the evaluation; not counted.
    std::string_view keep(std::string&& text);

private:
    static constexpr std::size_t kInlineBytes = 2048;
    struct Heap {
        std::vector<std::unique_ptr<char[]>> blocks;
        std::vector<std::unique_ptr<std::string>> kept;
    };
    Heap& heap();

    alignas(16) char inline_[kInlineBytes];
    std::size_t inlineUsed_ = 0;
    std::size_t total_ = 0;
    std::unique_ptr<Heap> heap_;  // only when the stack part does not do
};

struct EvalContext {
    explicit EvalContext(const RecordView& r) : record(r) {}
    const RecordView& record;
    Scratch scratch;
};

class Node {
public:
    Node(ValueType type, std::size_t position) : type_(type), position_(position) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    virtual bool logical(EvalContext& ctx) const;
    virtual double number(EvalContext& ctx) const;
    virtual int32_t date(EvalContext& ctx) const;  // julian day, 0 = empty date
    virtual std::string_view text(EvalContext& ctx) const;

    // A character field read straight from the record (lets comparisons skip a call).
    virtual const FieldDef* characterField() const { return nullptr; }
    // A 'D' field (lets DTOS hand out the stored bytes).
    virtual const FieldDef* dateField() const { return nullptr; }
    // DTOS of a 'D' field (lets comparisons work on the stored bytes).
    virtual const FieldDef* dtosOfDateField() const { return nullptr; }
    virtual bool isLiteral() const { return false; }
    // A logical test of a few record bytes that cannot fail: .AND./.OR.
    // evaluate such tests all and combine them without branching, which
    // beats stopping early when the answers on a scan are unpredictable.
    virtual bool cheap() const { return false; }

    ValueType type() const { return type_; }
    std::size_t position() const { return position_; }  // where the subexpression starts
    int fixedWidth() const { return fixedWidth_; }       // -1 when a text's length varies
    int depth() const { return depth_; }
    // Depends on nothing but literals: folded into a literal at compile time.
    bool constant() const { return constant_; }
    // Set by fold() on a constant text too long to keep as a literal, so a
    // growing chain of them is not evaluated again at every step.
    bool foldRefused() const { return foldRefused_; }
    void refuseFold() { foldRefused_ = true; }

protected:
    void setFixedWidth(int width) { fixedWidth_ = width; }
    void setVarying() { constant_ = false; }  // reads the record, the clock...
    void adopt(const Node& child) {
        if (child.depth_ + 1 > depth_) depth_ = child.depth_ + 1;
        constant_ = constant_ && child.constant_;
    }

private:
    ValueType type_;
    std::size_t position_;
    int fixedWidth_ = -1;
    int depth_ = 1;
    bool constant_ = true;
    bool foldRefused_ = false;
};

using NodePtr = std::unique_ptr<Node>;

enum class BinaryOp {
    Add, Subtract, Multiply, Divide, Modulo,
    Equal, ExactEqual, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains,
    And, Or,
};

const char* typeName(ValueType type);  // "character", "numeric"...

// Node factories. Each checks its operand types and throws ExpressionError
// with the given position and a plain message when they do not fit.
NodePtr makeTextLiteral(std::string bytes, std::size_t position);
NodePtr makeNumberLiteral(double value, std::size_t position);
NodePtr makeDateLiteral(int32_t julian, std::size_t position);
NodePtr makeLogicalLiteral(bool value, std::size_t position);
NodePtr makeField(const FieldDef& field, std::size_t position);
NodePtr makeNegate(NodePtr operand, std::size_t opPosition, std::size_t position);
NodePtr makeNot(NodePtr operand, std::size_t opPosition, std::size_t position);
NodePtr makeBinary(BinaryOp op, std::string_view opText, NodePtr left, NodePtr right, std::size_t opPosition);
// name in upper case; throws for unknown names and wrong argument counts.
NodePtr makeFunction(std::string_view name, std::vector<NodePtr> args, std::size_t position,
                     const CodePage& codePage);

// Replaces a constant subtree by a literal of its value.
NodePtr fold(NodePtr node);

}  // namespace vv::db::expr
