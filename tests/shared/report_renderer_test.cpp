// The report renderer, checked through what a reader of its PDF sees: the
// text of each page as Debian's pdftotext reads it back.
#include <algorithm>

#include <QBuffer>
#include <QDir>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include "shared/report_document.h"
#include "shared/report_layout.h"
#include "shared/report_number_format.h"
#include "shared/report_renderer.h"
#include "support/temp_dir.h"

namespace vv::shared {
namespace {

// The text of each page of a PDF file.
QStringList pdfPages(const QString& file) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << file.toStdString();
        return {};
    }
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

bool havePdfToText() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// A calls-like report: header with page numbers, a detail band with a
// growing memo and a separator under it.
Report callsLikeReport(std::vector<ReportRow> rows) {
    Report r;
    r.title = QStringLiteral("Sales Call Report");
    r.margins = {12.7, 6.35, 6.35, 6.35};
    r.pageHeader.height = 38.9;
    r.pageHeader.items = {
        reportText(QStringLiteral("Today's Date:"), 2.6, 1.6, {8}),
        reportText(QStringLiteral("Grand Hotel"), 45.8, 1.6, {12, true}, 105.6, Qt::AlignHCenter),
        reportText(QStringLiteral("Page {page} of {pages}"), 2.6, 6.9, {8}),
        reportText(QStringLiteral("Sales Call Report"), 50.8, 6.9, {12, true}, 95.3, Qt::AlignHCenter),
        reportText(QStringLiteral("File/Evt #"), 0.3, 34.7, {8, true, true}),
    };
    r.detail.height = 22.5;
    r.detail.items = {
        reportField(QStringLiteral("FILE_CODE"), 0.3, 1.9, {8, true}),
        reportField(QStringLiteral("ACCT_NAME"), 20.6, 1.9, {8, true}, 62),
        reportMemo(QStringLiteral("MEMO"), 83.1, 6.4, 108.5, 5.0, {8}),
        reportLine(6.6, 20.3, 184.2, 0.75, true),
    };
    r.pageFooter.height = 6;
    r.pageFooter.items = {reportText(QStringLiteral("end of page {page}"), 0, 1, {8})};
    r.rows = reportRows(std::move(rows));
    return r;
}

ReportRow callRow(int n, const QString& memo = {}) {
    const QString code = QStringLiteral("ROW%1").arg(n, 3, 10, QChar(u'0'));
    return {{QStringLiteral("FILE_CODE"), code},
            {QStringLiteral("ACCT_NAME"), QStringLiteral("Account %1   ").arg(n)},
            {QStringLiteral("MEMO"), memo}};
}

// Words "tag0001 tag0002 ..." with a line break now and then.
QString numberedWords(const QString& tag, int count) {
    QString text;
    for (int i = 1; i <= count; ++i) {
        text += tag + QStringLiteral("%1").arg(i, 4, 10, QChar(u'0'));
        text += (i % 9 == 0) ? QStringLiteral("\r\n") : QStringLiteral(" ");
    }
    return text;
}

// Positions of `needles` in `haystack`, each found once and after the previous.
void expectInOrderOnce(const QString& haystack, const QStringList& needles) {
    qsizetype from = 0;
    for (const QString& needle : needles) {
        const qsizetype at = haystack.indexOf(needle, from);
        ASSERT_GE(at, 0) << needle.toStdString() << " missing or out of order";
        EXPECT_EQ(haystack.indexOf(needle, at + needle.size()), -1) << needle.toStdString() << " printed twice";
        from = at + needle.size();
    }
}

class ReportRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!havePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    QString pdfPath(const char* name) const { return QString::fromStdString(dir_.file(name)); }
    test::TempDir dir_;
};

