#include "shared/table_model.h"

#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::shared {
namespace {

constexpr uint32_t kRecords = 20000;

std::string nameOf(uint32_t recno) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "R%06u", recno);
    return buf;
}

// One table of 20,000 records for the whole suite: NAME "R000001"...,
// PARITY "O" or "E" by the record number.
class TableModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        db::Table::create(dir_->str(), "BIG.DBF",
                          {{"NAME", db::FieldType::Character, 10, 0, 0, 0},
                           {"PARITY", db::FieldType::Character, 1, 0, 0, 0}});
        db::OpenOptions exclusive;
        exclusive.exclusive = true;
        auto t = db::Table::open(dir_->str(), "BIG.DBF", exclusive);
        for (uint32_t r = 1; r <= kRecords; ++r) {
            t->append();
            t->setText("NAME", nameOf(r));
            t->setText("PARITY", r % 2 ? "O" : "E");
            t->post();
        }
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override { table_ = db::Table::open(dir_->str(), "BIG.DBF"); }

    std::unique_ptr<TableModel> makeModel() {
        return std::make_unique<TableModel>(*table_, std::vector<GridColumn>{{"NAME", "Name"}, {"", ""}, {"PARITY", "P"}});
    }
    static QString text(TableModel& m, int row, int column = 0) { return m.data(m.index(row, column)).toString(); }

    static test::TempDir* dir_;
    std::unique_ptr<db::Table> table_;
};

test::TempDir* TableModelTest::dir_ = nullptr;

TEST_F(TableModelTest, AFarRowCostsOnePageNotTheTable) {
    table_->go(7);
    auto model = makeModel();
    EXPECT_EQ(model->rowCount(), static_cast<int>(kRecords));
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->cursor().reads(), 0u) << "opening counts but reads no rows";

    EXPECT_EQ(text(*model, 15000), QString::fromStdString(nameOf(15001)));
    EXPECT_EQ(text(*model, 15000, 1), QString()) << "a blank column";
    EXPECT_EQ(text(*model, 15000, 2), QStringLiteral("O"));
    EXPECT_LE(model->cursor().reads(), static_cast<uint64_t>(TableModel::kPageRows + 2));
    EXPECT_EQ(table_->recno(), 7u) << "the window's current record is put back";

    // The rest of that page is already there.
    model->cursor().resetReads();
    EXPECT_EQ(text(*model, 15010), QString::fromStdString(nameOf(15011)));
    EXPECT_EQ(model->cursor().reads(), 0u);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
}

TEST_F(TableModelTest, UnderAFilterRowsAreReachedFromTheNearestKnownRow) {
    table_->setFilter("PARITY = 'E'");
    auto model = makeModel();
    ASSERT_EQ(model->rowCount(), static_cast<int>(kRecords / 2));

    // From the last row back: about a quarter of the rows, never the whole table.
    EXPECT_EQ(text(*model, 7500), QString::fromStdString(nameOf(15002)));
    EXPECT_LE(model->cursor().reads(), static_cast<uint64_t>(2500 + 2 * TableModel::kPageRows));

    // Rows near one already reached start from an anchor passed on the way.
    struct Case {
        int row;
    } cases[] = {{7400}, {7300}, {9000}, {40}};
    for (const Case& c : cases) {
        model->cursor().resetReads();
        EXPECT_EQ(text(*model, c.row), QString::fromStdString(nameOf(2 * static_cast<uint32_t>(c.row) + 2))) << c.row;
        EXPECT_LE(model->cursor().reads(), static_cast<uint64_t>(3 * TableModel::kPageRows + 2)) << c.row;
    }
    EXPECT_EQ(model->recnoAt(9999), kRecords);
    EXPECT_EQ(model->recnoAt(10000), 0u);
}

TEST_F(TableModelTest, TheRowOfTheCurrentRecordIsFoundAndCanBeGoneTo) {
    table_->setFilter("PARITY = 'O'");
    auto model = makeModel();
    struct Case {
        uint32_t recno;
        int row;
    } cases[] = {{1, 0}, {3001, 1500}, {2999, 1499}, {kRecords - 1, 9999}};
    for (const Case& c : cases) {
        table_->go(c.recno);
        EXPECT_EQ(model->rowOfCurrent(), c.row) << c.recno;
        EXPECT_EQ(table_->recno(), c.recno);
    }
    ASSERT_TRUE(model->goToRow(250));
    EXPECT_EQ(table_->recno(), 501u);
    EXPECT_FALSE(model->goToRow(10000));

    // Record order without hidden records: the row is the record number.
    table_->clearFilter();
    model->reload();
    table_->go(12345);
    model->cursor().resetReads();
    EXPECT_EQ(model->rowOfCurrent(), 12344);
    EXPECT_EQ(model->cursor().reads(), 0u);
}

TEST_F(TableModelTest, APendingRecordIsNeverMovedAndRowsComeBackAfterReload) {
    table_->go(10);
    table_->edit();
    auto model = makeModel();
    EXPECT_FALSE(model->data(model->index(500, 0)).isValid());
    EXPECT_FALSE(model->goToRow(500));
    EXPECT_EQ(table_->state(), db::Table::State::Edit);
    EXPECT_EQ(table_->recno(), 10u);
    table_->cancel();
    model->reload();
    EXPECT_EQ(text(*model, 500), QString::fromStdString(nameOf(501)));
}

TEST_F(TableModelTest, RowsGetTheColoursTheWindowGives) {
    auto model = makeModel();
    model->setRowStyler([](const db::Table& t) {
        RowStyle style;
        if (t.getText("PARITY") == "E") style.text = Qt::red;
        return style;
    });
    EXPECT_EQ(model->data(model->index(1, 0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_FALSE(model->data(model->index(2, 0), Qt::ForegroundRole).isValid());
    EXPECT_FALSE(model->data(model->index(1, 0), Qt::BackgroundRole).isValid());
}

TEST_F(TableModelTest, AColumnOfAFieldTheTableLacksIsAnErrorNamingIt) {
    try {
        TableModel model(*table_, {{"NO_SUCH", "x"}});
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::FieldNotFound);
        EXPECT_NE(std::string(e.what()).find("NO_SUCH"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace vv::shared
