#include "calls/call_filter_dialog.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "calls/call_entry_rules.h"
#include "shared/settings.h"
#include "support_qt/modal_helper.h"

namespace vv::calls {
namespace {

TEST(CallFilterDialogTest, OkBuildsFromTheTypedEntriesInCapitals) {
    shared::settings().UserFieldLabels[1] = "Region";
    callUnit().filterText = QStringLiteral("before");
    test::whenModal<TCallFilter>([](TCallFilter* d) {
        QTest::keyClicks(d->acctName(), "acme");
        QTest::keyClicks(d->beginDate(), "03/01/99");
        QTest::keyClicks(d->userCode(1), "ne");
        d->accept();
    });
    const shared::FilterResult r = RunCallFilter();
    EXPECT_EQ(r.expression, "dtos(date) >= '19990301' .and. upper(acct_name) = 'ACME' .and. u_code1 = 'NE'");
    EXPECT_EQ(r.filterText, QStringLiteral("Dates Later Than 03/01/99 and Acct Name = ACME and Region = NE"));
    EXPECT_EQ(callUnit().filterText, r.filterText);
    EXPECT_EQ(callUnit().reportHeaders[1], QStringLiteral("Dates: Later Than 03/01/99"));
}

TEST(CallFilterDialogTest, CancelReturnsTheWordAndLeavesTheTexts) {
    callUnit().filterText = QStringLiteral("kept");
    callUnit().reportHeaders[0] = QStringLiteral("File: KEPT");
    test::whenModal<TCallFilter>([](TCallFilter* d) {
        QTest::keyClicks(d->salesId(), "abc");
        d->reject();
    });
    const shared::FilterResult r = RunCallFilter();
    EXPECT_EQ(r.expression, "Cancel");
    EXPECT_EQ(callUnit().filterText, QStringLiteral("kept"));
    EXPECT_EQ(callUnit().reportHeaders[0], QStringLiteral("File: KEPT"));
}

TEST(CallFilterDialogTest, TypedDates) {
    const db::Date today = db::Date::fromYmd(2024, 7, 15);
    EXPECT_EQ(TCallFilter::readDate(QStringLiteral("/"), today), today);
    EXPECT_EQ(TCallFilter::readDate(QStringLiteral("3/5"), today), db::Date::fromYmd(2024, 3, 5));
    EXPECT_EQ(TCallFilter::readDate(QStringLiteral("01/02/59"), today), db::Date::fromYmd(2059, 1, 2));
    EXPECT_EQ(TCallFilter::readDate(QStringLiteral("01/02/60"), today), db::Date::fromYmd(1960, 1, 2));
    EXPECT_TRUE(TCallFilter::readDate(QStringLiteral(""), today).isEmpty());
    EXPECT_TRUE(TCallFilter::readDate(QStringLiteral("13/45/24"), today).isEmpty());
}

}  // namespace
}  // namespace vv::calls
