#include "tracking/tracking_entry.h"

#include "db/table.h"
#include "tracking/account_totals.h"
#include "tracking/money.h"

namespace vv::tracking {

namespace {

bool blank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// The account fields a tracking record carries, by the same name in both tables.
const char* const kAccountValues[] = {"PARENT_ID", "U_CODE1", "U_CODE2", "U_CODE3",
                                      "U_CODE4",   "U_CODE5", "STATE",   "ZIP"};

}  // namespace

TrackingEntry::TrackingEntry(TrackingTables tables, TrackingClock clock)
    : tables_(tables), clock_(std::move(clock)) {}

void TrackingEntry::writeZeros() {
    sales().setText("RATE_TIER", "0");
    writeWhole(sales(), "ROOMS", 0);
    writeMoney(sales(), "RMREV", Money());
    writeMoney(sales(), "RATE", Money());
}

void TrackingEntry::writeNewRecord(const std::string& locCode) {
    sales().setText("LOCCODE", locCode);
    sales().setDate("DATE", clock_.today().addDays(-1));
    sales().setText("CORP_NO", remembered_.corpNo);
    sales().setText("SEGMENT", remembered_.segment);
    writeZeros();
}

void TrackingEntry::fillBlanks() {
    if (sales().isBlank("ROOMS")) writeWhole(sales(), "ROOMS", 0);
    if (sales().isBlank("RMREV")) writeMoney(sales(), "RMREV", Money());
    if (sales().isBlank("RATE")) writeMoney(sales(), "RATE", Money());
    if (blank(sales().getText("RATE_TIER"))) sales().setText("RATE_TIER", "0");
}

bool TrackingEntry::findAccount(const std::string& corpNo) {
    return !blank(corpNo) && tables_.accounts->seek(corpNo);
}

CorpNoCheck TrackingEntry::checkCorpNo(int entryKind) {
    CorpNoCheck result;
    const std::string corpNo = sales().getText("CORP_NO");
    if (blank(corpNo)) return result;
    const bool adding = entryKind == kNewRecord;
    if (!findAccount(corpNo)) {
        result.outcome = CorpNoCheck::Outcome::NotFound;
        sales().setText("CORP_NO", "");
        if (adding) sales().setText("SALES_ID", "");
        return result;
    }
    const db::Table& account = *tables_.accounts;
    result.outcome = CorpNoCheck::Outcome::Found;
    result.accountName = account.getText("ACCT_NAME");
    if (adding) {
        sales().setText("SALES_ID", account.getText("SALES_ID"));
        if (blank(sales().getText("SEGMENT"))) sales().setText("SEGMENT", account.getText("SEGMENT"));
    }
    return result;
}

SegmentCheck TrackingEntry::checkSegment() {
    SegmentCheck result;
    const std::string segment = sales().getText("SEGMENT");
    if (blank(segment)) return result;
    if (!tables_.segments->seek(segment)) {
        result.outcome = SegmentCheck::Outcome::NotFound;
        sales().setText("SEGMENT", "");
        return result;
    }
    result.outcome = SegmentCheck::Outcome::Found;
    if (!findAccount(sales().getText("CORP_NO"))) return result;
    result.accountSegment = tables_.accounts->getText("SEGMENT");
    result.outcome = result.accountSegment == segment ? SegmentCheck::Outcome::MatchesAccount
                                                      : SegmentCheck::Outcome::DiffersFromAccount;
    return result;
}

bool TrackingEntry::rateCodeKnown(const std::string& code) {
    if (!tables_.rateCodes) return true;
    return !blank(code) && tables_.rateCodes->seek(code);
}

void TrackingEntry::writeSaveValues(int entryKind, const std::string& locCode, const std::string& userId) {
    db::Table& record = sales();
    record.setText("LOCCODE", locCode);
    const std::string segment = record.getText("SEGMENT");
    if (!blank(segment) && tables_.segments->seek(segment))
        record.setText("SEG_TYPE", tables_.segments->getText("TYPE"));
    writeMoney(record, "RMREV", readMoney(record, "RATE").times(readWhole(record, "ROOMS")));

    const bool accountFound = findAccount(record.getText("CORP_NO"));
    for (const char* field : kAccountValues)
        record.setText(field, accountFound ? tables_.accounts->getText(field) : std::string());

    record.setText("POST_METH", "M");
    record.setText("USER", userId);
    const db::Date today = clock_.today();
    if (entryKind == kNewRecord) {
        record.setDate("ADDED", today);
        record.setText("ADD_METH", "M");
        record.setDate("MODIFIED", today);
        record.setText("SOURCE", "SL");
        record.setText("KEY", db::makeRecordKey(clock_.keys));
    } else if (entryKind == kExistingRecord) {
        record.setDate("MODIFIED", today);
    }
}

void TrackingEntry::rememberSaved() {
    remembered_.date = sales().getDate("DATE");
    remembered_.corpNo = sales().getText("CORP_NO");
    remembered_.segment = sales().getText("SEGMENT");
    remembered_.salesId = sales().getText("SALES_ID");
}

void TrackingEntry::writeNextRecord(bool keepFields) {
    sales().setDate("DATE", remembered_.date);
    if (keepFields) {
        sales().setText("CORP_NO", remembered_.corpNo);
        sales().setText("SEGMENT", remembered_.segment);
        sales().setText("SALES_ID", remembered_.salesId);
    }
    writeZeros();
}

AccountCorrection TrackingEntry::correctAccountForDelete() {
    const std::string corpNo = sales().getText("CORP_NO");
    if (blank(corpNo)) return AccountCorrection::NoCorpNo;
    if (!findAccount(corpNo)) return AccountCorrection::NotFound;
    const TrackedDay day{sales().getDate("DATE"), readWhole(sales(), "ROOMS"), readMoney(sales(), "RMREV")};
    db::Table& account = *tables_.accounts;
    account.edit();
    try {
        writeDeletion(account, day, withoutDay(readYearToDate(account), day));
        account.post();
    } catch (...) {
        account.cancel();
        throw;
    }
    return AccountCorrection::Corrected;
}

void TrackingEntry::forgetLastCorpNoAndSegment() {
    remembered_.corpNo.clear();
    remembered_.segment.clear();
}

}  // namespace vv::tracking
