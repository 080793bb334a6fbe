#include "tracking/tracking_entry.h"

#include <gtest/gtest.h>

#include "tracking_fixture.h"

namespace vv::tracking {
namespace {

const db::Date kToday = db::Date::fromYmd(2024, 5, 10);

TrackingClock fixedClock() {
    TrackingClock clock;
    clock.today = [] { return kToday; };
    clock.keys.clock = [] { return db::LocalTime{14, 5, 9, 42}; };
    clock.keys.randomBelow100000 = [] { return 4711; };
    return clock;
}

// The rules over the window's tables, opened as the window opens them.
class TrackingEntryTest : public ::testing::Test {
protected:
    TrackingEntryTest()
        : sales_(folder_.open("SALES.DBF", "DATE")),
          accounts_(folder_.open("ACCOUNT.DBF", "CORP_NO")),
          segments_(folder_.open("MASTSEG.DBF", "SEGMENT")),
          rates_(folder_.open("RATECODE.DBF", "CODE")),
          entry_({sales_.get(), accounts_.get(), segments_.get(), rates_.get()}, fixedClock()) {}

    db::Table& sales() { return *sales_; }

    // A new record as Add starts it, with `values` typed over it.
    void startNew(const test::Row& values = {}) {
        sales().append();
        entry_.writeNewRecord("HOTEL");
        for (const auto& [field, value] : values) sales().setText(field, value);
    }

    // Saves the pending record as OK does, and rereads it by key.
    std::unique_ptr<db::Table> save(int kind) {
        entry_.writeSaveValues(kind, "HOTEL", "XXX");
        const std::string key = sales().getText("KEY");
        sales().post();
        entry_.rememberSaved();
        auto stored = folder_.open("SALES.DBF", "KEY");
        EXPECT_TRUE(stored->seek(key)) << key;
        return stored;
    }

