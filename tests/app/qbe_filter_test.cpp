#include "app/qbe_filter.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "app/qbe_filter_file.h"
#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::app {
namespace {

db::FieldList testFields() {
    using T = db::FieldType;
    return {{"NAME", T::Character, 20, 0},   {"AMOUNT", T::Numeric, 10, 2}, {"BORN", T::Date, 8, 0},
            {"ACTIVE", T::Logical, 1, 0},    {"NOTES", T::Memo, 4, 0},      {"VISITS", T::Integer, 4, 0}};
}

// A small table whose names hold every kind of quote.
class QbeFilterTest : public ::testing::Test {
protected:
    QbeFilterTest() {
        db::Table::create(dir_.str(), "PEOPLE.DBF", testFields());
        table_ = db::Table::open(dir_.str(), "PEOPLE.DBF");
        struct Person {
            const char *name, *amount, *born, *active;
            int visits;
        };
        const Person people[] = {{"Smith", "100.5", "03/01/24", "T", 3},
                                 {"smithers", "20", "12/31/23", "F", 12},
                                 {"O'Brien", "", "", "F", 0},
                                 {"Jones \"JJ\" [x]", "5000", "01/15/24", "T", 7}};
        for (const Person& p : people) {
            table_->append();
            table_->setText("NAME", p.name);
            table_->setText("AMOUNT", p.amount);
            table_->setText("BORN", p.born);
            table_->setText("ACTIVE", p.active);
            table_->setInt("VISITS", p.visits);
            table_->post();
        }
    }

    // The names the built filter lets through, in record order.
    std::vector<std::string> matching(const std::vector<QbeCondition>& conditions, QbeOptions options = {}) {
        table_->setFilter(buildQbeExpression(conditions, qbeFields(table_->fields()), options));
        std::vector<std::string> names;
        for (table_->first(); !table_->eof(); table_->next()) names.push_back(table_->getText("NAME"));
        return names;
    }

    test::TempDir dir_;
    std::unique_ptr<db::Table> table_;
};

TEST_F(QbeFilterTest, LiteralsHoldAnyTextWhateverQuotesItContains) {
    const std::vector<std::string> texts = {"",       "Smith",       "O'Brien",       "say \"hi\"",
                                            "it's \"x\"", "a'b\"c]d",  "']\"",          "[[", "]]'\"'\"]",
                                            "Café"};
    for (const std::string& text : texts) {
        const std::string literal = xbaseLiteral(text);
        const db::Expression e = db::Expression::compile(literal, table_->fields(), table_->codePage());
        table_->first();
        db::RecordView view{table_->recordBytes().data(), table_->recno(), nullptr};
        EXPECT_EQ(table_->codePage().toUtf8(e.evalText(view)), text) << literal;
    }
    EXPECT_EQ(xbaseLiteral("O'Brien"), "\"O'Brien\"");
    EXPECT_THROW(xbaseLiteral("line\nbreak"), db::Error);
}

TEST_F(QbeFilterTest, EachOperatorSelectsTheRecordsItNames) {
    using O = QbeOperator;
    struct Case {
        std::vector<QbeCondition> conditions;
        bool caseSensitive;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {{{"NAME", O::Equals, "smith"}}, false, {"Smith"}},
        {{{"NAME", O::Equals, "smith"}}, true, {}},
        {{{"NAME", O::NotEquals, "SMITH"}}, false, {"smithers", "O'Brien", "Jones \"JJ\" [x]"}},
        {{{"NAME", O::StartsWith, "smi"}}, false, {"Smith", "smithers"}},
        {{{"NAME", O::StartsWith, "smi"}}, true, {"smithers"}},
        {{{"NAME", O::Contains, "'"}}, false, {"O'Brien"}},
        {{{"NAME", O::Contains, "\"jj\" [X]"}}, false, {"Jones \"JJ\" [x]"}},
        {{{"NAME", O::NotContains, "smith"}}, false, {"O'Brien", "Jones \"JJ\" [x]"}},
        {{{"NAME", O::Less, "o"}}, false, {"Jones \"JJ\" [x]"}},
        {{{"AMOUNT", O::Greater, "99"}}, false, {"Smith", "Jones \"JJ\" [x]"}},
        {{{"AMOUNT", O::LessOrEqual, "20"}}, false, {"smithers", "O'Brien"}},
        {{{"AMOUNT", O::IsNull, ""}}, false, {"O'Brien"}},
        {{{"AMOUNT", O::StartsWith, "50"}}, false, {"Jones \"JJ\" [x]"}},
        {{{"VISITS", O::GreaterOrEqual, "7"}}, false, {"smithers", "Jones \"JJ\" [x]"}},
        {{{"VISITS", O::Contains, "2"}}, false, {"smithers"}},
        {{{"BORN", O::GreaterOrEqual, "01/15/24"}}, false, {"Smith", "Jones \"JJ\" [x]"}},
        {{{"BORN", O::Less, "1/1/2024"}}, false, {"smithers", "O'Brien"}},  // the empty date sorts first
        {{{"BORN", O::Equals, "12/31/23"}}, false, {"smithers"}},
        {{{"BORN", O::IsNotNull, ""}}, false, {"Smith", "smithers", "Jones \"JJ\" [x]"}},
        {{{"ACTIVE", O::Equals, "y"}}, false, {"Smith", "Jones \"JJ\" [x]"}},
        {{{"ACTIVE", O::NotEquals, ".t."}}, false, {"smithers", "O'Brien"}},
        {{{"NAME", O::StartsWith, "SMI"}, {"ACTIVE", O::Equals, "F"}}, false, {"smithers"}},
        // Rows without a value make no condition.
        {{{"NAME", O::Equals, ""}, {"AMOUNT", O::Greater, "  "}}, false, {"Smith", "smithers", "O'Brien", "Jones \"JJ\" [x]"}},
    };
    for (const Case& c : cases) {
        QbeOptions options;
        options.caseSensitive = c.caseSensitive;
        EXPECT_EQ(matching(c.conditions, options), c.expected)
            << buildQbeExpression(c.conditions, qbeFields(table_->fields()), options);
    }
}

TEST_F(QbeFilterTest, ParenthesesWrapEachConditionAndGiveTheSameRecords) {
    const std::vector<QbeCondition> conditions = {{"NAME", QbeOperator::StartsWith, "smi"},
                                                  {"ACTIVE", QbeOperator::Equals, "T"}};
    QbeOptions options;
    options.leadingParenthesis = true;
    EXPECT_EQ(buildQbeExpression(conditions, testFields(), options),
              "(UPPER(NAME) = UPPER('smi')) .AND. (ACTIVE)");
    EXPECT_EQ(matching(conditions, options), std::vector<std::string>{"Smith"});
}

TEST_F(QbeFilterTest, ValuesAFieldCannotTakeAreRefusedNamingTheField) {
    using O = QbeOperator;
    const std::vector<QbeCondition> bad = {{"AMOUNT", O::Equals, "12abc"}, {"VISITS", O::Less, "many"},
                                           {"BORN", O::Equals, "02/30/24"}, {"ACTIVE", O::Equals, "maybe"},
                                           {"ACTIVE", O::Greater, "T"},     {"NOTES", O::Contains, "x"}};
    for (const QbeCondition& c : bad) {
        try {
            buildQbeExpression({c}, testFields(), {});
            ADD_FAILURE() << c.field << " " << c.value;
        } catch (const db::Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.field), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(buildQbeExpression({{"NOSUCH", O::Equals, "1"}}, testFields(), {}), db::Error);
}

TEST(QbeFields, OnlyQueryableTypesInFieldOrder) {
    std::vector<std::string> names;
    for (const db::FieldDef& f : qbeFields(testFields())) names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"NAME", "AMOUNT", "BORN", "ACTIVE", "VISITS"}));
    for (QbeOperator op : qbeOperators()) EXPECT_EQ(qbeOperatorFromCaption(qbeOperatorCaption(op)), op);
    EXPECT_EQ(qbeOperators().size(), 11u);
}

