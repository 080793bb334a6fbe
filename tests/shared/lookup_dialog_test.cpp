#include "shared/lookup_dialog.h"

#include <functional>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "shared/focus_highlight.h"
#include "shared/grid_columns.h"
#include "shared/settings.h"
#include "shared/table_model.h"
#include "support/temp_dir.h"
#include "support_qt/modal_helper.h"
#include "shared_fixture.h"

namespace vv::shared {
namespace {

class LookupDialogTest : public ::testing::Test {
protected:
    LookupDialogTest() {
        previousFolder_ = settings().DataFolder;
        settings().DataFolder = dir_.str() + "/";
        test::fillTable(dir_.str(), "SALECODE.DBF",
                        {{{"SALE_CODE", "TEL"}, {"SALE_DESC", "Telephone call"}},
                         {{"SALE_CODE", "VIS"}, {"SALE_DESC", "Site visit"}},
                         {{"SALE_CODE", "LUN"}, {"SALE_DESC", "Lunch"}}});
        test::fillTable(dir_.str(), "CONTACTS.DBF",
                        {{{"FILE_CODE", "BOLT"}, {"C_FIRST", "Ann"}},
                         {{"FILE_CODE", "ACME"}, {"C_FIRST", "Bob"}},
                         {{"FILE_CODE", "BOLT"}, {"C_FIRST", "Cy"}},
                         {{"FILE_CODE", "ACME"}, {"C_FIRST", "Di"}}});
    }
    ~LookupDialogTest() override { settings().DataFolder = previousFolder_; }

    // Runs `act` on the dialog once it is up, then makes sure it closes, so
    // a failed check never leaves the test waiting on it.
    static std::string runWith(const LookupRequest& request, std::function<void(TLookup*)> act) {
        test::whenModal<TLookup>([act](TLookup* dialog) {
            act(dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        return RunLookup(request);
    }

    static QPoint rowCentre(QTableView* grid, int row) { return grid->visualRect(grid->model()->index(row, 0)).center(); }

    // A double click as the mouse makes it: the first click, then the second.
    static void doubleClickRow(QTableView* grid, int row) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(grid, row));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(grid, row));
    }

    static LookupRequest callCodes() {
        return {"salecode", "", "sale_code", "", "Sales Call Code Lookup", {"sale_code", "sale_desc"},
                {"Call Code", "Call Description"}};
    }

