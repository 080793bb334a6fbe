// The rules of entering a sales call, without the widgets: the unit-wide
// values of the sales calls window, what Copy carries over, when a stored
// call writes a trace, the required fields in OkToSave's order, the trace
// date's weekday, and the exit checks of the code fields against their code
// tables. The sales calls window and the quick call form apply them; the
// form differs only where CallForm says so.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "db/date.h"
#include "db/table.h"

namespace vv::calls {

enum class CallForm {
    Window,     // the sales calls window
    QuickCall,  // the quick call form: always a new call, stricter file code, fewer copied fields
};

// Values shared by every sales calls window, outliving them.
struct CallUnit {
    int entryKind = 0;          // 1 new call (Add, Copy), 2 existing call (Edit)
    bool traceWanted = false;   // storing may write traces
    QString filterText;         // shown under the grid
    std::array<QString, 4> reportHeaders;  // file, dates, call types, salesperson
};
CallUnit& callUnit();

// The fields Copy carries from the current call into the new one, in order.
const std::vector<std::string>& copiedCallFields();

// Edit wants traces only for a call that has neither trace date nor trace code.
bool traceWantedOnEdit(const db::Table& calls);

// One condition of OkToSave: fails when `missing` holds for the call, and
// then the focus goes to `focusField`.
struct RequiredCondition {
    std::string focusField;
    std::function<bool(const db::Table& call)> missing;
};
// In OkToSave's order; a trace date and a trace code only together.
const std::vector<RequiredCondition>& callRequiredConditions();
// The focus field of the last failing condition; empty when the call may be stored.
std::string lastMissingField(const db::Table& call);

// What the trace date's exit puts into the weekday label: the day's full
// name in insert state, empty in any other state; nullopt (keep the label)
// when there is no date.
std::optional<QString> traceDayLabel(db::Date trace, db::Table::State state);

// The contact pick: the contacts offered are those of the call's account
// (all contacts when the call has no file code); the chosen contact record
// `recno` of CONTACTS.DBF in `folder` then fills the call's contact fields.
std::string contactLookupFilter(const std::string& fileCode);
void copyContactInto(db::Table& call, const std::string& folder, uint32_t recno);

// The code tables the exit checks look codes up in, each on its code's tag
// (FILE_CODE, SALES_ID, SALE_CODE, TR_CODE).
struct CallCodeTables {
    db::Table* accounts = nullptr;
    db::Table* salespeople = nullptr;
    db::Table* callTypes = nullptr;
    db::Table* traceCodes = nullptr;
};

// The outcome of one lookup: found or not, and what the description label
// shows when found (nullopt: the label is left as it is).
struct CodeLookup {
    bool found = false;
    std::optional<QString> label;
};

// The exit checks' lookups. A found code may copy fields into the call.
class CallCodeRules {
public:
    CallCodeRules(CallCodeTables tables, CallForm form) : tables_(tables), form_(form) {}

    // A new call copies the account's name, address and salesperson (the
    // window also its segment and user codes) and shows the name; editing
    // changes nothing.
    CodeLookup fileCode(db::Table& call, const std::string& code) const;
    // An unknown file code is refused while editing (always in the quick
    // call form); a new call in the window keeps it.
    bool fileCodeRejected(db::Table::State state) const;

    CodeLookup salesId(const db::Table& call, const std::string& code) const;     // name in any state
    CodeLookup salesId2(const db::Table& call, const std::string& code) const;    // name when new
    CodeLookup callType(const db::Table& call, const std::string& code) const;    // SALE_DESC when new
    CodeLookup traceCode(const db::Table& call, const std::string& code) const;   // TR_DESC when new

    // "First Last" of a salesperson record, each part trimmed.
    static QString salespersonName(const db::Table& salespeople);

private:
    CodeLookup salesperson(bool labelApplies, const std::string& code) const;

    CallCodeTables tables_;
    CallForm form_;
};

}  // namespace vv::calls
