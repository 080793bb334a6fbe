#include "calls/call_entry_rules.h"

#include <map>

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include "calls_fixture.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::calls {
namespace {

using State = db::Table::State;

class CallEntryRulesTest : public ::testing::Test {
protected:
    CallEntryRulesTest() {
        test::makeCallsFolder(dir_.str());
        calls_ = db::Table::open(dir_.str(), "SALECALL.DBF");
        accounts_ = open("ACCOUNT.DBF", "FILE_CODE");
        salespeople_ = open("MASTPER.DBF", "SALES_ID");
        callTypes_ = open("SALECODE.DBF", "SALE_CODE");
        traceCodes_ = open("TRACCODE.DBF", "TR_CODE");
    }

    std::unique_ptr<db::Table> open(const std::string& file, const std::string& tag) {
        auto t = db::Table::open(dir_.str(), file);
        t->setIndexName(tag);
        return t;
    }

    CallCodeRules rules(CallForm form) {
        return CallCodeRules({accounts_.get(), salespeople_.get(), callTypes_.get(), traceCodes_.get()}, form);
    }

    // The call in the wanted state: a blank new call, or the newest call edited.
    void enter(State state) {
        if (calls_->state() != State::Browse) calls_->cancel();
        if (state == State::Insert) {
            calls_->append();
        } else {
            calls_->go(2);
            calls_->edit();
        }
    }

