// Compile errors of the expression language: every problem is an
// ExpressionError with the 0-based offset where it was found.
#include <gtest/gtest.h>

#include <functional>

#include "expr_fixture.h"

namespace vv::db::test {
namespace {

using ExpressionErrors = ExpressionFixture;

struct Failure {
    std::size_t position = 0;
    std::string message;
};

Failure failureOf(const std::function<void()>& compile) {
    try {
        compile();
    } catch (const ExpressionError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::BadExpression);
        return {e.position(), e.what()};
    }
    ADD_FAILURE() << "compiled without error";
    return {};
}

TEST_F(ExpressionErrors, UnknownFieldNamesThePositionInItsMessage) {
    const Failure f = failureOf([&] { compile("dtos(salesid)"); });
    EXPECT_EQ(f.position, 5u);
    EXPECT_EQ(f.message, "Unknown field \"SALESID\" at position 5");
}

TEST_F(ExpressionErrors, TableOfMistakes) {
    struct Case { const char* expression; std::size_t position; const char* messagePart; };
    const Case cases[] = {
        {"FOO(1)", 0, "Unknown function \"FOO\""},
        {"1 + upper()", 4, "UPPER() takes 1 argument, not 0"},
        {"SUBSTR(name)", 0, "SUBSTR() takes 2 or 3 arguments, not 1"},
        {"STR(1, 2, 3, 4)", 0, "STR() takes 1 to 3 arguments, not 4"},
        {"DELETED(1)", 0, "DELETED() takes no arguments, not 1"},
        {"(name", 5, "Missing \")\" to match the \"(\" at position 0"},
        {"upper(name", 10, "Missing \")\" after the arguments of UPPER()"},
        {"name)", 4, "Unexpected \")\""},
        {"name name", 5, "Unexpected \"name\""},
        {"name = 'abc", 7, "Unterminated text literal"},
        {"name = [abc", 7, "Unterminated text literal"},
        {"date = {03/01/24", 7, "Unterminated date literal"},
        {"{^2024-02-30}", 0, "{^2024-02-30} is not a date"},
        {"{02/30/24}", 0, "is not a date"},
        {"{^2024-03-01 10:00}", 0, "Date-time literals are not supported"},
        {"date >= '1999'", 5, "Cannot compare a date value with a character value"},
        {"1 = '1'", 2, "Cannot compare a numeric value with a character value"},
        {"name + 1", 5, "Operator \"+\" cannot combine a character value with a numeric value"},
        {"1 - date", 2, "Operator \"-\" cannot combine a numeric value with a date value"},
        {"date + date", 5, "Operator \"+\" cannot combine a date value with a date value"},
        {"name * 2", 5, "Operator \"*\" cannot combine"},
        {"1 $ 'a'", 2, "Operator \"$\" cannot combine"},
        {"UPPER(date)", 6, "Argument 1 of UPPER() must be a character value, not a date value"},
        {"LEFT(name, '3')", 11, "Argument 2 of LEFT() must be a numeric value"},
        {"IIF(active, 1, 'a')", 0, "The two results of IIF() must have the same type"},
        {"active < .T.", 7, "Logical values can only be compared with =, == and <>"},
        {"1 .AND. .T.", 2, "Operator \".AND.\" needs logical values on both sides, not a numeric value"},
        {".T. .or. name", 4, "needs logical values"},
        {"-name", 0, "A sign needs a numeric value, not a character value"},
        {"!name", 0, "\".NOT.\" needs a logical value, not a character value"},
        {"", 0, "The expression is empty"},
        {"   ", 0, "The expression is empty"},
        {"1 +", 3, "The expression ends where a value should follow"},
        {"1 + *", 4, "Expected a value at position 4, found \"*\""},
        {".X. = 1", 0, "Unknown operator \".X.\""},
        {"name & 1", 5, "Unexpected character \"&\""},
        {"name = 'a' .and name = 'b'", 11, "Unexpected \".\""},
        {"é = 1", 0, "Unexpected character \"é\""},
        {"1e400", 0, "The number 1e400 is out of range"},
        {"2 x", 2, "Unexpected \"x\""},
        {"'Ω' $ name", 0, "The text at position 0 cannot be used with this table"},
    };
    for (const auto& c : cases) {
        const Failure f = failureOf([&] { compile(c.expression); });
        EXPECT_EQ(f.position, c.position) << c.expression << ": " << f.message;
        EXPECT_NE(f.message.find(c.messagePart), std::string::npos) << c.expression << ": " << f.message;
    }
}

TEST_F(ExpressionErrors, FilterMustBeLogical) {
    EXPECT_NO_THROW(Expression::compileFilter("name = 'x'", fields_, cp_));
    const Failure f = failureOf([&] { Expression::compileFilter("UPPER(name)", fields_, cp_); });
    EXPECT_EQ(f.position, 0u);
    EXPECT_EQ(f.message, "\"UPPER(name)\" is not a logical expression (it gives a character value)");
}

TEST_F(ExpressionErrors, FieldTypesExpressionsCannotRead) {
    FieldList fields = fields_;
    FieldDef v;
    v.name = "VNAME";
    v.type = FieldType::Varchar;
    v.width = 10;
    v.offset = 1;
    fields.push_back(v);
    EXPECT_NO_THROW(Expression::compile("name", fields, cp_));  // only using it is refused
    const Failure f = failureOf([&] { Expression::compile("name + vname", fields, cp_); });
    EXPECT_EQ(f.position, 7u);
    EXPECT_NE(f.message.find("VNAME"), std::string::npos) << f.message;
}

TEST_F(ExpressionErrors, NestingIsBounded) {
    auto nested = [](int depth, const char* open, const char* inner, const char* close) {
        std::string s;
        for (int i = 0; i < depth; ++i) s += open;
        s += inner;
        for (int i = 0; i < depth; ++i) s += close;
        return s;
    };
    EXPECT_DOUBLE_EQ(number(nested(200, "(", "1", ")")), 1);
    EXPECT_EQ(text(nested(200, "UPPER(", "name", ")")), "SMITH     ");
    EXPECT_TRUE(logical(nested(200, "!", "active", "")));

    const Failure parens = failureOf([&] { compile(nested(300, "(", "1", ")")); });
    EXPECT_EQ(parens.position, 200u);
    EXPECT_NE(parens.message.find("nested more than 200 levels"), std::string::npos) << parens.message;
    EXPECT_EQ(failureOf([&] { compile(nested(5000, "-", "qty", "")); }).position, 200u);
    EXPECT_EQ(failureOf([&] { compile(nested(5000, "LTRIM(", "name", ")")); }).position, 1200u);

    // Long flat chains are not nesting.
    std::string sum = "qty";
    for (int i = 0; i < 500; ++i) sum += " + 1";
    EXPECT_DOUBLE_EQ(number(sum), 458);
    std::string any = "name = 'x'";
    for (int i = 0; i < 2000; ++i) any += " .or. name = 'x'";
    EXPECT_FALSE(logical(any + " .or. .f."));
    EXPECT_TRUE(logical(any + " .or. name = 'S'"));
    std::string joined = "sales_id";
    for (int i = 0; i < 2000; ++i) joined += " + sales_id";
    EXPECT_EQ(compile(joined).width(), 3 * 2001);
    EXPECT_EQ(text(joined).size(), 3u * 2001);
}

}  // namespace
}  // namespace vv::db::test
