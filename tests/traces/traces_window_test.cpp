#include "traces/traces_window.h"

#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "db/table.h"
#include "shared/code_field.h"
#include "shared/date_field.h"
#include "shared/field_binder.h"
#include "shared/record_grid.h"
#include "shared/report_document.h"
#include "shared/settings.h"
#include "support/temp_dir.h"
#include "traces/trace_filter.h"
#include "traces/traces_fixture.h"

namespace vv::traces {
namespace {

std::string todayText() { return db::Date::today().display(); }

class TracesWindowTest : public ::testing::Test {
protected:
    TracesWindowTest() : previous_(shared::settings()) {
        test::makeTracesFolder(dir_.str());
        shared::settings().DataFolder = dir_.str() + "/";
        shared::settings().LettersFolder = dir_.str() + "/";
        shared::settings().SalesId = "XXX";
        previousOpener_ = TTraces::setCallOpener(
            [this](const calls::AddCallPrefill& values, QWidget*) { handedOver_.push_back(values); });
        area_.resize(1200, 900);
        area_.show();
        area_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&area_));
    }
    ~TracesWindowTest() override {
        area_.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTraces::setCallOpener(previousOpener_);
        shared::settings() = previous_;
    }

    TTraces* open() {
        TTraces* w = OpenTraces(area_, "", "SALES_ID");
        area_.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
        return w;
    }

    // The stored trace with `key`, field by field.
    std::map<std::string, std::string> stored(const std::string& key) {
        auto traces = db::Table::open(dir_.str(), "TRACES.DBF");
        for (traces->first(); !traces->eof(); traces->next()) {
            if (traces->getText("KEY") != key) continue;
            std::map<std::string, std::string> row;
            for (const db::FieldDef& f : traces->fields()) row[f.name] = traces->getText(f.name);
            return row;
        }
        return {};
    }

    // Shows every trace and goes to the one with `key`.
    static void showAllAndGo(TTraces* w, const std::string& key) {
        w->findWith({"", QStringLiteral("All Traces"), {}});
        db::Table& t = *w->mainTable();
        for (t.first(); !t.eof() && t.getText("KEY") != key; t.next()) {
        }
        w->grid()->showCurrentRecord();
    }

    test::TempDir dir_;
    test::RecordedInteraction recorded_;
    shared::Settings previous_;
    TTraces::CallOpener previousOpener_;
    std::vector<calls::AddCallPrefill> handedOver_;
    QMdiArea area_;
};

TEST_F(TracesWindowTest, OpensOnTheOpenTracesInTraceDateOrder) {
    TTraces* w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Traces/Appointments"));
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("Sales ID =  and Status=O"));
    EXPECT_EQ(w->mainTable()->filter(), "status = 'O'");
    ASSERT_EQ(w->grid()->model()->rowCount(), 2);
    EXPECT_EQ(w->grid()->model()->index(0, 0).data().toString(), QStringLiteral("07/10/24"));
    EXPECT_EQ(w->grid()->model()->index(1, 0).data().toString(), QStringLiteral("07/20/24"));
    EXPECT_EQ(w->letters().size(), 2u);
    EXPECT_EQ(traceUnit().filterText, QStringLiteral("File Code = "));
}

TEST_F(TracesWindowTest, RowsDueBeforeTodayAreRedDueTodayIsNot) {
    {
        auto traces = db::Table::open(dir_.str(), "TRACES.DBF");
        traces->append();
        traces->setDate("TRACE_DATE", db::Date::today());
        traces->setText("STATUS", "O");
        traces->post();
    }
    TTraces* w = open();
    QAbstractItemModel* model = w->grid()->model();
    ASSERT_EQ(model->rowCount(), 3);
    auto colour = [&](int row) { return model->index(row, 4).data(Qt::ForegroundRole).value<QColor>(); };
    EXPECT_EQ(colour(0), QColor(Qt::red));   // 07/10/24
    EXPECT_NE(colour(2), QColor(Qt::red));   // today
}

