#include "tracking/tracking_window.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include "shared/code_field.h"
#include "shared/date_field.h"
#include "shared/field_binder.h"
#include "shared/focus_highlight.h"
#include "shared/lookup_dialog.h"
#include "shared/record_grid.h"
#include "support_qt/modal_helper.h"
#include "tracking/bound_controls.h"
#include "tracking/grid_cells.h"
#include "tracking/tracking_filter_dialog.h"
#include "tracking_fixture.h"

namespace vv::tracking {
namespace {

using shared::FocusHighlight;

class TrackingWindowTest : public ::testing::Test {
protected:
    TrackingWindowTest() : previous_(shared::settings()) {
        shared::Settings& s = shared::settings();
        s.DataFolder = folder_.str() + "/";
        s.LocCode = "HOTEL";
        s.SalesId = "XXX";
        s.KeepFields = "Y";
    }
    ~TrackingWindowTest() override { shared::settings() = previous_; }

    std::unique_ptr<TTracking> openWindow() {
        auto w = std::make_unique<TTracking>();
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(900, 600);
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        EXPECT_TRUE(recorded_.errors.empty()) << recorded_.errors.front().toStdString();
        return w;
    }

    // Types `text` over what a field holds, then leaves it with Tab as the user does.
    static void typeInto(QLineEdit* edit, const char* text, bool leave = true) {
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        if (*text) QTest::keyClicks(edit, text);
        else QTest::keyClick(edit, Qt::Key_Delete);
        if (leave) {
            QTest::keyClick(edit, Qt::Key_Tab);
            QCoreApplication::processEvents();  // messages wait until the focus change is over
        }
    }

    // The stored record with KEY `key`, or the record number `recno`.
    std::unique_ptr<db::Table> stored(uint32_t recno) {
        auto sales = folder_.open("SALES.DBF");
        sales->go(recno);
        return sales;
    }

    static void activate(TTracking& w) {
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    int rows(TTracking& w) { return w.grid()->model()->rowCount(); }

    // Makes the grid's row of `recno` current.
    static void selectRecord(TTracking& w, uint32_t recno) {
        shared::TableModel& model = w.grid()->tableModel();
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.recnoAt(row) == recno) {
                w.grid()->setCurrentIndex(model.index(row, 1));
                return;
            }
        ADD_FAILURE() << "no row shows record " << recno;
    }

