#include "calls/add_call_form.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "calls_fixture.h"
#include "db/table.h"
#include "shared/code_field.h"
#include "shared/settings.h"
#include "support/temp_dir.h"

namespace vv::calls {
namespace {

class AddCallFormTest : public ::testing::Test {
protected:
    AddCallFormTest() : previous_(shared::settings()) {
        test::makeCallsFolder(dir_.str());
        shared::settings().DataFolder = dir_.str() + "/";
    }
    ~AddCallFormTest() override {
        if (form_) form_->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        shared::settings() = previous_;
    }

    // Opened as the traces window does: the file code padded to 10.
    TAddCall* open(const std::string& fileCode = "ACME      ") {
        AddCallPrefill p;
        p.fileCode = fileCode;
        p.acctName = "Acme Travel";
        p.addr1 = "PO Box 7";
        p.city = "Reno";
        p.state = "NV";
        p.zip = "89502";
        p.sal = "Ms.";
        p.first = "Jane";
        p.last = "Doe";
        p.phone = "555-0101";
        p.email = "jane@acme.example";
        p.salesId = "ABC";
        form_ = OpenAddCall(nullptr, p);
        form_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form_));
        return form_;
    }

    std::unique_ptr<db::Table> table(const std::string& file) { return db::Table::open(dir_.str(), file); }

    // The account's statistics after a quick call with trace `trace` and the
    // account's next trace set to `nextTrace` first.
    void setNextTrace(const std::string& nextTrace) {
        auto accounts = table("ACCOUNT.DBF");
        accounts->go(1);
        accounts->edit();
        accounts->setText("NEXT_TRACE", nextTrace);
        accounts->post();
    }

    test::TempDir dir_;
    test::RecordedInteraction recorded_;
    shared::Settings previous_;
    QPointer<TAddCall> form_;
};

TEST_F(AddCallFormTest, OpensPrefilledWithTodaysDatesAndTheFocusOnTheCallType) {
    TAddCall* f = open();
    db::Table& call = *f->call();
    EXPECT_EQ(call.state(), db::Table::State::Insert);
    EXPECT_EQ(call.getText("FILE_CODE"), "ACME");
    EXPECT_EQ(call.getText("C_LAST"), "Doe");
    EXPECT_EQ(call.getText("SALES_ID"), "ABC");
    const std::string today = db::Date::today().display();
    EXPECT_EQ(call.getText("DATE"), today);
    EXPECT_EQ(call.getText("POSTED_ON"), today);
    EXPECT_EQ(QApplication::focusWidget(), f->callType()->edit());
    EXPECT_FALSE(f->editorOf("ACCT_NAME")->isEnabled()) << "filled only by the opener, the account and the contact";
    EXPECT_FALSE(f->editorOf("CITY")->isEnabled());
    EXPECT_TRUE(f->editorOf("C_PHONE")->isEnabled());
}

TEST_F(AddCallFormTest, AnUnknownFileCodeIsRefusedEvenForThisNewCall) {
    TAddCall* f = open();
    f->fileCode()->edit()->setFocus();
    f->fileCode()->edit()->selectAll();
    QTest::keyClicks(f->fileCode()->edit(), "NOPE");
    QTest::keyClick(f->fileCode()->edit(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_EQ(recorded_.errors[0], QStringLiteral("Invalid File Code"));
    EXPECT_EQ(f->fileCodeLabel()->text(), QStringLiteral("Account Not Found!"));
}

TEST_F(AddCallFormTest, OkStoresTheCallItsTraceAndTheAccountsDatesThenCloses) {
    setNextTrace("12/31/59");  // far in the future, later than the new trace
    TAddCall* f = open();
    for (const auto& [field, value] : std::map<std::string, std::string>{
             {"CALL_TYPE", "TEL"}, {"TRACE", "08/01/30"}, {"TRACE_CODE", "FU"}, {"MEMO", "Completed trace"}})
        f->call()->setText(field, value);
    f->okButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(recorded_.errors.empty()) << recorded_.errors.front().toStdString();
    EXPECT_TRUE(form_.isNull()) << "OK closes the form";
    EXPECT_TRUE(recorded_.ui->informations.empty());

    auto calls = table("SALECALL.DBF");
    ASSERT_EQ(calls->recordCount(), 3u);
    calls->go(3);
    EXPECT_EQ(calls->getText("ADD_METH"), "M");
    EXPECT_EQ(calls->getText("SOURCE"), "SL");
    auto traces = table("TRACES.DBF");
    ASSERT_EQ(traces->recordCount(), 1u);
    traces->go(1);
    EXPECT_EQ(traces->getText("TRACE_DESC"), "SC-Follow up");
    EXPECT_EQ(traces->getText("KEY"), calls->getText("KEY"));

    auto accounts = table("ACCOUNT.DBF");
    accounts->go(1);
    EXPECT_EQ(accounts->getText("LAST_CALL"), db::Date::today().display());
    EXPECT_EQ(accounts->getText("NEXT_TRACE"), "08/01/30") << "the sooner trace becomes the next one";
}

TEST_F(AddCallFormTest, ALaterTraceLeavesTheAccountsNextTrace) {
    setNextTrace("08/01/30");
    TAddCall* f = open();
    for (const auto& [field, value] :
         std::map<std::string, std::string>{{"CALL_TYPE", "TEL"}, {"TRACE", "09/01/30"}, {"TRACE_CODE", "FU"}})
        f->call()->setText(field, value);
    f->ok();
    auto accounts = table("ACCOUNT.DBF");
    accounts->go(1);
    EXPECT_EQ(accounts->getText("NEXT_TRACE"), "08/01/30");
}

TEST_F(AddCallFormTest, AnAccountThatIsNotThereIsReportedAndTheCallStaysStored) {
    TAddCall* f = open("GONE");
    f->call()->setText("CALL_TYPE", "TEL");
    f->ok();
    ASSERT_EQ(recorded_.ui->informations.size(), 1u);
    EXPECT_EQ(recorded_.ui->informations[0], QStringLiteral("Account Statistic Not Updated!"));
    EXPECT_EQ(table("SALECALL.DBF")->recordCount(), 3u);
}

TEST_F(AddCallFormTest, CancelDiscardsTheCall) {
    TAddCall* f = open();
    f->cancelButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form_.isNull());
    EXPECT_EQ(table("SALECALL.DBF")->recordCount(), 2u);
}

}  // namespace
}  // namespace vv::calls