TEST_F(TracesWindowTest, CompleteClosesEverySelectedTraceAndHandsTheLastToTheQuickCall) {
    TTraces* w = open();
    recorded_.ui->yesNoAnswer = true;
    w->grid()->selectAll();
    w->complete();
    for (const char* key : {"000000000000001", "000000000000003"}) {
        auto row = stored(key);
        EXPECT_EQ(row["STATUS"], "C") << key;
        EXPECT_EQ(row["COMP_DATE"], todayText()) << key;
        EXPECT_EQ(row["COMP_BY"], "XXX") << key;
    }
    ASSERT_EQ(recorded_.ui->questions.size(), 2u);
    EXPECT_EQ(recorded_.ui->questions[0], QStringLiteral("Close Traces | Close Traces?"));
    EXPECT_EQ(recorded_.ui->questions[1], QStringLiteral("Add New Sales Call | Add New Sales Call?"));
    ASSERT_EQ(handedOver_.size(), 1u);
    EXPECT_EQ(handedOver_[0].fileCode, "ACME      ");
    EXPECT_EQ(handedOver_[0].last, "Doe");
}

TEST_F(TracesWindowTest, CompleteOnAClosedTraceReopensAndOnABlankStatusDoesNothing) {
    TTraces* w = open();
    showAllAndGo(w, "000000000000002");
    recorded_.ui->yesNoAnswer = true;
    w->complete();
    EXPECT_EQ(stored("000000000000002")["STATUS"], "O");
    EXPECT_EQ(stored("000000000000002")["COMP_DATE"], "");
    EXPECT_EQ(recorded_.ui->questions, std::vector<QString>{QStringLiteral("Re-Open Traces | Re-Open Traces?")});
    EXPECT_TRUE(handedOver_.empty());

    {
        auto traces = db::Table::open(dir_.str(), "TRACES.DBF");
        traces->go(3);
        traces->edit();
        traces->setText("STATUS", "");
        traces->post();
    }
    showAllAndGo(w, "000000000000003");
    w->complete();
    EXPECT_EQ(recorded_.ui->questions.size(), 1u);
}

TEST_F(TracesWindowTest, CopyOfAClosedTraceIsClosedWithoutCompletionOrAddress) {
    TTraces* w = open();
    showAllAndGo(w, "000000000000002");
    w->copyTrace();
    ASSERT_TRUE(w->inEntryMode());
    db::Table& t = *w->mainTable();
    EXPECT_EQ(t.getText("STATUS"), "C");
    EXPECT_EQ(t.getText("FILE_CODE"), "BOLT");
    EXPECT_EQ(t.getText("C_LAST"), "Bolt");
    EXPECT_EQ(t.getText("COMP_DATE"), "");
    EXPECT_EQ(t.getText("ACCT_NAME"), "");
    w->saveEntry();
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_EQ(t.getText("KEY").size(), 15u);
    EXPECT_EQ(t.getText("ADD_METH"), "M");
    EXPECT_EQ(t.getText("EVENT_NO"), "");  // six blanks, read back trimmed
}

TEST_F(TracesWindowTest, EditKeepsTheKeyAndClosingWhileEditingKeepsTheEdit) {
    TTraces* w = open();
    w->editTrace();
    ASSERT_TRUE(w->inEntryMode());
    w->mainTable()->setText("EVENT_NO", "7");
    w->fields().load();
    w->saveEntry();
    EXPECT_EQ(stored("000000000000001")["EVENT_NO"], "     7");
    EXPECT_EQ(stored("000000000000001")["MODIFIED"], todayText());

    w->editTrace();
    w->mainTable()->setText("MEMO", "Edited then closed");
    qobject_cast<QMdiSubWindow*>(w->parentWidget())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(stored("000000000000001")["MEMO"], "Edited then closed");

    // A new trace being added is lost with the window.
    TTraces* second = open();
    second->addTrace();
    second->mainTable()->setText("KEY", "000000000000009");
    qobject_cast<QMdiSubWindow*>(second->parentWidget())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(stored("000000000000009").empty());
    EXPECT_EQ(db::Table::open(dir_.str(), "TRACES.DBF")->recordCount(), 3u);
}

TEST_F(TracesWindowTest, OkAsksForTheFileCodeLastAndASalespersonPickCancelledEmptiesIt) {
    TTraces* w = open();
    w->addTrace();
    ASSERT_TRUE(w->inEntryMode());
    EXPECT_EQ(w->mainTable()->getText("STATUS"), "O");
    w->mainTable()->setText("SALES_ID", "ABC");
    w->salespersonPicked("");
    EXPECT_EQ(w->mainTable()->getText("SALES_ID"), "");
    w->saveEntry();
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_EQ(QApplication::focusWidget(), w->editorOf("FILE_CODE"));
}

