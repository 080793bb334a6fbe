#include "shared/settings_loader.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "db/error.h"
#include "db/table.h"
#include "shared/paths.h"
#include "support/temp_dir.h"
#include "support_qt/system_tables_fixture.h"

namespace vv::shared {
namespace {

using test::makeTable;

class SettingsLoaderTest : public ::testing::Test {
protected:
    SettingsLoaderTest()
        : program_(root_.str() + "/program/"), data_(root_.str() + "/data/"), work_(root_.str() + "/work") {
        std::filesystem::create_directories(program_);
        std::filesystem::create_directories(data_);
        std::filesystem::create_directories(work_);
    }

    void writeSysPath(const test::FieldValues& values) { makeTable(program_, "SYSPATH.DBF", values); }
    void writeSystem(const test::FieldValues& values = {{"BACKUPTO", "D"}}) {
        makeTable(data_, "SYSTEM.DBF", values);
    }
    void writeLocInfo(const test::FieldValues& values = {{"LOCCODE", "H01"}},
                      const std::vector<std::string>& drop = {}) {
        makeTable(data_, "LOCINFO.DBF", values, drop);
    }
    void writeDataFolder() {
        writeSysPath({{"PROG_PATH", data_}});
        writeSystem();
        writeLocInfo();
    }

    // Runs start-up; `onLocate` plays the Locate Data dialog.
    void load(SettingsLoader::LocateDataFn onLocate = {}) {
        SettingsLoader loader(settings_, {work_, program_.substr(0, program_.size() - 1)}, std::move(onLocate));
        locateCalls_ = -1;
        try {
            loader.run();
        } catch (...) {
            locateCalls_ = loader.locateDataCalls();
            throw;
        }
        locateCalls_ = loader.locateDataCalls();
    }

