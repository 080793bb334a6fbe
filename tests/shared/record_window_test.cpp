#include "shared/record_window.h"

#include <QAction>
#include <QApplication>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include "db/table.h"
#include "shared/date_field.h"
#include "shared/field_binder.h"
#include "shared/focus_highlight.h"
#include "shared/record_grid.h"
#include "shared/settings.h"
#include "support/temp_dir.h"
#include "shared_fixture.h"

namespace vv::shared {
namespace {

const db::Date kFirstOfMay = db::Date::fromYmd(2024, 5, 1);

// A small sales calls window: file code and call type as code fields, a
// date, the account name and notes; file code, date and call type required.
class CallsWindow : public RecordWindow {
public:
    CallsWindow() : RecordWindow({QStringLiteral("Browse Calls"), QStringLiteral("Call Details"), true}) {
        add = addBarButton(QStringLiteral("&Add "), [this] { startEntry(EntryAction::Add); });
        edit = addBarButton(QStringLiteral("&Edit "), [this] { startEntry(EntryAction::Edit); });
        addBarButton(QStringLiteral("&Delete "), [this] {
            deleteCurrent(QStringLiteral("Delete This Sales Call?"), QStringLiteral("Delete Sales Call"));
        });
        addBarSeparator();
        addNavigationButtons();

        auto* form = new QFormLayout(detailsPage());
        fileLabel = addDescriptionLabel(detailsPage());
        CodeFieldSetup file;
        file.field = "FILE_CODE";
        file.lookup = {"account", "acct_name", "file_code", "", "Account Lookup", {"file_code", "acct_name"},
                       {"File Code", "Account Name"}};
        file.texts = {QStringLiteral("Account Not Found!"), QStringLiteral("Invalid File Code")};
        file.lookUp = [this](const std::string& code) -> std::optional<QString> {
            if (!findAccount(code)) return std::nullopt;
            if (mainTable()->state() == db::Table::State::Insert)
                mainTable()->setText("ACCT_NAME", accounts_->getText("ACCT_NAME"));
            return QString::fromStdString(accounts_->getText("ACCT_NAME"));
        };
        fileCode = addCodeField(file, fileLabel, detailsPage());
        date = addDateField("DATE", detailsPage());
        typeLabel = addDescriptionLabel(detailsPage());
        CodeFieldSetup type;
        type.field = "CALL_TYPE";
        type.texts = {QStringLiteral("Unknown Call Type!"), QStringLiteral("Invalid Call Type")};
        type.lookUp = [](const std::string& code) -> std::optional<QString> {
            if (code == "TEL") return QStringLiteral("Telephone call");
            return std::nullopt;
        };
        callType = addCodeField(type, typeLabel, detailsPage());
        name = addTextField("ACCT_NAME", detailsPage());
        notes = addMemoField("MEMO", detailsPage());
        form->addRow(QStringLiteral("File Code"), fileCode);
        form->addRow(QString(), fileLabel);
        form->addRow(QStringLiteral("Date"), date);
        form->addRow(QStringLiteral("Call Type"), callType);
        form->addRow(QString(), typeLabel);
        form->addRow(QStringLiteral("Account"), name);
        form->addRow(QStringLiteral("Notes"), notes);
    }

    using RecordWindow::okToSave;

    QAction* add = nullptr;
    QAction* edit = nullptr;
    CodeField* fileCode = nullptr;
    CodeField* callType = nullptr;
    DateField* date = nullptr;
    QLineEdit* name = nullptr;
    QPlainTextEdit* notes = nullptr;
    QLabel* fileLabel = nullptr;
    QLabel* typeLabel = nullptr;
    int stampsWritten = 0;

protected:
    void openTables() override {
        db::Table& calls = openTable("salecall");
        accounts_ = &openTable("account");
        setMainTable(calls, {{"DATE", QStringLiteral("Date")},
                             {"FILE_CODE", QStringLiteral("File Code")},
                             {"ACCT_NAME", QStringLiteral("Account")},
                             {"MEMO", QStringLiteral("Notes")}});
    }
    void writeInitialValues(EntryAction action) override {
        if (action == EntryAction::Add) mainTable()->setDate("DATE", kFirstOfMay);
    }
    std::vector<RequiredCheck> requiredChecks() override {
        return {requiredField("FILE_CODE", fileCode->edit()), requiredField("DATE", date->edit()),
                requiredField("CALL_TYPE", callType->edit())};
    }
    void writeStamps(int entryKind) override {
        ++stampsWritten;
        if (entryKind == 1) mainTable()->setText("ADD_METH", "M");
    }

private:
    // The code table has no order here: look the code up record by record.
    bool findAccount(const std::string& code) {
        for (accounts_->first(); !accounts_->eof(); accounts_->next())
            if (accounts_->getText("FILE_CODE") == code) return true;
        return false;
    }

