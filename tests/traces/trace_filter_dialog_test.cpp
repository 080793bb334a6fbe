#include "traces/trace_filter_dialog.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "support_qt/modal_helper.h"
#include "traces/trace_rules.h"

namespace vv::traces {
namespace {

TEST(TraceFilterDialogTest, OkBuildsFromTheTypedBoxesAndKeepsTheTexts) {
    test::whenModal<TTraceFilter>([](TTraceFilter* d) {
        QTest::keyClicks(d->fileCode(), "abc");
        QTest::keyClicks(d->eventNo(), "12");
        QTest::keyClicks(d->completedEnd(), "07/31/24");
        QTest::keyClicks(d->status(), "o");
        d->accept();
    });
    const shared::FilterResult r = RunTraceFilter(QStringLiteral("Trace Filter"));
    EXPECT_EQ(r.expression,
              "File_code = 'ABC       ' .and. Event_no = '    12' .and. dtos(comp_date) <= '20240731' .and. "
              "Status = 'O'");
    EXPECT_EQ(r.filterText,
              QStringLiteral("File Code = ABC and Event # = 12 and Completed Earlier Than 07/31/24 and Status = O"));
    EXPECT_EQ(traceUnit().filterText, r.filterText);
    EXPECT_EQ(traceUnit().reportHeaders[1], QStringLiteral("Completed: Earlier Than 07/31/24"));
}

TEST(TraceFilterDialogTest, CancelAndAnotherCaptionLeaveTheTexts) {
    traceUnit().filterText = QStringLiteral("kept");
    traceUnit().reportHeaders[0] = QStringLiteral("File: KEPT");
    test::whenModal<TTraceFilter>([](TTraceFilter* d) {
        QTest::keyClicks(d->salesId(), "abc");
        d->reject();
    });
    EXPECT_EQ(RunTraceFilter(QStringLiteral("Trace Filter")).expression, "Cancel");
    // No dialog at all for another caption.
    EXPECT_EQ(RunTraceFilter(QStringLiteral("Call Filter")).expression, "Cancel");
    EXPECT_EQ(traceUnit().filterText, QStringLiteral("kept"));
    EXPECT_EQ(traceUnit().reportHeaders[0], QStringLiteral("File: KEPT"));
}

TEST(TraceFilterDialogTest, EveryUseStartsEmpty) {
    TTraceFilter first(QStringLiteral("Trace Filter"));
    first.lastName()->setText(QStringLiteral("SM"));
    TTraceFilter second(QStringLiteral("Trace Filter"));
    EXPECT_TRUE(second.lastName()->text().isEmpty());
    EXPECT_EQ(buildTraceFilter(second.entries()).filterText, QStringLiteral("All Traces"));
}

}  // namespace
}  // namespace vv::traces