TEST_F(ReportRendererTest, HeaderAndFooterOnEveryPageAndRowsInOrder) {
    std::vector<ReportRow> rows;
    QStringList codes;
    for (int n = 1; n <= 45; ++n) {
        rows.push_back(callRow(n, QStringLiteral("short note %1").arg(n)));
        codes << QStringLiteral("ROW%1").arg(n, 3, 10, QChar(u'0'));
    }
    const Report report = callsLikeReport(rows);
    const QString file = pdfPath("calls.pdf");
    renderReportToPdf(report, file);

    const QStringList pages = pdfPages(file);
    ASSERT_GE(pages.size(), 4);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter metrics(&sink);
    EXPECT_EQ(reportPageCount(report, &metrics), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        const QString& page = pages[i];
        EXPECT_TRUE(page.contains(QStringLiteral("Grand Hotel"))) << "page " << i + 1;
        EXPECT_TRUE(page.contains(QStringLiteral("Sales Call Report"))) << "page " << i + 1;
        EXPECT_TRUE(page.contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size()))) << "page " << i + 1;
        EXPECT_TRUE(page.contains(QStringLiteral("end of page %1").arg(i + 1))) << "page " << i + 1;
        // The header comes first, the footer last.
        EXPECT_LT(page.indexOf(QStringLiteral("File/Evt #")), page.indexOf(QStringLiteral("ROW")));
        EXPECT_GT(page.indexOf(QStringLiteral("end of page")), page.lastIndexOf(QStringLiteral("short note")));
    }
    expectInOrderOnce(pages.join(u'\n'), codes);
    // Trailing blanks of a stored field do not print; the value does.
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Account 1")));
}

TEST_F(ReportRendererTest, NotesTallerThanAPageContinueOnTheNextPage) {
    const QString longNote = numberedWords(QStringLiteral("w"), 1500);
    const Report report = callsLikeReport({callRow(1, QStringLiteral("first")), callRow(2, longNote),
                                           callRow(3, QStringLiteral("after the long one"))});
    const QString file = pdfPath("long.pdf");
    renderReportToPdf(report, file);

    const QStringList pages = pdfPages(file);
    ASSERT_GE(pages.size(), 2);
    QStringList words;
    for (int i = 1; i <= 1500; ++i) words << QStringLiteral("w%1").arg(i, 4, 10, QChar(u'0'));
    const QString all = pages.join(u'\n');
    expectInOrderOnce(all, QStringList{QStringLiteral("ROW001"), QStringLiteral("ROW002")} + words +
                               QStringList{QStringLiteral("ROW003"), QStringLiteral("after the long one")});
    // The long notes start on the first page, right under the first call.
    EXPECT_TRUE(pages[0].contains(QStringLiteral("w0001")));
    for (const QString& page : pages) EXPECT_TRUE(page.contains(QStringLiteral("Sales Call Report")));
}

TEST_F(ReportRendererTest, ABandThatDoesNotFitMovesWholeToTheNextPage) {
    // Each medium note takes about half a page, so the second cannot fit
    // under the first and must not be split.
    const QString medium = numberedWords(QStringLiteral("m"), 400);
    const QString other = numberedWords(QStringLiteral("n"), 400);
    const Report report = callsLikeReport({callRow(1, medium), callRow(2, other)});
    const QString file = pdfPath("medium.pdf");
    renderReportToPdf(report, file);

    const QStringList pages = pdfPages(file);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("m0001")) && pages[0].contains(QStringLiteral("m0400")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("ROW002")) && pages[1].contains(QStringLiteral("n0001")) &&
                pages[1].contains(QStringLiteral("n0400")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("n0001")));
}

TEST_F(ReportRendererTest, GroupAndReportTotals) {
    Report r;
    r.title = QStringLiteral("Sales Tracking Transactions");
    r.pageHeader.height = 12;
    r.pageHeader.items = {reportText(r.title, 0, 1, {12, true}, 200, Qt::AlignHCenter)};
    r.groups.push_back({});
    r.groups[0].field = QStringLiteral("SEGMENT");
    r.groups[0].header.height = 5;
    r.groups[0].header.items = {reportField(QStringLiteral("SEGMENT"), 0, 0, {8, true})};
    const auto thousands = [](double v) { return formatReportNumber(v, u"#,0"); };
    r.groups[0].footer.height = 5;
    r.groups[0].footer.items = {reportText(QStringLiteral("Segment total"), 0, 0, {8}),
                                reportSum(QStringLiteral("RMREV"), 60, 0, {8}, 30, Qt::AlignRight, thousands)};
    r.detail.height = 5;
    r.detail.items = {reportField(QStringLiteral("CORP_NO"), 0, 0, {8}),
                      reportField(QStringLiteral("ROOMS"), 30, 0, {8}, 20, Qt::AlignRight),
                      reportField(QStringLiteral("RMREV"), 60, 0, {8}, 30, Qt::AlignRight)};
    r.summary.height = 6;
    r.summary.items = {reportText(QStringLiteral("Totals"), 0, 1, {8, true}),
                       reportSum(QStringLiteral("ROOMS"), 30, 1, {8, true}, 20, Qt::AlignRight),
                       reportSum(QStringLiteral("RMREV"), 60, 1, {8, true}, 30, Qt::AlignRight, thousands)};
    r.rows = reportRows({
        {{"SEGMENT", "CORP"}, {"CORP_NO", "C1"}, {"ROOMS", "10"}, {"RMREV", "1,250"}},
        {{"SEGMENT", "CORP"}, {"CORP_NO", "C2"}, {"ROOMS", "3"}, {"RMREV", "360"}},
        {{"SEGMENT", "GOVT"}, {"CORP_NO", "G1"}, {"ROOMS", "1000"}, {"RMREV", "99999"}},
    });
    const QString file = pdfPath("tracking.pdf");
    renderReportToPdf(r, file);

    const QStringList pages = pdfPages(file);
    ASSERT_EQ(pages.size(), 1);
    const QString text = pages[0].simplified();
    expectInOrderOnce(text, {QStringLiteral("Sales Tracking Transactions"), QStringLiteral("CORP C1 10 1,250"),
                             QStringLiteral("C2 3 360"), QStringLiteral("Segment total 1,610"),
                             QStringLiteral("GOVT G1 1000 99999"), QStringLiteral("Segment total 99,999"),
                             QStringLiteral("Totals 1013 101,609")});
}

