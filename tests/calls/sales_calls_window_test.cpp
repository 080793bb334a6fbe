#include "calls/sales_calls_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QUrl>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QToolBar>

#include <gtest/gtest.h>

#include "calls/call_filter_dialog.h"
#include "calls_fixture.h"
#include "db/table.h"
#include "shared/code_field.h"
#include "shared/date_field.h"
#include "shared/field_binder.h"
#include "shared/letter_filler.h"
#include "shared/lookup_dialog.h"
#include "shared/record_grid.h"
#include "shared/report_document.h"
#include "shared/settings.h"
#include "support/temp_dir.h"
#include "support_qt/modal_helper.h"

namespace vv::calls {
namespace {

QString today() { return QString::fromStdString(db::Date::today().display()); }

class SalesCallsWindowTest : public ::testing::Test {
protected:
    SalesCallsWindowTest() : previous_(shared::settings()) {
        test::makeCallsFolder(dir_.str());
        shared::settings().DataFolder = dir_.str() + "/";
        shared::settings().LettersFolder = dir_.str() + "/";
        shared::settings().LocName = "Hotel Vek";
        for (int n = 1; n <= 5; ++n) shared::settings().UserFieldLabels[n] = "Field " + std::to_string(n);
        area_.resize(1200, 900);
        area_.show();
        area_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&area_));
    }
    ~SalesCallsWindowTest() override {
        area_.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        shared::settings() = previous_;
    }

    TSalesCalls* open() {
        TSalesCalls* w = OpenSalesCalls(area_, "File_Code = ''");
        area_.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
        w->activateWindow();
        return w;
    }

    static void leave(QWidget* edit) {
        QTest::keyClick(edit, Qt::Key_Tab);
        QCoreApplication::processEvents();
    }

    // Sets fields of the pending call as if typed, and shows them.
    static void fill(TSalesCalls* w, const std::map<std::string, std::string>& values) {
        for (const auto& [field, value] : values) w->mainTable()->setText(field, value);
        w->fields().load();
    }

    std::unique_ptr<db::Table> table(const std::string& file) { return db::Table::open(dir_.str(), file); }

    test::TempDir dir_;
    test::RecordedInteraction recorded_;
    shared::Settings previous_;
    QMdiArea area_;
};

TEST_F(SalesCallsWindowTest, OpensOnEveryCallNewestFirstWithItsLettersAndCaptions) {
    TSalesCalls* w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sales Calls"));
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("File_Code = ''"));
    EXPECT_EQ(w->mainTable()->filter(), "File_Code = ''");
    ASSERT_EQ(w->grid()->model()->rowCount(), 2);
    EXPECT_EQ(w->grid()->model()->index(0, 1).data().toString(), QStringLiteral("ACME")) << "DATEDESC";
    EXPECT_TRUE(w->grid()->isColumnHidden(0)) << "LOCCODE";
    EXPECT_EQ(w->grid()->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("ACCT NAME"));
    EXPECT_EQ(w->letters(), (std::vector<QString>{QStringLiteral("thanks.txt"), QStringLiteral("visit.odt")}));
    EXPECT_EQ(w->userFieldLabel(3)->text(), QStringLiteral("Field 3"));
    EXPECT_EQ(callUnit().filterText, QStringLiteral("File Code = "));
    EXPECT_FALSE(w->fileCode()->isEnabled());
    EXPECT_TRUE(recorded_.errors.empty());
}

