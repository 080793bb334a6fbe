#include "db/expression.h"

#include "db/error.h"
#include "db/expr_node.h"
#include "db/expr_parser.h"

namespace vv::db {

class CompiledExpression {
public:
    std::string text;
    expr::NodePtr root;
    std::vector<std::string> fieldNames;
};

namespace {

const CompiledExpression& compiled(const std::unique_ptr<CompiledExpression>& impl) {
    if (!impl) throw Error(ErrorKind::InvalidState, "The expression has not been compiled");
    return *impl;
}

[[noreturn]] [[gnu::noinline]] void wrongType(const std::unique_ptr<CompiledExpression>& impl, ValueType wanted) {
    const CompiledExpression& c = compiled(impl);
    throw Error(ErrorKind::InvalidState, "The expression \"" + c.text + "\" gives a " +
                                             expr::typeName(c.root->type()) + " value, not a " +
                                             expr::typeName(wanted) + " one");
}

inline const expr::Node& rootOf(const std::unique_ptr<CompiledExpression>& impl, ValueType wanted) {
    if (!impl || impl->root->type() != wanted) wrongType(impl, wanted);
    return *impl->root;
}

}  // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

Expression Expression::compile(std::string_view text, const FieldList& fields, const CodePage& codePage) {
    expr::Parsed parsed = expr::parse(text, fields, codePage);
    Expression e;
    e.impl_ = std::make_unique<CompiledExpression>();
    e.impl_->text = std::string(text);
    e.impl_->root = std::move(parsed.root);
    e.impl_->fieldNames = std::move(parsed.fieldNames);
    return e;
}

Expression Expression::compileFilter(std::string_view text, const FieldList& fields, const CodePage& codePage) {
    Expression e = compile(text, fields, codePage);
    if (e.type() != ValueType::Logical)
        throw ExpressionError("\"" + std::string(text) + "\" is not a logical expression (it gives a " +
                                  expr::typeName(e.type()) + " value)",
                              0);
    return e;
}

const std::string& Expression::text() const {
    static const std::string kNone;
    return impl_ ? impl_->text : kNone;
}

ValueType Expression::type() const { return compiled(impl_).root->type(); }

int Expression::width() const {
    if (!impl_) return 0;
    switch (impl_->root->type()) {
    case ValueType::Character: return impl_->root->fixedWidth() < 0 ? 0 : impl_->root->fixedWidth();
    case ValueType::Logical: return 1;
    default: return 8;
    }
}

std::vector<std::string> Expression::fieldNames() const { return impl_ ? impl_->fieldNames : std::vector<std::string>{}; }

bool Expression::evalLogical(const RecordView& record) const {
    const expr::Node& root = rootOf(impl_, ValueType::Logical);
    expr::EvalContext ctx(record);
    return root.logical(ctx);
}

std::string Expression::evalText(const RecordView& record) const {
    std::string out;
    evalTextInto(record, out);
    return out;
}

void Expression::evalTextInto(const RecordView& record, std::string& out) const {
    const expr::Node& root = rootOf(impl_, ValueType::Character);
    expr::EvalContext ctx(record);
    out.assign(root.text(ctx));
}

double Expression::evalNumber(const RecordView& record) const {
    const expr::Node& root = rootOf(impl_, ValueType::Numeric);
    expr::EvalContext ctx(record);
    return root.number(ctx);
}

Date Expression::evalDate(const RecordView& record) const {
    const expr::Node& root = rootOf(impl_, ValueType::Date);
    expr::EvalContext ctx(record);
    return Date::fromJulian(root.date(ctx));
}

}  // namespace vv::db
