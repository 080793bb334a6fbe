#include "calls/call_store.h"

#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "calls/account_statistics.h"
#include "calls_fixture.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::calls {
namespace {

const db::Date kToday = db::Date::fromYmd(2024, 7, 15);
const char* const kKey = "004711140509042";

class CallStoreTest : public ::testing::Test {
protected:
    CallStoreTest() {
        test::makeCallsFolder(dir_.str());
        calls_ = db::Table::open(dir_.str(), "SALECALL.DBF");
        traces_ = db::Table::open(dir_.str(), "TRACES.DBF");
        traceCodes_ = db::Table::open(dir_.str(), "TRACCODE.DBF");
        traceCodes_->setIndexName("TR_CODE");
    }

    // A new call of Jane Doe at Acme with the given trace code and CC salesperson.
    void newCall(const std::string& traceCode, const std::string& salesId2) {
        calls_->append();
        const std::map<std::string, std::string> values{
            {"FILE_CODE", "ACME"}, {"ACCT_NAME", "Acme Travel"}, {"DATE", "07/15/24"}, {"EVENT_NO", "12"},
            {"C_SAL", "Ms."}, {"C_FIRST", "Jane"}, {"C_LAST", "Doe"}, {"ADDR1", "PO Box 7"}, {"CITY", "Reno"},
            {"STATE", "NV"}, {"ZIP", "89502"}, {"C_PHONE", "555-0101"}, {"EMAIL", "jane@acme.example"},
            {"SALES_ID", "ABC"}, {"SALES_ID2", salesId2}, {"CALL_TYPE", "TEL"}, {"TRACE", "08/01/24"},
            {"TRACE_CODE", traceCode}, {"U_CODE2", "U2"}, {"MEMO", "Asked for rates"}};
        for (const auto& [field, value] : values) calls_->setText(field, value);
    }

    CallStoreSetup setup(CallForm form = CallForm::Window, int entryKind = 1, bool traceWanted = true) {
        return {form, entryKind, traceWanted, kToday, [] { return std::string(kKey); }};
    }

    std::vector<std::map<std::string, std::string>> storedTraces() {
        auto traces = db::Table::open(dir_.str(), "TRACES.DBF");
        std::vector<std::map<std::string, std::string>> rows;
        for (traces->first(); !traces->eof(); traces->next()) {
            std::map<std::string, std::string> row;
            for (const db::FieldDef& f : traces->fields()) row[f.name] = traces->getText(f.name);
            rows.push_back(row);
        }
        return rows;
    }

    test::TempDir dir_;
    std::unique_ptr<db::Table> calls_, traces_, traceCodes_;
};

TEST_F(CallStoreTest, ANewCallWithACcSalespersonWritesItsStampsAndTwoTraces) {
    newCall("FU", "XYZ");
    CallStore store(*calls_, *traces_, *traceCodes_, setup());
    store.store();
    EXPECT_TRUE(store.writesTrace());

    EXPECT_EQ(calls_->getText("EVENT_NO"), "    12") << "right-aligned in six places";
    EXPECT_EQ(calls_->getText("ADDED"), "07/15/24");
    EXPECT_EQ(calls_->getText("MODIFIED"), "07/15/24");
    EXPECT_EQ(calls_->getText("ADD_METH"), "M");
    EXPECT_EQ(calls_->getText("KEY"), kKey);
    EXPECT_EQ(calls_->getText("SOURCE"), "SL");
    EXPECT_EQ(calls_->getText("POSTED_BY"), "999");
    EXPECT_EQ(calls_->getText("SALES_ID2"), "XYZ") << "the call keeps its CC salesperson";

    const auto traces = storedTraces();
    ASSERT_EQ(traces.size(), 2u);
    const std::map<std::string, std::string> expected{
        {"FILE_CODE", "ACME"}, {"EVENT_NO", "    12"}, {"ACCT_NAME", "Acme Travel"}, {"ADDR1", "PO Box 7"},
        {"CITY", "Reno"}, {"STATE", "NV"}, {"ZIP", "89502"}, {"C_SAL", "Ms."}, {"C_FIRST", "Jane"},
        {"C_LAST", "Doe"}, {"C_PHONE", "555-0101"}, {"EMAIL", "jane@acme.example"}, {"SALES_ID", "ABC"},
        {"TRACE_CODE", "FU"}, {"TRACE_DATE", "08/01/24"}, {"STATUS", "O"}, {"U_CODE2", "U2"},
        {"MEMO", "Sales Call Notes On - 07/15/24 - For- Acme Travel - Asked for rates"}, {"ADDED", "07/15/24"},
        {"MODIFIED", "07/15/24"}, {"ADD_METH", "A"}, {"KEY", kKey}, {"TRACE_DESC", "SC-Follow up"}};
    for (const auto& [field, value] : expected) EXPECT_EQ(traces[0].at(field), value) << field;
    std::map<std::string, std::string> second = traces[0];
    second["SALES_ID"] = "XYZ";
    EXPECT_EQ(traces[1], second) << "the CC salesperson's trace differs only in SALES_ID";
}

TEST_F(CallStoreTest, WhichCallsWriteTraces) {
    struct Case {
        const char* name;
        std::string traceCode, salesId2;
        int entryKind;
        bool traceWanted;
        std::size_t traces;
    };
    const Case cases[] = {
        {"new call, no CC", "FU", "", 1, true, 1},
        {"new call, CC", "FU", "XYZ", 1, true, 2},
        {"edited call that had a trace", "FU", "XYZ", 2, false, 0},
        {"edited call that had none", "FU", "", 2, true, 1},
        {"no trace code", "", "", 1, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::fillTable(dir_.str(), "TRACES.DBF", {});
        traces_ = db::Table::open(dir_.str(), "TRACES.DBF");
        newCall(c.traceCode, c.salesId2);
        CallStore(*calls_, *traces_, *traceCodes_, setup(CallForm::Window, c.entryKind, c.traceWanted)).store();
        EXPECT_EQ(storedTraces().size(), c.traces);
    }
}

TEST_F(CallStoreTest, AnEditedCallGetsOnlyItsModifiedDate) {
    calls_->first();
    const std::string key = calls_->getText("KEY");
    calls_->edit();
    calls_->setText("EVENT_NO", "  7");
    CallStore(*calls_, *traces_, *traceCodes_, setup(CallForm::Window, 2, false)).store();
    EXPECT_EQ(calls_->getText("MODIFIED"), "07/15/24");
    EXPECT_EQ(calls_->getText("ADDED"), "");
    EXPECT_EQ(calls_->getText("ADD_METH"), "");
    EXPECT_EQ(calls_->getText("KEY"), key);
    EXPECT_EQ(calls_->getText("SOURCE"), "SL");
    EXPECT_EQ(calls_->getText("EVENT_NO"), "     7");
    EXPECT_EQ(CallStore::normalisedEventNo("1234567"), "123456") << "cut to six";
}

TEST_F(CallStoreTest, AnUnknownTraceCodeStoredUncheckedGetsTheUnknownDescription) {
    newCall("ZZZZ", "");
    CallStore(*calls_, *traces_, *traceCodes_, setup()).store();
    const auto traces = storedTraces();
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].at("TRACE_DESC"), "SC-Unknown Trace");
}

