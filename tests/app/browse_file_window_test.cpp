#include "app/browse_file_window.h"

#include <deque>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/maintenance_fixture.h"
#include "app/qbe_filter_dialog.h"
#include "app/qbe_prompts.h"
#include "data/table_encryption_commands.h"
#include "support_qt/modal_helper.h"

namespace vv::app {
namespace {

// Answers the filter dialog's questions from queues and records them.
class ScriptedPrompts : public QbePrompts {
public:
    bool askYesNo(QWidget*, const QString&, const QString& text) override {
        asked << text;
        return yes;
    }
    void inform(QWidget*, const QString& text) override { told << text; }
    std::optional<QString> askText(QWidget*, const QString& title, const QString&, const QString& initial,
                                   bool) override {
        asked << title + QStringLiteral(": ") + initial;
        if (texts.empty()) return std::nullopt;
        QString t = texts.front();
        texts.pop_front();
        return t;
    }
    std::optional<int> chooseItem(QWidget*, const QString& title, const QStringList& items) override {
        asked << title + QStringLiteral(": ") + items.join(QLatin1Char('|'));
        return items.isEmpty() ? std::nullopt : std::optional<int>(items.size() - 1);
    }
    std::optional<QString> chooseFile(QWidget*, const QString&, const QString& start) override { return start; }

    bool yes = true;
    std::deque<QString> texts;
    QStringList asked, told;
};

class BrowseFileTest : public ::testing::Test, protected test::MaintenanceFixture {
protected:
    void SetUp() override {
        auto prompts = std::make_unique<ScriptedPrompts>();
        prompts_ = prompts.get();
        previousPrompts_ = setQbePrompts(std::move(prompts));
        window_ = new TBrowsefile(data_);
        window_->show();
    }
    void TearDown() override {
        if (window_) window_->close();
        setQbePrompts(std::move(previousPrompts_));
    }

    template <typename T>
    T* child(const char* name) {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }

    // Types the name as a user would and clicks OK.
    void openTable(const char* name) {
        child<QLineEdit>("Edit1")->clear();
        QTest::keyClicks(child<QLineEdit>("Edit1"), QString::fromLatin1(name));
        click("BitBtn1");
    }

    int rows() { return window_->grid()->model() ? window_->grid()->model()->rowCount() : -1; }
    int columnOf(const char* field) {
        auto* model = window_->grid()->model();
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal).toString() == QLatin1String(field)) return c;
        return -1;
    }
    QVariant cell(int row, const char* field, int role = Qt::DisplayRole) {
        auto* model = window_->grid()->model();
        return model->data(model->index(row, columnOf(field)), role);
    }
    void selectRow(int row) {
        window_->grid()->setCurrentIndex(window_->grid()->model()->index(row, 0));
    }

    // Runs the filter dialog: `act` fills it in before OK is clicked.
    void filter(const std::function<void(QbeFilterDialog*)>& act) {
        test::whenModal<QbeFilterDialog>([act](QbeFilterDialog* dialog) {
            act(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
            if (dialog->isVisible()) dialog->reject();  // refused: the test sees why in prompts_->told
        });
        click("FilterButton");
    }
    static void enter(QbeFilterDialog* dialog, const char* field, const char* op, const QString& value) {
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("Operator_") + QLatin1String(field));
        combo->setCurrentIndex(combo->findText(QString::fromLatin1(op)));
        dialog->findChild<QLineEdit*>(QStringLiteral("Value_") + QLatin1String(field))->setText(value);
    }

    TBrowsefile* window_ = nullptr;
    ScriptedPrompts* prompts_ = nullptr;
    std::unique_ptr<QbePrompts> previousPrompts_;
};

TEST_F(BrowseFileTest, AnEncryptedTableOpensByItsNameAndShowsPlainRecords) {
    const std::vector<std::string> names = column("ACCOUNT.DBF", "ACCT_NAME");
    data::encryptTables(data_);
    openTable("account");
    EXPECT_EQ(child<QLineEdit>("Edit1")->text(), QStringLiteral("ACCOUNT"));
    ASSERT_NE(window_->table(), nullptr);
    EXPECT_TRUE(window_->table()->isEncrypted());
    ASSERT_EQ(rows(), static_cast<int>(names.size()));
    EXPECT_EQ(window_->grid()->model()->columnCount(), static_cast<int>(window_->table()->fields().size()));
    EXPECT_EQ(cell(0, "ACCT_NAME").toString().toStdString(), names[0]);
    EXPECT_EQ(cell(rows() - 1, "ACCT_NAME").toString().toStdString(), names.back());
    EXPECT_TRUE(child<QPlainTextEdit>("DBMemo1")->isVisible());  // ACCOUNT has a MEMO

    openTable("salecode");
    EXPECT_FALSE(child<QPlainTextEdit>("DBMemo1")->isVisible());
    EXPECT_EQ(rows(), static_cast<int>(column("SALECODE.DBF", "SALE_CODE").size()));
    EXPECT_FALSE(child<QPushButton>("DecryptButton")->isVisible());
    EXPECT_FALSE(child<QPushButton>("EncryptButton")->isVisible());
}