    test::TrackingFolder folder_;
    std::unique_ptr<db::Table> sales_, accounts_, segments_, rates_;
    TrackingEntry entry_;
};

TEST_F(TrackingEntryTest, ANewRecordStartsYesterdayWithNothingCounted) {
    startNew();
    EXPECT_EQ(sales().getText("LOCCODE"), "HOTEL");
    EXPECT_EQ(sales().getDate("DATE"), kToday.addDays(-1));
    EXPECT_EQ(sales().getText("CORP_NO"), "") << "nothing saved yet";
    EXPECT_EQ(sales().getText("RATE_TIER"), "0");
    EXPECT_EQ(sales().getText("ROOMS"), "0");
    EXPECT_EQ(sales().getText("RATE"), "0.00");
    EXPECT_EQ(sales().getText("RMREV"), "0.00");
}

TEST_F(TrackingEntryTest, CorpNoCheckFillsSalespersonAndOnlyAnEmptySegmentWhenAdding) {
    struct Case {
        int kind;
        const char* corpNo;
        const char* segmentBefore;
        CorpNoCheck::Outcome outcome;
        const char* corpNoAfter;
        const char* salesIdAfter;
        const char* segmentAfter;
    } cases[] = {
        {kNewRecord, "C100", "", CorpNoCheck::Outcome::Found, "C100", "AB", "CORP"},
        {kNewRecord, "C100", "LEIS", CorpNoCheck::Outcome::Found, "C100", "AB", "LEIS"},
        {kExistingRecord, "C100", "", CorpNoCheck::Outcome::Found, "C100", "ZZ", ""},
        {kNewRecord, "C555", "LEIS", CorpNoCheck::Outcome::NotFound, "", "", "LEIS"},
        {kExistingRecord, "C555", "LEIS", CorpNoCheck::Outcome::NotFound, "", "ZZ", "LEIS"},
        {kNewRecord, "", "", CorpNoCheck::Outcome::Empty, "", "ZZ", ""},
        {kNewRecord, "C10", "", CorpNoCheck::Outcome::NotFound, "", "", ""},  // exact, not a prefix
    };
    for (const Case& c : cases) {
        startNew({{"CORP_NO", c.corpNo}, {"SEGMENT", c.segmentBefore}, {"SALES_ID", "ZZ"}});
        const CorpNoCheck check = entry_.checkCorpNo(c.kind);
        EXPECT_EQ(check.outcome, c.outcome) << c.kind << c.corpNo;
        EXPECT_EQ(check.accountName, c.outcome == CorpNoCheck::Outcome::Found ? "Acme Travel" : "");
        EXPECT_EQ(sales().getText("CORP_NO"), c.corpNoAfter) << c.kind << c.corpNo;
        EXPECT_EQ(sales().getText("SALES_ID"), c.salesIdAfter) << c.kind << c.corpNo;
        EXPECT_EQ(sales().getText("SEGMENT"), c.segmentAfter) << c.kind << c.corpNo;
        sales().cancel();
    }
}

TEST_F(TrackingEntryTest, SegmentCheckWarnsWhenTheAccountHasAnother) {
    struct Case {
        const char* corpNo;
        const char* segment;
        SegmentCheck::Outcome outcome;
        const char* warning;
        const char* segmentAfter;
    } cases[] = {
        {"C100", "CORP", SegmentCheck::Outcome::MatchesAccount, "CORP", "CORP"},
        {"C100", "LEIS", SegmentCheck::Outcome::DiffersFromAccount, "CORP", "LEIS"},
        {"", "LEIS", SegmentCheck::Outcome::Found, "", "LEIS"},
        {"C555", "LEIS", SegmentCheck::Outcome::Found, "", "LEIS"},
        {"C100", "NOPE", SegmentCheck::Outcome::NotFound, "", ""},
        {"C100", "", SegmentCheck::Outcome::Empty, "", ""},
    };
    for (const Case& c : cases) {
        startNew({{"CORP_NO", c.corpNo}, {"SEGMENT", c.segment}});
        const SegmentCheck check = entry_.checkSegment();
        EXPECT_EQ(check.outcome, c.outcome) << c.corpNo << '/' << c.segment;
        EXPECT_EQ(check.accountSegment, c.warning) << c.corpNo << '/' << c.segment;
        EXPECT_EQ(sales().getText("SEGMENT"), c.segmentAfter) << c.corpNo << '/' << c.segment;
        sales().cancel();
    }
}

TEST_F(TrackingEntryTest, RateCodesAreLookedUpExactly) {
    EXPECT_TRUE(entry_.rateCodeKnown("RACK"));
    EXPECT_FALSE(entry_.rateCodeKnown("RAC"));
    EXPECT_FALSE(entry_.rateCodeKnown("NONE"));
    TrackingEntry withoutRates({sales_.get(), accounts_.get(), segments_.get(), nullptr}, fixedClock());
    EXPECT_TRUE(withoutRates.rateCodeKnown("NONE")) << "no rate code table: nothing to check against";
}

TEST_F(TrackingEntryTest, SavingANewRecordDerivesRevenueAccountValuesAndStamps) {
    startNew({{"CORP_NO", "C100"}, {"SEGMENT", "GOVT"}, {"SALES_ID", "AB"}, {"ROOMS", "12"}, {"RATE", "89.50"},
              {"RMREV", "5"}, {"POST_METH", "Q"}, {"LOCCODE", "OTHER"}, {"STATE", "TX"}});
    auto stored = save(kNewRecord);
    EXPECT_EQ(stored->getText("RMREV"), "1074.00");
    EXPECT_EQ(stored->getText("SEG_TYPE"), "G") << "the type of the record's own segment";
    EXPECT_EQ(stored->getText("LOCCODE"), "HOTEL");
    EXPECT_EQ(stored->getText("PARENT_ID"), "P1");
    EXPECT_EQ(stored->getText("U_CODE1"), "U1");
    EXPECT_EQ(stored->getText("U_CODE2"), "");
    EXPECT_EQ(stored->getText("U_CODE5"), "U5");
    EXPECT_EQ(stored->getText("STATE"), "NY") << "the account's, over what was typed";
    EXPECT_EQ(stored->getText("ZIP"), "10001");
    EXPECT_EQ(stored->getText("POST_METH"), "M");
    EXPECT_EQ(stored->getText("USER"), "XXX");
    EXPECT_EQ(stored->getDate("ADDED"), kToday);
    EXPECT_EQ(stored->getDate("MODIFIED"), kToday);
    EXPECT_EQ(stored->getText("ADD_METH"), "M");
    EXPECT_EQ(stored->getText("SOURCE"), "SL");
    EXPECT_EQ(stored->getText("KEY"), "004711140509042");
}

TEST_F(TrackingEntryTest, AccountValuesComeFromTheRecordsOwnAccount) {
    // The last check looked at C100, but the record names C200: C200's values go in.
    startNew({{"CORP_NO", "C100"}, {"SEGMENT", "CORP"}, {"SALES_ID", "AB"}});
    entry_.checkCorpNo(kNewRecord);
    sales().setText("CORP_NO", "C200");
    auto stored = save(kNewRecord);
    EXPECT_EQ(stored->getText("PARENT_ID"), "P2");
    EXPECT_EQ(stored->getText("U_CODE1"), "");
    EXPECT_EQ(stored->getText("STATE"), "CA");

    // An account that has gone: empty values rather than another account's.
    startNew({{"CORP_NO", "C999"}, {"SEGMENT", "CORP"}, {"SALES_ID", "AB"}, {"PARENT_ID", "XX"}});
    entry_.writeSaveValues(kNewRecord, "HOTEL", "XXX");
    EXPECT_EQ(sales().getText("PARENT_ID"), "");
    EXPECT_EQ(sales().getText("ZIP"), "");
    sales().cancel();
}

TEST_F(TrackingEntryTest, SavingAnEditedRecordKeepsItsKeyAndAddedStamp) {
    sales().first();  // 03/01/24, C200, 3 at 33.37, added without stamps
    ASSERT_EQ(sales().getText("KEY"), "K2");
    sales().edit();
    entry_.fillBlanks();
    sales().setText("ROOMS", "4");
    auto stored = save(kExistingRecord);
    EXPECT_EQ(stored->getText("RMREV"), "133.48");
    EXPECT_EQ(stored->getText("KEY"), "K2");
    EXPECT_EQ(stored->getDate("MODIFIED"), kToday);
    EXPECT_TRUE(stored->getDate("ADDED").isEmpty());
    EXPECT_EQ(stored->getText("ADD_METH"), "");
    EXPECT_EQ(stored->getText("SOURCE"), "");
    EXPECT_EQ(stored->getText("PARENT_ID"), "P2");
}

TEST_F(TrackingEntryTest, EditTurnsBlankFiguresIntoZeros) {
    sales().append();
    sales().post();
    sales().edit();
    entry_.fillBlanks();
    EXPECT_EQ(sales().getText("ROOMS"), "0");
    EXPECT_EQ(sales().getText("RATE"), "0.00");
    EXPECT_EQ(sales().getText("RMREV"), "0.00");
    EXPECT_EQ(sales().getText("RATE_TIER"), "0");
    sales().cancel();

    sales().go(2);  // C200: 3 rooms
    sales().edit();
    sales().setText("RATE_TIER", "3");
    entry_.fillBlanks();
    EXPECT_EQ(sales().getText("ROOMS"), "3") << "figures that are there stay";
    EXPECT_EQ(sales().getText("RATE_TIER"), "3");
    sales().cancel();
}

TEST_F(TrackingEntryTest, TheNextRecordCarriesTheDateAndWithKeepFieldsTheRest) {
    for (const bool keep : {true, false}) {
        startNew({{"DATE", "04/30/24"}, {"CORP_NO", "C100"}, {"SEGMENT", "CORP"}, {"SALES_ID", "AB"},
                  {"ROOMS", "2"}, {"RATE", "10"}});
        save(kNewRecord);
        sales().append();
        entry_.writeNextRecord(keep);
        EXPECT_EQ(sales().getDate("DATE"), db::Date::fromYmd(2024, 4, 30));
        EXPECT_EQ(sales().getText("CORP_NO"), keep ? "C100" : "");
        EXPECT_EQ(sales().getText("SEGMENT"), keep ? "CORP" : "");
        EXPECT_EQ(sales().getText("SALES_ID"), keep ? "AB" : "");
        EXPECT_EQ(sales().getText("ROOMS"), "0");
        EXPECT_EQ(sales().getText("RATE"), "0.00");
        EXPECT_EQ(sales().getText("RATE_TIER"), "0");
        sales().cancel();
    }
    // Add (not the follow-on record) brings the last corporate number and
    // segment back whatever the switch, but a date of yesterday.
    startNew();
    EXPECT_EQ(sales().getText("CORP_NO"), "C100");
    EXPECT_EQ(sales().getText("SEGMENT"), "CORP");
    EXPECT_EQ(sales().getText("SALES_ID"), "");
    EXPECT_EQ(sales().getDate("DATE"), kToday.addDays(-1));
    sales().cancel();
    entry_.forgetLastCorpNoAndSegment();
    startNew();
    EXPECT_EQ(sales().getText("CORP_NO"), "");
    sales().cancel();
}

TEST_F(TrackingEntryTest, DeletingCorrectsTheAccountsYearToDate) {
    // Record 1: 10 rooms, 1000.00 on 03/02/24, C100 holds exactly that.
    sales().go(1);
    EXPECT_EQ(entry_.correctAccountForDelete(), AccountCorrection::Corrected);
    auto acme = folder_.account("C100");
    ASSERT_TRUE(acme);
    EXPECT_EQ(acme->getText("YTD_ROOMS"), "0");
    EXPECT_EQ(acme->getText("YTD_RMREV"), "0.00");
    EXPECT_EQ(acme->getText("YTD_ADR"), "0.00");
    EXPECT_EQ(acme->getDate("LAST_BOOK"), db::Date::fromYmd(2024, 3, 2));
    EXPECT_EQ(acme->getText("LAST_RMS"), "10");
    EXPECT_EQ(acme->getText("LAST_REV"), "1000.00");
    EXPECT_EQ(acme->state(), db::Table::State::Browse);

    // Record 2: C200 keeps 10 rooms and 1200.00, 120.00 a room.
    sales().go(2);
    EXPECT_EQ(entry_.correctAccountForDelete(), AccountCorrection::Corrected);
    auto bolt = folder_.account("C200");
    EXPECT_EQ(bolt->getText("YTD_ROOMS"), "10");
    EXPECT_EQ(bolt->getText("YTD_RMREV"), "1200.00");
    EXPECT_EQ(bolt->getText("YTD_ADR"), "120.00");

    sales().go(3);
    EXPECT_EQ(entry_.correctAccountForDelete(), AccountCorrection::NoCorpNo);
    sales().go(4);
    EXPECT_EQ(entry_.correctAccountForDelete(), AccountCorrection::NotFound);
}

}  // namespace
}  // namespace vv::tracking
