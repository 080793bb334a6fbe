// The rules of entering daily tracking records, without widgets: the values
// a new or edited record starts with, the checks run when the user leaves
// the corporate number, segment, salesperson and rate code fields, what the
// save derives (revenue, segment type, account values, stamps, key), the
// next record prepared after a new one, and the account's year-to-date
// correction when a record is deleted.
//
// One object per tracking window: the entry kind and the remembered values
// belong to that window, so two open windows do not disturb each other.
// It works on the window's tables, which it does not own: SALES.DBF (the
// record being entered), ACCOUNT.DBF on tag CORP_NO, MASTSEG.DBF on tag
// SEGMENT and, when the data folder has one, RATECODE.DBF on tag CODE.
// Errors of the table engine pass through.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/date.h"
#include "db/record_key.h"

namespace vv::db {
class Table;
}

namespace vv::tracking {

struct TrackingTables {
    db::Table* sales = nullptr;
    db::Table* accounts = nullptr;
    db::Table* segments = nullptr;
    db::Table* rateCodes = nullptr;  // null: no rate code table, codes are not checked
};

// Where "today" and record keys come from; tests fix both.
struct TrackingClock {
    std::function<db::Date()> today = [] { return db::Date::today(); };
    db::RecordKeySources keys = db::systemRecordKeySources();
};

// The entry kinds, as the save reads them.
inline constexpr int kNewRecord = 1;
inline constexpr int kExistingRecord = 2;

struct CorpNoCheck {
    enum class Outcome { Empty, Found, NotFound };
    Outcome outcome = Outcome::Empty;
    std::string accountName;  // Found: ACCT_NAME
};

struct SegmentCheck {
    enum class Outcome {
        Empty,
        NotFound,        // SEGMENT was emptied
        Found,           // no account to compare with
        MatchesAccount,  // the account's own segment
        DiffersFromAccount,  // accepted; `accountSegment` is the warning
    };
    Outcome outcome = Outcome::Empty;
    std::string accountSegment;
};

enum class AccountCorrection {
    NoCorpNo,  // the record names no account: nothing to correct
    Corrected,
    NotFound,  // "Account Not Found"
};

class TrackingEntry {
public:
    explicit TrackingEntry(TrackingTables tables, TrackingClock clock = {});

    // --- Starting an entry (inside the lock-retry step, after Append or Edit)
    // Add: LOCCODE, yesterday, the last saved corporate number and segment,
    // rate tier "0", no rooms, rate or revenue.
    void writeNewRecord(const std::string& locCode);
    // Edit: a blank ROOMS, RMREV or RATE becomes 0, a blank RATE_TIER "0".
    void fillBlanks();

    // --- Exit checks
    // Leaving CORP_NO. Found while adding: SALES_ID from the account, and
    // SEGMENT too when the record has none. Not found: CORP_NO emptied, and
    // SALES_ID too while adding.
    CorpNoCheck checkCorpNo(int entryKind);
    // Leaving SEGMENT or SALES_ID: the segment must be in MASTSEG.DBF; one
    // that differs from the account's own is accepted with a warning.
    SegmentCheck checkSegment();
    // Leaving RATE_CODE: whether `code` is in RATECODE.DBF.
    bool rateCodeKnown(const std::string& code);

    // OkToSave's fields, in the order it checks them.
    static std::vector<std::string> requiredFields() { return {"DATE", "SEGMENT", "SALES_ID", "CORP_NO"}; }

    // --- Saving
    // Before Post: LOCCODE, SEG_TYPE, RMREV = ROOMS x RATE, the account
    // values of the record's own corporate number (looked up again; empty
    // when it is not found), POST_METH, USER and the stamps of `entryKind`
    // (a new record also gets its KEY).
    void writeSaveValues(int entryKind, const std::string& locCode, const std::string& userId);
    // After Post: DATE, CORP_NO, SEGMENT and SALES_ID of the saved record.
    void rememberSaved();
    // The next new record, appended right after a new one was saved (inside
    // the lock-retry step): the saved date and, when `keepFields`, the saved
    // corporate number, segment and salesperson; no rooms, rate or revenue.
    void writeNextRecord(bool keepFields);

    // --- Deleting
    // Before the current tracking record is deleted: takes its rooms and
    // revenue out of its account's year-to-date figures.
    AccountCorrection correctAccountForDelete();

    // Cleared when the window is shown.
    void forgetLastCorpNoAndSegment();

    // What the last save remembered.
    struct Remembered {
        db::Date date;
        std::string corpNo, segment, salesId;
    };
    const Remembered& remembered() const { return remembered_; }

private:
    db::Table& sales() const { return *tables_.sales; }
    bool findAccount(const std::string& corpNo);
    void writeZeros();

    TrackingTables tables_;
    TrackingClock clock_;
    Remembered remembered_;
};

}  // namespace vv::tracking
