#include "calls/call_store.h"

#include <utility>
#include <vector>

#include "calls/field_text.h"
#include "db/table.h"

namespace vv::calls {

namespace {

// Passed from the call to its traces as text, field for field.
const std::vector<std::string>& tracedFields(CallForm form) {
    static const std::vector<std::string> window{
        "FILE_CODE", "EVENT_NO", "ACCT_NAME", "ADDR1",   "ADDR2",   "CITY",    "STATE",   "ZIP",
        "C_SAL",     "C_FIRST",  "C_LAST",    "C_PHONE", "C_EXT",   "C_FAX",   "EMAIL",   "TRACE_CODE",
        "U_CODE1",   "U_CODE2",  "U_CODE3",   "U_CODE4", "U_CODE5", "KEY"};
    // The quick call form passes neither the event number nor the user codes.
    static const std::vector<std::string> quick{
        "FILE_CODE", "ACCT_NAME", "ADDR1", "ADDR2", "CITY",  "STATE",      "ZIP", "C_SAL",
        "C_FIRST",   "C_LAST",    "C_PHONE", "C_EXT", "C_FAX", "TRACE_CODE", "EMAIL", "KEY"};
    return form == CallForm::Window ? window : quick;
}

}  // namespace

CallStore::CallStore(db::Table& calls, db::Table& traces, db::Table& traceCodes, CallStoreSetup setup)
    : calls_(calls), traces_(traces), traceCodes_(traceCodes), setup_(std::move(setup)) {}

std::string CallStore::normalisedEventNo(const std::string& shown) {
    if (shown.size() >= 6) return shown.substr(0, 6);
    return std::string(6 - shown.size(), ' ') + shown;
}

std::string CallStore::traceNotes(const std::string& callDate, const std::string& acctName, const std::string& notes) {
    return "Sales Call Notes On - " + callDate + " - For- " + acctName + " - " + notes;
}

void CallStore::beforePost() {
    const std::string trace = calls_.getText("TRACE");
    const std::string callDate = calls_.getText("DATE");
    const std::string notes = calls_.getText("MEMO");

    if (setup_.form == CallForm::Window) calls_.setText("EVENT_NO", normalisedEventNo(calls_.getText("EVENT_NO")));
    const bool newCall = setup_.form == CallForm::QuickCall || setup_.entryKind == 1;
    if (newCall) {
        calls_.setDate("ADDED", setup_.today);
        calls_.setText("ADD_METH", "M");
        calls_.setDate("MODIFIED", setup_.today);
        calls_.setText("KEY", setup_.makeKey());
    } else {
        calls_.setDate("MODIFIED", setup_.today);
    }
    calls_.setText("SOURCE", "SL");
    calls_.setText("POSTED_BY", "999");

    writesTrace_ = !trace.empty() && !calls_.getText("TRACE_CODE").empty() && setup_.traceWanted;
    if (!writesTrace_) return;
    // Read now: the second trace is written after the call is stored.
    values_.clear();
    for (const std::string& field : tracedFields(setup_.form)) values_.emplace_back(field, calls_.getText(field));
    traceDate_ = calls_.getDate("TRACE");
    traceCode_ = calls_.getText("TRACE_CODE");
    salesId_ = calls_.getText("SALES_ID");
    salesId2_ = calls_.getText("SALES_ID2");
    notes_ = traceNotes(callDate, calls_.getText("ACCT_NAME"), notes);
    // A trace left pending by an earlier attempt that failed is not this call's.
    if (traces_.state() != db::Table::State::Browse) traces_.cancel();
    beginTrace(salesId_);
}

void CallStore::beginTrace(const std::string& salesId) {
    traces_.append();
    for (const auto& [field, value] : values_) setFitted(traces_, field, value);
    setFitted(traces_, "SALES_ID", salesId);
    traces_.setDate("TRACE_DATE", traceDate_);
    traces_.setText("STATUS", kTraceOpen);
    traces_.setText("MEMO", notes_);
    traces_.setDate("ADDED", setup_.today);
    traces_.setDate("MODIFIED", setup_.today);
    traces_.setText("ADD_METH", "A");
    setFitted(traces_, "TRACE_DESC", traceDescription(traceCode_));
}

std::string CallStore::traceDescription(const std::string& traceCode) {
    if (!traceCodes_.seek(traceCode)) return kUnknownTraceDescription;
    return "SC-" + traceCodes_.getText("TR_DESC");
}

void CallStore::afterPost() {
    if (!writesTrace_) return;
    if (!salesId2_.empty()) {
        traces_.post();
        beginTrace(salesId2_);
    }
    traces_.post();
}

void CallStore::store() {
    beforePost();
    calls_.post();
    afterPost();
}

}  // namespace vv::calls
