#include "tracking/tracking_report.h"

#include "db/table.h"
#include "shared/report_number_format.h"
#include "tracking/money.h"

namespace vv::tracking {

namespace {

using shared::ReportFont;
using shared::reportField;
using shared::reportSum;
using shared::reportText;

// Columns, in millimetres from the left margin: where each starts and how wide it is.
struct Column {
    double left;
    double width;
    Qt::Alignment align;
};
constexpr Column kDate{2, 20, Qt::AlignLeft};
constexpr Column kCorpNo{26, 24, Qt::AlignLeft};
constexpr Column kRooms{52, 18, Qt::AlignRight};
constexpr Column kRate{74, 24, Qt::AlignRight};
constexpr Column kRevenue{102, 30, Qt::AlignRight};
constexpr Column kSegment{138, 20, Qt::AlignHCenter};
constexpr Column kPostMethod{162, 26, Qt::AlignHCenter};

constexpr double kLine = 5.0;  // one line of 9-point text

QString money(Money value, const char16_t* pattern) {
    return shared::formatReportNumber(static_cast<double>(value.cents()) / 100.0, pattern);
}

shared::ReportItem heading(const char* text, const Column& c, double top) {
    return reportText(QString::fromLatin1(text), c.left, top, ReportFont{9, true, true}, c.width, c.align);
}

shared::ReportItem field(const char* name, const Column& c) {
    return reportField(QString::fromLatin1(name), c.left, 0.5, ReportFont{9}, c.width, c.align);
}

}  // namespace

shared::ReportRow trackingReportRow(const db::Table& sales) {
    const Money rate = readMoney(sales, "RATE");
    const Money revenue = readMoney(sales, "RMREV");
    shared::ReportRow row;
    row.insert(QStringLiteral("DATE"), QString::fromStdString(sales.getText("DATE")));
    row.insert(QStringLiteral("CORP_NO"), QString::fromStdString(sales.getText("CORP_NO")));
    row.insert(QStringLiteral("ROOMS"), QString::number(readWhole(sales, "ROOMS")));
    row.insert(QStringLiteral("RATE"), money(rate, u"#.00"));
    row.insert(QStringLiteral("RMREV"), money(revenue, u"#,0"));
    row.insert(QStringLiteral("RMREV_CENTS"), QString::number(revenue.cents()));
    row.insert(QStringLiteral("SEGMENT"), QString::fromStdString(sales.getText("SEGMENT")));
    row.insert(QStringLiteral("POST_METH"), QString::fromStdString(sales.getText("POST_METH")));
    return row;
}

shared::Report trackingReport(const std::string& folder, const std::string& indexName, const std::string& filter) {
    shared::Report r;
    r.title = QString::fromLatin1(kTrackingReportTitle);
    r.pageSize = QPageSize(QPageSize::Letter);
    r.margins = {6.35, 6.35, 6.35, 6.35};

    const double pageWidth = 215.9 - 2 * 6.35;
    r.pageHeader.height = 18;
    r.pageHeader.items = {
        reportText(r.title, 0, 1, ReportFont{12, true}, pageWidth, Qt::AlignHCenter),
        heading("Date", kDate, 11),
        heading("Corp No", kCorpNo, 11),
        heading("Rooms", kRooms, 11),
        heading("A.D.R.", kRate, 11),
        heading("Revenue", kRevenue, 11),
        heading("Segment", kSegment, 11),
        heading("Post Method", kPostMethod, 11),
    };

    r.detail.height = kLine;
    r.detail.items = {
        field("DATE", kDate),       field("CORP_NO", kCorpNo), field("ROOMS", kRooms),
        field("RATE", kRate),       field("RMREV", kRevenue),  field("SEGMENT", kSegment),
        field("POST_METH", kPostMethod),
    };

    r.summary.height = 10;
    r.summary.items = {
        shared::reportLine(kRooms.left, 1, kRevenue.left + kRevenue.width - kRooms.left, 0.75),
        reportText(QStringLiteral("Totals"), kDate.left, 3, ReportFont{9, true}),
        reportSum(QStringLiteral("ROOMS"), kRooms.left, 3, ReportFont{9, true}, kRooms.width, kRooms.align,
                  [](double total) { return shared::formatReportNumber(total, u"0"); }),
        reportSum(QStringLiteral("RMREV_CENTS"), kRevenue.left, 3, ReportFont{9, true}, kRevenue.width,
                  kRevenue.align,
                  [](double cents) { return shared::formatReportNumber(cents / 100.0, u"#,0"); }),
    };

    std::vector<shared::ReportRow> rows;
    std::unique_ptr<db::Table> sales = db::Table::open(folder, "SALES.DBF");
    if (!indexName.empty()) sales->setIndexName(indexName);
    if (!filter.empty()) sales->setFilter(filter);
    for (sales->first(); !sales->eof(); sales->next()) rows.push_back(trackingReportRow(*sales));
    r.rows = shared::reportRows(std::move(rows));
    return r;
}

}  // namespace vv::tracking
