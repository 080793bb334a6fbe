#include "exchange/export_calls_window.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "data/data_folder.h"
#include "data/exchange_state.h"
#include "data/paths.h"
#include "db/table.h"
#include "shared/settings.h"
#include "shared/shared_fixture.h"
#include "support/temp_dir.h"

namespace vv::exchange {
namespace {

namespace fs = std::filesystem;

// A demo data folder, an empty place for the archive, and the boxes recorded.
class ExportWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.DataFolder = dir.file("data") + "/";
        out = dir.file("out");
        fs::create_directories(out);
        data::createDataFolder(settings.DataFolder, {});
        demo = data::fillDemoData(settings.DataFolder, db::Date::today(), {});
    }
    std::unique_ptr<TExportCalls> window(const std::string& location) {
        auto w = std::make_unique<TExportCalls>(settings);
        w->locationEdit()->setText(QString::fromStdString(location));
        return w;
    }

    test::TempDir dir;
    shared::Settings settings;
    std::string out;
    data::DemoSummary demo;
    test::RecordedInteraction recorded;
};

TEST_F(ExportWindowTest, OpensWithTheRememberedLocationAndTheLastExportDate) {
    data::setLastExportDate(settings.DataFolder, db::Date::fromYmd(2026, 2, 27));
    TExportCalls fresh(settings);
    EXPECT_EQ(fresh.locationEdit()->text(), "A:\\");
    EXPECT_EQ(fresh.lastExportLine()->text(), "You Last Exported On:  02/27/26");
    EXPECT_TRUE(fresh.newButton()->isChecked());
    EXPECT_EQ(fresh.explanationLine(2)->text(), "Added or Modified since the last Export Date");
    fresh.allButton()->click();
    EXPECT_EQ(fresh.explanationLine(1)->text(), "Export All Calls will Re-Export All Calls/Traces");
    EXPECT_EQ(fresh.explanationLine(2)->text(), "These Calls/Traces will not be Duplicated when Imported into Vek");

    data::rememberExportLocation(settings.DataFolder, "  E:\\OUTBOX  ");
    TExportCalls remembered(settings);
    EXPECT_EQ(remembered.locationEdit()->text(), "E:\\OUTBOX");
}

TEST_F(ExportWindowTest, ReExportAllShowsTheCountsAndOffersOnlyClose) {
    auto w = window(out);
    w->allButton()->click();
    w->okButton()->click();
    EXPECT_TRUE(recorded.errors.empty()) << recorded.errors.front().toStdString();
    EXPECT_TRUE(recorded.ui->informations.empty());
    EXPECT_EQ(w->countLabel(0)->text().toInt(), demo.calls);
    EXPECT_EQ(w->countLabel(1)->text().toInt(), demo.traces);
    EXPECT_EQ(w->countLabel(2)->text().toInt(), demo.tracking);
    EXPECT_EQ(w->statusLine()->text(), "Finished Export!");
    EXPECT_FALSE(w->okButton()->isEnabled());
    EXPECT_EQ(w->cancelButton()->text(), "Close");
    EXPECT_TRUE(fs::exists(out + "/VEKEXPORT.ZIP"));
    EXPECT_EQ(data::lastExportDate(settings.DataFolder), db::Date::today());
    EXPECT_EQ(data::readLastExchange(settings.DataFolder).exportLocation, out);
}

TEST_F(ExportWindowTest, UnwritableLocationSaysSoAndStaysReady) {
    auto w = window(dir.file("no/such/drive"));
    w->okButton()->click();
    EXPECT_EQ(recorded.ui->informations,
              (std::vector<QString>{"Problem creating file", "Can Not Perform Export Process!"}));
    EXPECT_TRUE(w->okButton()->isEnabled());
    EXPECT_EQ(w->cancelButton()->text(), "Cancel");
}

TEST_F(ExportWindowTest, FailedArchiveSaysTheRecordsWaitInTheExportTables) {
    fs::create_directories(out + "/VEKEXPORT.ZIP/blocked");
    auto w = window(out);
    w->allButton()->click();
    w->okButton()->click();
    ASSERT_EQ(recorded.ui->informations.size(), 1u);
    EXPECT_TRUE(recorded.ui->informations[0].startsWith("Export Was Not Completed!"));
    EXPECT_TRUE(recorded.ui->informations[0].contains("stay in the export tables"));
    EXPECT_EQ(w->statusLine()->text(), "Export Was Not Completed!");
    EXPECT_EQ(w->countLabel(0)->text().toInt(), demo.calls);
    EXPECT_EQ(db::Table::open(data::exportFolder(settings.DataFolder), "EXPCALLS.DBF")->recordCount(),
              static_cast<uint32_t>(demo.calls));
}

TEST_F(ExportWindowTest, LockedRecordAsksAndCancelLeavesItOut) {
    auto other = db::Table::open(settings.DataFolder, "SALECALL.DBF");
    other->first();
    other->edit();
    recorded.ui->retryAnswers = {true, false};
    auto w = window(out);
    w->allButton()->click();
    w->okButton()->click();
    EXPECT_EQ(recorded.ui->retryQuestions, (std::vector<QString>{"Cannot lock record...try again?",
                                                                 "Cannot lock record...try again?"}));
    EXPECT_EQ(w->countLabel(0)->text().toInt(), demo.calls - 1);
    EXPECT_TRUE(w->findChild<QLabel*>("SkippedLine")->isVisibleTo(w.get()));
}

}  // namespace
}  // namespace vv::exchange
