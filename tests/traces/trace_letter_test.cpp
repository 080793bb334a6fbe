#include "traces/trace_letter.h"

#include <gtest/gtest.h>

#include "db/table.h"
#include "support/temp_dir.h"
#include "traces/traces_fixture.h"

namespace vv::traces {
namespace {

TEST(TraceLetterTest, TheTracesContactAndItsSalespersonWithoutATitle) {
    test::TempDir dir;
    test::makeTracesFolder(dir.str());
    auto traces = db::Table::open(dir.str(), "TRACES.DBF");
    auto salespeople = db::Table::open(dir.str(), "MASTPER.DBF");
    salespeople->setIndexName("SALES_ID");
    const QDate today(2024, 7, 15);

    traces->go(1);  // Jane Doe at Acme, salesperson ABC
    shared::LetterValues v = traceLetterValues(*traces, salespeople.get(), today);
    EXPECT_EQ(v.cSal, QStringLiteral("Ms."));
    EXPECT_EQ(v.acctName, QStringLiteral("Acme Travel"));
    EXPECT_EQ(v.email, QStringLiteral("jane@acme.example"));
    EXPECT_EQ(v.cTitle, QString());
    EXPECT_EQ(v.salesName, QStringLiteral("Ann Baker"));
    EXPECT_EQ(v.salesTitle, QStringLiteral("Director of Sales"));
    const QString block = shared::addressBlock(v);
    EXPECT_TRUE(block.contains(QStringLiteral("Ms. Jane Doe")));
    EXPECT_TRUE(block.contains(QStringLiteral("Dear Ms. Doe:")));

    // A salesperson who is not there leaves name and title empty.
    traces->go(2);
    traces->edit();
    traces->setText("SALES_ID", "QQQ");
    v = traceLetterValues(*traces, salespeople.get(), today);
    EXPECT_EQ(v.salesName, QString());
    EXPECT_EQ(v.salesTitle, QString());
    traces->cancel();
}

}  // namespace
}  // namespace vv::traces
