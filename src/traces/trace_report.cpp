#include "traces/trace_report.h"

#include "db/date.h"
#include "db/table.h"

namespace vv::traces {

namespace {

using shared::reportField;
using shared::reportLine;
using shared::reportMemo;
using shared::reportText;

const shared::ReportFont kSmall{8};
const shared::ReportFont kSmallBold{8, true};
const shared::ReportFont kTitle{12, true};
const shared::ReportFont kHeading{10, true};
const shared::ReportFont kColumnTitle{8, true, true};

// Letter paper less its margins.
constexpr double kWidth = 215.9 - 2 * 6.35;

const char* const kRowFields[] = {"FILE_CODE", "ACCT_NAME", "TRACE_DATE", "TRACE_CODE", "C_FIRST",
                                  "C_LAST",    "C_PHONE",   "C_EXT",      "SALES_ID",   "MEMO"};

shared::ReportBand header(const TraceReportSetup& s) {
    shared::ReportBand band;
    band.height = 38.9;
    const QString printed = QString::fromStdString(
        db::Date::fromYmd(s.printed.year(), s.printed.month(), s.printed.day()).display());
    band.items = {
        reportText(QStringLiteral("Today's Date:"), 0.3, 1.6, kSmall),
        reportText(printed, 20.0, 1.6, kSmall),
        reportText(QStringLiteral("Page:"), 0.3, 5.6, kSmall),
        reportText(QStringLiteral("{page}"), 20.0, 5.6, kSmall),
        reportText(s.hotelName, 0.0, 1.6, kTitle, kWidth, Qt::AlignHCenter),
        reportText(QStringLiteral("Trace Report"), 0.0, 6.9, kTitle, kWidth, Qt::AlignHCenter),
    };
    const double headingTops[] = {12.2, 16.4, 20.6, 24.8};
    for (std::size_t i = 0; i < 4; ++i)
        band.items.push_back(reportText(s.headings[i], 0.0, headingTops[i], kHeading, kWidth, Qt::AlignHCenter));
    band.items.push_back(reportText(QStringLiteral("File Code"), 0.3, 30.2, kColumnTitle));
    const std::pair<const char*, double> titles[] = {
        {"Arrival Date", 0.3},       {"Account Name / Event Name / Notes", 24.6}, {"Trace/Arrival Date", 82.8},
        {"Contact Name ", 123.8},    {"Phone#", 161.4},                           {"Ext.", 182.8},
        {"ID", 194.2}};
    for (const auto& [title, left] : titles)
        band.items.push_back(reportText(QString::fromLatin1(title), left, 34.7, kColumnTitle));
    return band;
}

shared::ReportBand detail() {
    shared::ReportBand band;
    band.height = 22.8;
    auto field = [](const char* name, double left, double width) {
        return reportField(QString::fromLatin1(name), left, 1.9, kSmallBold, width);
    };
    band.items = {
        field("FILE_CODE", 0.3, 24.0),   field("ACCT_NAME", 24.6, 58.0), field("TRACE_DATE", 83.3, 16.0),
        field("TRACE_CODE", 99.7, 23.5), field("C_FIRST", 123.8, 13.5),  field("C_LAST", 137.6, 23.0),
        field("C_PHONE", 160.9, 21.5),   field("C_EXT", 182.8, 11.0),    field("SALES_ID", 193.9, 9.3),
        reportMemo(QStringLiteral("MEMO"), 82.8, 6.9, 108.5, 4.0, kSmall),
        reportLine(0.0, 20.3, kWidth, 0.75, true),
    };
    return band;
}

}  // namespace

shared::Report traceReport(const TraceReportSetup& setup) {
    shared::Report report;
    report.title = QStringLiteral("Trace Report");
    report.margins = QMarginsF(6.35, 6.35, 6.35, 6.35);
    report.pageHeader = header(setup);
    report.detail = detail();
    report.pageFooter.height = 13.2;
    report.rows = [setup](const shared::ReportRowSink& sink) {
        db::OpenOptions readOnly;
        readOnly.readOnly = true;
        auto traces = db::Table::open(setup.folder, "TRACES.DBF", readOnly);
        if (!setup.indexName.empty()) traces->setIndexName(setup.indexName);
        if (!setup.filter.empty()) traces->setFilter(setup.filter);
        for (traces->first(); !traces->eof(); traces->next()) {
            shared::ReportRow row;
            for (const char* field : kRowFields)
                row.insert(QString::fromLatin1(field), QString::fromStdString(traces->getText(field)));
            sink(row);
        }
    };
    return report;
}

}  // namespace vv::traces