TEST_F(SalesCallsWindowTest, AddTakesTheAccountAndStoresTheCallWithATraceForEachSalesperson) {
    TSalesCalls* w = open();
    w->addCall();
    ASSERT_TRUE(w->inEntryMode());
    EXPECT_EQ(callUnit().entryKind, 1);
    EXPECT_TRUE(callUnit().traceWanted);
    EXPECT_EQ(w->callDate()->edit()->text(), today());
    EXPECT_EQ(w->mainTable()->getText("POSTED_ON"), today().toStdString());
    EXPECT_EQ(QApplication::focusWidget(), w->fileCode()->edit());

    QTest::keyClicks(w->fileCode()->edit(), "acme");
    leave(w->fileCode()->edit());
    EXPECT_EQ(w->fileCode()->description()->text(), QStringLiteral("Acme Travel"));
    EXPECT_EQ(w->accountName()->text(), QStringLiteral("Acme Travel"));
    EXPECT_EQ(w->mainTable()->getText("SALES_ID"), "ABC");

    fill(w, {{"C_LAST", "Doe"}, {"CALL_TYPE", "TEL"}, {"TRACE", "08/01/24"}, {"TRACE_CODE", "FU"},
             {"SALES_ID2", "XYZ"}, {"MEMO", "Rates sent"}});
    w->okAction()->trigger();
    EXPECT_FALSE(w->inEntryMode()) << (recorded_.errors.empty() ? QString() : recorded_.errors[0]).toStdString();
    EXPECT_TRUE(recorded_.ui->informations.empty());

    auto calls = table("SALECALL.DBF");
    calls->go(3);
    EXPECT_EQ(calls->getText("FILE_CODE"), "ACME");
    EXPECT_EQ(calls->getText("ADD_METH"), "M");
    EXPECT_EQ(calls->getText("KEY").size(), 15u);
    EXPECT_EQ(calls->getText("EVENT_NO"), "");  // six blanks
    auto traces = table("TRACES.DBF");
    EXPECT_EQ(traces->recordCount(), 2u);
    traces->go(2);
    EXPECT_EQ(traces->getText("SALES_ID"), "XYZ");
    EXPECT_EQ(traces->getText("KEY"), calls->getText("KEY"));
    EXPECT_EQ(w->grid()->model()->rowCount(), 3);
}

TEST_F(SalesCallsWindowTest, OkRefusesATraceDateWithoutItsCode) {
    TSalesCalls* w = open();
    w->addCall();
    fill(w, {{"FILE_CODE", "ACME"}, {"ACCT_NAME", "Acme"}, {"C_LAST", "Doe"}, {"SALES_ID", "ABC"},
             {"CALL_TYPE", "TEL"}, {"TRACE", "08/01/24"}});
    w->okAction()->trigger();
    EXPECT_TRUE(w->inEntryMode());
    ASSERT_EQ(recorded_.ui->informations.size(), 1u);
    EXPECT_EQ(recorded_.ui->informations[0], QStringLiteral("Please Fill In Fields"));
    EXPECT_EQ(QApplication::focusWidget(), w->traceCode()->edit());
    EXPECT_EQ(table("SALECALL.DBF")->recordCount(), 2u);
}

TEST_F(SalesCallsWindowTest, EditingRefusesAnUnknownFileCodeAndKeepsTheAccountOfAKnownOne) {
    TSalesCalls* w = open();
    w->editCall();  // the newest call, ACME, which has a trace
    EXPECT_EQ(callUnit().entryKind, 2);
    EXPECT_FALSE(callUnit().traceWanted);
    w->fileCode()->edit()->selectAll();
    QTest::keyClicks(w->fileCode()->edit(), "NOPE");
    leave(w->fileCode()->edit());
    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_EQ(recorded_.errors[0], QStringLiteral("Invalid File Code"));
    EXPECT_EQ(w->fileCode()->description()->text(), QStringLiteral("Account Not Found!"));
    EXPECT_EQ(w->fileCode()->edit()->text(), QString());

    QTest::keyClicks(w->fileCode()->edit(), "BOLT");
    leave(w->fileCode()->edit());
    EXPECT_EQ(w->accountName()->text(), QStringLiteral("Acme Travel"));
    w->okAction()->trigger();
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_EQ(table("TRACES.DBF")->recordCount(), 0u) << "an edited call that had a trace writes none";
}

TEST_F(SalesCallsWindowTest, ANewCallKeepsAnUnknownFileCode) {
    TSalesCalls* w = open();
    w->addCall();
    QTest::keyClicks(w->fileCode()->edit(), "NEWCO");
    leave(w->fileCode()->edit());
    EXPECT_TRUE(recorded_.errors.empty());
    EXPECT_EQ(w->fileCode()->description()->text(), QString());
    EXPECT_EQ(w->mainTable()->getText("FILE_CODE"), "NEWCO");
}