TEST_F(TracesWindowTest, FindWithAnEmptyFilterShowsAllTracesAndGoesToTheFirst) {
    TTraces* w = open();
    w->findWith({"", QStringLiteral("anything"), {}});
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("All Traces"));
    EXPECT_EQ(w->grid()->model()->rowCount(), 3);
    w->mainTable()->last();
    w->findWith({"Cancel", {}, {}});
    EXPECT_EQ(w->mainTable()->getText("KEY"), "000000000000001");
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("All Traces"));
}

TEST_F(TracesWindowTest, LeavingTheFileCodeFillsANewTraceOnlyAndTheDateShowsItsWeekdayWhenNew) {
    TTraces* w = open();
    w->addTrace();
    ASSERT_TRUE(w->inEntryMode());
    w->fileCode()->edit()->setFocus();
    QTest::keyClicks(w->fileCode()->edit(), "acme");
    QTest::keyClick(w->fileCode()->edit(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->mainTable()->getText("ACCT_NAME"), "Acme Travel");
    EXPECT_EQ(w->mainTable()->getText("U_CODE1"), "U1");
    EXPECT_EQ(w->accountLabel()->text(), QStringLiteral("Acme Travel"));

    w->traceDate()->edit()->setFocus();
    QTest::keyClicks(w->traceDate()->edit(), "07/14/24");  // a Sunday
    QTest::keyClick(w->traceDate()->edit(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->dayLabel()->text(), QLocale::system().dayName(7, QLocale::LongFormat));
    w->cancelEntry();

    w->mainTable()->first();
    w->grid()->showCurrentRecord();
    w->editTrace();  // 07/10/24, Acme
    w->fileCode()->edit()->setFocus();
    w->fileCode()->edit()->selectAll();
    QTest::keyClicks(w->fileCode()->edit(), "bolt");
    QTest::keyClick(w->fileCode()->edit(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->mainTable()->getText("FILE_CODE"), "BOLT");
    EXPECT_EQ(w->mainTable()->getText("ACCT_NAME"), "Acme Travel");
    EXPECT_EQ(w->accountLabel()->text(), QString());
    w->traceDate()->edit()->setFocus();
    QTest::keyClick(w->traceDate()->edit(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->dayLabel()->text(), QString());
}

TEST_F(TracesWindowTest, AnUnknownTraceCodeEmptiesCodeAndDescription) {
    TTraces* w = open();
    w->editTrace();
    w->traceCode()->edit()->setFocus();
    w->traceCode()->edit()->selectAll();
    QTest::keyClicks(w->traceCode()->edit(), "zz");
    QTest::keyClick(w->traceCode()->edit(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->mainTable()->getText("TRACE_CODE"), "");
    EXPECT_EQ(w->mainTable()->getText("TRACE_DESC"), "");
    EXPECT_EQ(qobject_cast<QLineEdit*>(w->editorOf("TRACE_DESC"))->text(), QString());
    EXPECT_EQ(recorded_.errors, std::vector<QString>{QStringLiteral("Invalid Trace Code")});
}

TEST_F(TracesWindowTest, LastReordersByLastNameNotesChangesNothing) {
    TTraces* w = open();
    w->grid()->columnTitleClicked(8);  // Notes
    EXPECT_EQ(w->mainTable()->indexName(), "DATE");
    w->grid()->columnTitleClicked(6);  // Last
    EXPECT_EQ(w->mainTable()->indexName(), "LASTNAME");
}

TEST_F(TracesWindowTest, PrintShowsTheFilteredTracesAndLeavesTheFilterOnTheList) {
    TTraces* w = open();
    std::vector<QString> printed;
    QString heading;
    const TTraces::ReportShower previous = TTraces::setReportShower([&](const shared::Report& report, QWidget*) {
        report.rows([&](const shared::ReportRow& row) { printed.push_back(row.value(QStringLiteral("FILE_CODE"))); });
        heading = report.title;
    });
    shared::FilterResult filter{"Status = 'C'", QStringLiteral("Status = C"), allTracesHeadings()};
    w->printWith(filter);
    TTraces::setReportShower(previous);
    EXPECT_EQ(printed, std::vector<QString>{QStringLiteral("BOLT")});
    EXPECT_EQ(heading, QStringLiteral("Trace Report"));
    EXPECT_EQ(w->mainTable()->filter(), "Status = 'C'");
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("Status = C"));
    EXPECT_EQ(w->grid()->model()->rowCount(), 1);
}

}  // namespace
}  // namespace vv::traces
