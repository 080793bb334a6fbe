#include "tracking/tracking_report.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "shared/report_renderer.h"
#include "tracking/grid_cells.h"
#include "tracking_fixture.h"

namespace vv::tracking {
namespace {

std::vector<shared::ReportRow> rowsOf(const shared::Report& report) {
    std::vector<shared::ReportRow> rows;
    report.rows([&](const shared::ReportRow& row) { rows.push_back(row); });
    return rows;
}

// The summary's total of `field`, shown as the report shows it.
QString total(const shared::Report& report, const char* field) {
    double sum = 0;
    for (const shared::ReportRow& row : rowsOf(report)) sum += row.value(QString::fromLatin1(field)).toDouble();
    for (const shared::ReportItem& item : report.summary.items)
        if (item.kind == shared::ReportItem::Kind::Sum && item.field == QString::fromLatin1(field))
            return item.format(sum);
    return QStringLiteral("(no total)");
}

TEST(TrackingReportTest, ListsTheRecordsInOrderWithTheirTotals) {
    test::TrackingFolder folder;
    const shared::Report report = trackingReport(folder.str(), "DATE", "");
    EXPECT_EQ(report.title, QStringLiteral("Sales Tracking Transactions"));
    EXPECT_EQ(report.pageSize.id(), QPageSize::Letter);
    EXPECT_EQ(report.margins, QMarginsF(6.35, 6.35, 6.35, 6.35));

    const std::vector<shared::ReportRow> rows = rowsOf(report);
    ASSERT_EQ(rows.size(), 4u);
    const char* corpNos[] = {"C200", "C100", "", "C999"};
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].value(QStringLiteral("CORP_NO")), QString::fromLatin1(corpNos[i])) << i;
    const shared::ReportRow& first = rows[0];
    EXPECT_EQ(first.value(QStringLiteral("DATE")), QStringLiteral("03/01/24"));
    EXPECT_EQ(first.value(QStringLiteral("ROOMS")), QStringLiteral("3"));
    EXPECT_EQ(first.value(QStringLiteral("RATE")), QStringLiteral("33.37"));
    EXPECT_EQ(first.value(QStringLiteral("RMREV")), QStringLiteral("100"));
    EXPECT_EQ(first.value(QStringLiteral("SEGMENT")), QStringLiteral("GOVT"));
    EXPECT_EQ(first.value(QStringLiteral("POST_METH")), QStringLiteral("A"));
    EXPECT_EQ(rows[1].value(QStringLiteral("RMREV")), QStringLiteral("1,000"));

    EXPECT_EQ(total(report, "ROOMS"), QStringLiteral("16"));
    EXPECT_EQ(total(report, "RMREV_CENTS"), QStringLiteral("1,280")) << "1280.11 without decimals";
}

TEST(TrackingReportTest, FollowsTheFilterAndWritesAPdf) {
    test::TrackingFolder folder;
    const shared::Report report = trackingReport(folder.str(), "DATE", "corp_no = 'C100'");
    ASSERT_EQ(rowsOf(report).size(), 1u);
    EXPECT_EQ(total(report, "RMREV_CENTS"), QStringLiteral("1,000"));

    const std::string pdf = folder.str() + "/tracking.pdf";
    shared::renderReportToPdf(report, QString::fromStdString(pdf));
    EXPECT_GT(std::filesystem::file_size(pdf), 500u);

    EXPECT_THROW(trackingReport(folder.str(), "DATE", "corp_no = "), db::Error);
}

TEST(TrackingGridTest, RateCellsShowCurrency) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(currencyText(QStringLiteral("89.5"), us), QStringLiteral("$89.50"));
    EXPECT_EQ(currencyText(QStringLiteral("1074.00"), us), QStringLiteral("$1,074.00"));
    EXPECT_EQ(currencyText(QString(), us), QString());
    EXPECT_EQ(currencyText(QStringLiteral("   "), us), QString());
}

}  // namespace
}  // namespace vv::tracking
