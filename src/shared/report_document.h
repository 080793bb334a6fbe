// A banded report described as data: the calls, traces and tracking windows
// each say what their bands hold and where the rows come from, and one
// renderer (report_renderer.h) lays the bands out on pages and paints them.
//
// Units: positions and sizes in millimetres, from the left margin and from
// the top of the band; font sizes in points; line weights in points.
//
// Bands, in the order they print:
//   pageHeader   at the top of every page (title, hotel name, heading lines,
//                date, page number, column titles)
//   groups[i].header / detail / groups[i].footer   (groups are optional)
//   summary      once after the last row (totals)
//   pageFooter   at the bottom of every page
// A band is never split across pages, except one taller than a whole page
// (long notes): its text continues on the next page line by line.
//
// Usage (a calls report, shortened):
//
//   using namespace vv::shared;
//   Report r;
//   r.title = "Sales Call Report";
//   r.margins = {12.7, 6.35, 6.35, 6.35};            // left, top, right, bottom
//   r.pageHeader.height = 38.9;
//   r.pageHeader.items = {
//       reportText("Today's Date:", 2.6, 1.6, {8}),
//       reportText(QDate::currentDate().toString("MM/dd/yy"), 22.8, 1.6, {8}),
//       reportText(hotelName, 45.8, 1.6, {12, true}, 105.6, Qt::AlignHCenter),
//       reportText("Page: {page}", 2.6, 6.9, {8}),
//       reportText("File/Evt #", 0.3, 34.7, {8, true, true}),
//   };
//   r.detail.height = 22.5;
//   r.detail.items = {
//       reportField("FILE_CODE", 0.3, 1.9, {8, true}),
//       reportField("ACCT_NAME", 20.6, 1.9, {8, true}, 62),
//       reportMemo("MEMO", 83.1, 6.4, 108.5, 5.0, {8}),   // grows the band
//       reportLine(6.6, 20.3, 184.2, 0.75, true),         // moves down with it
//   };
//   r.rows = [&](const ReportRowSink& add) {     // ("emit" is a Qt macro)
//       for (cursor.first(); !cursor.eof(); cursor.next())
//           add({{"FILE_CODE", cursor.text("FILE_CODE")}, ...});
//   };
//   previewReport(r, this);          // or renderReportToPdf(r, fileName)
//
// Totals (tracking): put reportSum("ROOMS", ...) items in `summary` (or in
// a group footer for the group's own total).
#pragma once

#include <functional>
#include <vector>

#include <QHash>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

namespace vv::shared {

// Written {8}, {12, true} (bold) or {8, true, true} (bold, underlined).
struct ReportFont {
    ReportFont(double size = 8, bool isBold = false, bool isUnderlined = false)
        : pointSize(size), bold(isBold), underline(isUnderlined) {}
    double pointSize;
    bool bold;
    bool underline;
    QString family;  // empty: the report's fontFamily
};

struct ReportItem {
    enum class Kind {
        Text,   // `text` as written; "{page}" and "{pages}" become the page number and count
        Field,  // the row's value named `field`
        Sum,    // the sum of `field` over the rows so far in the group (or report), shown by `format`
        Line,   // a horizontal line `width` long, `lineWeight` points thick
    };
    Kind kind = Kind::Text;
    QString text;
    QString field;
    std::function<QString(double)> format;  // Sum: default formatReportNumber(v, "0.##")
    double left = 0;
    double top = 0;
    double width = 0;   // 0: as wide as the text (Text/Field/Sum); a memo needs a width
    double height = 0;  // memo: its least height; otherwise unused
    ReportFont font;
    Qt::Alignment align = Qt::AlignLeft;  // AlignLeft, AlignRight or AlignHCenter within `width`
    bool wrap = false;             // memo: many lines broken at words; grows the band downwards
    bool shiftWithGrowth = false;  // moves down by as much as the band's memos grew
    bool visible = true;
    double lineWeight = 0.75;
};

struct ReportBand {
    double height = 0;  // designed height; grows with its memos
    std::vector<ReportItem> items;
    bool visible = true;
};

// A row is a set of named texts, formatted as they should print.
using ReportRow = QHash<QString, QString>;
using ReportRowSink = std::function<void(const ReportRow&)>;
// Hands every row, in print order, to the sink. May be called more than
// once (the preview repaints), so it must start over from the first row.
using ReportRowSource = std::function<void(const ReportRowSink&)>;

// A source over rows held in memory.
ReportRowSource reportRows(std::vector<ReportRow> rows);

// A new group starts whenever the value of `field` changes from one row to
// the next; its header prints before its first row (and goes to the next
// page with it when the row does not fit), its footer after its last.
struct ReportGroup {
    QString field;
    ReportBand header;
    ReportBand footer;
};

struct Report {
    QString title;  // the PDF document's title
    QPageSize pageSize = QPageSize(QPageSize::Letter);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{6.35, 6.35, 6.35, 6.35};  // mm: left, top, right, bottom
    QString fontFamily = QStringLiteral("Arial");
    ReportBand pageHeader;
    std::vector<ReportGroup> groups;  // outermost first
    ReportBand detail;
    ReportBand summary;
    ReportBand pageFooter;
    ReportRowSource rows;
};

// Item builders, so a band reads as a table of its items.
ReportItem reportText(const QString& text, double left, double top, ReportFont font, double width = 0,
                      Qt::Alignment align = Qt::AlignLeft);
ReportItem reportField(const QString& field, double left, double top, ReportFont font, double width = 0,
                       Qt::Alignment align = Qt::AlignLeft);
// A many-line text of `field`, `width` wide, at least `minHeight` high.
ReportItem reportMemo(const QString& field, double left, double top, double width, double minHeight,
                      ReportFont font);
ReportItem reportSum(const QString& field, double left, double top, ReportFont font, double width = 0,
                     Qt::Alignment align = Qt::AlignLeft, std::function<QString(double)> format = {});
ReportItem reportLine(double left, double top, double width, double weight = 0.75, bool shiftWithGrowth = false);

}  // namespace vv::shared