    test::TrackingFolder folder_;
    test::RecordedInteraction recorded_;
    shared::Settings previous_;
};

TEST_F(TrackingWindowTest, OpensOnTheListByDateInBrowseMode) {
    auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tracking"));
    EXPECT_EQ(w->pages()->currentIndex(), 0);
    EXPECT_EQ(w->pages()->tabText(0), QStringLiteral("Browse Tracking"));
    EXPECT_EQ(w->pages()->tabText(1), QStringLiteral("Tracking Details"));
    ASSERT_EQ(rows(*w), 4);
    shared::TableModel& model = w->grid()->tableModel();
    EXPECT_EQ(model.recnoAt(0), 2u) << "03/01/24 first";
    EXPECT_EQ(model.recnoAt(3), 4u);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Date"));
    EXPECT_TRUE(w->grid()->isColumnHidden(2)) << "DEP_DATE";
    EXPECT_EQ(shared::settings().CurrentLocCode, "HOTEL");

    EXPECT_TRUE(w->mainBar()->isVisible());
    EXPECT_FALSE(w->okButton()->isVisible());
    EXPECT_FALSE(w->dateField()->isEnabled());
    EXPECT_FALSE(w->roomsEdit()->isEnabled());
    EXPECT_FALSE(w->rateTierSpin()->isEnabled());
    EXPECT_TRUE(w->extendedStayCheck()->isEnabled()) << "not one of the switched controls";
    EXPECT_EQ(w->filterTextLabel()->text(), QString());

    w->nextAction()->trigger();
    EXPECT_EQ(w->mainTable()->recno(), 1u);
    EXPECT_EQ(w->roomsEdit()->text(), QStringLiteral("10"));
    w->previousAction()->trigger();
    EXPECT_EQ(w->mainTable()->recno(), 2u);
    EXPECT_EQ(w->rateEdit()->text(), QStringLiteral("33.37"));
}

TEST_F(TrackingWindowTest, TheListSortsByItsTaggedColumnsOnlyAndDrawsTheRateAsMoney) {
    auto w = openWindow();
    const int dateColumn = 1, roomsColumn = 5, rateColumn = 6;
    w->grid()->columnTitleClicked(roomsColumn);
    EXPECT_EQ(w->mainTable()->indexName(), "DATE") << "no tag leads with ROOMS";
    EXPECT_EQ(w->grid()->markedColumn(), -1);
    w->grid()->columnTitleClicked(dateColumn);
    EXPECT_EQ(w->mainTable()->indexName(), "DATE");
    EXPECT_EQ(w->grid()->markedColumn(), dateColumn);
    w->grid()->columnTitleClicked(roomsColumn);
    EXPECT_EQ(w->grid()->markedColumn(), dateColumn) << "the mark stays where it was";
    EXPECT_TRUE(recorded_.errors.empty());

    auto* rate = qobject_cast<CurrencyCell*>(w->grid()->itemDelegateForColumn(rateColumn));
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(rate->displayText(QStringLiteral("89.5"), QLocale()), currencyText(QStringLiteral("89.5")));

    // A double click on the list does not open the details.
    emit w->grid()->doubleClicked(w->grid()->model()->index(0, 1));
    EXPECT_EQ(w->pages()->currentIndex(), 0);
}

TEST_F(TrackingWindowTest, LookupButtonsFillTheirFields) {
    auto w = openWindow();
    EXPECT_EQ(w->segmentField()->setup().lookup.fields, (std::vector<std::string>{"segment", "segname", ""}))
        << "a blank third column";
    EXPECT_EQ(w->rateCodeField()->setup().lookup.captions, (std::vector<std::string>{"Code", "Code Description", ""}));
    w->addAction()->trigger();
    QString heading;
    test::whenModal<shared::TLookup>([&](shared::TLookup* d) {
        heading = d->windowTitle();
        // By account name: Acme Travel, then Bolt & Sons.
        d->grid()->setCurrentIndex(d->grid()->model()->index(1, 0));
        d->accept();
    });
    w->corpNoField()->button()->click();
    EXPECT_EQ(heading, QStringLiteral("Lookup"));
    EXPECT_EQ(w->corpNoField()->edit()->text(), QStringLiteral("C200"));
    EXPECT_EQ(w->focusWidget(), w->corpNoField()->edit()) << "its check runs when the field is left";
    activate(*w);  // the window manager's part once the dialog is gone
    EXPECT_EQ(w->salesIdField()->edit()->text(), QString());
    QTest::keyClick(w->corpNoField()->edit(), Qt::Key_Tab);
    EXPECT_EQ(w->salesIdField()->edit()->text(), QStringLiteral("CD"));

    test::whenModal<shared::TLookup>([](shared::TLookup* d) { d->reject(); });
    w->rateCodeField()->button()->click();
    EXPECT_EQ(w->rateCodeField()->edit()->text(), QString()) << "nothing picked, nothing changed";
    w->cancelButton()->click();
}

TEST_F(TrackingWindowTest, EntersADaysProductionForSeveralAccountsInOneGo) {
    auto w = openWindow();
    const db::Date yesterday = db::Date::today().addDays(-1);

    w->addAction()->trigger();
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_FALSE(w->mainBar()->isVisible());
    EXPECT_TRUE(w->okButton()->isVisible());
    EXPECT_FALSE(w->pages()->isTabEnabled(0));
    EXPECT_EQ(QApplication::focusWidget(), w->dateField()->edit());
    EXPECT_EQ(w->dateField()->edit()->text(), QString::fromStdString(yesterday.display()));
    EXPECT_EQ(w->roomsEdit()->text(), QStringLiteral("0"));
    EXPECT_EQ(w->rateEdit()->text(), QStringLiteral("0.00"));
    EXPECT_EQ(w->rateTierSpin()->value(), 0);

    // First account: its salesperson and segment come with it.
    typeInto(w->corpNoField()->edit(), "c100");
    EXPECT_EQ(w->accountLabel()->text(), QStringLiteral("Acme Travel"));
    EXPECT_EQ(w->salesIdField()->edit()->text(), QStringLiteral("AB"));
    EXPECT_EQ(w->segmentField()->edit()->text(), QStringLiteral("CORP"));
    typeInto(w->roomsEdit(), "12");
    typeInto(w->rateEdit(), "89.50");
    w->extendedStayCheck()->setChecked(true);
    w->okButton()->click();

    // Saved, and the next record is there at once with the same day and, by KeepFields, the same account.
    EXPECT_TRUE(recorded_.ui->informations.empty());
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_FALSE(w->mainBar()->isVisible()) << "adding goes on";
    EXPECT_TRUE(w->pages()->isTabEnabled(0));
    EXPECT_EQ(w->mainTable()->state(), db::Table::State::Insert);
    EXPECT_EQ(QApplication::focusWidget(), w->dateField()->edit());
    EXPECT_EQ(w->dateField()->edit()->text(), QString::fromStdString(yesterday.display()));
    EXPECT_EQ(w->corpNoField()->edit()->text(), QStringLiteral("C100"));
    EXPECT_EQ(w->salesIdField()->edit()->text(), QStringLiteral("AB"));
    EXPECT_EQ(w->roomsEdit()->text(), QStringLiteral("0"));
    EXPECT_FALSE(w->extendedStayCheck()->isChecked());
    EXPECT_EQ(w->accountLabel()->text(), QStringLiteral("Acme Travel")) << "the account's name stays";

    // Second account, keeping a segment that is not the account's own: a warning, and it saves.
    typeInto(w->corpNoField()->edit(), "C200");
    EXPECT_EQ(w->accountLabel()->text(), QStringLiteral("Bolt & Sons"));
    EXPECT_EQ(w->salesIdField()->edit()->text(), QStringLiteral("CD"));
    EXPECT_EQ(w->segmentField()->edit()->text(), QStringLiteral("CORP")) << "a segment already there stays";
    const int beeps = recorded_.ui->beeps;
    typeInto(w->segmentField()->edit(), "CORP");
    EXPECT_EQ(w->segmentWarningLabel()->text(), QStringLiteral("GOVT"));
    EXPECT_EQ(recorded_.ui->beeps, beeps + 1);
    typeInto(w->roomsEdit(), "3");
    typeInto(w->rateEdit(), "100");
    w->rateTierSpin()->setValue(2);
    w->okButton()->click();
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_EQ(w->segmentWarningLabel()->text(), QString()) << "cleared by the save";

    // Only Cancel ends adding; the record prepared last is dropped.
    typeInto(w->segmentField()->edit(), "CORP");
    EXPECT_EQ(w->segmentWarningLabel()->text(), QStringLiteral("GOVT"));
    w->cancelButton()->click();
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_TRUE(w->mainBar()->isVisible());
    EXPECT_FALSE(w->okButton()->isVisible());
    EXPECT_EQ(w->pages()->currentIndex(), 1) << "the details stay in view";
    EXPECT_EQ(w->segmentWarningLabel()->text(), QString());
    EXPECT_EQ(w->accountLabel()->text(), QStringLiteral("Bolt & Sons")) << "Cancel leaves the account's name";
    EXPECT_EQ(rows(*w), 6);

    auto first = stored(5);
    EXPECT_EQ(first->getText("CORP_NO"), "C100");
    EXPECT_EQ(first->getText("RMREV"), "1074.00");
    EXPECT_EQ(first->getText("SEG_TYPE"), "T");
    EXPECT_EQ(first->getText("EXTSTAY"), "Y");
    EXPECT_EQ(first->getText("LOCCODE"), "HOTEL");
    EXPECT_EQ(first->getText("USER"), "XXX");
    EXPECT_EQ(first->getText("PARENT_ID"), "P1");
    EXPECT_EQ(first->getDate("ADDED"), db::Date::today());
    EXPECT_EQ(first->getText("KEY").size(), 15u);
    auto second = stored(6);
    EXPECT_EQ(second->getText("CORP_NO"), "C200");
    EXPECT_EQ(second->getText("SEGMENT"), "CORP");
    EXPECT_EQ(second->getText("SALES_ID"), "CD");
    EXPECT_EQ(second->getText("RMREV"), "300.00");
    EXPECT_EQ(second->getText("RATE_TIER"), "2");
    EXPECT_EQ(second->getText("PARENT_ID"), "P2");
    EXPECT_EQ(second->getDate("DATE"), yesterday);
    EXPECT_EQ(folder_.open("SALES.DBF")->recordCount(), 6u);
}

TEST_F(TrackingWindowTest, UnknownCodesAreTakenBackAndIncompleteRecordsRefused) {
    auto w = openWindow();
    w->addAction()->trigger();
    recorded_.ui->beeps = 0;

    typeInto(w->corpNoField()->edit(), "NOPE");
    EXPECT_EQ(recorded_.ui->beeps, 1);
    EXPECT_EQ(w->corpNoField()->edit()->text(), QString());
    EXPECT_EQ(w->accountLabel()->text(), QStringLiteral("Account Not Found!"));
    EXPECT_EQ(QApplication::focusWidget(), w->corpNoField()->edit());
    EXPECT_TRUE(FocusHighlight::isHighlighted(w->corpNoField()->edit()));
    EXPECT_EQ(recorded_.ui->informations, std::vector<QString>{QStringLiteral("Please Use A Valid Corp Number!")});

    // A segment missing from the segment table, found when the salesperson field is left.
    w->mainTable()->setText("SEGMENT", "XX");
    w->fields().load();
    typeInto(w->salesIdField()->edit(), "AB");
    EXPECT_EQ(w->segmentField()->edit()->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), w->segmentField()->edit());
    EXPECT_EQ(recorded_.ui->informations.back(), QStringLiteral("Please Use A Valid Segment!"));

