#include "app/main_window.h"

#include <filesystem>
#include <fstream>

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/locate_data_dialog.h"
#include "app/program_config_window.h"
#include "data/system_tables.h"
#include "db/error.h"
#include "shared/error_box.h"
#include "shared/settings.h"
#include "support/temp_dir.h"
#include "support_qt/modal_helper.h"
#include "support_qt/system_tables_fixture.h"

namespace vv::app {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
        : program_(root_.str() + "/program/"), data_(root_.str() + "/data/"), work_(root_.str() + "/work/") {
        std::filesystem::create_directories(program_);
        std::filesystem::create_directories(work_);
        test::makeTable(data_, "SYSTEM.DBF", {{"BACKUPTO", "A"}, {"USER_FLD1", "Industry"}});
        test::makeTable(data_, "LOCINFO.DBF", {{"LOCCODE", "H01"}, {"LOCNAM", "Harbour Hotel"}});
        std::ofstream(data_ + "ACCOUNT.DBF") << "";
    }

    void SetUp() override {
        shared::settings() = shared::Settings{};
        savedOpeners_ = windowOpeners();
        windowOpeners() = WindowOpeners{};
        previous_ = shared::setErrorPresenter([this](QWidget*, const shared::ErrorReport& r) { errors_.push_back(r); });
    }
    void TearDown() override {
        shared::setErrorPresenter(previous_);
        windowOpeners() = savedOpeners_;
    }

    void pointSysPathAtData() { data::writeSysPath(program_, data_, data_ + "letters/"); }

    // Shows a main window and waits until its start-up has run; `complete` tells how it ended.
    std::unique_ptr<TMain> start(bool* complete = nullptr) {
        auto window = std::make_unique<TMain>(shared::StartupPlaces{work_, program_});
        QSignalSpy finished(window.get(), &TMain::startupFinished);
        window->resize(1000, 700);
        window->show();
        EXPECT_TRUE(finished.wait(10000));
        if (complete && !finished.isEmpty()) *complete = finished.first().first().toBool();
        return window;
    }

    static QStringList windowTitles(TMain& window) {
        QStringList titles;
        for (QMdiSubWindow* sub : window.mdiArea()->subWindowList()) titles << sub->widget()->windowTitle();
        return titles;
    }

    static QAction* action(TMain& window, const char* name) {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }

    test::TempDir root_;
    std::string program_, data_, work_;
    std::vector<shared::ErrorReport> errors_;
    shared::ErrorPresenter previous_;
    WindowOpeners savedOpeners_;
};

TEST_F(MainWindowTest, StartUpBrandsLoadsTheSettingsAndShowsTheAboutBox) {
    pointSysPathAtData();
    for (bool marker : {false, true}) {
        if (marker) std::ofstream(work_ + "OMVI") << "";
        shared::settings() = shared::Settings{};
        bool complete = false;
        auto window = start(&complete);
        EXPECT_TRUE(complete);
        EXPECT_EQ(window->windowTitle(), marker ? QStringLiteral("OMVI LITE") : QStringLiteral("VEK LITE"));
        EXPECT_EQ(shared::settings().LocName, "Harbour Hotel");
        EXPECT_EQ(shared::settings().DataFolder, data_);
        EXPECT_EQ(windowTitles(*window), QStringList{QStringLiteral("About")});
        EXPECT_TRUE(window->mdiArea()->subWindowList().first()->isVisible());
    }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainWindowTest, MenuHasItsCaptionsInOrderWithTwoHiddenItemsAndNoShortcuts) {
    pointSysPathAtData();
    auto window = start();
    struct Item {
        const char* name;
        const char* caption;
        bool visible;
    };
    const std::vector<std::pair<const char*, std::vector<Item>>> expected = {
        {"Daily Tracking", {{"AddEdit2", "Add/Edit", true}}},
        {"Sales Calls", {{"AddEditCalls1", "Add/Edit Calls", true}}},
        {"Traces", {{"AddEdit1", "Add/Edit Traces", true}}},
        {"Utilities",
         {{"About1", "About", true},
          {"IndexFiles1", "Index Files", true},
          {"ConfigureProgram1", "Configure Program", true},
          {"ExportCalls1", "Export Calls/Traces", true},
          {"EncryptTables1", "Encrypt Tables", false},
          {"DecryptTables1", "Decrypt Tables", false},
          {"ImportLookupFiles1", "Import Lookup Files", true},
          {"BrowseFile1", "Browse File", true},
          {"UpdateKeys1", "Update Keys", true}}},
        {"Quit", {{"QuitProgram1", "Quit Program", true}}},
    };
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<int>(expected.size()));
    for (std::size_t m = 0; m < expected.size(); ++m) {
        EXPECT_EQ(menus[m]->text(), QString::fromLatin1(expected[m].first));
        const QList<QAction*> items = menus[m]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<int>(expected[m].second.size())) << expected[m].first;
        for (qsizetype i = 0; i < items.size(); ++i) {
            const Item& e = expected[m].second[static_cast<std::size_t>(i)];
            EXPECT_EQ(items[i]->text(), QString::fromLatin1(e.caption));
            EXPECT_EQ(items[i]->objectName(), QString::fromLatin1(e.name));
            EXPECT_EQ(items[i]->isVisible(), e.visible) << e.name;
            EXPECT_TRUE(items[i]->shortcut().isEmpty()) << e.name;
        }
    }
}