TEST(QbeFilterFile, SavedFiltersComeBackAsTheyWere) {
    test::TempDir dir;
    const std::string path = dir.file("filters.qbe");
    EXPECT_TRUE(readQbeFilterFile(path).empty());  // no file yet
    std::vector<SavedQbeFilter> filters(2);
    filters[0] = {"ACCOUNT", "Big \\ accounts\twith tab", {true, false},
                  {{"ACCT_NAME", QbeOperator::StartsWith, "A\\B\tC"}, {"CORP_NO", QbeOperator::IsNull, ""}}, ""};
    filters[1] = {"SALES", "by hand", {false, true}, {}, "ROOMS > 3 .AND.\nRATE < 100"};
    writeQbeFilterFile(path, filters);
    EXPECT_EQ(readQbeFilterFile(path), filters);
    EXPECT_EQ(filtersForTable(filters, "sales"), std::vector<std::size_t>{1});
}

TEST(QbeFilterFile, AnythingElseIsAnInvalidFormat) {
    test::TempDir dir;
    const std::vector<std::string> broken = {
        "",
        "not a filter file\n",
        "VVQBE 1\nfilter\tA\tx\t0\t0\ncond\tF\tsounds like\tx\nend\n",
        "VVQBE 1\ncond\tF\tequals\tx\n",
        "VVQBE 1\nfilter\tA\tx\t0\t0\n",  // no end
        "VVQBE 1\nfilter\tA\tx\t2\t0\nend\n",
        "VVQBE 1\nfilter\tA\tbad \\q escape\t0\t0\nend\n",
    };
    for (const std::string& text : broken) {
        const std::string path = dir.file("broken.qbe");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        try {
            readQbeFilterFile(path);
            ADD_FAILURE() << text;
        } catch (const db::Error& e) {
            EXPECT_EQ(e.kind(), db::ErrorKind::CorruptFile) << text;
        }
    }
}

}  // namespace
}  // namespace vv::app
