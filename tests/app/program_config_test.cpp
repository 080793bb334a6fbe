#include "app/program_config.h"

#include <filesystem>

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/program_config_window.h"
#include "data/system_tables.h"
#include "db/error.h"
#include "shared/error_box.h"
#include "shared/mdi_child.h"
#include "support/temp_dir.h"
#include "support_qt/system_tables_fixture.h"

namespace vv::app {
namespace {

class ProgramConfigTest : public ::testing::Test {
protected:
    ProgramConfigTest()
        : program_(root_.str() + "/program/"), data_(root_.str() + "/data/"), other_(root_.str() + "/other/") {
        std::filesystem::create_directories(program_);
        makeDataFolder(data_, "H01", "Harbour Hotel");
        makeDataFolder(other_, "H02", "Hill Lodge");
        data::writeSysPath(program_, data_, data_ + "letters/");
        settings_.ProgramFolder = program_;
        settings_.DataFolder = data_;
        settings_.LocCode = "H01";
        settings_.UserFieldLabels[1] = "Industry";
    }

    static void makeDataFolder(const std::string& folder, const char* code, const char* name) {
        test::makeTable(folder, "SYSTEM.DBF", {{"BACKUPTO", "A"}, {"USER_FLD1", std::string("Field of ") + code}});
        test::makeTable(folder, "LOCINFO.DBF",
                        {{"LOCCODE", code}, {"LOCNAM", name}, {"LOCADDR", "1 Main St"}, {"LOCCITY", "Portland"},
                         {"LOCSTATE", "ME"}, {"LOCZIP", "04101"}, {"TIER2_RMS", "120"}});
    }

    std::string stored(const std::string& folder, const char* file, const char* field) {
        return test::firstRecordField(folder, file, field);
    }