TEST_F(CallStoreTest, TheQuickCallFormPassesNeitherEventNumberNorUserCodes) {
    newCall("FU", "");
    CallStore(*calls_, *traces_, *traceCodes_, setup(CallForm::QuickCall, 1, true)).store();
    EXPECT_EQ(calls_->getText("EVENT_NO"), "12") << "not rewritten";
    EXPECT_EQ(calls_->getText("KEY"), kKey);
    const auto traces = storedTraces();
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].at("EVENT_NO"), "");
    EXPECT_EQ(traces[0].at("U_CODE2"), "");
    EXPECT_EQ(traces[0].at("FILE_CODE"), "ACME");
    EXPECT_EQ(traces[0].at("C_SAL"), "Ms.");
}

TEST_F(CallStoreTest, ACallThatCannotBeStoredLeavesNoTrace) {
    newCall("FU", "");
    CallStore store(*calls_, *traces_, *traceCodes_, setup());
    store.beforePost();
    EXPECT_EQ(traces_->state(), db::Table::State::Insert) << "begun, not stored";
    calls_->cancel();  // as if posting the call had failed
    traces_->cancel();
    EXPECT_TRUE(storedTraces().empty());
}

// ---------------------------------------------------------------- account statistics

TEST(NextTraceTest, WhenTheCallsTraceDateReplacesTheAccounts) {
    const db::Date today = db::Date::fromYmd(2024, 7, 15);
    const db::Date none;
    auto d = [](int m, int day) { return db::Date::fromYmd(2024, m, day); };
    struct Case {
        const char* name;
        db::Date current, trace;
        bool replaced;
    } cases[] = {
        {"no next trace yet", none, d(8, 1), true},
        {"no next trace, no trace date either", none, none, true},
        {"future next trace, sooner trace", d(9, 1), d(8, 1), true},
        {"future next trace, later trace", d(9, 1), d(10, 1), false},
        {"future next trace, trace date passed", d(9, 1), d(7, 1), false},
        {"passed next trace, later trace", d(7, 1), d(7, 10), true},
        {"passed next trace, earlier trace", d(7, 1), d(6, 1), false},
        {"passed next trace, no trace date", d(7, 1), none, false},
        {"next trace today", today, d(8, 1), false},
    };
    for (const Case& c : cases) EXPECT_EQ(nextTraceReplaced(c.current, c.trace, today), c.replaced) << c.name;
}

TEST(AccountStatisticsTest, LastCallAlwaysAndNextTraceWhenSooner) {
    test::TempDir dir;
    test::fillTable(dir.str(), "ACCOUNT.DBF",
                    {{{"FILE_CODE", "ACME"}, {"NEXT_TRACE", "09/01/24"}}, {{"FILE_CODE", "BOLT"}}});
    test::indexTable(dir.str(), "ACCOUNT.DBF");
    auto accounts = db::Table::open(dir.str(), "ACCOUNT.DBF");
    accounts->setIndexName("FILE_CODE");
    const db::Date today = db::Date::fromYmd(2024, 7, 15);
    EXPECT_TRUE(updateAccountStatistics(*accounts, "ACME      ", today, db::Date::fromYmd(2024, 8, 1), today));
    EXPECT_TRUE(updateAccountStatistics(*accounts, "BOLT", today, db::Date(), today));
    EXPECT_FALSE(updateAccountStatistics(*accounts, "NONE", today, db::Date(), today));

    auto check = db::Table::open(dir.str(), "ACCOUNT.DBF");
    check->first();
    EXPECT_EQ(check->getText("LAST_CALL"), "07/15/24");
    EXPECT_EQ(check->getText("NEXT_TRACE"), "08/01/24");
    check->next();
    EXPECT_EQ(check->getText("LAST_CALL"), "07/15/24");
    EXPECT_EQ(check->getText("NEXT_TRACE"), "") << "an account without one takes the empty date";
}

}  // namespace
}  // namespace vv::calls
