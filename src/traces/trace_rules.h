// The rules of the traces window without its widgets: the unit-wide values,
// the open-traces filter the menu opens with, which rows are overdue, what
// Copy carries, the required fields in OkToSave's order, the exit checks of
// the code fields, storing a trace with its stamps, and Complete closing or
// re-opening a set of traces.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "calls/add_call_form.h"
#include "db/date.h"
#include "db/table.h"

namespace vv::traces {

inline constexpr const char* kOpen = "O";
inline constexpr const char* kClosed = "C";

// Values shared by every traces window, outliving them.
struct TraceUnit {
    int entryKind = 0;                     // 1 new trace (Add, Copy), 2 existing trace (Edit)
    QString filterText;                    // TraceFilterText
    std::array<QString, 4> reportHeaders;  // file, dates, trace types, salesperson
};
TraceUnit& traceUnit();

// What the menu's window opens on: every open trace.
std::string openTracesFilter();
// The filter label for a salesperson `value` (the menu passes an empty one).
QString openTracesFilterText(const QString& value);

// Drawn in red: a trace date before today, or none at all. The status does
// not matter; a trace due today is not overdue.
bool isOverdue(db::Date traceDate, db::Date today);

// The fields Copy carries from the current trace into the new one, in order.
const std::vector<std::string>& copiedTraceFields();

// OkToSave's list, in order; the focus goes to the last failing field.
const std::vector<std::string>& traceRequiredFields();
std::string lastMissingTraceField(const db::Table& trace);

// EVENT_NO as stored: right-aligned in 6 characters; a longer one keeps its first 6.
std::string alignedEventNo(const std::string& typed);

// OK's stamps, written just before Post. A new trace (entry kind 1) gets
// ADDED, ADD_METH "M", MODIFIED and a new KEY; an edited one only
// MODIFIED and keeps its KEY, so the export never sends it twice.
struct TraceStamps {
    int entryKind = 1;
    db::Date today;
    std::function<std::string()> makeKey;
};
void writeTraceStamps(db::Table& trace, const TraceStamps& stamps);

// The contact pick: the contacts of the trace's account (all when it has
// none); the chosen contact record `recno` of CONTACTS.DBF in `folder` then
// fills the trace's contact, account name, address and salesperson.
std::string contactLookupFilter(const std::string& fileCode);
void copyContactInto(db::Table& trace, const std::string& folder, uint32_t recno);

// The code tables of the exit checks, each on its code's tag (FILE_CODE, SALES_ID, TR_CODE).
struct TraceCodeTables {
    db::Table* accounts = nullptr;
    db::Table* salespeople = nullptr;
    db::Table* traceCodes = nullptr;
};

// One exit check's outcome. A rejected code: the field (and for the trace
// code its description) is emptied, `label` tells the description label,
// and `error` is raised with the focus back in the field.
struct TraceCheck {
    bool rejected = false;
    std::optional<QString> label;  // nullopt: the label stays as it is
    QString error;
};

class TraceCodeRules {
public:
    explicit TraceCodeRules(TraceCodeTables tables) : tables_(tables) {}

    // A new trace copies the account's name, address, salesperson and user
    // codes and shows the name; an existing one is left alone. Unknown codes
    // are refused in either state.
    TraceCheck fileCode(db::Table& trace) const;
    // Shows the salesperson's name in any state.
    TraceCheck salesId(db::Table& trace) const;
    // Fills TRACE_DESC from the code table, also while editing.
    TraceCheck traceCode(db::Table& trace) const;

private:
    TraceCodeTables tables_;
};

// What the trace date's exit shows: the weekday's name in insert state,
// empty otherwise; nullopt (label kept) when there is no date.
std::optional<QString> traceDayLabel(db::Date trace, db::Table::State state);

// Complete: the current trace's status decides.
enum class CompleteAction { Close, Reopen, None };
CompleteAction completeAction(const std::string& currentStatus);

// Closes (or re-opens) the traces at `bookmarks` that are still valid,
// each edited and posted in turn; an engine error ends it at that trace.
// Closing stamps COMP_DATE today and COMP_BY `user` and returns what the
// "Add New Sales Call?" hand-over passes to the quick call form: the values
// of the last trace closed (file code padded to 10; empty when none was).
// Re-opening empties the completion stamps.
calls::AddCallPrefill closeTraces(db::Table& traces, const std::vector<db::Table::Bookmark>& bookmarks, db::Date today,
                         const std::string& user);
void reopenTraces(db::Table& traces, const std::vector<db::Table::Bookmark>& bookmarks, db::Date today);

}  // namespace vv::traces