    typeInto(w->rateCodeField()->edit(), "ZZZ");
    EXPECT_EQ(w->rateCodeField()->edit()->text(), QString());
    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_EQ(recorded_.errors[0], QStringLiteral("Invalid Rate Code"));
    typeInto(w->rateCodeField()->edit(), "RACK");
    EXPECT_EQ(recorded_.errors.size(), 1u);

    // Nothing but a salesperson: refused once, the focus on the corporate number, the last failing field.
    typeInto(w->dateField()->edit(), "", false);
    w->mainTable()->setText("DATE", "");
    const std::size_t infos = recorded_.ui->informations.size();
    w->okButton()->click();
    EXPECT_TRUE(w->inEntryMode());
    ASSERT_EQ(recorded_.ui->informations.size(), infos + 1);
    EXPECT_EQ(recorded_.ui->informations.back(), QStringLiteral("Please Fill In Fields"));
    EXPECT_EQ(QApplication::focusWidget(), w->corpNoField()->edit());
    EXPECT_EQ(folder_.open("SALES.DBF")->recordCount(), 4u);
}

TEST_F(TrackingWindowTest, EditStoresAndReturnsToBrowsing) {
    auto w = openWindow();
    selectRecord(*w, 2);  // C200, 3 rooms at 33.37, no stamps
    w->editAction()->trigger();
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_EQ(w->entryKind(), 2);
    EXPECT_EQ(QApplication::focusWidget(), w->dateField()->edit());

    // Checking the account again while editing changes neither salesperson nor segment.
    w->mainTable()->setText("SALES_ID", "AB");
    w->fields().load();
    typeInto(w->corpNoField()->edit(), "C100");
    EXPECT_EQ(w->salesIdField()->edit()->text(), QStringLiteral("AB"));
    EXPECT_EQ(w->segmentField()->edit()->text(), QStringLiteral("GOVT"));
    typeInto(w->roomsEdit(), "4");
    w->okButton()->click();

    EXPECT_FALSE(w->inEntryMode());
    EXPECT_TRUE(w->mainBar()->isVisible());
    EXPECT_FALSE(w->okButton()->isVisible());
    EXPECT_EQ(rows(*w), 4);
    auto record = stored(2);
    EXPECT_EQ(record->getText("CORP_NO"), "C100");
    EXPECT_EQ(record->getText("RMREV"), "133.48");
    EXPECT_EQ(record->getText("KEY"), "K2");
    EXPECT_EQ(record->getText("PARENT_ID"), "P1") << "the values of the account the record names now";
    EXPECT_EQ(record->getDate("MODIFIED"), db::Date::today());
    EXPECT_TRUE(record->getDate("ADDED").isEmpty());
}

TEST_F(TrackingWindowTest, EditOfALockedRecordAsksInItsOwnWords) {
    auto w = openWindow();
    selectRecord(*w, 2);
    auto other = folder_.open("SALES.DBF");
    other->go(2);
    other->edit();  // another user holds the record

    recorded_.ui->retryAnswers = {true};  // try once more, then give up
    w->editAction()->trigger();
    EXPECT_EQ(recorded_.ui->retryQuestions,
              (std::vector<QString>{QStringLiteral("Cannot Edit Record...try again?"),
                                    QStringLiteral("Cannot Edit Record...try again?")}));
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_EQ(w->mainTable()->state(), db::Table::State::Browse);
    w->cancelButton()->click();
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_TRUE(recorded_.errors.empty());
    other->cancel();

    // The usual wording is back for everything else.
    recorded_.ui->informations.clear();
    w->addAction()->trigger();
    EXPECT_EQ(w->mainTable()->state(), db::Table::State::Insert);
    w->cancelButton()->click();
}

TEST_F(TrackingWindowTest, DeleteTakesTheRecordOutOfItsAccountsYearToDate) {
    auto w = openWindow();
    recorded_.ui->yesNoAnswer = false;
    selectRecord(*w, 1);
    w->deleteAction()->trigger();
    EXPECT_EQ(rows(*w), 4) << "No deletes nothing";
    ASSERT_EQ(recorded_.ui->questions.size(), 1u);
    EXPECT_EQ(recorded_.ui->questions[0], QStringLiteral("Delete Tracking Transaction | Delete This Tranasaction?"));

    recorded_.ui->yesNoAnswer = true;
    w->deleteAction()->trigger();
    EXPECT_EQ(rows(*w), 3);
    auto acme = folder_.account("C100");
    EXPECT_EQ(acme->getText("YTD_ROOMS"), "0");
    EXPECT_EQ(acme->getText("YTD_RMREV"), "0.00");
    EXPECT_EQ(acme->getText("YTD_ADR"), "0.00");
    EXPECT_EQ(acme->getText("LAST_RMS"), "10");
    EXPECT_EQ(acme->getText("LAST_REV"), "1000.00");
    EXPECT_TRUE(recorded_.errors.empty());

    selectRecord(*w, 3);  // no corporate number: deleted quietly
    w->deleteAction()->trigger();
    EXPECT_EQ(rows(*w), 2);
    EXPECT_TRUE(recorded_.errors.empty());

    selectRecord(*w, 4);  // an account that is not there: said, and deleted all the same
    w->deleteAction()->trigger();
    EXPECT_EQ(rows(*w), 1);
    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_EQ(recorded_.errors[0], QStringLiteral("Account Not Found"));
    auto bolt = folder_.account("C200");
    EXPECT_EQ(bolt->getText("YTD_ROOMS"), "13") << "other accounts untouched";
}

TEST_F(TrackingWindowTest, FindAndPrintFilterTheList) {
    auto w = openWindow();
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) {
        QTest::keyClicks(d->corpNoEdit(), "C100");
        d->okButton()->click();
    });
    w->findAction()->trigger();
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("Corp No = C100"));
    EXPECT_EQ(rows(*w), 1);

    std::vector<shared::ReportRow> printed;
    w->setReportShower([&](const shared::Report& report, QWidget*) {
        EXPECT_EQ(report.title, QStringLiteral("Sales Tracking Transactions"));
        report.rows([&](const shared::ReportRow& row) { printed.push_back(row); });
    });
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) {
        d->endDateEdit()->setFocus();
        QTest::keyClicks(d->endDateEdit(), "030324");
        d->okButton()->click();
    });
    w->printAction()->trigger();
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[0].value(QStringLiteral("CORP_NO")), QStringLiteral("C200")) << "in the list's order";
    EXPECT_EQ(rows(*w), 3) << "the filter stays after printing";

    // Cancel: nothing printed, nothing changed.
    printed.clear();
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) { d->cancelButton()->click(); });
    w->printAction()->trigger();
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(rows(*w), 3);

    // A filter nothing passes: Edit and Delete have nothing to work on.
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) {
        QTest::keyClicks(d->corpNoEdit(), "NONE");
        d->okButton()->click();
    });
    w->findAction()->trigger();
    EXPECT_EQ(rows(*w), 0);
    w->editAction()->trigger();
    w->deleteAction()->trigger();
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_TRUE(recorded_.ui->retryQuestions.empty());
    EXPECT_TRUE(recorded_.ui->questions.empty());

    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) { d->okButton()->click(); });
    w->findAction()->trigger();
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("All Tracking Transactions"));
    EXPECT_EQ(rows(*w), 4);
}