    db::Table* accounts_ = nullptr;
};

class RecordWindowTest : public ::testing::Test {
protected:
    RecordWindowTest() {
        previousFolder_ = settings().DataFolder;
        settings().DataFolder = dir_.str() + "/";
        test::fillTable(dir_.str(), "ACCOUNT.DBF",
                        {{{"FILE_CODE", "ACME"}, {"ACCT_NAME", "Acme Travel"}},
                         {{"FILE_CODE", "BOLT"}, {"ACCT_NAME", "Bolt & Sons"}}});
        test::fillTable(dir_.str(), "SALECALL.DBF",
                        {{{"FILE_CODE", "BOLT"}, {"DATE", "03/04/24"}, {"CALL_TYPE", "TEL"}, {"MEMO", "First"}},
                         {{"FILE_CODE", "ACME"}, {"DATE", "02/01/24"}, {"CALL_TYPE", "TEL"}, {"MEMO", "Second"}}});
    }
    ~RecordWindowTest() override { settings().DataFolder = previousFolder_; }

    // Shows the window as the user gets it: shown, active, first record current.
    std::unique_ptr<CallsWindow> openWindow() {
        auto w = std::make_unique<CallsWindow>();
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(700, 500);
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return w;
    }

    static void leaveField(QWidget* edit) {
        QTest::keyClick(edit, Qt::Key_Tab);
        QCoreApplication::processEvents();  // the rejection is shown once the focus change is over
    }

    std::unique_ptr<db::Table> calls() { return db::Table::open(dir_.str(), "SALECALL.DBF"); }

