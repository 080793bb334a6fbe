#include "app/locate_data.h"

#include <filesystem>
#include <fstream>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/locate_data_dialog.h"
#include "data/system_tables.h"
#include "db/error.h"
#include "shared/error_box.h"
#include "shared/paths.h"
#include "support/temp_dir.h"
#include "support_qt/modal_helper.h"
#include "support_qt/system_tables_fixture.h"

namespace vv::app {
namespace {

using shared::toNativePath;

class LocateDataTest : public ::testing::Test {
protected:
    LocateDataTest() : program_(root_.str() + "/program/"), data_(root_.str() + "/vekdata/") {
        std::filesystem::create_directories(program_);
        makeDataFolder(data_);
    }

    static void makeDataFolder(const std::string& folder) {
        test::makeTable(folder, "SYSTEM.DBF", {{"BACKUPTO", "A"}});
        std::ofstream(folder + "ACCOUNT.DBF") << "";
    }

    std::string stored(const char* file, const char* field, const std::string& folder) {
        return test::firstRecordField(folder, file, field);
    }

    test::TempDir root_;
    std::string program_, data_;
    shared::Settings settings_;
};

TEST_F(LocateDataTest, FoldersFollowTheDriveAndWhetherTheFolderMentionsVek) {
    struct Case {
        const char* folder;
        const char* contract;
        const char* letters;
    } cases[] = {
        {"/srv/vekdata/", "c:\\vek\\contract\\", "c:\\vek\\letters\\"},
        {"/srv/VEK/data/", "c:\\vek\\contract\\", "c:\\vek\\letters\\"},
        {"/srv/hotel/data/", "c:\\contract\\", "c:\\letters\\"},
        {"/srv/v-e-k/", "c:\\contract\\", "c:\\letters\\"},
    };
    for (const Case& c : cases) {
        const LocatedFolders f = locatedFoldersFor(c.folder);
        EXPECT_EQ(f.dataFolder, c.folder);
        EXPECT_EQ(f.contractFolder, toNativePath(c.contract)) << c.folder;
        EXPECT_EQ(f.lettersFolder, toNativePath(c.letters)) << c.folder;
        EXPECT_EQ(f.reportFolder, toNativePath("c:\\vek\\reports\\")) << c.folder;
    }
}

TEST_F(LocateDataTest, AppearingCreatesAnEmptySysPathAndOffersTheUsualFolder) {
    LocateData rules(settings_, program_);
    EXPECT_EQ(rules.prepare(), toNativePath("c:\\vek\\data"));
    EXPECT_EQ(settings_.ProgramFolder, program_);
    ASSERT_TRUE(data::sysPathExists(program_));
    EXPECT_EQ(test::recordCount(program_, "SYSPATH.DBF"), 0u);
    // An empty SYSPATH.DBF offers the same.
    EXPECT_EQ(rules.prepare(), toNativePath("c:\\vek\\data"));

    data::writeSysPath(program_, "/srv/hotel/", "/srv/hotel/letters/");
    EXPECT_EQ(rules.prepare(), "/srv/hotel/");
}

TEST_F(LocateDataTest, AcceptingRecordsTheFolderWithItsSeparatorInBothTables) {
    LocateData rules(settings_, program_);
    rules.prepare();
    std::string typed = data_.substr(0, data_.size() - 1);
    ASSERT_EQ(rules.accept(typed), LocateData::Result::Accepted);

    EXPECT_EQ(typed, data_);
    EXPECT_EQ(settings_.DataFolder, data_);
    EXPECT_EQ(stored("SYSPATH.DBF", "PROG_PATH", program_), data_);
    EXPECT_EQ(stored("SYSPATH.DBF", "CONT_PATH", program_), toNativePath("c:\\vek\\contract\\"));
    EXPECT_EQ(stored("SYSPATH.DBF", "MISC", program_), toNativePath("c:\\vek\\letters\\"));
    EXPECT_EQ(stored("SYSPATH.DBF", "REP_PATH", program_), toNativePath("c:\\vek\\reports\\"));
    EXPECT_EQ(stored("SYSTEM.DBF", "PROG_PATH", data_), data_);
    EXPECT_EQ(stored("SYSTEM.DBF", "BACKUPTO", data_), "A");

    // Accepting again edits the same records.
    ASSERT_EQ(rules.accept(typed), LocateData::Result::Accepted);
    EXPECT_EQ(test::recordCount(program_, "SYSPATH.DBF"), 1u);
    EXPECT_EQ(test::recordCount(data_, "SYSTEM.DBF"), 1u);
}

TEST_F(LocateDataTest, FolderWithoutAccountTableIsRefusedEvenWithSystemTable) {
    const std::string other = root_.str() + "/other/";
    test::makeTable(other, "SYSTEM.DBF", {{"BACKUPTO", "A"}});
    LocateData rules(settings_, program_);
    rules.prepare();
    settings_.DataFolder = "unchanged";
    std::string typed = other;
    EXPECT_EQ(rules.accept(typed), LocateData::Result::PathNotFound);
    EXPECT_EQ(settings_.DataFolder, "unchanged");
    EXPECT_EQ(test::recordCount(program_, "SYSPATH.DBF"), 0u);
    EXPECT_EQ(stored("SYSTEM.DBF", "PROG_PATH", other), "");
}

TEST_F(LocateDataTest, WithoutSysPathTheEngineErrorReachesTheCaller) {
    LocateData rules(settings_, program_);
    std::string typed = data_;
    try {
        rules.accept(typed);
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::FileNotFound);
    }
}

// The dialog as the user meets it.
class LocateDataDialogTest : public LocateDataTest {
protected:
    void SetUp() override {
        previous_ = shared::setErrorPresenter([this](QWidget*, const shared::ErrorReport& r) { errors_.push_back(r); });
    }
    void TearDown() override { shared::setErrorPresenter(previous_); }

