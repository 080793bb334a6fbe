#include "traces/trace_rules.h"

#include <QDate>
#include <QLocale>

#include "calls/field_text.h"
#include "data/catalogue.h"
#include "shared/required_fields.h"
#include "shared/xbase_literal.h"

namespace vv::traces {

namespace {

bool isInsert(const db::Table& t) { return t.state() == db::Table::State::Insert; }

QString text(const db::Table& t, std::string_view field) { return QString::fromStdString(t.getText(field)); }

}  // namespace

TraceUnit& traceUnit() {
    static TraceUnit unit;
    return unit;
}

std::string openTracesFilter() { return "status = 'O'"; }

QString openTracesFilterText(const QString& value) {
    return QStringLiteral("Sales ID = ") + value + QStringLiteral(" and Status=O");
}

bool isOverdue(db::Date traceDate, db::Date today) {
    // An empty date sorts before every day, so it is overdue as well.
    return traceDate.isEmpty() || traceDate < today;
}

const std::vector<std::string>& copiedTraceFields() {
    static const std::vector<std::string> fields{"FILE_CODE", "EVENT_NO", "TRACE_DATE", "TRACE_CODE", "TRACE_DESC",
                                                 "BOOK_NAME", "C_FIRST",  "C_LAST",     "C_PHONE",    "C_EXT",
                                                 "SALES_ID",  "STATUS",   "FROM_ID",    "MEMO"};
    return fields;
}

const std::vector<std::string>& traceRequiredFields() {
    static const std::vector<std::string> fields{"TRACE_CODE", "SALES_ID", "C_LAST", "TRACE_DATE", "FILE_CODE"};
    return fields;
}

std::string lastMissingTraceField(const db::Table& trace) {
    std::string last;
    for (const std::string& field : traceRequiredFields())
        if (shared::RequiredFields::fieldEmpty(trace, field)) last = field;
    return last;
}

std::string alignedEventNo(const std::string& typed) {
    if (typed.size() >= 6) return typed.substr(0, 6);
    return std::string(6 - typed.size(), ' ') + typed;
}

void writeTraceStamps(db::Table& trace, const TraceStamps& stamps) {
    trace.setText("EVENT_NO", alignedEventNo(trace.getText("EVENT_NO")));
    if (stamps.entryKind == 1) {
        trace.setDate("ADDED", stamps.today);
        trace.setText("ADD_METH", "M");
        trace.setText("KEY", stamps.makeKey());
    }
    trace.setDate("MODIFIED", stamps.today);
}

std::string contactLookupFilter(const std::string& fileCode) {
    if (fileCode.empty()) return {};
    return "file_code = " + shared::xbaseLiteral(fileCode);
}

void copyContactInto(db::Table& trace, const std::string& folder, uint32_t recno) {
    auto contacts = db::Table::open(folder, "Contacts");
    if (contacts->isEncrypted()) contacts->enableEncryption(data::kTablePassword);
    contacts->go(recno);
    for (const char* field : {"C_SAL", "C_FIRST", "C_LAST", "ACCT_NAME", "ADDR1", "ADDR2", "CITY", "STATE", "ZIP",
                              "C_PHONE", "C_EXT", "C_FAX", "EMAIL", "SALES_ID"})
        if (contacts->findField(field)) calls::setFitted(trace, field, contacts->getText(field));
}

TraceCheck TraceCodeRules::fileCode(db::Table& trace) const {
    const std::string code = trace.getText("FILE_CODE");
    if (code.empty()) return {};
    db::Table& accounts = *tables_.accounts;
    if (!accounts.seek(code)) {
        trace.setText("FILE_CODE", "");
        return {true, QStringLiteral("Account Not Found!"), QStringLiteral("Invalid File Code")};
    }
    if (!isInsert(trace)) return {};
    for (const char* field : {"ACCT_NAME", "ADDR1", "ADDR2", "CITY", "STATE", "ZIP", "SALES_ID", "U_CODE1", "U_CODE2",
                              "U_CODE3", "U_CODE4", "U_CODE5"})
        calls::setFitted(trace, field, accounts.getText(field));
    return {false, text(accounts, "ACCT_NAME"), {}};
}

TraceCheck TraceCodeRules::salesId(db::Table& trace) const {
    const std::string code = trace.getText("SALES_ID");
    if (code.empty()) return {};
    db::Table& salespeople = *tables_.salespeople;
    if (!salespeople.seek(code)) {
        trace.setText("SALES_ID", "");
        return {true, QStringLiteral("Unknown Salesperson!"), QStringLiteral("Invalid Sales ID")};
    }
    return {false, text(salespeople, "SFIRST").trimmed() + QLatin1Char(' ') + text(salespeople, "SLAST").trimmed(),
            {}};
}

TraceCheck TraceCodeRules::traceCode(db::Table& trace) const {
    const std::string code = trace.getText("TRACE_CODE");
    if (code.empty()) return {};
    db::Table& codes = *tables_.traceCodes;
    if (!codes.seek(code)) {
        trace.setText("TRACE_CODE", "");
        trace.setText("TRACE_DESC", "");
        return {true, std::nullopt, QStringLiteral("Invalid Trace Code")};
    }
    calls::setFitted(trace, "TRACE_DESC", codes.getText("TR_DESC"));
    return {};
}

std::optional<QString> traceDayLabel(db::Date trace, db::Table::State state) {
    if (trace.isEmpty()) return std::nullopt;
    if (state != db::Table::State::Insert) return QString();
    const QDate day(trace.year(), trace.month(), trace.day());
    return QLocale::system().dayName(day.dayOfWeek(), QLocale::LongFormat);
}

CompleteAction completeAction(const std::string& currentStatus) {
    if (currentStatus == kOpen) return CompleteAction::Close;
    if (currentStatus == kClosed) return CompleteAction::Reopen;
    return CompleteAction::None;
}

calls::AddCallPrefill closeTraces(db::Table& traces, const std::vector<db::Table::Bookmark>& bookmarks,
                                  db::Date today, const std::string& user) {
    calls::AddCallPrefill last;
    for (db::Table::Bookmark mark : bookmarks) {
        if (!traces.bookmarkValid(mark)) continue;
        traces.gotoBookmark(mark);
        std::string fileCode = traces.getText("FILE_CODE");
        if (fileCode.size() < 10) fileCode.resize(10, ' ');
        last = {fileCode,
                traces.getText("EVENT_NO"),
                traces.getText("ACCT_NAME"),
                traces.getText("ADDR1"),
                traces.getText("ADDR2"),
                traces.getText("CITY"),
                traces.getText("STATE"),
                traces.getText("ZIP"),
                traces.getText("C_SAL"),
                traces.getText("C_FIRST"),
                traces.getText("C_LAST"),
                traces.getText("C_PHONE"),
                traces.getText("C_EXT"),
                traces.getText("C_FAX"),
                traces.getText("EMAIL"),
                traces.getText("SALES_ID")};
        traces.edit();
        traces.setDate("COMP_DATE", today);
        traces.setText("COMP_BY", user);
        traces.setText("STATUS", kClosed);
        traces.setDate("MODIFIED", today);
        traces.post();
    }
    return last;
}

void reopenTraces(db::Table& traces, const std::vector<db::Table::Bookmark>& bookmarks, db::Date today) {
    for (db::Table::Bookmark mark : bookmarks) {
        if (!traces.bookmarkValid(mark)) continue;
        traces.gotoBookmark(mark);
        traces.edit();
        traces.setText("COMP_DATE", "");
        traces.setText("COMP_BY", "");
        traces.setText("STATUS", kOpen);
        traces.setDate("MODIFIED", today);
        traces.post();
    }
}

}  // namespace vv::traces