    test::TempDir dir_;
    test::RecordedInteraction recorded_;
    std::string previousFolder_;
};

TEST_F(LookupDialogTest, ADoubleClickOnARowReturnsItsValue) {
    const std::string value = runWith(callCodes(), [](TLookup* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Lookup"));
        EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Sales Call Code Lookup"));
        EXPECT_FALSE(d->searchBox()->isVisibleTo(d)) << "only the account lookup searches";
        EXPECT_FALSE(d->findChild<QLabel*>(QStringLiteral("Label2"))->isVisibleTo(d));
        QTableView* grid = d->grid();
        EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Call Description"));
        EXPECT_EQ(grid->model()->rowCount(), 3);
        doubleClickRow(grid, 2);
    });
    EXPECT_EQ(value, "LUN");
    EXPECT_TRUE(recorded_.errors.empty());
}

TEST_F(LookupDialogTest, TheGridIsAsWideAsItsColumnsAndCentred) {
    LookupRequest request = callCodes();
    request.fields.insert(request.fields.begin() + 1, "");  // a blank column counts too
    request.captions.insert(request.captions.begin() + 1, "");
    runWith(request, [](TLookup* d) {
        QTableView* grid = d->grid();
        ASSERT_EQ(grid->model()->columnCount(), 3);
        EXPECT_EQ(grid->model()->data(grid->model()->index(0, 1)).toString(), QString());
        std::vector<int> widths;
        for (int c = 0; c < 3; ++c) widths.push_back(grid->columnWidth(c));
        EXPECT_EQ(widths[1], defaultColumnWidth(grid->fontMetrics(), nullptr, {}));
        const LookupGridGeometry g = LookupSession::gridGeometry(widths);
        EXPECT_EQ(grid->geometry().width(), g.width);
        EXPECT_EQ(grid->geometry().left(), g.left);
        EXPECT_EQ(d->size(), QSize(542, 318)) << "the dialog keeps its size";
    });

    // Wide columns: exactly 500, left edge 25.
    LookupRequest wide{"contacts", "", "recno", "", "Contact Lookup", {"acct_name", "addr1", "addr2"}, {"A", "B", "C"}};
    runWith(wide, [](TLookup* d) {
        EXPECT_EQ(d->grid()->geometry().width(), 500);
        EXPECT_EQ(d->grid()->geometry().left(), 25);
    });
}

TEST_F(LookupDialogTest, RecnoIsThePhysicalRecordNumberUnderAFilter) {
    LookupRequest request{"contacts", "", "recno", "file_code = 'ACME'", "Contact Lookup",
                          {"file_code", "c_first", "c_last"}, {"File Code", "First Name", "Last Name"}};
    const std::string value = runWith(request, [](TLookup* d) {
        QTableView* grid = d->grid();
        ASSERT_EQ(grid->model()->rowCount(), 2);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(grid, 1));
        EXPECT_EQ(grid->model()->data(grid->currentIndex().siblingAtColumn(1)).toString(), QStringLiteral("Di"));
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    });
    EXPECT_EQ(value, "4");
}

TEST_F(LookupDialogTest, CancelAfterMovingThroughTheGridReturnsNothing) {
    const std::string value = runWith(callCodes(), [](TLookup* d) {
        QTest::mouseClick(d->grid()->viewport(), Qt::LeftButton, {}, rowCentre(d->grid(), 1));
        QTest::keyClick(d->grid(), Qt::Key_Down);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(value, "");
}

TEST_F(LookupDialogTest, EnterMeansOk) {
    const std::string value = runWith(callCodes(), [](TLookup* d) {
        QTest::mouseClick(d->grid()->viewport(), Qt::LeftButton, {}, rowCentre(d->grid(), 1));
        QTest::keyClick(d->grid(), Qt::Key_Return);
    });
    EXPECT_EQ(value, "VIS");
}

TEST_F(LookupDialogTest, CtrlDeleteDeletesTheRowAfterConfirmation) {
    recorded_.ui->confirmAnswer = true;
    runWith(callCodes(), [](TLookup* d) {
        QTest::mouseClick(d->grid()->viewport(), Qt::LeftButton, {}, rowCentre(d->grid(), 0));
        QTest::keyClick(d->grid(), Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(d->grid()->model()->rowCount(), 2);
    });
    EXPECT_EQ(recorded_.ui->confirmations, std::vector<QString>{QStringLiteral("Delete record?")});
    auto table = db::Table::open(dir_.str(), "SALECODE.DBF");
    EXPECT_EQ(table->count(), 2u);
    table->first();
    EXPECT_EQ(table->getText("SALE_CODE"), "VIS");
}

TEST_F(LookupDialogTest, ATableOrFieldThatCannotBeShownIsReportedAndGivesNothing) {
    const std::string value = RunLookup({"salecode", "", "no_such", "", "x", {"sale_code"}, {"Code"}});
    EXPECT_EQ(value, "");
    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_TRUE(recorded_.errors[0].contains(QStringLiteral("NO_SUCH"), Qt::CaseInsensitive)) << recorded_.errors[0].toStdString();
}

TEST_F(LookupDialogTest, TheAccountSearchBoxMovesToTheFirstNameBeginningWithWhatIsTyped) {
    test::fillTable(dir_.str(), "ACCOUNT.DBF",
                    {{{"FILE_CODE", "Z1"}, {"ACCT_NAME", "Zenith Corp"}},
                     {{"FILE_CODE", "A1"}, {"ACCT_NAME", "Acme Travel"}},
                     {{"FILE_CODE", "A2"}, {"ACCT_NAME", "Acorn Bank"}}});
    if (!test::orderingAvailable(dir_.str(), "ACCOUNT.DBF")) GTEST_SKIP() << "the engine does not order by tags yet";
    test::indexTable(dir_.str(), "ACCOUNT.DBF");
    test::encryptTable(dir_.str(), "ACCOUNT.DBF");
    LookupRequest request{"account", "acct_name", "file_code", "", "Account Lookup",
                          {"file_code", "acct_name", "sales_id"}, {"File Code", "Account Name", "Sales Id"}};
    const std::string value = runWith(request, [](TLookup* d) {
        QLineEdit* box = d->searchBox();
        ASSERT_TRUE(box->isVisibleTo(d));
        QTest::keyClicks(box, "acx");
        EXPECT_EQ(box->text(), QStringLiteral("ac")) << "the character no name continues with is taken off";
        EXPECT_EQ(d->grid()->currentIndex().row(), 0);
        QTest::keyClicks(box, "o");
        EXPECT_EQ(d->grid()->currentIndex().row(), 1);
        doubleClickRow(d->grid(), d->grid()->currentIndex().row());
    });
    EXPECT_EQ(value, "A2");
}

}  // namespace
}  // namespace vv::shared