TEST_F(BrowseFileTest, TheHiddenEncryptButtonConvertsTheTablesAndReopensTheOneShown) {
    openTable("CONTACTS");
    const int all = rows();
    click("EncryptButton");
    EXPECT_TRUE(recorded_.errors.empty());
    EXPECT_TRUE(recorded_.ui->informations.empty());  // no messages from the browse window
    EXPECT_TRUE(encrypted("ACCOUNT.DBF"));
    ASSERT_NE(window_->table(), nullptr);
    EXPECT_TRUE(window_->table()->isEncrypted());
    EXPECT_EQ(rows(), all);
    click("DecryptButton");
    EXPECT_FALSE(encrypted("CONTACTS.DBF"));
    EXPECT_EQ(rows(), all);
}

TEST_F(BrowseFileTest, ANameWithItsExtensionIsNotFound) {
    openTable("salecode");
    openTable("SALES.DBF");
    ASSERT_EQ(recorded_.ui->informations.size(), 1u);
    EXPECT_EQ(recorded_.ui->informations[0], QStringLiteral("Could Not Find File SALES.DBF"));
    EXPECT_TRUE(child<QLineEdit>("Edit1")->text().isEmpty());
    EXPECT_EQ(window_->table(), nullptr);  // the previous table stays closed
    click("FilterButton");                 // without a table: nothing happens
    EXPECT_TRUE(recorded_.errors.empty());
}

TEST_F(BrowseFileTest, DeletedRecordsAreShownInRedOnRequestAndCanBeUndeleted) {
    openTable("salecode");
    const int all = rows();
    const QString second = cell(1, "SALE_CODE").toString();
    selectRow(1);
    EXPECT_EQ(child<QPushButton>("DeleteButton")->text(), QStringLiteral("Delete"));
    click("DeleteButton");
    EXPECT_EQ(rows(), all - 1);
    EXPECT_NE(cell(1, "SALE_CODE").toString(), second);

    click("ShowDeletedButton");
    EXPECT_TRUE(db::Table::showDeleted());
    EXPECT_EQ(child<QPushButton>("ShowDeletedButton")->text(), QStringLiteral("Hide Deleted"));
    ASSERT_EQ(rows(), all);
    EXPECT_EQ(cell(1, "SALE_CODE").toString(), second);
    EXPECT_EQ(cell(1, "SALE_CODE", Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_FALSE(cell(0, "SALE_CODE", Qt::ForegroundRole).isValid());
    selectRow(0);
    EXPECT_EQ(child<QPushButton>("DeleteButton")->text(), QStringLiteral("Delete"));
    selectRow(1);
    EXPECT_EQ(child<QPushButton>("DeleteButton")->text(), QStringLiteral("Un-Delete"));

    click("DeleteButton");
    EXPECT_EQ(child<QPushButton>("DeleteButton")->text(), QStringLiteral("Delete"));
    EXPECT_FALSE(cell(1, "SALE_CODE", Qt::ForegroundRole).isValid());
    auto fresh = db::Table::open(data_, "SALECODE.DBF");
    fresh->go(2);
    EXPECT_FALSE(fresh->isDeleted());

    // Closing with "Hide Deleted" showing gives every other window its hidden records back.
    window_->close();
    window_ = nullptr;
    EXPECT_FALSE(db::Table::showDeleted());
}

TEST_F(BrowseFileTest, CellsAndTheMemoAreEditedInPlace) {
    openTable("ACCOUNT");
    selectRow(2);
    const QModelIndex index = window_->grid()->model()->index(2, columnOf("ACCT_NAME"));
    window_->grid()->setCurrentIndex(index);
    window_->grid()->edit(index);
    auto* editor = window_->grid()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Harbour View Inn"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor hands its text over once control is back in the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return column("ACCOUNT.DBF", "ACCT_NAME")[2] == "Harbour View Inn"; }, 2000));
    // The grid reads the rows again once the editor has gone.
    EXPECT_TRUE(QTest::qWaitFor([&] { return cell(2, "ACCT_NAME").toString() == QStringLiteral("Harbour View Inn"); }, 2000));

    auto* memo = child<QPlainTextEdit>("DBMemo1");
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("Prefers the sea view."));
    click("nbPost");
    EXPECT_NE(column("ACCOUNT.DBF", "MEMO")[2].find("Prefers the sea view."), std::string::npos);
    click("nbNext");
    EXPECT_EQ(window_->table()->recno(), 4u);
    EXPECT_EQ(memo->toPlainText().toStdString(), column("ACCOUNT.DBF", "MEMO")[3]);
}

TEST_F(BrowseFileTest, TheFilterDialogNarrowsTheRowsEvenForTextWithQuotes) {
    {
        auto accounts = db::Table::open(data_, "ACCOUNT.DBF");
        accounts->go(5);
        accounts->edit();
        accounts->setText("ACCT_NAME", "O'Hara \"Inn\" [North]");
        accounts->post();
    }
    openTable("ACCOUNT");
    const int all = rows();
    filter([](QbeFilterDialog* d) {
        // Only queryable fields are listed: no memo.
        EXPECT_EQ(d->findChild<QLineEdit*>(QStringLiteral("Value_MEMO")), nullptr);
        EXPECT_NE(d->findChild<QLineEdit*>(QStringLiteral("Value_ACCT_NAME")), nullptr);
        enter(d, "ACCT_NAME", "contains", QStringLiteral("'hara \"inn\" [n"));
    });
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, "ACCT_NAME").toString(), QStringLiteral("O'Hara \"Inn\" [North]"));

    // The conditions stay for the next Filter; Clear asks first and empties them.
    filter([](QbeFilterDialog* d) {
        EXPECT_EQ(d->findChild<QLineEdit*>(QStringLiteral("Value_ACCT_NAME"))->text(), QStringLiteral("'hara \"inn\" [n"));
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ClearButton")), Qt::LeftButton);
    });
    EXPECT_EQ(prompts_->asked, QStringList{QStringLiteral("Current filter conditions will be cleared!\nDo you wish to continue?")});
    EXPECT_EQ(rows(), all);
    EXPECT_TRUE(window_->table()->filter().empty());

    // A value the field cannot take: the dialog says so and stays open.
    filter([](QbeFilterDialog* d) { enter(d, "LAST_CALL", "equals", QStringLiteral("13/45/24")); });
    ASSERT_EQ(prompts_->told.size(), 1);
    EXPECT_TRUE(prompts_->told[0].startsWith(QStringLiteral("Invalid filter syntax")));
    EXPECT_EQ(rows(), all);
}

