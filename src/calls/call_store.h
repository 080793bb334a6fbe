// Storing a sales call: the normalised event number, the stamps of a new or
// an existing call, and the open traces it writes to TRACES.DBF for its
// salesperson and, when it has one, its CC salesperson. The order matters
// to what a failure leaves behind: the first trace is begun before the call
// is stored and stored after it, so a call that cannot be stored leaves no
// trace, and a trace that cannot be stored leaves the call stored.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "calls/call_entry_rules.h"
#include "db/date.h"

namespace vv::db {
class Table;
}

namespace vv::calls {

inline constexpr const char* kTraceOpen = "O";
inline constexpr const char* kUnknownTraceDescription = "SC-Unknown Trace";

struct CallStoreSetup {
    CallForm form = CallForm::Window;
    int entryKind = 1;         // 1 new call, 2 existing call (the quick call form: always 1)
    bool traceWanted = true;   // the unit's trace flag
    db::Date today;
    std::function<std::string()> makeKey;  // a new record key (db::makeRecordKey)
};

class CallStore {
public:
    // `calls` holds the pending call (insert or edit state); `traceCodes` is
    // on its TR_CODE tag. The tables must outlive the store.
    CallStore(db::Table& calls, db::Table& traces, db::Table& traceCodes, CallStoreSetup setup);

    // Before the call is posted: event number, stamps, and the first trace
    // begun (not yet stored) when one is due.
    void beforePost();
    // After the call is posted: the CC salesperson's trace, and the traces stored.
    void afterPost();
    // All of it, posting the call in between.
    void store();

    // Whether this call writes traces: a trace date, a trace code and the unit's flag.
    bool writesTrace() const { return writesTrace_; }

    // EVENT_NO as stored: right-aligned in 6 characters, cut to 6.
    static std::string normalisedEventNo(const std::string& shown);
    // The trace's notes: where they come from and the call's own notes.
    static std::string traceNotes(const std::string& callDate, const std::string& acctName, const std::string& notes);

private:
    void beginTrace(const std::string& salesId);
    std::string traceDescription(const std::string& traceCode);

    db::Table& calls_;
    db::Table& traces_;
    db::Table& traceCodes_;
    CallStoreSetup setup_;
    bool writesTrace_ = false;
    // What the traces receive, read before the call is stored.
    std::vector<std::pair<std::string, std::string>> values_;
    db::Date traceDate_;
    std::string traceCode_;
    std::string salesId_;
    std::string salesId2_;
    std::string notes_;
};

}  // namespace vv::calls