TEST_F(ReportRendererTest, AReportWithoutRowsStillPrintsItsHeaderAndSummary) {
    Report report = callsLikeReport({});
    report.summary.height = 5;
    report.summary.items = {reportText(QStringLiteral("No calls"), 0, 0, {8})};
    const QString file = pdfPath("empty.pdf");
    renderReportToPdf(report, file);
    const QStringList pages = pdfPages(file);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Page 1 of 1")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("No calls")));
}

// The same pages reach a printer and the print preview, whose printer the
// preview sets up itself.
TEST_F(ReportRendererTest, APrinterAndThePreviewGetTheSamePages) {
    std::vector<ReportRow> rows;
    for (int n = 1; n <= 30; ++n) rows.push_back(callRow(n, QStringLiteral("note %1").arg(n)));
    const Report report = callsLikeReport(rows);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter metrics(&sink);
    const int expected = reportPageCount(report, &metrics);
    ASSERT_GE(expected, 2);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath("printer.pdf"));
    paintReport(report, &printer);
    const QStringList pages = pdfPages(pdfPath("printer.pdf"));
    ASSERT_EQ(pages.size(), expected);
    EXPECT_TRUE(pages.last().contains(QStringLiteral("ROW030")));

    QPrinter previewPrinter(QPrinter::HighResolution);
    applyReportPage(report, &previewPrinter);
    QPrintPreviewWidget preview(&previewPrinter);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, reportPainter(report));
    preview.updatePreview();
    EXPECT_EQ(preview.pageCount(), expected);
}

TEST(ReportRendererErrorTest, AnErrorReadingTheRowsReachesTheCallerButNotThroughThePreview) {
    Report report = callsLikeReport({});
    report.rows = [](const ReportRowSink& add) {
        add(callRow(1));
        throw std::runtime_error("SALECALL.DBF: no such table");
    };
    QPrinter printer(QPrinter::HighResolution);
    EXPECT_THROW(reportPageCount(report, &printer), std::runtime_error);

    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, reportPainter(report));
    preview.updatePreview();  // would end the program if the error escaped
    EXPECT_EQ(preview.pageCount(), 1);
}

TEST(ReportRendererFileTest, AFileThatCannotBeWrittenIsNamed) {
    const Report report = callsLikeReport({callRow(1)});
    const QString file = QStringLiteral("/nonexistent-folder/report.pdf");
    try {
        renderReportToPdf(report, file);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-folder/report.pdf"), std::string::npos);
    }
}

