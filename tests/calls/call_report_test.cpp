// The call report read back as a person reads it: the PDF's text, page by
// page, through Debian's pdftotext.
#include "calls/call_report.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include "calls/call_filter.h"
#include "calls_fixture.h"
#include "shared/report_renderer.h"
#include "support/temp_dir.h"

namespace vv::calls {
namespace {

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

class CallReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        test::makeCallsFolder(dir_.str());
    }

    QStringList render(CallReportSetup setup) {
        setup.folder = dir_.str();
        setup.hotelName = QStringLiteral("Hotel Vek");
        const QString file = QString::fromStdString(dir_.str() + "/calls.pdf");
        shared::renderReportToPdf(callReport(setup), file);
        return pdfPages(file);
    }

    test::TempDir dir_;
};

TEST_F(CallReportTest, HeaderAndCallsNewestFirstWithTheirCallTypes) {
    CallReportSetup setup;
    setup.headings = allCallsHeadings();
    setup.printed = QDate(2024, 7, 15);
    const QStringList pages = render(setup);
    ASSERT_EQ(pages.size(), 1);
    const QString& page = pages[0];
    for (const char* text : {"Today's Date:", "07/15/24", "Hotel Vek", "Sales Call Report", "File: All Files",
                             "Dates: All Dates", "Call Types: All Call Types", "Salesperson: All Salespersons",
                             "File/Evt #", "Traced Code/Date", "Page:"})
        EXPECT_TRUE(page.contains(QString::fromLatin1(text))) << text;
    const qsizetype acme = page.indexOf(QStringLiteral("Acme Travel"));
    const qsizetype bolt = page.indexOf(QStringLiteral("Bolt & Sons"));
    ASSERT_GE(acme, 0);
    ASSERT_GE(bolt, 0);
    EXPECT_LT(acme, bolt) << "DATEDESC: the newest call first";
    EXPECT_TRUE(page.contains(QStringLiteral("Visit")));
    EXPECT_TRUE(page.contains(QStringLiteral("Telephone call")));
    EXPECT_TRUE(page.contains(QStringLiteral("Newest call")));
    EXPECT_TRUE(page.contains(QStringLiteral("06/01/24"))) << "the trace date";
    EXPECT_FALSE(page.contains(QStringLiteral("PO Box 7"))) << "no address unless asked";
}

TEST_F(CallReportTest, TheFilterItsHeadingsAndTheAddressOnRequest) {
    CallFilterEntries e;
    e.salesId = QStringLiteral("ABC");
    const shared::FilterResult filter = buildCallFilter(e, {});
    CallReportSetup setup;
    setup.filter = filter.expression;
    setup.headings = filter.headerLines;
    setup.address = true;
    const QStringList pages = render(setup);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Salesperson: ABC")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("PO Box 7")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("89502")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Bolt & Sons")));
}

TEST_F(CallReportTest, LongNotesGrowTheirBandAndTheHeaderRepeatsOnEveryPage) {
    {
        auto calls = db::Table::open(dir_.str(), "SALECALL.DBF");
        for (int i = 0; i < 12; ++i) {
            calls->append();
            calls->setText("FILE_CODE", "LONG" + std::to_string(i));
            calls->setText("DATE", "01/01/23");
            std::string notes;
            for (int w = 0; w < 60; ++w) notes += "word" + std::to_string(w) + " ";
            calls->setText("MEMO", notes + "END" + std::to_string(i));
            calls->post();
        }
    }
    const QStringList pages = render({});
    ASSERT_GE(pages.size(), 2);
    for (const QString& page : pages) EXPECT_TRUE(page.contains(QStringLiteral("Sales Call Report")));
    const QString all = pages.join(QString());
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(all.contains(QStringLiteral("END%1").arg(i))) << "every call's notes, whole: " << i;
    EXPECT_TRUE(pages.last().contains(QStringLiteral("%1").arg(pages.size())));
}

}  // namespace
}  // namespace vv::calls
