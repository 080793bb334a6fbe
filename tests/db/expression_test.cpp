#include "db/expression.h"

#include <gtest/gtest.h>

#include "expr_fixture.h"

namespace vv::db::test {
namespace {

using ExpressionEval = ExpressionFixture;

// The text comparison rules, each case checked three ways: between two
// literals (folded while compiling), with a computed left side against a
// literal, and with a literal against a computed right side.
TEST_F(ExpressionEval, TextComparisonRules) {
    struct Case { const char* left; const char* op; const char* right; bool expected; };
    const Case cases[] = {
        // "=" compares over the right side's length; trailing blanks on the right count.
        {"abc", "=", "abc", true},   {"ab", "=", "abc", false},  {"abc", "=", "ab", true},
        {"abc", "=", "ab ", false},  {"ab", "=", "ab ", false},  {"ab ", "=", "ab", true},
        {"", "=", "ab", false},      {"ab", "=", "", true},      {"", "=", "", true},
        {"", "=", "   ", false},     {"ABC", "=", "abc", false},
        // "==" ignores only blank padding.
        {"ab ", "==", "ab", true},   {"ab", "==", "ab ", true},  {"abc", "==", "ab", false},
        {"ab", "==", "abc", false},  {"", "==", "   ", true},    {"a", "==", "A", false},
        // "<>", "#" and "!=" are the opposite of "=".
        {"ABC", "<>", "AB", false},  {"AB", "<>", "ABC", true},  {"ab", "#", "ab ", true},
        {"x", "!=", "", false},      {"x", "#", "y", true},
        // Ordering cuts the left side to the right side's length; a left side
        // that runs out first sorts before.
        {"AB", "<", "ABC", true},    {"ab", "<", "ab ", true},   {"ABC", "<", "AB", false},
        {"ABD", "<", "ABC", false},  {"CARTER", "<=", "C", true}, {"B", "<=", "C", true},
        {"D", "<=", "C", false},     {"ABD", ">", "ABC", true},  {"ABC", ">", "AB", false},
        {"AB", ">=", "ABC", false},  {"19990301", ">=", "19990301", true},
        {"20000101", ">=", "19990301", true}, {"        ", ">=", "19990301", false},
        {"é", ">", "z", true},  // bytes compare unsigned: 0xE9 > 'z'
        // "$": left contained in right; an empty left side is in nothing.
        {"ab", "$", "xabc", true},   {"", "$", "abc", false},    {"abd", "$", "abc", false},
        {"ABC", "$", "abc", false},
    };
    for (const auto& c : cases) {
        const std::string l = c.left, r = c.right, op = c.op;
        const std::string literals = "'" + l + "' " + op + " '" + r + "'";
        EXPECT_EQ(logical(literals), c.expected) << literals;

        // Left computed: NAME holds the left text, cut back to its exact length.
        setText("NAME", l);
        const std::string leftLength = std::to_string(cp_.fromUtf8(l).size());
        const std::string computedLeft = "LEFT(name, " + leftLength + ") " + op + " '" + r + "'";
        EXPECT_EQ(logical(computedLeft), c.expected) << computedLeft;

        setText("CITY", r);
        const std::string rightLength = std::to_string(cp_.fromUtf8(r).size());
        const std::string computedRight = "'" + l + "' " + op + " LEFT(city, " + rightLength + ")";
        EXPECT_EQ(logical(computedRight), c.expected) << computedRight;
    }
}

TEST_F(ExpressionEval, FieldEqualsShorterLiteralAsPrefix) {
    for (const char* filter : {"name = 'Smith'", "name = 'Sm'", "name = ''", "NAME = 'Smith     '", "sales_id = 'ABC'"})
        EXPECT_TRUE(logical(filter)) << filter;
    for (const char* filter : {"name = 'Smithers'", "name = 'smith'", "name = 'Smith      '", "sales_id = 'ABCD'"})
        EXPECT_FALSE(logical(filter)) << filter;
}

TEST_F(ExpressionEval, TextResults) {
    struct Case { const char* expression; const char* expected; };
    const Case cases[] = {
        {"NAME", "Smith     "},
        {"name + sales_id", "Smith     ABC"},
        {"name - sales_id", "SmithABC     "},
        {"'a  ' - 'b ' - 'c'", "abc   "},
        {"'a ' - ' ' - 'b  ' + 'c ' - 'd'", "ab    cd "},
        {"name - ' ' - sales_id", "SmithABC      "},
        {"LEFT(PADL('', 70000) - 'z', 2)", "z "},  // too long to fold into a literal
        {"UPPER(name)", "SMITH     "},
        {"LOWER(city)", "montréal    "},
        {"UPPER(city)", "MONTRÉAL    "},
        {"UPPER('é€x')", "É€X"},
        {"DTOS(date)", "19990315"},
        {"DTOC(date)", "03/15/99"},
        {"DTOS(date + 20)", "19990404"},
        {"DTOS(CTOD('02/29/00'))", "20000229"},
        {"DTOS({03/01/24})", "20240301"},
        {"DTOS({12/31/59})", "20591231"},
        {"DTOS({01/01/60})", "19600101"},
        {"DTOS({^1960-01-31})", "19600131"},
        {"DTOS({})", "        "},
        {"DTOC({ })", "  /  /  "},
        {"DTOS(stamp)", "20240229"},
        {"TRIM(name) + '|'", "Smith|"},
        {"RTRIM(name) + '|'", "Smith|"},
        {"LTRIM('  x ') + '|'", "x |"},
        {"ALLTRIM('  x ') + '|'", "x|"},
        {"LEFT(name, 3)", "Smi"},
        {"LEFT(name, -1)", ""},
        {"LEFT(name, 99)", "Smith     "},
        {"RIGHT(TRIM(name), 2)", "th"},
        {"SUBSTR(name, 2, 3)", "mit"},
        {"SUBSTR(name, 4)", "th     "},
        {"SUBSTR(name, 0, 2)", ""},
        {"SUBSTR(name, 11)", ""},
        {"STR(amount)", "      1235"},
        {"STR(amount, 8, 2)", " 1234.50"},
        {"STR(2.675, 5, 2)", " 2.68"},
        {"STR(-2.5)", "        -3"},
        {"STR(123.456, 5, 2)", "123.5"},
        {"STR(9.995, 4, 2)", "10.0"},
        {"STR(123456, 5)", "*****"},
        {"STR(0.001, 5, 2)", " 0.00"},
        {"STR(-0.001, 6, 2)", "  0.00"},
        {"STR(0.05, 4, 1)", " 0.1"},
        {"STR(qty, 4)", " -42"},
        {"STR(1e20, 22)", " 100000000000000000000"},
        {"STR(1 / 3, 6, 4)", "0.3333"},
        {"PADL(sales_id, 5)", "  ABC"},
        {"PADR(sales_id, 5, '*')", "ABC**"},
        {"PADL('abcdef', 3)", "abc"},
        {"IIF(active, 'yes', 'no')", "yes"},
        {"IIF(!active, 'yes', 'no')", "no"},
        {"[it's] + \"'\" + '\"'", "it's'\""},
        {"notes", "memo #9"},
        {"'(' + notes + ')'", "(memo #9)"},
    };
    for (const auto& c : cases) EXPECT_EQ(text(c.expression), c.expected) << c.expression;
}

TEST_F(ExpressionEval, NumberResults) {
    struct Case { const char* expression; double expected; };
    const Case cases[] = {
        {"amount", 1234.5},   {"qty", -42},          {"price", 2.5},          {"fee", 12.3456},
        {"amount * 2 + 1", 2470}, {"-amount", -1234.5}, {"- -3", 3},         {"+4", 4},
        {"1 + 2 * 3", 7},     {"(1 + 2) * 3", 9},    {"10 / 4", 2.5},         {"1 / 0", 0},
        {"7 % 3", 1},         {"-7 % 3", 2},         {"7 % -3", -2},          {"5 % 0", 0},
        {"10 - 4 - 3", 3},    {".5 + 12.", 12.5},
        {"VAL('  12.5abc')", 12.5}, {"VAL('-3')", -3}, {"VAL('x1')", 0},     {"VAL('1e3')", 1000},
        {"VAL('+.25')", 0.25},
        {"LEN(PADL('x', 100000) - 'y' + PADR(name, 100000))", 200001},
        {"LEN(name)", 10},    {"LEN(TRIM(name))", 5}, {"LEN('')", 0},         {"LEN(notes)", 7},
        {"YEAR(date)", 1999}, {"MONTH(date)", 3},    {"DAY(date)", 15},      {"YEAR({})", 0},
        {"RECNO()", 7},       {"IIF(.F., 1, 2)", 2},
        {"date - {^1999-03-01}", 14}, {"{^2000-03-01} - {^2000-02-01}", 29}, {"date - {}", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(number(c.expression), c.expected) << c.expression;
}

TEST_F(ExpressionEval, LogicalResultsAndPrecedence) {
    struct Case { const char* expression; bool expected; };
    const Case cases[] = {
        {"active", true},                 {".NOT. active", false},        {"!active", false},
        {"active = .T.", true},           {"active <> .F.", true},        {"active == .y.", true},
        {".N.", false},                   {".t. .and. .T.", true},
        {"qty < 0 .AND. price = 2.5", true}, {".F. .OR. amount > 1000", true},
        {"amount >= 1234.5 .and. amount <= 1234.5", true},
        {"EMPTY(city)", false},           {"EMPTY('  ')", true},          {"EMPTY(0)", true},
        {"EMPTY({})", true},              {"EMPTY(.F.)", true},           {"EMPTY(notes)", false},
        {"DELETED()", false},
        {"date > {^1999-03-01}", true},   {"date = CTOD('03/15/99')", true}, {"date < {}", false},
        {"stamp = {^2024-02-29}", true},  {"'mit' $ name", true},         {"'#9' $ notes", true},
        {"dtos(date) >= '19990301' .and. sales_id = 'ABC'", true},
        {"dtos(date) >= '19990316' .and. sales_id = 'ABC'", false},
        {"'a' + 'b' = 'ab'", true},
        // .AND. binds tighter than .OR., .NOT. tighter than .AND., comparisons tighter than .NOT.
        {".T. .OR. .F. .AND. .F.", true}, {".NOT. .F. .AND. .F.", false}, {"!1 = 2", true},
        {"-2 * 3 = -6", true},            {"1 + 1 = 2 .AND. 'x' $ 'xy'", true},
        {"(.T. .OR. .F.) .AND. .F.", false},
    };
    for (const auto& c : cases) EXPECT_EQ(logical(c.expression), c.expected) << c.expression;
}

TEST_F(ExpressionEval, DateResults) {
    const Date d = Date::fromYmd(1999, 3, 15);
    EXPECT_EQ(date("date"), d);
    EXPECT_EQ(date("date + 1"), d.addDays(1));
    EXPECT_EQ(date("1 + date"), d.addDays(1));
    EXPECT_EQ(date("date - 15"), Date::fromYmd(1999, 2, 28));
    EXPECT_EQ(date("date + 0.6"), d.addDays(1));  // whole days, rounded
    EXPECT_EQ(date("stamp"), Date::fromYmd(2024, 2, 29));
    EXPECT_EQ(date("CTOD('13/01/99')"), Date{});
    EXPECT_EQ(date("{} + 5"), Date{});
    EXPECT_EQ(date("date + 1e9"), Date{});  // past the year 9999
    EXPECT_EQ(date("IIF(active, date, {})"), d);
    const Date before = Date::today();
    const Date today = date("DATE()");
    EXPECT_TRUE(today == before || today == before.addDays(1));
}

TEST_F(ExpressionEval, BlankAndOddStoredValues) {
    for (const auto& f : fields_) field_codec::setBlank(f, rec());
    EXPECT_DOUBLE_EQ(number("amount"), 0);
    EXPECT_DOUBLE_EQ(number("qty"), 0);
    EXPECT_EQ(date("date"), Date{});
    EXPECT_EQ(text("DTOS(date)"), "        ");
    EXPECT_EQ(text("DTOC(date)"), "  /  /  ");
    EXPECT_EQ(text("notes"), "");
    for (const char* yes : {"EMPTY(date)", "EMPTY(amount)", "EMPTY(name)", "EMPTY(notes)", "name = ''", "!active"})
        EXPECT_TRUE(logical(yes)) << yes;
    EXPECT_FALSE(logical("name = 'S'"));

    // DTOS of a 'D' field reads the stored bytes; it must agree with the
    // date the field holds, also for damaged bytes.
    for (const char* stored : {"19990231", "00000000", "2024022x", "99991231", "00010101", "20000229", "19000229"}) {
        putRaw("DATE", stored);
        EXPECT_EQ(text("DTOS(date)"), text("DTOS(date + 0)")) << stored;
        EXPECT_EQ(logical("EMPTY(date)"), Date::fromDtos(stored).value_or(Date{}).isEmpty()) << stored;
    }

    // Numbers read fast must match the general reader.
    for (const char* stored : {"   1234.50", "      -0.5", "    1e3   ", "**********", "1234567890", "   +7     ",
                               "        1.", "        .5", "  - 3     ", "   12 34  "}) {
        putRaw("AMOUNT", stored);
        EXPECT_DOUBLE_EQ(number("amount"), field_codec::number(field("AMOUNT"), rec())) << stored;
    }
}

// Comparisons of a field or DTOS(field) with a short literal work on the
// stored bytes; they must answer exactly as the general text rules do
// (reached here through "+ 0" and LEFT, which are not plain fields).
TEST_F(ExpressionEval, StoredByteComparisonsAgreeWithTheGeneralRules) {
    const char* const ops[] = {"=", "<>", "<", "<=", ">", ">=", "=="};
    const char* const dates[] = {"19990315", "19990301", "20000101", "        ", "19990231", "0000000x"};
    const char* const dateLiterals[] = {"19990301", "1999", "", "2", "        ", "19990315", "199903150"};
    for (const char* stored : dates) {
        putRaw("DATE", stored);
        for (const char* op : ops)
            for (const char* lit : dateLiterals) {
                const std::string tail = std::string(" ") + op + " '" + lit + "'";
                EXPECT_EQ(logical("DTOS(date)" + tail), logical("DTOS(date + 0)" + tail)) << stored << tail;
            }
    }
    const char* const ids[] = {"ABC", "AB ", "ABD", "   ", "\xE9" "AB"};
    const char* const idLiterals[] = {"ABC", "AB", "", "ABD", "A ", "ABCD", "é"};
    for (const char* stored : ids) {
        putRaw("SALES_ID", stored);
        for (const char* op : ops)
            for (const char* lit : idLiterals) {
                const std::string tail = std::string(" ") + op + " '" + lit + "'";
                EXPECT_EQ(logical("sales_id" + tail), logical("LEFT(sales_id, 3)" + tail)) << stored << tail;
            }
    }
    // Chains of such tests are evaluated without stopping early; same answers.
    putRaw("DATE", "19990315");
    for (const char* id : {"ABC", "XYZ"})
        for (const char* active : {"T", "F"}) {
            putRaw("SALES_ID", id);
            putRaw("ACTIVE", active);
            for (const char* chain : {"dtos(date) >= '19990301' .and. sales_id = 'ABC' .and. active",
                                      "dtos(date) < '19990301' .or. sales_id = 'ABC' .or. active",
                                      "(sales_id = 'ABC' .or. active) .and. dtos(date) = '1999'"}) {
                std::string slow = chain;
                slow.replace(slow.find("sales_id"), 8, "LEFT(sales_id, 3)");
                EXPECT_EQ(logical(chain), logical(slow)) << id << active << " " << chain;
            }
        }
}

TEST_F(ExpressionEval, DeletedFlagAndRecordNumber) {
    rec()[0] = '*';
    recno_ = 12345;
    EXPECT_TRUE(logical("DELETED()"));
    EXPECT_TRUE(logical("deleted() .and. recno() > 12000"));
    EXPECT_EQ(text("STR(RECNO(), 6)"), " 12345");
    rec()[0] = ' ';
    EXPECT_FALSE(logical("DELETED()"));
}

TEST_F(ExpressionEval, MemoTextComesFromTheMemoSource) {
    const Expression e = compile("'#9' $ notes .or. '#12' $ notes");
    EXPECT_TRUE(e.evalLogical(view()));
    writeLe32(rec() + field("NOTES").offset, 12);
    EXPECT_TRUE(e.evalLogical(view()));
    writeLe32(rec() + field("NOTES").offset, 3);
    EXPECT_FALSE(e.evalLogical(view()));
    EXPECT_GE(memos_.calls, 3);
    // Without a memo source memo fields read as empty text.
    const RecordView noMemos{record_.data(), 1, nullptr};
    EXPECT_EQ(compile("'<' + notes + '>'").evalText(noMemos), "<>");
}

TEST_F(ExpressionEval, LiteralsAreConvertedToTheTablesCodePage) {
    EXPECT_EQ(compile("'é€'").evalText(view()), "\xE9\x80");
    EXPECT_TRUE(logical("city = 'Montréal'"));
    EXPECT_TRUE(logical("UPPER(city) = 'MONTRÉAL'"));
    EXPECT_TRUE(logical("'é' $ city"));

    const CodePage& dos = CodePage::forLanguageDriver(0x01);  // code page 437
    ASSERT_EQ(dos.number(), 437);
    EXPECT_EQ(Expression::compile("'é'", fields_, dos).evalText(view()), "\x82");
    try {
        Expression::compile("name = '€'", fields_, dos);
        FAIL() << "the euro sign is not in code page 437";
    } catch (const ExpressionError& e) {
        EXPECT_EQ(e.position(), 7u);
        EXPECT_NE(std::string(e.what()).find("437"), std::string::npos) << e.what();
    }
}

TEST_F(ExpressionEval, ShortCircuitSkipsTheOtherSide) {
    // The right side would need more scratch memory than allowed.
    const Expression guarded = compile("qty > 0 .AND. LEN(PADL(name, 20000000)) > 0");
    EXPECT_FALSE(guarded.evalLogical(view()));
    const Expression unguarded = compile("qty < 0 .AND. LEN(PADL(name, 20000000)) > 0");
    EXPECT_THROW(unguarded.evalLogical(view()), ExpressionError);
    EXPECT_TRUE(compile("qty < 0 .OR. LEN(PADL(name, 20000000)) > 0").evalLogical(view()));
}

TEST(ExpressionNames, FieldNamesInOrderOfFirstAppearance) {
    FieldList fields;
    for (const char* n : {"SALES_ID", "TRACE_DATE", "C_LAST", "FILE_CODE"}) {
        FieldDef f;
        f.name = n;
        f.type = std::string_view(n) == "TRACE_DATE" ? FieldType::Date : FieldType::Character;
        f.width = 8;
        f.offset = static_cast<uint32_t>(1 + 8 * fields.size());
        fields.push_back(f);
    }
    const CodePage& cp = CodePage::windows1252();
    using Names = std::vector<std::string>;
    EXPECT_EQ(Expression::compile("UPPER(C_LAST)+FILE_CODE", fields, cp).fieldNames(), (Names{"C_LAST", "FILE_CODE"}));
    EXPECT_EQ(Expression::compile("SALES_ID+DTOS(TRACE_DATE)", fields, cp).fieldNames(),
              (Names{"SALES_ID", "TRACE_DATE"}));
    EXPECT_EQ(Expression::compile("file_code = 'x' .and. c_last = 'y' .or. FILE_CODE = 'z'", fields, cp).fieldNames(),
              (Names{"FILE_CODE", "C_LAST"}));
    EXPECT_TRUE(Expression::compile("'x' = 'y'", fields, cp).fieldNames().empty());
}

TEST_F(ExpressionEval, WidthOfResults) {
    struct Case { const char* expression; int width; };
    const Case cases[] = {
        {"name", 10},                 {"name + sales_id", 13},      {"name - sales_id", 13},
        {"UPPER(name)+sales_id", 13}, {"DTOS(date)", 8},            {"sales_id + DTOS(date)", 11},
        {"DTOC(date)", 8},            {"STR(amount, 6)", 6},        {"STR(amount)", 10},
        {"SUBSTR(name, 2, 3)", 3},    {"SUBSTR(name, 9, 5)", 2},    {"SUBSTR(name, 4)", 7},
        {"LEFT(name, 4)", 4},         {"RIGHT(name, 40)", 10},      {"PADL(TRIM(name), 12)", 12},
        {"'abc'", 3},                 {"''", 0},                    {"IIF(active, name, name)", 10},
        {"TRIM(name)", 0},            {"notes", 0},                 {"LEFT(TRIM(name), 3)", 0},
        {"IIF(active, name, city)", 0}, {"LEFT(name, qty)", 0},
        {"amount", 8},                {"date", 8},                  {"active", 1},
    };
    for (const auto& c : cases) {
        const Expression e = compile(c.expression);
        EXPECT_EQ(e.width(), c.width) << c.expression;
        if (e.type() == ValueType::Character && c.width > 0) {
            EXPECT_EQ(static_cast<int>(e.evalText(view()).size()), c.width) << c.expression;
        }
    }
}

TEST_F(ExpressionEval, TypeAndEvaluationEntryPoints) {
    Expression e = compile("UPPER(name) + sales_id");
    EXPECT_TRUE(e.valid());
    EXPECT_EQ(e.type(), ValueType::Character);
    EXPECT_EQ(e.text(), "UPPER(name) + sales_id");
    std::string key = "leftover";
    e.evalTextInto(view(), key);
    EXPECT_EQ(key, "SMITH     ABC");
    EXPECT_THROW(e.evalLogical(view()), Error);
    EXPECT_THROW(e.evalNumber(view()), Error);

    Expression moved = std::move(e);
    EXPECT_EQ(moved.evalText(view()), "SMITH     ABC");

    const Expression none;
    EXPECT_FALSE(none.valid());
    EXPECT_EQ(none.width(), 0);
    try {
        none.evalLogical(view());
        FAIL();
    } catch (const Error& err) {
        EXPECT_EQ(err.kind(), ErrorKind::InvalidState);
    }
}

}  // namespace
}  // namespace vv::db::test