TEST_F(TrackingWindowTest, TwoWindowsKeepTheirOwnEntryKindAndRememberedValues) {
    auto a = openWindow();
    auto b = openWindow();

    activate(*a);
    a->addAction()->trigger();
    typeInto(a->corpNoField()->edit(), "C100");
    a->okButton()->click();
    a->cancelButton()->click();

    // B has saved nothing: its new record names no account.
    activate(*b);
    b->addAction()->trigger();
    EXPECT_EQ(b->corpNoField()->edit()->text(), QString());
    b->cancelButton()->click();

    // An edit begun in B does not turn A's new record into an edited one.
    activate(*a);
    a->addAction()->trigger();
    EXPECT_EQ(a->corpNoField()->edit()->text(), QStringLiteral("C100")) << "A remembers its own";
    typeInto(a->salesIdField()->edit(), "AB");
    activate(*b);
    selectRecord(*b, 3);
    b->editAction()->trigger();
    activate(*a);
    a->okButton()->click();
    EXPECT_TRUE(a->inEntryMode()) << "still adding";
    a->cancelButton()->click();
    b->cancelButton()->click();

    auto sales = folder_.open("SALES.DBF");
    ASSERT_EQ(sales->recordCount(), 6u);
    sales->go(6);
    EXPECT_EQ(sales->getDate("ADDED"), db::Date::today());
    EXPECT_EQ(sales->getText("KEY").size(), 15u);
}

}  // namespace
}  // namespace vv::tracking