    test::TempDir dir_;
    test::RecordedInteraction recorded_;
    std::string previousFolder_;
};

TEST_F(RecordWindowTest, AddRejectsAnUnknownCodeThenStoresTheCompleteRecord) {
    auto w = openWindow();
    EXPECT_TRUE(w->mainBar()->isVisible());
    EXPECT_FALSE(w->entryBar()->isVisible());
    EXPECT_FALSE(w->fileCode->isEnabled()) << "browse mode: the details are read-only";
    EXPECT_EQ(w->grid()->model()->rowCount(), 2);

    w->add->trigger();
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_EQ(w->entryKind(), 1);
    EXPECT_EQ(w->pages()->currentIndex(), 1);
    EXPECT_FALSE(w->pages()->isTabEnabled(0));
    EXPECT_FALSE(w->mainBar()->isVisible());
    EXPECT_TRUE(w->entryBar()->isVisible());
    EXPECT_TRUE(w->fileCode->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w->fileCode->edit()) << "Add starts in the file code";
    EXPECT_TRUE(FocusHighlight::isHighlighted(w->fileCode->edit()));
    EXPECT_EQ(w->date->edit()->text(), QStringLiteral("05/01/24"));
    EXPECT_EQ(w->fileCode->edit()->maxLength(), 10) << "no more than the field holds";

    // An unknown code: beep, cleared, the label says so, the focus comes back, the error is shown.
    QTest::keyClicks(w->fileCode->edit(), "nope");
    EXPECT_EQ(w->fileCode->edit()->text(), QStringLiteral("NOPE")) << "typed in upper case";
    leaveField(w->fileCode->edit());
    EXPECT_EQ(recorded_.ui->beeps, 1);
    EXPECT_EQ(w->fileCode->edit()->text(), QString());
    EXPECT_EQ(w->mainTable()->getText("FILE_CODE"), "");
    EXPECT_EQ(w->fileLabel->text(), QStringLiteral("Account Not Found!"));
    EXPECT_EQ(QApplication::focusWidget(), w->fileCode->edit());
    EXPECT_TRUE(FocusHighlight::isHighlighted(w->fileCode->edit()));
    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_EQ(recorded_.errors[0], QStringLiteral("Invalid File Code"));

    // A known one: its description, and the account's name copied into the call.
    QTest::keyClicks(w->fileCode->edit(), "ACME");
    leaveField(w->fileCode->edit());
    EXPECT_EQ(w->fileLabel->text(), QStringLiteral("Acme Travel"));
    EXPECT_EQ(w->name->text(), QStringLiteral("Acme Travel"));
    EXPECT_NE(QApplication::focusWidget(), w->fileCode->edit());
    EXPECT_FALSE(FocusHighlight::isHighlighted(w->fileCode->edit()));
    EXPECT_EQ(recorded_.errors.size(), 1u);

    // OK without a call type: refused, the focus on it.
    w->okAction()->trigger();
    EXPECT_TRUE(w->inEntryMode());
    EXPECT_EQ(recorded_.ui->informations, std::vector<QString>{QStringLiteral("Please Fill In Fields")});
    EXPECT_EQ(recorded_.ui->beeps, 2);
    EXPECT_EQ(QApplication::focusWidget(), w->callType->edit());

    QTest::keyClicks(w->callType->edit(), "tel");
    leaveField(w->callType->edit());
    EXPECT_EQ(w->typeLabel->text(), QStringLiteral("Telephone call"));
    QTest::keyClicks(w->notes, "Met the travel manager");
    w->okAction()->trigger();

    EXPECT_FALSE(w->inEntryMode());
    EXPECT_EQ(w->stampsWritten, 1);
    EXPECT_EQ(w->fileLabel->text(), QString()) << "Save clears the description labels";
    EXPECT_EQ(w->typeLabel->text(), QString());
    EXPECT_TRUE(w->mainBar()->isVisible());
    EXPECT_FALSE(w->entryBar()->isVisible());
    EXPECT_TRUE(w->pages()->isTabEnabled(0));
    EXPECT_EQ(w->pages()->currentIndex(), 1) << "the details page stays in view";
    EXPECT_FALSE(w->fileCode->isEnabled());
    EXPECT_EQ(w->grid()->model()->rowCount(), 3);

    auto stored = calls();
    stored->go(3);
    EXPECT_EQ(stored->getText("FILE_CODE"), "ACME");
    EXPECT_EQ(stored->getText("CALL_TYPE"), "TEL");
    EXPECT_EQ(stored->getText("ACCT_NAME"), "Acme Travel");
    EXPECT_EQ(stored->getText("MEMO"), "Met the travel manager");
    EXPECT_EQ(stored->getDate("DATE"), kFirstOfMay);
    EXPECT_EQ(stored->getText("ADD_METH"), "M");
}

TEST_F(RecordWindowTest, OkToSaveFocusesTheFailingFieldThatComesLast) {
    auto w = openWindow();
    w->add->trigger();
    db::Table& t = *w->mainTable();
    struct Case {
        const char* fileCode;
        const char* date;
        const char* callType;
        QWidget* focus;
    } cases[] = {
        {"", "05/01/24", "", w->callType->edit()},
        {"", "", "TEL", w->date->edit()},
        {"", "05/01/24", "TEL", w->fileCode->edit()},
        {"", "", "", w->callType->edit()},
        {"ACME", "05/01/24", "TEL", nullptr},
    };
    for (const Case& c : cases) {
        t.setText("FILE_CODE", c.fileCode);
        t.setText("DATE", c.date);
        t.setText("CALL_TYPE", c.callType);
        w->name->setFocus();
        const int infos = static_cast<int>(recorded_.ui->informations.size());
        EXPECT_EQ(w->okToSave(), c.focus == nullptr) << c.fileCode << c.date << c.callType;
        if (c.focus) {
            EXPECT_EQ(QApplication::focusWidget(), c.focus) << c.fileCode << "|" << c.date << "|" << c.callType;
            EXPECT_EQ(static_cast<int>(recorded_.ui->informations.size()), infos + 1);
        } else {
            EXPECT_EQ(QApplication::focusWidget(), w->name);
        }
    }
}

TEST_F(RecordWindowTest, ARefusedLockIsOfferedAgainAndCancelLeavesNothingToStore) {
    auto other = calls();
    other->go(1);
    other->edit();  // another user works on the first call

    auto w = openWindow();
    ASSERT_EQ(w->mainTable()->recno(), 1u);
    recorded_.ui->retryAnswers = {true, false};  // try again once, then give up
    w->edit->trigger();
    EXPECT_EQ(recorded_.ui->retryQuestions,
              (std::vector<QString>{QStringLiteral("Cannot lock record...try again?"),
                                    QStringLiteral("Cannot lock record...try again?")}));
    EXPECT_TRUE(w->inEntryMode()) << "the window goes on into entry mode";
    EXPECT_EQ(w->entryKind(), 2);
    EXPECT_EQ(w->mainTable()->state(), db::Table::State::Browse);

    // Typing cannot reach a record that is not being edited.
    QTest::keyClicks(w->fileCode->edit(), "X");
    EXPECT_EQ(w->fileCode->edit()->text(), QStringLiteral("BOLT"));

    w->cancelAction()->trigger();
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_TRUE(recorded_.errors.empty());
    EXPECT_TRUE(w->mainBar()->isVisible());

    // Once the other user lets go, Edit goes through at once.
    other->cancel();
    w->edit->trigger();
    EXPECT_EQ(w->mainTable()->state(), db::Table::State::Edit);
    EXPECT_EQ(recorded_.ui->retryQuestions.size(), 2u);
    w->cancelAction()->trigger();
}

TEST_F(RecordWindowTest, CancelThrowsAwayTheNewRecordAndClearsTheLabels) {
    auto w = openWindow();
    w->add->trigger();
    QTest::keyClicks(w->fileCode->edit(), "ACME");
    leaveField(w->fileCode->edit());
    ASSERT_EQ(w->fileLabel->text(), QStringLiteral("Acme Travel"));
    w->cancelAction()->trigger();
    EXPECT_EQ(w->fileLabel->text(), QString());
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_TRUE(w->pages()->isTabEnabled(0));
    EXPECT_EQ(calls()->recordCount(), 2u);
    EXPECT_EQ(w->grid()->model()->rowCount(), 2);
}

TEST_F(RecordWindowTest, TheCalendarActsOnlyWhileARecordIsEntered) {
    auto w = openWindow();
    recorded_.ui->pickedDate = QDate(2059, 1, 2);
    w->date->calendarButton()->click();
    EXPECT_TRUE(recorded_.ui->calendarStarts.empty()) << "browse mode: nothing happens";

    w->add->trigger();
    w->date->calendarButton()->click();
    ASSERT_EQ(recorded_.ui->calendarStarts.size(), 1u);
    EXPECT_EQ(recorded_.ui->calendarStarts[0], QDate(2024, 5, 1)) << "starts on the field's date";
    EXPECT_EQ(w->mainTable()->getDate("DATE"), db::Date::fromYmd(2059, 1, 2));
    EXPECT_EQ(w->date->edit()->text(), QStringLiteral("01/02/59"));
    EXPECT_EQ(QApplication::focusWidget(), w->date->edit());

    w->mainTable()->setText("DATE", "");
    recorded_.ui->pickedDate.reset();  // the user cancels the calendar
    w->date->calendarButton()->click();
    EXPECT_EQ(recorded_.ui->calendarStarts[1], QDate::currentDate()) << "an empty field starts on today";
    EXPECT_TRUE(w->mainTable()->getDate("DATE").isEmpty());
    w->cancelAction()->trigger();
}

TEST_F(RecordWindowTest, TypedDatesFollowTheCenturyWindow) {
    auto w = openWindow();
    w->add->trigger();
    QLineEdit* edit = w->date->edit();
    struct Case {
        const char* keys;
        db::Date stored;
    } cases[] = {
        {"010259", db::Date::fromYmd(2059, 1, 2)},
        {"010260", db::Date::fromYmd(1960, 1, 2)},
    };
    for (const Case& c : cases) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, c.keys);
        EXPECT_EQ(w->mainTable()->getDate("DATE"), c.stored) << c.keys;
    }
    // A date left half typed beeps and shows the record's date again.
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "13");
    EXPECT_EQ(w->mainTable()->getDate("DATE"), db::Date::fromYmd(1960, 1, 2)) << "not complete: not stored";
    const int beeps = recorded_.ui->beeps;
    w->name->setFocus();
    EXPECT_EQ(recorded_.ui->beeps, beeps + 1);
    EXPECT_EQ(edit->text(), QStringLiteral("01/02/60"));
    w->cancelAction()->trigger();
}

