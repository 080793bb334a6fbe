#include "app/maintenance_windows.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/index_window.h"
#include "app/update_keys_window.h"
#include "app/maintenance_fixture.h"

namespace vv::app {
namespace {

// Records the text a label shows each time it is painted.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QLabel* label) : label_(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == label_ && event->type() == QEvent::Paint &&
            (painted.isEmpty() || painted.back() != label_->text()))
            painted << label_->text();
        return false;
    }
    QStringList painted;

private:
    QLabel* label_;
};

class MaintenanceWindowsTest : public ::testing::Test, protected test::MaintenanceFixture {
protected:
    void SetUp() override {
        main_.resize(800, 600);
        main_.show();
        plugInMaintenanceWindows(openers_);
    }

    template <typename T>
    static T* child(QWidget* window, const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    WindowContext context() { return {nullptr, &main_}; }

    static QList<QWidget*> windowsTitled(const QString& title) {
        QList<QWidget*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == title && w->isVisible()) found << w;
        return found;
    }

    // The newest window of that title, once on screen (a label repaints only then).
    QWidget* shownWindow(const QString& title) {
        QWidget* w = window(title);
        if (w) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        }
        return w;
    }

    // Blanks KEY of the records at `positions` (0-based, record order).
    void blankKeys(const std::string& file, const std::vector<int>& positions) {
        auto table = db::Table::open(data_, file);
        int i = 0;
        for (table->first(); !table->eof(); table->next(), ++i) {
            if (std::find(positions.begin(), positions.end(), i) == positions.end()) continue;
            table->edit();
            table->setText("KEY", "");
            table->post();
        }
    }

    QWidget main_;
    WindowOpeners openers_;
};

TEST_F(MaintenanceWindowsTest, EachOpenerShowsANewWindowCentredOnTheMainWindow) {
    const std::vector<std::pair<OpenWindowFn*, QString>> windows = {{&openers_.indexFiles, QStringLiteral("Index Files")},
                                                                    {&openers_.updateKeys, QStringLiteral("Update Keys")},
                                                                    {&openers_.browseFile, QStringLiteral("Browse Data File")}};
    for (const auto& [open, title] : windows) {
        (*open)(context());
        (*open)(context());
        const QList<QWidget*> shown = windowsTitled(title);
        ASSERT_EQ(shown.size(), 2) << title.toStdString();
        for (QWidget* w : shown) {
            EXPECT_EQ(w->parentWidget(), &main_);
            EXPECT_TRUE(w->isWindow());
            EXPECT_LE((w->frameGeometry().center() - main_.frameGeometry().center()).manhattanLength(), 10);
            // Index Files has no title-bar buttons, the others only the close box.
            EXPECT_EQ(w->windowFlags().testFlag(Qt::WindowCloseButtonHint), title != QStringLiteral("Index Files"));
            EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        }
    }
}

TEST_F(MaintenanceWindowsTest, IndexFilesRebuildsEveryTableShowingEachStep) {
    openers_.indexFiles(context());
    QWidget* w = shownWindow(QStringLiteral("Index Files"));
    ASSERT_NE(w, nullptr);
    auto* progress = child<QLabel>(w, "Label4");
    EXPECT_TRUE(progress->text().isEmpty());
    EXPECT_EQ(child<QLabel>(w, "Label3")->text(), QStringLiteral("Click OK to Index or Cancel to Abort."));
    {
        // A tag of another program's that the rebuild must drop.
        db::OpenOptions exclusive;
        exclusive.exclusive = true;
        db::Table::open(data_, "SALECALL.DBF", exclusive)->addTag("STALE", "FILE_CODE");
    }
    PaintRecorder recorder(progress);
    QTest::mouseClick(child<QPushButton>(w, "BitBtn1"), Qt::LeftButton);

    ASSERT_TRUE(recorded_.errors.empty()) << recorded_.errors.front().toStdString();
    // Painted at each message although the rebuild never returned to the event loop.
    ASSERT_GE(recorder.painted.size(), 20);
    EXPECT_EQ(recorder.painted.front(), QStringLiteral("Indexing Accounts..."));
    EXPECT_TRUE(recorder.painted.contains(QStringLiteral("Indexing Tracking File Export...")));
    EXPECT_EQ(progress->text(), QStringLiteral("All Finished...Click Close..."));
    EXPECT_FALSE(child<QPushButton>(w, "BitBtn1")->isEnabled());
    EXPECT_EQ(child<QPushButton>(w, "BitBtn2")->text(), QStringLiteral("Close"));

    auto calls = db::Table::open(data_, "SALECALL.DBF");
    std::vector<std::string> tags;
    for (const auto& tag : calls->tags()) tags.push_back(tag.name);
    EXPECT_EQ(tags.size(), 10u);
    EXPECT_EQ(std::count(tags.begin(), tags.end(), "STALE"), 0);

    QTest::mouseClick(child<QPushButton>(w, "BitBtn2"), Qt::LeftButton);
    EXPECT_EQ(window(QStringLiteral("Index Files")), nullptr);
}

