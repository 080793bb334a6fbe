#include "exchange/import_files_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "data/data_folder.h"
#include "data/exchange_state.h"
#include "data/export_run.h"
#include "data/zip_archive.h"
#include "db/table.h"
#include "shared/settings.h"
#include "shared/shared_fixture.h"
#include "support/temp_dir.h"
#include "support_qt/modal_helper.h"

namespace vv::exchange {
namespace {

namespace fs = std::filesystem;

// An empty data folder to restore into and the full edition's salespeople.
class ImportWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.DataFolder = dir.file("data") + "/";
        data::createDataFolder(settings.DataFolder, {});
        const std::string vek = dir.file("vek");
        data::createDataFolder(vek, {});
        data::fillDemoData(vek, db::Date::fromYmd(2026, 3, 16), {});
        archive = dir.file("RADUVAVFILES.ZIP");
        data::writeEncryptedZip(archive, {{"RADUVAV/DATA/MASTPER.DBF", vek + "/MASTPER.DBF"}},
                                data::kExchangePassword);
    }
    uint32_t salespeople() { return db::Table::open(settings.DataFolder, "MASTPER.DBF")->recordCount(); }

    test::TempDir dir;
    shared::Settings settings;
    std::string archive;
    test::RecordedInteraction recorded;
};

TEST_F(ImportWindowTest, StartsWithTheDefaultOrTheRememberedArchive) {
    TImportFiles fresh(settings, "Restore Files");
    EXPECT_EQ(fresh.fileEdit()->text(), "A:\\RADUVAVFILES.ZIP");
    EXPECT_EQ(fresh.statusLine()->text(), "Click OK to Continue With Import");
    EXPECT_FALSE(fresh.progressBar()->isVisibleTo(&fresh));
    data::rememberImportArchive(settings.DataFolder, " C:\\IN\\RADUVAVFILES.ZIP ");
    TImportFiles remembered(settings, "Restore Files");
    EXPECT_EQ(remembered.fileEdit()->text(), "C:\\IN\\RADUVAVFILES.ZIP");
}

TEST_F(ImportWindowTest, RestoreReplacesTheTablesAndRemindsToReindex) {
    TImportFiles w(settings, "Restore Files");
    w.fileEdit()->setText(QString::fromStdString(archive));
    ASSERT_EQ(salespeople(), 0u);
    w.okButton()->click();
    EXPECT_TRUE(recorded.errors.empty()) << recorded.errors.front().toStdString();
    EXPECT_GT(salespeople(), 0u);
    EXPECT_EQ(w.statusLine()->text(), "Do Not Forget To Reindex Your Files!");
    EXPECT_EQ(w.folderIconLine()->text(), "Finished Restore!");
    EXPECT_EQ(w.progressBar()->value(), 100);
    EXPECT_FALSE(w.okButton()->isEnabled());
    EXPECT_FALSE(w.fileEdit()->isEnabled());
    EXPECT_TRUE(w.cancelButton()->isEnabled());
    EXPECT_EQ(w.cancelButton()->text(), "Close");
    EXPECT_EQ(data::readLastExchange(settings.DataFolder).importArchive, archive);
    EXPECT_TRUE(db::Table::open(settings.DataFolder, "ACCOUNT.DBF")->isEncrypted());
}

TEST_F(ImportWindowTest, BrokenArchiveIsReportedAndChangesNothing) {
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << "PK\x03\x04 not really";
    TImportFiles w(settings, "Restore Files");
    w.fileEdit()->setText(QString::fromStdString(archive));
    w.okButton()->click();
    EXPECT_EQ(recorded.errors.size(), 1u);
    EXPECT_EQ(salespeople(), 0u);
    EXPECT_EQ(w.statusLine()->text(), "Import Was Not Completed!");
    EXPECT_TRUE(w.cancelButton()->isEnabled());
}

TEST_F(ImportWindowTest, ClosingWithoutImportStillCallsBack) {
    shared::settings().DataFolder = settings.DataFolder;
    int closed = 0;
    test::whenModal<TImportFiles>([](TImportFiles* w) { w->cancelButton()->click(); });
    RunImportFiles(nullptr, "Restore Files", [&] { ++closed; });
    EXPECT_EQ(closed, 1);
    shared::settings().DataFolder.clear();
}

}  // namespace
}  // namespace vv::exchange
