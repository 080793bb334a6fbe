#include "traces/trace_rules.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/table.h"
#include "support/temp_dir.h"
#include "traces/traces_fixture.h"

namespace vv::traces {
namespace {

const db::Date kToday = db::Date::fromYmd(2024, 7, 15);

TEST(TraceRulesTest, TheMenuWindowShowsOpenTracesWithTwoBlanksBeforeAnd) {
    EXPECT_EQ(openTracesFilter(), "status = 'O'");
    EXPECT_EQ(openTracesFilterText(QString()), QStringLiteral("Sales ID =  and Status=O"));
}

TEST(TraceRulesTest, OverdueIsBeforeTodayOrWithoutDate) {
    EXPECT_TRUE(isOverdue(kToday.addDays(-1), kToday));
    EXPECT_FALSE(isOverdue(kToday, kToday));
    EXPECT_FALSE(isOverdue(kToday.addDays(1), kToday));
    EXPECT_TRUE(isOverdue(db::Date(), kToday));
}

TEST(TraceRulesTest, EventNumbersAreRightAlignedToSix) {
    EXPECT_EQ(alignedEventNo("12"), "    12");
    EXPECT_EQ(alignedEventNo(""), "      ");
    EXPECT_EQ(alignedEventNo("1234567"), "123456");
}

TEST(TraceRulesTest, CompleteFollowsTheCurrentStatus) {
    EXPECT_EQ(completeAction("O"), CompleteAction::Close);
    EXPECT_EQ(completeAction("C"), CompleteAction::Reopen);
    EXPECT_EQ(completeAction(""), CompleteAction::None);
    EXPECT_EQ(completeAction("X"), CompleteAction::None);
}

class TraceTableTest : public ::testing::Test {
protected:
    TraceTableTest() {
        test::makeTracesFolder(dir_.str());
        traces_ = db::Table::open(dir_.str(), "TRACES.DBF");
        accounts_ = db::Table::open(dir_.str(), "ACCOUNT.DBF");
        accounts_->setIndexName("FILE_CODE");
        salespeople_ = db::Table::open(dir_.str(), "MASTPER.DBF");
        salespeople_->setIndexName("SALES_ID");
        codes_ = db::Table::open(dir_.str(), "TRACCODE.DBF");
        codes_->setIndexName("TR_CODE");
    }

    TraceCodeRules rules() { return TraceCodeRules({accounts_.get(), salespeople_.get(), codes_.get()}); }

    // The stored trace with `key`, field by field.
    std::map<std::string, std::string> stored(const std::string& key) {
        auto traces = db::Table::open(dir_.str(), "TRACES.DBF");
        for (traces->first(); !traces->eof(); traces->next()) {
            if (traces->getText("KEY") != key) continue;
            std::map<std::string, std::string> row;
            for (const db::FieldDef& f : traces->fields()) row[f.name] = traces->getText(f.name);
            return row;
        }
        return {};
    }