TEST_F(MaintenanceWindowsTest, IndexFilesStopsAtATableInUseAndCanBeRunAgain) {
    auto inUse = db::Table::open(data_, "SALECALL.DBF");  // as a sales calls window would hold it
    openers_.indexFiles(context());
    QWidget* w = shownWindow(QStringLiteral("Index Files"));
    auto* progress = child<QLabel>(w, "Label4");
    PaintRecorder recorder(progress);
    QTest::mouseClick(child<QPushButton>(w, "BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_TRUE(recorded_.errors[0].contains(QStringLiteral("SALECALL"), Qt::CaseInsensitive)) << recorded_.errors[0].toStdString();
    // Stopped at the third table: the message of the last table done stays.
    EXPECT_EQ(recorder.painted, (QStringList{QStringLiteral("Indexing Accounts..."), QStringLiteral("Indexing Contacts...")}));
    EXPECT_EQ(progress->text(), QStringLiteral("Indexing Contacts..."));
    EXPECT_TRUE(child<QPushButton>(w, "BitBtn1")->isEnabled());
    EXPECT_EQ(child<QPushButton>(w, "BitBtn2")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(db::Table::open(data_, "ACCOUNT.DBF")->tags().size(), data::tableDef("ACCOUNT.DBF").tags.size());

    inUse.reset();
    QTest::mouseClick(child<QPushButton>(w, "BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(recorded_.errors.size(), 1u);
    EXPECT_EQ(progress->text(), QStringLiteral("All Finished...Click Close..."));
}

TEST_F(MaintenanceWindowsTest, UpdateKeysFillsOnlyTheMissingKeys) {
    blankKeys("SALECALL.DBF", {1, 2, 7});
    blankKeys("TRACES.DBF", {0});
    const std::vector<std::string> callsBefore = column("SALECALL.DBF", "KEY");
    const std::vector<std::string> tracesBefore = column("TRACES.DBF", "KEY");

    openers_.updateKeys(context());
    QWidget* w = shownWindow(QStringLiteral("Update Keys"));
    ASSERT_NE(w, nullptr);
    auto* status = child<QLabel>(w, "Label3");
    EXPECT_TRUE(status->text().isEmpty());
    PaintRecorder recorder(status);
    QTest::mouseClick(child<QPushButton>(w, "BitBtn1"), Qt::LeftButton);

    EXPECT_TRUE(recorded_.errors.empty());
    EXPECT_EQ(recorder.painted, (QStringList{QStringLiteral("Updating Sales Calls..."), QStringLiteral("Updating Traces..."),
                                             QStringLiteral("All Finished...")}));
    EXPECT_FALSE(child<QPushButton>(w, "BitBtn1")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(w, "BitBtn2")->isEnabled());
    EXPECT_EQ(child<QPushButton>(w, "BitBtn2")->text(), QStringLiteral("Close"));

    for (const auto& [file, before] : {std::pair{"SALECALL.DBF", callsBefore}, std::pair{"TRACES.DBF", tracesBefore}}) {
        const std::vector<std::string> after = column(file, "KEY");
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].size(), 15u) << file << " " << i;
            EXPECT_EQ(after[i].find_first_not_of("0123456789"), std::string::npos) << after[i];
            if (!before[i].empty()) {
                EXPECT_EQ(after[i], before[i]) << file << " " << i;
            }
        }
    }
    const std::vector<std::string> calls = column("SALECALL.DBF", "KEY");
    EXPECT_NE(calls[1].substr(6), calls[2].substr(6));  // two in a row: their time parts differ
}

TEST_F(MaintenanceWindowsTest, UpdateKeysReportsATableItCannotOpen) {
    blankKeys("SALECALL.DBF", {0});
    db::OpenOptions exclusive;
    exclusive.exclusive = true;
    auto held = db::Table::open(data_, "TRACES.DBF", exclusive);
    openers_.updateKeys(context());
    QWidget* w = shownWindow(QStringLiteral("Update Keys"));
    QTest::mouseClick(child<QPushButton>(w, "BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(recorded_.errors.size(), 1u);
    EXPECT_TRUE(recorded_.errors[0].contains(QStringLiteral("TRACES"), Qt::CaseInsensitive));
    EXPECT_EQ(child<QLabel>(w, "Label3")->text(), QStringLiteral("Updating Traces..."));
    EXPECT_EQ(column("SALECALL.DBF", "KEY")[0].size(), 15u);  // the keys written before stay
    EXPECT_TRUE(child<QPushButton>(w, "BitBtn2")->isEnabled());
    EXPECT_EQ(child<QPushButton>(w, "BitBtn2")->text(), QStringLiteral("Cancel"));
}

TEST_F(MaintenanceWindowsTest, EncryptAndDecryptTellEachTableAndConvertIt) {
    const std::vector<std::string> names = column("ACCOUNT.DBF", "ACCT_NAME");
    openers_.encryptTables(context());
    EXPECT_EQ(recorded_.ui->informations,
              (std::vector<QString>{QStringLiteral("Encrypted Account Table"), QStringLiteral("Encrypted Contacts Table")}));
    EXPECT_TRUE(encrypted("ACCOUNT.DBF"));
    EXPECT_TRUE(encrypted("CONTACTS.DBF"));
    EXPECT_EQ(column("ACCOUNT.DBF", "ACCT_NAME"), names);

    recorded_.ui->informations.clear();
    openers_.decryptTables(context());
    EXPECT_EQ(recorded_.ui->informations,
              (std::vector<QString>{QStringLiteral("Decrypted Account Table"), QStringLiteral("Decrypted Contacts Table")}));
    EXPECT_FALSE(encrypted("ACCOUNT.DBF"));
    EXPECT_FALSE(encrypted("CONTACTS.DBF"));
    EXPECT_EQ(column("ACCOUNT.DBF", "ACCT_NAME"), names);
}

TEST_F(MaintenanceWindowsTest, EncryptStopsWhileAnotherWindowHasTheAccountsOpen) {
    auto inUse = db::Table::open(data_, "ACCOUNT.DBF");
    // The menu runs its commands guarded: the engine's error reaches the error box.
    EXPECT_THROW(openers_.encryptTables(context()), db::Error);
    EXPECT_TRUE(recorded_.ui->informations.empty());
    inUse.reset();
    EXPECT_FALSE(encrypted("ACCOUNT.DBF"));
    EXPECT_FALSE(encrypted("CONTACTS.DBF"));
}

}  // namespace
}  // namespace vv::app