// Where the memo's growth puts the items under it, measured on the layout.
TEST(ReportLayoutTest, ItemsUnderGrowingNotesMoveDownByTheGrowth) {
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter metrics(&sink);
    Report report = callsLikeReport({callRow(1, numberedWords(QStringLiteral("x"), 60)), callRow(2)});
    report.detail.items.push_back(reportField(QStringLiteral("FILE_CODE"), 20.1, 10.7, {8}));  // an address line
    report.detail.items.push_back(reportText(QStringLiteral("hidden"), 0, 0, {8}));
    report.detail.items.back().visible = false;
    const ReportPages laid = layoutReport(report, &metrics, QSizeF(196.85, 266.7));
    ASSERT_EQ(laid.pages.size(), 1u);

    std::vector<const ReportOp*> lines, row1Codes, memoLines;
    for (const ReportOp& op : laid.pages[0].ops) {
        if (op.kind == ReportOp::Kind::Line) lines.push_back(&op);
        if (op.text == QStringLiteral("ROW001")) row1Codes.push_back(&op);
        if (op.text.startsWith(u'x')) memoLines.push_back(&op);
        EXPECT_NE(op.text, QStringLiteral("hidden"));
    }
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(row1Codes.size(), 2u);
    ASSERT_GE(memoLines.size(), 3u);
    const double bandTop = 38.9;
    const double memoBottom = memoLines.back()->y + memoLines.back()->height;
    const double growth = memoBottom - (bandTop + 6.4 + 5.0);
    ASSERT_GT(growth, 0);
    EXPECT_NEAR(lines[0]->y, bandTop + 20.3 + growth, 1e-6);
    // The second call starts under the grown first band; its line has not grown.
    EXPECT_NEAR(lines[1]->y, bandTop + 22.5 + growth + 20.3, 1e-6);
    // Items not marked to shift keep their place (the address beside the notes).
    EXPECT_NEAR(row1Codes[1]->y, bandTop + 10.7, 1e-6);
    // Memo lines stay inside their width.
    for (const ReportOp* op : memoLines) EXPECT_NEAR(op->x, 83.1, 1e-9);
}

TEST(ReportLayoutTest, AGroupHeadingMovesToTheNextPageWithItsFirstRow) {
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter metrics(&sink);
    Report r;
    r.pageHeader.height = 10;
    r.groups.push_back({});
    r.groups[0].field = QStringLiteral("SEGMENT");
    r.groups[0].header.height = 5;
    r.groups[0].header.items = {reportField(QStringLiteral("SEGMENT"), 0, 0, {8, true})};
    r.groups[0].footer.height = 5;
    r.detail.height = 10;
    r.detail.items = {reportField(QStringLiteral("CORP_NO"), 0, 0, {8})};
    r.rows = reportRows({{{"SEGMENT", "SEG-A"}, {"CORP_NO", "A1"}}, {{"SEGMENT", "SEG-A"}, {"CORP_NO", "A2"}},
                         {{"SEGMENT", "SEG-A"}, {"CORP_NO", "A3"}}, {{"SEGMENT", "SEG-B"}, {"CORP_NO", "B1"}}});
    // Room for 50 mm under the header: group A takes 40, leaving 10 for B's 5 + 10.
    const ReportPages laid = layoutReport(r, &metrics, QSizeF(200, 60));
    ASSERT_EQ(laid.pages.size(), 2u);
    auto onPage = [&](std::size_t page, const QString& text) {
        const auto& ops = laid.pages[page].ops;
        return std::any_of(ops.begin(), ops.end(), [&](const ReportOp& op) { return op.text == text; });
    };
    EXPECT_TRUE(onPage(0, QStringLiteral("A3")));
    EXPECT_TRUE(onPage(1, QStringLiteral("SEG-B")));
    EXPECT_TRUE(onPage(1, QStringLiteral("B1")));
}

TEST(ReportNumberFormatTest, Patterns) {
    struct Case {
        double value;
        const char16_t* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {1234567.4, u"#,0", "1,234,567"}, {999.5, u"#,0", "1,000"}, {0, u"#,0", "0"},
        {-1234.5, u"#,0", "-1,235"},      {89.5, u"#.00", "89.50"}, {0.5, u"#.00", ".50"},
        {0.5, u"0.00", "0.50"},           {3.5, u"0.##", "3.5"},    {3, u"0.##", "3"},
        {1.005, u"0.00", "1.01"},         {-0.001, u"0.00", "0.00"}, {1234.5, u"#,0.00", "1,234.50"},
        {100, u"0", "100"},              {0.5, u"0", "1"},         {0, u"#.00", ".00"},
        {999999.995, u"#,0.00", "1,000,000.00"}, {0.0006, u"0.00", "0.00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatReportNumber(c.value, c.pattern).toStdString(), c.expected)
            << c.value << " with " << QString::fromUtf16(c.pattern).toStdString();
    }
}

}  // namespace
}  // namespace vv::shared