    test::TempDir root_;
    std::string program_, data_, work_;
    Settings settings_;
    int locateCalls_ = -1;
};

TEST_F(SettingsLoaderTest, BrandingFollowsTheMarkerFileInTheWorkingFolder) {
    struct Case {
        const char* marker;  // null: none
        bool asFolder;
        const char* title;
    } cases[] = {
        {nullptr, false, "VEK LITE"}, {"OMVI", false, "OMVI LITE"}, {"omvi", false, "OMVI LITE"},
        {"Omvi", false, "OMVI LITE"}, {"OMVI.txt", false, "VEK LITE"}, {"OMVI", true, "VEK LITE"},
    };
    for (const Case& c : cases) {
        test::TempDir work;
        if (c.marker && c.asFolder) std::filesystem::create_directory(work.path() / c.marker);
        else if (c.marker) std::ofstream(work.file(c.marker)) << "";
        EXPECT_EQ(productTitleFor(work.str()), c.title) << (c.marker ? c.marker : "(no marker)");
    }
}

TEST_F(SettingsLoaderTest, ReadsEverySettingFromTheThreeTables) {
    writeSysPath({{"PROG_PATH", data_}, {"REP_PATH", "c:\\vek\\reports\\"}, {"CONT_PATH", "/srv/contract/"},
                  {"MISC", "/srv/letters/"}});
    writeSystem({{"BACKUPTO", "D"}, {"USER_FLD1", "Industry"}, {"USER_FLD2", "Region"}, {"USER_FLD3", "Source"},
                 {"USER_FLD4", "Size"}, {"USER_FLD5", "Chain"}, {"KEEP_FLDS", "Y"}});
    writeLocInfo({{"LOCCODE", "H01"}, {"LOCNAM", "Harbour Hotel"}, {"RESTNAME", "Quay"}, {"LOCADDR", "1 Pier Rd"},
                  {"LOCCITY", "Portland"}, {"LOCSTATE", "ME"}, {"LOCZIP", "04101"}, {"LOC_TYPE", "FULL"}});
    std::ofstream(work_ + "/OMVI") << "";

    load();

    const Settings& s = settings_;
    EXPECT_EQ(locateCalls_, 0);
    EXPECT_EQ(s.ProductTitle, "OMVI LITE");
    EXPECT_EQ(s.ProgramFolder, program_);
    EXPECT_EQ(s.DataFolder, data_);
    EXPECT_EQ(s.ReportFolder, toNativePath("c:\\vek\\reports\\"));
    EXPECT_EQ(s.ContractFolder, "/srv/contract/");
    EXPECT_EQ(s.LettersFolder, "/srv/letters/");
    EXPECT_EQ(s.SalesId, "XXX");
    EXPECT_EQ(s.EngineVersion, db::Table::engineVersion());
    EXPECT_EQ(s.ConnectionType, "Local");
    EXPECT_EQ(s.BackupDrive, "D");
    const char* labels[] = {"Industry", "Region", "Source", "Size", "Chain"};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(s.UserFieldLabels[i], labels[i - 1]) << i;
    EXPECT_EQ(s.KeepFields, "Y");
    EXPECT_EQ(s.LocCode, "H01");
    EXPECT_EQ(s.LocName, "Harbour Hotel");
    EXPECT_EQ(s.RestName, "Quay");
    EXPECT_EQ(s.LocAddr, "1 Pier Rd");
    EXPECT_EQ(s.LocCity, "Portland");
    EXPECT_EQ(s.LocState, "ME");
    EXPECT_EQ(s.LocZip, "04101");
    EXPECT_EQ(s.LocType, "FULL");
    EXPECT_EQ(s.CurrentLocCode, "");  // the record windows set it
}

TEST_F(SettingsLoaderTest, EmptyFoldersAndBackupDriveTakeTheirDefaults) {
    writeDataFolder();
    writeSystem({{"BACKUPTO", ""}});
    load();
    EXPECT_EQ(settings_.ContractFolder, defaultContractFolder(data_));
    EXPECT_EQ(settings_.LettersFolder, defaultLettersFolder());
    EXPECT_EQ(settings_.LettersFolder, toNativePath("c:\\vek\\letters\\"));
    EXPECT_EQ(settings_.BackupDrive, "A");
    EXPECT_EQ(settings_.ReportFolder, "");
}

TEST_F(SettingsLoaderTest, LocInfoWithoutRestNameLoadsAndLeavesItEmpty) {
    writeDataFolder();
    writeLocInfo({{"LOCCODE", "H01"}, {"LOCNAM", "Harbour Hotel"}, {"LOC_TYPE", "FULL"}}, {"RESTNAME"});
    settings_.RestName = "left over";
    load();
    EXPECT_EQ(settings_.RestName, "");
    EXPECT_EQ(settings_.LocName, "Harbour Hotel");
    EXPECT_EQ(settings_.LocType, "FULL");
}

TEST_F(SettingsLoaderTest, MissingSystemTableAsksOnceThenGoesOn) {
    writeSysPath({{"PROG_PATH", data_}});
    // The user points the dialog at the data, as Locate Data would record it.
    load([&] {
        writeSystem();
        writeLocInfo();
    });
    EXPECT_EQ(locateCalls_, 1);
    EXPECT_EQ(settings_.LocCode, "H01");
}

TEST_F(SettingsLoaderTest, CancelledDialogLeavesTheEngineErrorForTheCaller) {
    writeSysPath({{"PROG_PATH", data_}});
    try {
        load([] {});
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::FileNotFound);
        EXPECT_NE(std::string(e.what()).find("SYSTEM.DBF"), std::string::npos) << e.what();
    }
    EXPECT_EQ(locateCalls_, 1);
    EXPECT_EQ(settings_.DataFolder, data_);
    EXPECT_EQ(settings_.BackupDrive, "");
}

TEST_F(SettingsLoaderTest, MissingSysPathAsksAndReadsWhatTheDialogWrote) {
    writeSystem();
    writeLocInfo();
    load([&] { writeSysPath({{"PROG_PATH", data_}}); });
    EXPECT_EQ(locateCalls_, 1);
    EXPECT_EQ(settings_.DataFolder, data_);
    EXPECT_EQ(settings_.LocCode, "H01");
}

TEST_F(SettingsLoaderTest, WithoutSysPathAndCancelledTheProgramFolderIsAskedForTwice) {
    EXPECT_THROW(load([] {}), db::Error);
    EXPECT_EQ(locateCalls_, 2);
    EXPECT_EQ(settings_.DataFolder, program_);
}

TEST_F(SettingsLoaderTest, DataFolderStoredWithoutSeparatorIsAskedForButStillUsed) {
    writeDataFolder();
    const std::string bare = data_.substr(0, data_.size() - 1);
    writeSysPath({{"PROG_PATH", bare}});
    load([] {});
    EXPECT_EQ(locateCalls_, 1);
    EXPECT_EQ(settings_.DataFolder, bare);
    EXPECT_EQ(settings_.BackupDrive, "D");
}

TEST_F(SettingsLoaderTest, MissingFieldEndsTheSequenceKeepingWhatWasRead) {
    writeDataFolder();
    writeLocInfo({{"LOCCODE", "H01"}, {"LOCNAM", "Harbour Hotel"}}, {"LOCADDR"});
    try {
        load();
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::FieldNotFound);
    }
    EXPECT_EQ(settings_.BackupDrive, "D");
    EXPECT_EQ(settings_.LocName, "Harbour Hotel");
    EXPECT_EQ(settings_.LocCity, "");
    EXPECT_EQ(settings_.LocType, "");
}

TEST_F(SettingsLoaderTest, SystemTableWithoutAFieldLeavesTheLocationUnread) {
    writeDataFolder();
    makeTable(data_, "SYSTEM.DBF", {{"BACKUPTO", "D"}}, {"KEEP_FLDS"});
    EXPECT_THROW(load(), db::Error);
    EXPECT_EQ(settings_.BackupDrive, "D");
    EXPECT_EQ(settings_.LocCode, "");
}

}  // namespace
}  // namespace vv::shared