    test::TempDir dir_;
    std::unique_ptr<db::Table> traces_, accounts_, salespeople_, codes_;
};

TEST_F(TraceTableTest, RequiredFieldsFocusTheLastFailingInOkToSavesOrder) {
    traces_->append();
    EXPECT_EQ(lastMissingTraceField(*traces_), "FILE_CODE");
    traces_->setText("FILE_CODE", "ACME");
    EXPECT_EQ(lastMissingTraceField(*traces_), "TRACE_DATE");
    traces_->setText("TRACE_DATE", "07/20/24");
    EXPECT_EQ(lastMissingTraceField(*traces_), "C_LAST");
    traces_->setText("C_LAST", "Doe");
    EXPECT_EQ(lastMissingTraceField(*traces_), "SALES_ID");
    traces_->setText("SALES_ID", "ABC");
    EXPECT_EQ(lastMissingTraceField(*traces_), "TRACE_CODE");
    traces_->setText("TRACE_CODE", "FU");
    EXPECT_EQ(lastMissingTraceField(*traces_), "");
}

TEST_F(TraceTableTest, ANewTraceGetsStampsAndAKeyAnEditedOneKeepsItsKey) {
    traces_->append();
    traces_->setText("EVENT_NO", "12");
    traces_->setText("STATUS", "O");
    writeTraceStamps(*traces_, {1, kToday, [] { return std::string("012345678901234"); }});
    traces_->post();
    auto row = stored("012345678901234");
    EXPECT_EQ(row["EVENT_NO"], "    12");
    EXPECT_EQ(row["ADD_METH"], "M");
    EXPECT_EQ(row["ADDED"], "07/15/24");
    EXPECT_EQ(row["MODIFIED"], "07/15/24");

    traces_->first();  // 07/10/24, key 1, added by a sales call
    traces_->edit();
    traces_->setText("EVENT_NO", "7");
    writeTraceStamps(*traces_, {2, kToday.addDays(1), [] { return std::string("999999999999999"); }});
    traces_->post();
    row = stored("000000000000001");
    EXPECT_EQ(row["EVENT_NO"], "     7");
    EXPECT_EQ(row["MODIFIED"], "07/16/24");
    EXPECT_EQ(row["ADDED"], "");
    EXPECT_EQ(row["ADD_METH"], "");
    EXPECT_TRUE(stored("999999999999999").empty());
}

// The exit checks, by field, state and code.
TEST_F(TraceTableTest, ExitChecks) {
    struct Case {
        const char* name;
        bool insert;
        const char* field;
        const char* value;
        bool rejected;
        std::optional<QString> label;
        const char* error;
        std::map<std::string, std::string> after;  // fields of the trace afterwards
    };
    const std::vector<Case> cases{
        {"new trace, known account", true, "FILE_CODE", "ACME", false, QStringLiteral("Acme Travel"), "",
         {{"ACCT_NAME", "Acme Travel"}, {"CITY", "Reno"}, {"SALES_ID", "ABC"}, {"U_CODE1", "U1"}, {"U_CODE5", "U5"},
          {"ADDR1", "1 Long Account Address Line Of"}}},  // cut to the trace's 30
        {"edited trace, known account", false, "FILE_CODE", "BOLT", false, std::nullopt, "",
         {{"ACCT_NAME", "Acme Travel"}, {"SALES_ID", "ABC"}, {"FILE_CODE", "BOLT"}}},
        {"new trace, unknown account", true, "FILE_CODE", "NONE", true, QStringLiteral("Account Not Found!"),
         "Invalid File Code", {{"FILE_CODE", ""}}},
        {"edited trace, unknown account", false, "FILE_CODE", "NONE", true, QStringLiteral("Account Not Found!"),
         "Invalid File Code", {{"FILE_CODE", ""}}},
        {"empty file code", false, "FILE_CODE", "", false, std::nullopt, "", {{"ACCT_NAME", "Acme Travel"}}},
        {"known salesperson", false, "SALES_ID", "XYZ", false, QStringLiteral("Xavier Young"), "",
         {{"SALES_ID", "XYZ"}}},
        {"unknown salesperson", true, "SALES_ID", "QQQ", true, QStringLiteral("Unknown Salesperson!"),
         "Invalid Sales ID", {{"SALES_ID", ""}}},
        {"known trace code, edited", false, "TRACE_CODE", "FU", false, std::nullopt, "",
         {{"TRACE_DESC", "Follow up"}}},
        {"unknown trace code", false, "TRACE_CODE", "ZZ", true, std::nullopt, "Invalid Trace Code",
         {{"TRACE_CODE", ""}, {"TRACE_DESC", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        traces_->first();  // ACME, Acme Travel, ABC
        if (c.insert) {
            traces_->append();
        } else {
            traces_->edit();
            traces_->setText("TRACE_DESC", "Typed");
        }
        traces_->setText(c.field, c.value);
        const std::string field = c.field;
        const TraceCheck check = field == "FILE_CODE"  ? rules().fileCode(*traces_)
                                 : field == "SALES_ID" ? rules().salesId(*traces_)
                                                       : rules().traceCode(*traces_);
        EXPECT_EQ(check.rejected, c.rejected);
        EXPECT_EQ(check.label, c.label);
        EXPECT_EQ(check.error, QString::fromLatin1(c.error));
        for (const auto& [name, value] : c.after) EXPECT_EQ(traces_->getText(name), value) << name;
        traces_->cancel();
    }
}

TEST_F(TraceTableTest, TheContactPickCopiesAccountNameAndSalesperson) {
    EXPECT_EQ(contactLookupFilter(""), "");
    EXPECT_EQ(contactLookupFilter("ACME"), "file_code = 'ACME'");
    traces_->append();
    copyContactInto(*traces_, dir_.str(), 2);  // Bob Bolt, no address
    EXPECT_EQ(traces_->getText("C_FIRST"), "Bob");
    EXPECT_EQ(traces_->getText("C_LAST"), "Bolt");
    copyContactInto(*traces_, dir_.str(), 1);
    EXPECT_EQ(traces_->getText("C_SAL"), "Ms.");
    EXPECT_EQ(traces_->getText("ZIP"), "89502");
    EXPECT_EQ(traces_->getText("EMAIL"), "jane@acme.example");
}

TEST_F(TraceTableTest, ClosingStampsEverySelectedTraceAndHandsOverTheLastOne) {
    const calls::AddCallPrefill call = closeTraces(*traces_, {3, 2, 1, 99}, kToday, "XXX");
    for (const char* key : {"000000000000001", "000000000000002", "000000000000003"}) {
        auto row = stored(key);
        EXPECT_EQ(row["STATUS"], "C") << key;
        EXPECT_EQ(row["COMP_DATE"], "07/15/24") << key;  // the closed one gets new stamps too
        EXPECT_EQ(row["COMP_BY"], "XXX") << key;
        EXPECT_EQ(row["MODIFIED"], "07/15/24") << key;
    }
    EXPECT_EQ(call.fileCode, "ACME      ");
    EXPECT_EQ(call.eventNo, "    12");
    EXPECT_EQ(call.acctName, "Acme Travel");
    EXPECT_EQ(call.sal, "Ms.");
    EXPECT_EQ(call.last, "Doe");
    EXPECT_EQ(call.email, "jane@acme.example");
    EXPECT_EQ(call.salesId, "ABC");

    const calls::AddCallPrefill none = closeTraces(*traces_, {}, kToday, "XXX");
    EXPECT_EQ(none.fileCode, "");
}

TEST_F(TraceTableTest, ReopeningEmptiesTheCompletionOfEverySelectedTrace) {
    reopenTraces(*traces_, {1, 2}, kToday);
    for (const char* key : {"000000000000001", "000000000000002"}) {
        auto row = stored(key);
        EXPECT_EQ(row["STATUS"], "O") << key;
        EXPECT_EQ(row["COMP_DATE"], "") << key;
        EXPECT_EQ(row["COMP_BY"], "") << key;
        EXPECT_EQ(row["MODIFIED"], "07/15/24") << key;
    }
    EXPECT_EQ(stored("000000000000003")["MODIFIED"], "");
}

}  // namespace
}  // namespace vv::traces