    test::TempDir dir_;
    std::unique_ptr<db::Table> calls_, accounts_, salespeople_, callTypes_, traceCodes_;
};

TEST_F(CallEntryRulesTest, OkToSaveFocusesTheLastFailingFieldOfItsList) {
    const std::map<std::string, std::string> complete{{"FILE_CODE", "ACME"}, {"DATE", "07/15/24"},
                                                      {"ACCT_NAME", "Acme"}, {"C_LAST", "Doe"},
                                                      {"SALES_ID", "ABC"},   {"CALL_TYPE", "TEL"}};
    struct Case {
        const char* name;
        std::map<std::string, std::string> change;
        std::string focus;
    } cases[] = {
        {"complete", {}, ""},
        {"complete with trace date and code", {{"TRACE", "08/01/24"}, {"TRACE_CODE", "FU"}}, ""},
        {"trace date without code", {{"TRACE", "08/01/24"}}, "TRACE_CODE"},
        {"trace code without date", {{"TRACE_CODE", "FU"}}, "TRACE"},
        {"no call type", {{"CALL_TYPE", ""}}, "CALL_TYPE"},
        {"no sales rep", {{"SALES_ID", ""}}, "SALES_ID"},
        {"no last name", {{"C_LAST", ""}}, "C_LAST"},
        {"no account name", {{"ACCT_NAME", ""}}, "ACCT_NAME"},
        {"no date", {{"DATE", ""}}, "DATE"},
        {"no file code", {{"FILE_CODE", ""}}, "FILE_CODE"},
        {"blank file code", {{"FILE_CODE", "   "}}, "FILE_CODE"},
        {"several: the last in the list wins", {{"TRACE", "08/01/24"}, {"SALES_ID", ""}, {"DATE", ""}}, "DATE"},
        {"several, file code last", {{"CALL_TYPE", ""}, {"FILE_CODE", ""}}, "FILE_CODE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        enter(State::Insert);
        for (const auto& [field, value] : complete) calls_->setText(field, value);
        for (const auto& [field, value] : c.change) calls_->setText(field, value);
        EXPECT_EQ(lastMissingField(*calls_), c.focus);
    }
}

// The exit checks: what each finds, shows, copies and refuses, by form and table state.
TEST_F(CallEntryRulesTest, ExitChecksByFieldFormAndState) {
    struct Case {
        const char* name;
        CallForm form;
        State state;
        std::function<CodeLookup(CallCodeRules&, db::Table&)> check;
        bool found;
        std::optional<QString> label;
    };
    const Case cases[] = {
        {"file code, new call", CallForm::Window, State::Insert,
         [](auto& r, auto& c) { return r.fileCode(c, "ACME"); }, true, QStringLiteral("Acme Travel")},
        {"file code, editing", CallForm::Window, State::Edit, [](auto& r, auto& c) { return r.fileCode(c, "ACME"); },
         true, std::nullopt},
        {"unknown file code", CallForm::Window, State::Insert,
         [](auto& r, auto& c) { return r.fileCode(c, "NOPE"); }, false, std::nullopt},
        {"sales rep, new call", CallForm::Window, State::Insert, [](auto& r, auto& c) { return r.salesId(c, "ABC"); },
         true, QStringLiteral("Ann Baker")},
        {"sales rep, editing", CallForm::Window, State::Edit, [](auto& r, auto& c) { return r.salesId(c, "XYZ"); },
         true, QStringLiteral("Xavier Young")},
        {"unknown sales rep", CallForm::Window, State::Edit, [](auto& r, auto& c) { return r.salesId(c, "QQQ"); },
         false, std::nullopt},
        {"CC, new call", CallForm::Window, State::Insert, [](auto& r, auto& c) { return r.salesId2(c, "ABC"); }, true,
         QStringLiteral("Ann Baker")},
        {"CC, editing", CallForm::Window, State::Edit, [](auto& r, auto& c) { return r.salesId2(c, "ABC"); }, true,
         std::nullopt},
        {"call type, new call", CallForm::Window, State::Insert, [](auto& r, auto& c) { return r.callType(c, "VIS"); },
         true, QStringLiteral("Visit")},
        {"call type, editing", CallForm::Window, State::Edit, [](auto& r, auto& c) { return r.callType(c, "VIS"); },
         true, std::nullopt},
        {"unknown call type", CallForm::Window, State::Edit, [](auto& r, auto& c) { return r.callType(c, "ZZ"); },
         false, std::nullopt},
        {"trace code, new call", CallForm::Window, State::Insert,
         [](auto& r, auto& c) { return r.traceCode(c, "FU"); }, true, QStringLiteral("Follow up")},
        {"unknown trace code", CallForm::QuickCall, State::Insert,
         [](auto& r, auto& c) { return r.traceCode(c, "ZZ"); }, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        enter(c.state);
        CallCodeRules r = rules(c.form);
        const CodeLookup result = c.check(r, *calls_);
        EXPECT_EQ(result.found, c.found);
        EXPECT_EQ(result.label, c.label);
    }
}

TEST_F(CallEntryRulesTest, AnUnknownFileCodeIsRefusedExceptInANewCallOfTheWindow) {
    EXPECT_FALSE(rules(CallForm::Window).fileCodeRejected(State::Insert));
    EXPECT_TRUE(rules(CallForm::Window).fileCodeRejected(State::Edit));
    EXPECT_TRUE(rules(CallForm::QuickCall).fileCodeRejected(State::Insert));
}

TEST_F(CallEntryRulesTest, AKnownFileCodeCopiesTheAccountIntoANewCallOnly) {
    enter(State::Insert);
    rules(CallForm::Window).fileCode(*calls_, "ACME");
    EXPECT_EQ(calls_->getText("ACCT_NAME"), "Acme Travel");
    EXPECT_EQ(calls_->getText("ADDR1"), "1 Long Account Address Line Of") << "cut to the call's 30 places";
    EXPECT_EQ(calls_->getText("CITY"), "Reno");
    EXPECT_EQ(calls_->getText("SALES_ID"), "ABC");
    EXPECT_EQ(calls_->getText("SEGMENT"), "CO");
    EXPECT_EQ(calls_->getText("U_CODE1"), "U1");
    EXPECT_EQ(calls_->getText("U_CODE5"), "U5");

    enter(State::Insert);
    rules(CallForm::QuickCall).fileCode(*calls_, "ACME");
    EXPECT_EQ(calls_->getText("ACCT_NAME"), "Acme Travel");
    EXPECT_EQ(calls_->getText("SEGMENT"), "") << "the quick call form copies no segment";
    EXPECT_EQ(calls_->getText("U_CODE1"), "");

    enter(State::Edit);
    calls_->setText("FILE_CODE", "BOLT");
    rules(CallForm::Window).fileCode(*calls_, "BOLT");
    EXPECT_EQ(calls_->getText("ACCT_NAME"), "Acme Travel") << "editing keeps the call's account fields";
}

TEST_F(CallEntryRulesTest, TheTraceDatesWeekdayShowsOnlyForANewCall) {
    const db::Date monday = db::Date::fromYmd(2024, 7, 15);
    EXPECT_EQ(traceDayLabel(monday, State::Insert), QLocale::system().dayName(1, QLocale::LongFormat));
    EXPECT_EQ(traceDayLabel(monday, State::Edit), QString());
    EXPECT_EQ(traceDayLabel(db::Date(), State::Insert), std::nullopt);
}

TEST_F(CallEntryRulesTest, EditWantsATraceOnlyForACallWithoutTraceDateAndCode) {
    calls_->go(1);
    EXPECT_TRUE(traceWantedOnEdit(*calls_));
    calls_->go(2);
    EXPECT_FALSE(traceWantedOnEdit(*calls_));
    calls_->edit();
    calls_->setText("TRACE", "");
    EXPECT_FALSE(traceWantedOnEdit(*calls_)) << "a trace code alone is enough";
}

TEST_F(CallEntryRulesTest, TheContactPickCopiesTheContactAndOffersTheAccountsContacts) {
    EXPECT_EQ(contactLookupFilter("ACME"), "file_code = 'ACME'");
    EXPECT_EQ(contactLookupFilter(""), "");
    enter(State::Insert);
    copyContactInto(*calls_, dir_.str(), 1);
    EXPECT_EQ(calls_->getText("C_SAL"), "Ms.");
    EXPECT_EQ(calls_->getText("C_FIRST"), "Jane");
    EXPECT_EQ(calls_->getText("C_LAST"), "Doe");
    EXPECT_EQ(calls_->getText("C_TITLE"), "Buyer");
    EXPECT_EQ(calls_->getText("ZIP"), "89502");
    EXPECT_EQ(calls_->getText("EMAIL"), "jane@acme.example");
    EXPECT_EQ(calls_->getText("FILE_CODE"), "") << "the contact's account is not compared or copied";
}

}  // namespace
}  // namespace vv::calls
