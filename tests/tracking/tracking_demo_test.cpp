// The tracking window on the demo hotel as create-data makes it (indexed,
// accounts encrypted): real field widths and real accounts.
#include "tracking/tracking_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "data/data_folder.h"
#include "data/index_rebuild.h"
#include "data/table_encryption_commands.h"
#include "shared/code_field.h"
#include "shared/record_grid.h"
#include "shared/settings.h"
#include "shared/shared_fixture.h"
#include "support/temp_dir.h"
#include "tracking/bound_controls.h"
#include "tracking/money.h"

namespace vv::tracking {
namespace {

void typeInto(QLineEdit* edit, const char* text) {
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
    QCoreApplication::processEvents();
}

TEST(TrackingDemoTest, EntersAndDeletesADayOnTheDemoHotel) {
    test::TempDir dir;
    const std::string data = dir.str() + "/data/";
    data::createDataFolder(data, {});
    const data::DemoSummary demo = data::fillDemoData(data, db::Date::today(), {});
    data::indexNewDataFolder(data, {});
    data::encryptTables(data, {});
    const shared::Settings previous = shared::settings();
    shared::settings().DataFolder = data;
    shared::settings().SalesId = "XXX";
    test::RecordedInteraction recorded;

    // An account with its year-to-date figures as they stand.
    auto accounts = db::Table::open(data, "ACCOUNT.DBF");
    accounts->enableEncryption(data::kTablePassword);
    accounts->first();
    const std::string corpNo = accounts->getText("CORP_NO");
    ASSERT_FALSE(corpNo.empty());
    const int64_t ytdRooms = readWhole(*accounts, "YTD_ROOMS");
    const Money ytdRevenue = readMoney(*accounts, "YTD_RMREV");
    accounts.reset();

    {
        TTracking w;
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        ASSERT_TRUE(recorded.errors.empty()) << recorded.errors.front().toStdString();
        EXPECT_EQ(w.grid()->model()->rowCount(), demo.tracking);

        w.addAction()->trigger();
        typeInto(w.corpNoField()->edit(), corpNo.c_str());
        EXPECT_FALSE(w.accountLabel()->text().isEmpty());
        EXPECT_FALSE(w.salesIdField()->edit()->text().isEmpty()) << "from the account";
        typeInto(w.roomsEdit(), "12");
        typeInto(w.rateEdit(), "89.50");
        w.okButton()->click();
        w.cancelButton()->click();
        EXPECT_TRUE(recorded.ui->informations.empty()) << recorded.ui->informations.front().toStdString();
        EXPECT_TRUE(recorded.errors.empty()) << recorded.errors.front().toStdString();
        ASSERT_EQ(w.grid()->model()->rowCount(), demo.tracking + 1);

        auto sales = db::Table::open(data, "SALES.DBF");
        sales->last();
        EXPECT_EQ(sales->getText("CORP_NO"), corpNo);
        EXPECT_EQ(sales->getText("RMREV"), "1074.00");
        const uint32_t added = sales->recno();

        shared::TableModel& model = w.grid()->tableModel();
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.recnoAt(row) == added)
                w.grid()->setCurrentIndex(model.index(row, 1));
        ASSERT_EQ(w.mainTable()->recno(), added);
        recorded.ui->yesNoAnswer = true;
        w.deleteAction()->trigger();
        EXPECT_EQ(w.grid()->model()->rowCount(), demo.tracking);
    }

    accounts = db::Table::open(data, "ACCOUNT.DBF");
    accounts->enableEncryption(data::kTablePassword);
    accounts->setIndexName("CORP_NO");
    ASSERT_TRUE(accounts->seek(corpNo));
    EXPECT_EQ(readWhole(*accounts, "YTD_ROOMS"), ytdRooms - 12);
    EXPECT_EQ(readMoney(*accounts, "YTD_RMREV"), ytdRevenue - *Money::parse("1074.00"));
    EXPECT_EQ(accounts->getText("LAST_RMS"), "12");
    shared::settings() = previous;
}

}  // namespace
}  // namespace vv::tracking
