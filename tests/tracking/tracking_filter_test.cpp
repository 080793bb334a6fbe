#include "tracking/tracking_filter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "shared/shared_fixture.h"
#include "support_qt/modal_helper.h"
#include "tracking/tracking_filter_dialog.h"

namespace vv::tracking {
namespace {

// Dates read yyyy-mm-dd here, so the cases do not depend on the system's format.
QString isoDate(db::Date d) { return QString::fromStdString(d.iso()); }

const db::Date kMarch1 = db::Date::fromYmd(2005, 3, 1);
const db::Date kMarch31 = db::Date::fromYmd(2005, 3, 31);

TEST(TrackingFilterTest, BuildsTheExpressionAndTheSentence) {
    struct Case {
        db::Date begin, end;
        const char* corpNo;
        const char* expression;
        const char* description;
    } cases[] = {
        {kMarch1, kMarch31, "", "dtos(date) >= '20050301' .and. dtos(date) <= '20050331'",
         "Dates Between 2005-03-01 and 2005-03-31"},
        {kMarch1, {}, "", "dtos(date) >= '20050301'", "Dates Later Than 2005-03-01"},
        {{}, kMarch31, "", "dtos(date) <= '20050331'", "Dates Earlier Than 2005-03-31"},
        {{}, {}, "ABC", "corp_no = 'ABC'", "Corp No = ABC"},
        {{}, kMarch31, "C9", "dtos(date) <= '20050331' .and. corp_no = 'C9'",
         "Dates Earlier Than 2005-03-31 and Corp No = C9"},
        {kMarch1, kMarch31, "C9", "dtos(date) >= '20050301' .and. dtos(date) <= '20050331' .and. corp_no = 'C9'",
         "Dates Between 2005-03-01 and 2005-03-31 and Corp No = C9"},
        {{}, {}, "   ", "", "All Tracking Transactions"},
        {{}, {}, "", "", "All Tracking Transactions"},
        // Used as typed: the blanks stay in the comparison.
        {{}, {}, " AB ", "corp_no = ' AB '", "Corp No =  AB "},
        // An apostrophe takes another delimiter instead of breaking the expression.
        {{}, {}, "O'K", "corp_no = \"O'K\"", "Corp No = O'K"},
    };
    for (const Case& c : cases) {
        const TrackingFilterTexts t = buildTrackingFilter({c.begin, c.end, c.corpNo}, isoDate);
        EXPECT_EQ(t.expression, c.expression) << c.description;
        EXPECT_EQ(t.description, QString::fromLatin1(c.description)) << c.expression;
    }
}

TEST(TrackingFilterTest, DescriptionUsesTheShortDateFormat) {
    const TrackingFilterTexts t = buildTrackingFilter({kMarch1, kMarch31, ""});
    const QString expected = QStringLiteral("Dates Between ") +
                             QLocale::system().toString(QDate(2005, 3, 1), QLocale::ShortFormat) +
                             QStringLiteral(" and ") +
                             QLocale::system().toString(QDate(2005, 3, 31), QLocale::ShortFormat);
    EXPECT_EQ(t.description, expected);
}

class TrackingFilterDialogTest : public ::testing::Test {
protected:
    test::RecordedInteraction recorded_;
};

TEST_F(TrackingFilterDialogTest, OkTurnsTheFieldsIntoTheFilter) {
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(d));
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Tracking Filter"));
        EXPECT_EQ(QApplication::focusWidget(), d->corpNoEdit()) << "the focus starts in Corp No";
        QTest::keyClicks(d->corpNoEdit(), "c100");
        EXPECT_EQ(d->corpNoEdit()->text(), QStringLiteral("C100")) << "typed in upper case";
        d->beginDateEdit()->setFocus();
        QTest::keyClicks(d->beginDateEdit(), "030105");
        d->okButton()->click();
    });
    const shared::FilterResult r = RunTrackingFilter(QStringLiteral("before"));
    EXPECT_EQ(r.expression, "dtos(date) >= '20050301' .and. corp_no = 'C100'");
    EXPECT_TRUE(r.filterText.startsWith(QStringLiteral("Dates Later Than "))) << r.filterText.toStdString();
    EXPECT_TRUE(r.filterText.endsWith(QStringLiteral(" and Corp No = C100"))) << r.filterText.toStdString();
}

TEST_F(TrackingFilterDialogTest, OkWithNothingFilledInClearsTheFilter) {
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) { d->okButton()->click(); });
    const shared::FilterResult r = RunTrackingFilter(QStringLiteral("Corp No = C100"));
    EXPECT_EQ(r.expression, "");
    EXPECT_EQ(r.filterText, QStringLiteral("All Tracking Transactions"));
}

TEST_F(TrackingFilterDialogTest, CancelKeepsTheCallersDescription) {
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) {
        QTest::keyClicks(d->corpNoEdit(), "C100");
        d->cancelButton()->click();
    });
    const shared::FilterResult r = RunTrackingFilter(QStringLiteral("Corp No = C200"));
    EXPECT_EQ(r.expression, "Cancel");
    EXPECT_EQ(r.filterText, QStringLiteral("Corp No = C200"));
}

TEST_F(TrackingFilterDialogTest, AHalfTypedDateIsNotTakenAsNoDate) {
    test::whenModal<TTrackingFilter>([this](TTrackingFilter* d) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(d));
        d->endDateEdit()->setFocus();
        QTest::keyClicks(d->endDateEdit(), "0331");
        d->okButton()->click();
        EXPECT_TRUE(d->isVisible()) << "refused";
        EXPECT_EQ(recorded_.ui->beeps, 1);
        EXPECT_EQ(QApplication::focusWidget(), d->endDateEdit());
        QTest::keyClicks(d->endDateEdit(), "05");
        d->okButton()->click();
    });
    const shared::FilterResult r = RunTrackingFilter(QString());
    EXPECT_EQ(r.expression, "dtos(date) <= '20050331'");
}

TEST_F(TrackingFilterDialogTest, TheCalendarFillsADate) {
    recorded_.ui->pickedDate = QDate(2024, 2, 29);
    test::whenModal<TTrackingFilter>([](TTrackingFilter* d) {
        d->beginCalendarButton()->click();
        EXPECT_EQ(d->beginDateEdit()->text(), QStringLiteral("02/29/24"));
        d->okButton()->click();
    });
    EXPECT_EQ(RunTrackingFilter(QString()).expression, "dtos(date) >= '20240229'");
    ASSERT_EQ(recorded_.ui->calendarStarts.size(), 1u);
    EXPECT_EQ(recorded_.ui->calendarStarts[0], QDate::currentDate()) << "an empty field starts on today";
}

}  // namespace
}  // namespace vv::tracking