TEST_F(SalesCallsWindowTest, TheContactPickOffersTheAccountsContactsAndCopiesTheChosenOne) {
    TSalesCalls* w = open();
    w->addCall();
    fill(w, {{"FILE_CODE", "ACME"}});
    int offered = -1;
    test::whenModal<shared::TLookup>([&](shared::TLookup* d) {
        offered = d->grid()->model()->rowCount();
        d->accept();
    });
    w->contact()->button()->click();
    EXPECT_EQ(offered, 1) << "only the contacts of the call's account";
    db::Table& call = *w->mainTable();
    EXPECT_EQ(call.getText("C_FIRST"), "Jane");
    EXPECT_EQ(call.getText("C_LAST"), "Doe");
    EXPECT_EQ(call.getText("C_TITLE"), "Buyer");
    EXPECT_EQ(call.getText("ADDR1"), "PO Box 7");
    EXPECT_EQ(w->contact()->edit()->text(), QStringLiteral("Doe"));
}

TEST_F(SalesCallsWindowTest, CopyCarriesTheContactButNotTheTraceOrPostingDate) {
    TSalesCalls* w = open();  // on the newest call: ACME, Jane Doe, with a trace
    w->copyCall();
    db::Table& call = *w->mainTable();
    EXPECT_EQ(call.state(), db::Table::State::Insert);
    EXPECT_EQ(call.getText("FILE_CODE"), "ACME");
    EXPECT_EQ(call.getText("C_FIRST"), "Jane");
    EXPECT_EQ(call.getText("CALL_TYPE"), "VIS");
    EXPECT_EQ(call.getText("MEMO"), "Newest call");
    EXPECT_EQ(call.getText("DATE"), today().toStdString());
    EXPECT_EQ(call.getText("POSTED_ON"), "");
    EXPECT_EQ(call.getText("TRACE"), "");
    EXPECT_EQ(call.getText("TRACE_CODE"), "");
    EXPECT_EQ(call.getText("SALES_ID2"), "");
    w->cancelAction()->trigger();
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_TRUE(w->pages()->isTabEnabled(0));
}

TEST_F(SalesCallsWindowTest, TheTraceDateShowsItsWeekdayAndTheSegmentChecksTheCcSalesperson) {
    TSalesCalls* w = open();
    w->addCall();
    fill(w, {{"TRACE", "07/15/24"}, {"SALES_ID2", "QQQ"}});
    w->traceDate()->edit()->setFocus();
    leave(w->traceDate()->edit());
    EXPECT_EQ(w->traceDayLabel()->text(), QLocale::system().dayName(1, QLocale::LongFormat));

    w->segment()->edit()->setFocus();
    leave(w->segment()->edit());
    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_EQ(recorded_.errors[0], QStringLiteral("Invalid Sales ID"));
    EXPECT_EQ(w->mainTable()->getText("SALES_ID2"), "");
    EXPECT_EQ(QApplication::focusWidget(), w->salesId2()->edit());
}

TEST_F(SalesCallsWindowTest, FindSetsTheFilterBuiltInTheDialog) {
    TSalesCalls* w = open();
    test::whenModal<TCallFilter>([](TCallFilter* d) {
        QTest::keyClicks(d->salesId(), "abc");
        d->accept();
    });
    w->find();
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("Salesperson = ABC"));
    EXPECT_EQ(w->mainTable()->filter(), "sales_id = 'ABC'");
    EXPECT_EQ(w->grid()->model()->rowCount(), 1);
    EXPECT_EQ(callUnit().reportHeaders[3], QStringLiteral("Salesperson: ABC"));

    test::whenModal<TCallFilter>([](TCallFilter* d) { d->reject(); });
    w->find();
    EXPECT_EQ(w->mainTable()->filter(), "sales_id = 'ABC'") << "Cancel changes nothing";

    test::whenModal<TCallFilter>([](TCallFilter* d) { d->accept(); });
    w->find();
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("All Calls"));
    EXPECT_EQ(w->mainTable()->filter(), "");
    EXPECT_EQ(w->grid()->model()->rowCount(), 2);
}