    template <typename T>
    T* child(TLocateData& dialog, const char* name) {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }

    std::vector<shared::ErrorReport> errors_;
    shared::ErrorPresenter previous_;
};

TEST_F(LocateDataDialogTest, ShowsItsTextsAndRefusesAWrongFolderBeforeTakingTheRightOne) {
    TLocateData dialog(settings_, program_);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Locate Data"));
    EXPECT_EQ(child<QLabel>(dialog, "Label1")->text(), QStringLiteral("Locate Data"));
    EXPECT_EQ(child<QLabel>(dialog, "Label25")->text(), QStringLiteral("Data Directory:"));
    EXPECT_EQ(child<QLabel>(dialog, "Label2")->text(), QStringLiteral("The program could not locate it's data files."));
    EXPECT_EQ(child<QLabel>(dialog, "Label3")->text(),
              QStringLiteral("Please enter the correct path or click the folder button above to locate the correct path."));
    EXPECT_TRUE(child<QPushButton>(dialog, "BitBtn2")->isDefault());
    EXPECT_EQ(child<QPushButton>(dialog, "BitBtn3")->text(), QStringLiteral("Cancel"));

    auto* edit = child<QLineEdit>(dialog, "Edit1");
    EXPECT_EQ(edit->text().toStdString(), toNativePath("c:\\vek\\data"));

    QString message, caption;
    test::whenModal<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        caption = box->windowTitle();
        box->accept();
    });
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(root_.str() + "/nowhere"));
    QTest::mouseClick(child<QPushButton>(dialog, "BitBtn2"), Qt::LeftButton);
    EXPECT_EQ(message, QStringLiteral("Path Not Found!"));
    EXPECT_EQ(caption, QStringLiteral("Error"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(edit->text().toStdString(), root_.str() + "/nowhere/");

    edit->setText(QString::fromStdString(data_));
    QTest::mouseClick(child<QPushButton>(dialog, "BitBtn2"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(stored("SYSPATH.DBF", "PROG_PATH", program_), data_);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(LocateDataDialogTest, CancelLeavesOnlyTheEmptySysPath) {
    TLocateData dialog(settings_, program_);
    dialog.show();
    child<QLineEdit>(dialog, "Edit1")->setText(QString::fromStdString(data_));
    QTest::mouseClick(child<QPushButton>(dialog, "BitBtn3"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(test::recordCount(program_, "SYSPATH.DBF"), 0u);
    EXPECT_EQ(settings_.DataFolder, "");
}

TEST_F(LocateDataDialogTest, ATableThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    TLocateData dialog(settings_, program_);
    dialog.show();
    const std::string noSystem = root_.str() + "/vek2/";
    std::filesystem::create_directories(noSystem);
    std::ofstream(noSystem + "ACCOUNT.DBF") << "";
    child<QLineEdit>(dialog, "Edit1")->setText(QString::fromStdString(noSystem));
    QTest::mouseClick(child<QPushButton>(dialog, "BitBtn2"), Qt::LeftButton);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_TRUE(errors_[0].text.contains(QStringLiteral("SYSTEM"), Qt::CaseInsensitive)) << errors_[0].text.toStdString();
    EXPECT_TRUE(dialog.isVisible());
}

}  // namespace
}  // namespace vv::app