TEST_F(BrowseFileTest, FiltersAreSavedLoadedEditedByHandAndDeleted) {
    openTable("SALECODE");
    const QString first = cell(0, "SALE_CODE").toString();
    prompts_->texts = {QStringLiteral("First code")};
    filter([&](QbeFilterDialog* d) {
        enter(d, "SALE_CODE", "equals", first);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("SaveButton")), Qt::LeftButton);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ClearButton")), Qt::LeftButton);
        // Load: the saved one comes back, then is edited by hand to a wrong and a right text.
        prompts_->texts = {QStringLiteral("SALE_CODE = "), QStringLiteral("!(SALE_CODE == '") + first + QStringLiteral("')")};
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("LoadButton")), Qt::LeftButton);
        EXPECT_EQ(d->findChild<QLineEdit*>(QStringLiteral("Value_SALE_CODE"))->text(), first);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("LoadButton")), Qt::LeftButton);
    });
    EXPECT_TRUE(prompts_->told.contains(QStringLiteral("Filter saved!")));
    EXPECT_TRUE(prompts_->asked.contains(QStringLiteral("Load Filter: First code")));
    EXPECT_TRUE(prompts_->asked.contains(QStringLiteral("Do you want to manually edit the filter?")));
    EXPECT_TRUE(prompts_->told.filter(QStringLiteral("Invalid filter syntax")).size() == 1);
    EXPECT_TRUE(prompts_->asked.contains(QStringLiteral("Would you like to re-save this edited filter?")));
    // The hand-edited expression is the filter: every code but the first.
    EXPECT_EQ(rows(), static_cast<int>(column("SALECODE.DBF", "SALE_CODE").size()) - 1);
    EXPECT_NE(cell(0, "SALE_CODE").toString(), first);

    // Another table has no saved filters; deleting this one's leaves none.
    openTable("MASTPER");
    prompts_->told.clear();
    filter([](QbeFilterDialog* d) {
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("LoadButton")), Qt::LeftButton);
    });
    EXPECT_TRUE(prompts_->told.contains(QStringLiteral("No saved filters available for selection")));
    openTable("SALECODE");
    filter([](QbeFilterDialog* d) {
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("DeleteButton")), Qt::LeftButton);
    });
    EXPECT_TRUE(prompts_->asked.contains(QStringLiteral("Are you sure you want to delete \"First code\"?")));
    const auto saved = readQbeFilterFile(data_ + "BROWSE.QBE");
    EXPECT_TRUE(saved.empty());
}

}  // namespace
}  // namespace vv::app