TEST_F(RecordWindowTest, EnterMovesOnExceptInTheNotes) {
    auto w = openWindow();
    w->add->trigger();
    w->name->setFocus();
    QTest::keyClick(w->name, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w->notes);
    EXPECT_FALSE(FocusHighlight::isHighlighted(w->notes)) << "memos are not highlighted";
    QTest::keyClicks(w->notes, "a");
    QTest::keyClick(w->notes, Qt::Key_Return);
    QTest::keyClicks(w->notes, "b");
    EXPECT_EQ(QApplication::focusWidget(), w->notes);
    EXPECT_EQ(w->mainTable()->getText("MEMO"), "a\nb");
    w->cancelAction()->trigger();
}

TEST_F(RecordWindowTest, FilterResultsSetTheLabelAndTheFilterOrChangeNothing) {
    auto w = openWindow();
    w->applyFilter({"FILE_CODE = 'ACME'", QStringLiteral("Account ACME"), {}});
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("Account ACME"));
    EXPECT_EQ(w->grid()->model()->rowCount(), 1);
    EXPECT_EQ(w->fileCode->edit()->text(), QStringLiteral("ACME"));

    w->applyFilter({"Cancel", QStringLiteral("ignored"), {}});
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("Account ACME"));
    EXPECT_EQ(w->mainTable()->filter(), "FILE_CODE = 'ACME'");

    w->applyFilter({"", QStringLiteral("All Calls"), {}});
    EXPECT_EQ(w->filterTextLabel()->text(), QStringLiteral("All Calls"));
    EXPECT_EQ(w->mainTable()->filter(), "");
    EXPECT_EQ(w->grid()->model()->rowCount(), 2);

    w->applyFilter({"FILE_CODE = ", QStringLiteral("Broken"), {}});
    EXPECT_EQ(recorded_.errors.size(), 1u) << "an expression the engine refuses is shown as an error";
    EXPECT_EQ(w->grid()->model()->rowCount(), 2);
}