TEST_F(MainWindowTest, EachCommandOpensANewWindowEveryTime) {
    pointSysPathAtData();
    auto window = start();
    window->mdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    const std::vector<std::pair<const char*, QString>> commands = {
        {"AddEdit2", "Daily Tracking"},       {"AddEditCalls1", "Sales Calls"},
        {"AddEdit1", "Traces"},               {"About1", "About"},
        {"IndexFiles1", "Index Files"},       {"ConfigureProgram1", "ProgramConfig"},
        {"ExportCalls1", "Export Calls/Traces"}, {"EncryptTables1", "Encrypt Tables"},
        {"DecryptTables1", "Decrypt Tables"}, {"ImportLookupFiles1", "Import Lookup Files"},
        {"BrowseFile1", "Browse File"},       {"UpdateKeys1", "Update Keys"},
    };
    for (const auto& [name, title] : commands) {
        action(*window, name)->trigger();
        action(*window, name)->trigger();
        EXPECT_EQ(windowTitles(*window).count(title), 2) << name;
    }
    // The second Configure Program window finds the location record held by
    // the first, which is still editing it.
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_TRUE(errors_[0].details.contains(QStringLiteral("LOCINFO.DBF is locked"))) << errors_[0].details.toStdString();
}

TEST_F(MainWindowTest, PluggedInWindowsAreOpenedWithTheMenusArguments) {
    pointSysPathAtData();
    std::vector<std::string> calls;
    windowOpeners().salesCalls = [&](const WindowContext& c, const std::string& filter) {
        EXPECT_NE(c.mdiArea, nullptr);
        calls.push_back("calls " + filter);
    };
    windowOpeners().traces = [&](const WindowContext&, const std::string& value, const std::string& mode) {
        calls.push_back("traces '" + value + "' " + mode);
    };
    windowOpeners().importLookupFiles = [&](const WindowContext&, const std::string& mode) {
        calls.push_back("import " + mode);
    };
    windowOpeners().tracking = [&](const WindowContext&) {
        calls.push_back("tracking");
        throw db::Error(db::ErrorKind::FileNotFound, "Table SALES.DBF: not found");
    };
    auto window = start();
    for (const char* name : {"AddEditCalls1", "AddEditCalls1", "AddEdit1", "ImportLookupFiles1", "AddEdit2"})
        action(*window, name)->trigger();
    const std::vector<std::string> expected = {"calls File_Code = ''", "calls File_Code = ''",
                                               "traces '' SALES_ID", "import Restore Files", "tracking"};
    EXPECT_EQ(calls, expected);
    // The failing opener ended in the error box and the program goes on.
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_TRUE(errors_[0].details.contains(QStringLiteral("AddEdit2")));
    action(*window, "About1")->trigger();
    EXPECT_EQ(windowTitles(*window).count(QStringLiteral("About")), 2);
}

TEST_F(MainWindowTest, WithoutSysPathLocateDataAsksAndStartUpGoesOn) {
    test::whenModal<TLocateData>([&](TLocateData* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QString::fromStdString(data_));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BitBtn2")), Qt::LeftButton);
    });
    bool complete = false;
    auto window = start(&complete);
    EXPECT_TRUE(complete);
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(test::firstRecordField(program_, "SYSPATH.DBF", "PROG_PATH"), data_);
    EXPECT_EQ(shared::settings().DataFolder, data_);
    EXPECT_EQ(shared::settings().LocCode, "H01");
    EXPECT_EQ(windowTitles(*window), QStringList{QStringLiteral("About")});
}

TEST_F(MainWindowTest, CancelledLocateDataEndsInTheErrorBoxWithTheMenuStillUsable) {
    int dialogs = 0;
    std::function<void(TLocateData*)> cancel = [&](TLocateData* dialog) {
        ++dialogs;
        if (dialogs == 1) test::whenModal<TLocateData>(cancel);
        dialog->reject();
    };
    test::whenModal<TLocateData>(cancel);
    bool complete = true;
    auto window = start(&complete);
    EXPECT_FALSE(complete);
    EXPECT_EQ(dialogs, 2);
    ASSERT_EQ(errors_.size(), 1u);
    // The dialog left an empty SYSPATH.DBF behind, so the data folder is empty.
    EXPECT_TRUE(errors_[0].text.contains(QStringLiteral("SYSTEM.DBF"))) << errors_[0].text.toStdString();
    EXPECT_EQ(shared::settings().DataFolder, "");
    EXPECT_TRUE(windowTitles(*window).isEmpty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VEK LITE"));
    action(*window, "About1")->trigger();
    EXPECT_EQ(windowTitles(*window), QStringList{QStringLiteral("About")});
}

TEST_F(MainWindowTest, ConfigureProgramFromTheMenuSavesTheLocation) {
    pointSysPathAtData();
    auto window = start();
    action(*window, "ConfigureProgram1")->trigger();
    auto* config = window->findChild<TProgramConfig*>();
    ASSERT_NE(config, nullptr);
    QLineEdit* name = config->editFor(ConfigField::LocName);
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Harbour Inn"));
    QTest::mouseClick(config->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(shared::settings().LocName, "Harbour Inn");
    EXPECT_EQ(test::firstRecordField(data_, "LOCINFO.DBF", "LOCNAM"), "Harbour Inn");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !windowTitles(*window).contains(QStringLiteral("ProgramConfig")); }));
}

}  // namespace
}  // namespace vv::app