    test::TempDir root_;
    std::string program_, data_, other_;
    shared::Settings settings_;
};

TEST_F(ProgramConfigTest, ShowsTheStoredValues) {
    ProgramConfig config(settings_);
    config.open();
    EXPECT_EQ(config.value(ConfigField::LocCode), "H01");
    EXPECT_EQ(config.value(ConfigField::LocName), "Harbour Hotel");
    EXPECT_EQ(config.value(ConfigField::BackupTo), "A");
    EXPECT_EQ(config.value(ConfigField::DataFolder), data_);
    EXPECT_EQ(config.value(ConfigField::LettersFolder), data_ + "letters/");
    EXPECT_EQ(config.width(ConfigField::LocCode), 5);
    EXPECT_EQ(config.width(ConfigField::DataFolder), 50);
}

TEST_F(ProgramConfigTest, FoldersGetTheirSeparatorAndTheDataFolderIsTakenAtOnce) {
    ProgramConfig config(settings_);
    config.open();
    const std::string bare = data_.substr(0, data_.size() - 1);
    config.setValue(ConfigField::DataFolder, bare);
    config.setValue(ConfigField::LettersFolder, "");
    config.save();
    EXPECT_EQ(stored(program_, "SYSPATH.DBF", "PROG_PATH"), data_);
    EXPECT_EQ(stored(program_, "SYSPATH.DBF", "MISC"), "/");
    // Folders nobody typed into get a separator too.
    EXPECT_EQ(stored(program_, "SYSPATH.DBF", "CONT_PATH"), "/");
    EXPECT_EQ(stored(program_, "SYSPATH.DBF", "REP_PATH"), "/");
    EXPECT_EQ(settings_.DataFolder, data_);
    EXPECT_EQ(settings_.ContractFolder, "/");
}

TEST_F(ProgramConfigTest, NewDataFolderBringsItsLocationAtOnceButNotItsSwitches) {
    ProgramConfig config(settings_);
    config.open();
    config.setValue(ConfigField::LocName, "Harbour Hotel & Spa");
    config.setValue(ConfigField::DataFolder, other_);
    config.save();

    EXPECT_EQ(stored(data_, "LOCINFO.DBF", "LOCNAM"), "Harbour Hotel & Spa");
    EXPECT_EQ(settings_.DataFolder, other_);
    EXPECT_EQ(settings_.LocName, "Hill Lodge");
    EXPECT_EQ(settings_.CurrentLocCode, "H02");
    EXPECT_EQ(settings_.LocCode, "H01");
    EXPECT_EQ(settings_.UserFieldLabels[1], "Industry");
}

TEST_F(ProgramConfigTest, EmptyRoomCountsBecomeZeroAndOthersStay) {
    ProgramConfig config(settings_);
    config.open();
    config.save();
    EXPECT_EQ(stored(data_, "LOCINFO.DBF", "TIER1_RMS"), "0");
    EXPECT_EQ(stored(data_, "LOCINFO.DBF", "TIER2_RMS"), "120");
    EXPECT_EQ(stored(data_, "LOCINFO.DBF", "TIER3_RMS"), "0");
}

TEST_F(ProgramConfigTest, TablesWithoutRecordsGetOneAndCancelDiscardsEdits) {
    test::makeTable(data_, "SYSTEM.DBF", {}, {}, false);
    {
        ProgramConfig config(settings_);
        config.open();
        config.setValue(ConfigField::LocName, "Not saved");
        config.close();
    }
    EXPECT_EQ(stored(data_, "LOCINFO.DBF", "LOCNAM"), "Harbour Hotel");
    EXPECT_EQ(test::recordCount(data_, "SYSTEM.DBF"), 0u);

    ProgramConfig config(settings_);
    config.open();
    config.setValue(ConfigField::BackupTo, "E");
    config.save();
    EXPECT_EQ(test::recordCount(data_, "SYSTEM.DBF"), 1u);
    EXPECT_EQ(stored(data_, "SYSTEM.DBF", "BACKUPTO"), "E");
}

TEST_F(ProgramConfigTest, MissingSysPathFailsWhenOpening) {
    std::filesystem::remove(program_ + "SYSPATH.DBF");
    ProgramConfig config(settings_);
    try {
        config.open();
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::FileNotFound);
    }
    EXPECT_FALSE(config.isOpen());
}

TEST_F(ProgramConfigTest, FailedSaveCanBeRepeatedAfterTheFolderIsPutRight) {
    ProgramConfig config(settings_);
    config.open();
    config.setValue(ConfigField::DataFolder, root_.str() + "/missing/");
    EXPECT_THROW(config.save(), db::Error);
    config.setValue(ConfigField::DataFolder, other_);
    config.save();
    EXPECT_EQ(settings_.LocName, "Hill Lodge");
}

// The window as the user meets it, in an MDI area.
TEST_F(ProgramConfigTest, WindowEditsInUpperCaseWhereNeededAndClosesOnOk) {
    std::vector<shared::ErrorReport> errors;
    const auto previous = shared::setErrorPresenter([&](QWidget*, const shared::ErrorReport& r) { errors.push_back(r); });
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    auto* window = new TProgramConfig(settings_);
    shared::showMdiChild(area, window, true);
    ASSERT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ProgramConfig"));
    EXPECT_EQ(window->editFor(ConfigField::LocName)->text(), QStringLiteral("Harbour Hotel"));

    QLineEdit* code = window->editFor(ConfigField::LocCode);
    code->clear();
    QTest::keyClicks(code, QStringLiteral("h9x"));
    EXPECT_EQ(code->text(), QStringLiteral("H9X"));
    QLineEdit* state = window->editFor(ConfigField::LocState);
    state->clear();
    QTest::keyClicks(state, QStringLiteral("nh"));
    EXPECT_EQ(state->text(), QStringLiteral("NH"));
    QTest::keyClicks(window->editFor(ConfigField::LocName), QStringLiteral(" & Spa"));
    EXPECT_EQ(code->maxLength(), 5);

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.subWindowList().isEmpty(); }));
    EXPECT_EQ(stored(data_, "LOCINFO.DBF", "LOCCODE"), "H9X");
    EXPECT_EQ(stored(data_, "LOCINFO.DBF", "LOCSTATE"), "NH");
    EXPECT_EQ(settings_.LocName, "Harbour Hotel & Spa");
    EXPECT_EQ(settings_.CurrentLocCode, "H9X");
    shared::setErrorPresenter(previous);
}

}  // namespace
}  // namespace vv::app
