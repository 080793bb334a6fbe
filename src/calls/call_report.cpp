#include "calls/call_report.h"

#include <memory>

#include "db/date.h"
#include "db/table.h"

namespace vv::calls {

namespace {

using shared::reportField;
using shared::reportLine;
using shared::reportMemo;
using shared::reportText;

// The notes' least height, in inches as the layout was designed: lower with
// the address lines, which then fill the band's left half.
constexpr double kMmPerInch = 25.4;
constexpr double kNotesHeightWithAddress = 0.1975 * kMmPerInch;
constexpr double kNotesHeightWithoutAddress = 0.3325 * kMmPerInch;

const shared::ReportFont kSmall{8};
const shared::ReportFont kSmallBold{8, true};
const shared::ReportFont kTitle{12, true};
const shared::ReportFont kHeading{10, true};
const shared::ReportFont kColumnTitle{8, true, true};

// The fields every call row carries, as the report shows them.
const char* const kRowFields[] = {"FILE_CODE", "ACCT_NAME", "C_SAL",    "C_FIRST", "C_LAST",   "C_PHONE",
                                  "C_EXT",     "SALES_ID",  "TRACE_CODE", "TRACE", "EVENT_NO", "DATE",
                                  "CALL_TYPE", "MEMO",      "ADDR1",    "CITY",    "STATE",    "ZIP"};

shared::ReportBand header(const CallReportSetup& s) {
    const QString printedDate = QString::fromStdString(
        db::Date::fromYmd(s.printed.year(), s.printed.month(), s.printed.day()).display());
    shared::ReportBand band;
    band.height = 38.9;
    band.items = {
        reportText(QStringLiteral("Today's Date:"), 2.6, 1.6, kSmall),
        reportText(printedDate, 22.8, 1.6, kSmall),
        reportText(s.hotelName, 45.8, 1.6, kTitle, 105.6, Qt::AlignHCenter),
        reportText(QStringLiteral("Page:"), 2.6, 6.9, kSmall, 10.4, Qt::AlignRight),
        reportText(QStringLiteral("{page}"), 14.0, 6.9, kSmall, 8.8, Qt::AlignRight),
        reportText(QStringLiteral("Sales Call Report"), 50.8, 6.9, kTitle, 95.3, Qt::AlignHCenter),
    };
    const double headingTops[] = {13.2, 18.0, 22.8, 27.5};
    for (std::size_t i = 0; i < 4; ++i)
        band.items.push_back(reportText(s.headings[i], 50.8, headingTops[i], kHeading, 95.3, Qt::AlignHCenter));
    const std::pair<const char*, double> titles[] = {
        {"File/Evt #", 0.3},   {"Account Name / Date / Call Desc", 20.6}, {"Contact Name / Notes", 83.1},
        {"Phone#", 124.4},     {"Ext.", 143.4},                           {"Sales ID", 154.0},
        {"Traced Code/Date", 169.1}};
    for (const auto& [title, left] : titles)
        band.items.push_back(reportText(QString::fromLatin1(title), left, 34.7, kColumnTitle));
    return band;
}

shared::ReportBand detail(bool address) {
    shared::ReportBand band;
    band.height = 22.5;
    auto field = [](const char* name, double left, double top, shared::ReportFont font, double width) {
        return reportField(QString::fromLatin1(name), left, top, font, width);
    };
    band.items = {
        field("FILE_CODE", 0.3, 1.9, kSmallBold, 20.0),
        field("ACCT_NAME", 20.6, 1.9, kSmallBold, 62.4),
        field("C_SAL", 83.3, 1.9, kSmallBold, 7.0),
        field("C_FIRST", 90.5, 1.9, kSmallBold, 12.2),
        field("C_LAST", 102.9, 1.9, kSmallBold, 21.0),
        field("C_PHONE", 124.1, 1.9, kSmallBold, 19.6),
        field("C_EXT", 143.9, 1.9, kSmallBold, 10.7),
        field("SALES_ID", 154.8, 1.9, kSmallBold, 14.0),
        field("TRACE_CODE", 169.1, 1.9, kSmallBold, 10.0),
        field("TRACE", 179.1, 1.9, kSmallBold, 13.0),
        field("EVENT_NO", 0.0, 6.4, kSmall, 20.0),
        field("DATE", 20.1, 6.9, kSmall, 15.2),
        field("CALL_TYPE", 35.5, 6.9, kSmall, 8.2),
        field("SALE_DESC", 43.9, 6.9, kSmall, 39.0),
        reportMemo(QStringLiteral("MEMO"), 83.1, 6.9, 108.5,
                   address ? kNotesHeightWithAddress : kNotesHeightWithoutAddress, kSmall),
    };
    shared::ReportItem addressItems[] = {
        field("ADDR1", 20.1, 10.7, kSmall, 62.0),
        field("CITY", 20.1, 14.7, kSmall, 29.4),
        field("STATE", 49.7, 14.7, kSmall, 7.0),
        field("ZIP", 56.9, 14.7, kSmall, 26.0),
    };
    for (shared::ReportItem& item : addressItems) {
        item.visible = address;
        band.items.push_back(item);
    }
    band.items.push_back(reportLine(6.6, 20.3, 190.8 - 6.6, 0.75, true));
    return band;
}

}  // namespace

shared::Report callReport(const CallReportSetup& setup) {
    shared::Report report;
    report.title = QStringLiteral("Sales Call Report");
    report.margins = QMarginsF(12.7, 6.35, 6.35, 6.35);
    report.pageHeader = header(setup);
    report.detail = detail(setup.address);
    report.pageFooter.height = 1.9;
    report.rows = [setup](const shared::ReportRowSink& sink) {
        db::OpenOptions readOnly;
        readOnly.readOnly = true;
        auto calls = db::Table::open(setup.folder, "SALECALL.DBF", readOnly);
        calls->setIndexName(setup.indexName);
        if (!setup.filter.empty()) calls->setFilter(setup.filter);
        auto callTypes = db::Table::open(setup.folder, "SALECODE.DBF", readOnly);
        callTypes->setIndexName("SALE_CODE");
        for (calls->first(); !calls->eof(); calls->next()) {
            shared::ReportRow row;
            for (const char* field : kRowFields)
                row.insert(QString::fromLatin1(field), QString::fromStdString(calls->getText(field)));
            const std::string type = calls->getText("CALL_TYPE");
            row.insert(QStringLiteral("SALE_DESC"),
                       !type.empty() && callTypes->seek(type) ? QString::fromStdString(callTypes->getText("SALE_DESC"))
                                                              : QString());
            sink(row);
        }
    };
    return report;
}

}  // namespace vv::calls