TEST_F(RecordWindowTest, DeleteAsksTheWindowsQuestionAndDeletesOnlyOnYes) {
    auto w = openWindow();
    recorded_.ui->yesNoAnswer = false;
    QAction* del = w->mainBar()->actions().at(2);
    EXPECT_EQ(del->toolTip(), QStringLiteral("Delete "));
    del->trigger();
    EXPECT_EQ(recorded_.ui->questions, std::vector<QString>{QStringLiteral("Delete Sales Call | Delete This Sales Call?")});
    EXPECT_EQ(w->grid()->model()->rowCount(), 2);

    recorded_.ui->yesNoAnswer = true;
    del->trigger();
    EXPECT_EQ(w->grid()->model()->rowCount(), 1);
    EXPECT_EQ(calls()->count(), 1u);
    EXPECT_EQ(w->fileCode->edit()->text(), QStringLiteral("ACME")) << "the details follow the grid";
}

TEST_F(RecordWindowTest, TheGridAndThePriorNextButtonsMoveTheCurrentRecord) {
    auto w = openWindow();
    QAction* prior = w->mainBar()->actions().at(4);
    QAction* next = w->mainBar()->actions().at(5);
    ASSERT_EQ(prior->text(), QStringLiteral("Prior"));
    EXPECT_FALSE(prior->isEnabled());
    EXPECT_TRUE(next->isEnabled());
    next->trigger();
    EXPECT_EQ(w->mainTable()->recno(), 2u);
    EXPECT_EQ(w->fileCode->edit()->text(), QStringLiteral("ACME"));
    EXPECT_TRUE(prior->isEnabled());
    EXPECT_FALSE(next->isEnabled());

    // A double click shows the details without starting an edit.
    w->pages()->setCurrentIndex(0);
    const QRect first = w->grid()->visualRect(w->grid()->model()->index(0, 0));
    QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(w->grid()->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(w->pages()->currentIndex(), 1);
    EXPECT_FALSE(w->inEntryMode());
    EXPECT_EQ(w->fileCode->edit()->text(), QStringLiteral("BOLT"));

    // Several rows at once, for the commands that act on a selection.
    const QRect second = w->grid()->visualRect(w->grid()->model()->index(1, 0));
    w->pages()->setCurrentIndex(0);
    QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, Qt::ControlModifier, second.center());
    EXPECT_EQ(w->grid()->selectedRecnos(), (std::vector<uint32_t>{1, 2}));
}

TEST_F(RecordWindowTest, AColumnTitleSortsByTheTagItLeadsWithOneMarkAtATime) {
    if (!test::orderingAvailable(dir_.str(), "SALECALL.DBF")) GTEST_SKIP() << "the engine does not order by tags yet";
    test::indexTable(dir_.str(), "SALECALL.DBF");
    auto w = openWindow();
    RecordGrid* grid = w->grid();
    auto clickTitle = [&](int column) {
        const int x = grid->horizontalHeader()->sectionViewportPosition(column) + 5;
        QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    };
    auto firstFileCode = [&] { return grid->model()->data(grid->model()->index(0, 1)).toString(); };
    EXPECT_EQ(firstFileCode(), QStringLiteral("BOLT")) << "record order to begin with";

    clickTitle(0);  // DATE leads the DATE tag
    EXPECT_EQ(grid->markedColumn(), 0);
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_EQ(firstFileCode(), QStringLiteral("ACME")) << "02/01/24 comes first";

    clickTitle(3);  // the notes lead no tag
    EXPECT_EQ(grid->markedColumn(), 0);
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_EQ(firstFileCode(), QStringLiteral("ACME"));

    clickTitle(1);  // FILE_CODE
    EXPECT_EQ(grid->markedColumn(), 1);
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorSection(), 1) << "exactly one column marked";
    clickTitle(1);
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorSection(), 1);
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_TRUE(recorded_.errors.empty());
}

}  // namespace
}  // namespace vv::shared