TEST_F(SalesCallsWindowTest, PrintAsksAboutTheAddressOnlyWithAFilter) {
    TSalesCalls* w = open();
    std::vector<shared::Report> shown;
    auto previous = TSalesCalls::setReportShower([&](const shared::Report& r, QWidget*) { shown.push_back(r); });
    recorded_.ui->yesNoAnswer = true;

    w->printReport(buildCallFilter({}, shared::settings().UserFieldLabels));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(recorded_.ui->questions.empty());

    CallFilterEntries e;
    e.callType = QStringLiteral("VIS");
    shared::FilterResult filter = buildCallFilter(e, shared::settings().UserFieldLabels);
    callUnit().reportHeaders = filter.headerLines;
    w->printReport(filter);
    ASSERT_EQ(shown.size(), 2u);
    ASSERT_EQ(recorded_.ui->questions.size(), 1u);
    EXPECT_EQ(recorded_.ui->questions[0], QStringLiteral("Print Address on Call Report | Print Address?"));
    EXPECT_EQ(w->mainTable()->filter(), "call_type = 'VIS'") << "the filter stays after printing";

    int rows = 0;
    QString desc;
    shown[1].rows([&](const shared::ReportRow& row) {
        ++rows;
        desc = row.value(QStringLiteral("SALE_DESC"));
    });
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(desc, QStringLiteral("Visit"));
    TSalesCalls::setReportShower(previous);
}

TEST_F(SalesCallsWindowTest, ClipboardTakesTheContactsAddressBlock) {
    TSalesCalls* w = open();
    w->copyContact();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Ms. Jane Doe\r\nAcme Travel\r\nPO Box 7\r\nReno, NV  89502\r\n"
                             "\r\nDear Ms. Doe:\r\n\r\n"));
    EXPECT_EQ(recorded_.ui->beeps, 1);
    ASSERT_EQ(recorded_.ui->informations.size(), 1u);
    EXPECT_EQ(recorded_.ui->informations[0], QStringLiteral("Contact Copied To Clipboard!"));
}

TEST_F(SalesCallsWindowTest, ALetterIsFilledIntoACopyAndOpened) {
    {
        QFile letter(QString::fromStdString(dir_.str() + "/thanks.txt"));
        ASSERT_TRUE(letter.open(QIODevice::WriteOnly));
        letter.write("<<DATE>>\nDear <<CSAL>> <<CLAST>> of <<ACCTNAME>>,\n<<SALESID>>, <<SALESTITLE>>\n<<CLAST>>\n");
    }
    std::vector<QUrl> opened;
    auto previous = shared::setDocumentOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    TSalesCalls* w = open();
    w->openLetter(QStringLiteral("thanks.txt"));
    shared::setDocumentOpener(previous);
    ASSERT_EQ(opened.size(), 1u);
    QFile copy(opened[0].toLocalFile());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    const QString today = shared::letterDate(QDate::currentDate());
    EXPECT_EQ(QString::fromUtf8(copy.readAll()),
              today + QStringLiteral("\nDear Ms. Doe of Acme Travel,\nAnn Baker, Director of Sales\nDoe\n"));
    EXPECT_NE(opened[0].toLocalFile(), QString::fromStdString(dir_.str() + "/thanks.txt")) << "the template stays";
    EXPECT_TRUE(
        QGuiApplication::clipboard()->text().startsWith(today + QStringLiteral("\r\n\r\n\r\nMs. Jane Doe\r\n")));
}

TEST_F(SalesCallsWindowTest, DeleteAsksAndRemovesOnlyTheCall) {
    TSalesCalls* w = open();
    recorded_.ui->yesNoAnswer = true;
    w->deleteCall();
    ASSERT_EQ(recorded_.ui->questions.size(), 1u);
    EXPECT_EQ(recorded_.ui->questions[0], QStringLiteral("Delete Sales Call | Delete This Sales Call?"));
    EXPECT_EQ(w->grid()->model()->rowCount(), 1);
}

}  // namespace
}  // namespace vv::calls
