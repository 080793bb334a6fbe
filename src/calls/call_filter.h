// What the call filter dialog builds from its entries once the user presses
// OK: the filter expression the sales calls window sets on its table, the
// one-line text shown under the grid and the report's four heading lines.
// Criteria are taken in a fixed order; the first one found writes its text
// in the "first" form, every later one in the "later" form.
#pragma once

#include <array>

#include <QString>

#include "db/date.h"
#include "shared/filter_result.h"
#include "shared/settings.h"

namespace vv::calls {

// The dialog's entries as typed (the dialog forces them to upper case).
struct CallFilterEntries {
    db::Date begin;  // empty: no begin date
    db::Date end;
    QString fileCode;
    QString acctName;
    QString lastName;
    QString salesId;
    QString callType;
    QString addr1;
    QString addr2;
    QString city;
    QString segment;
    std::array<QString, 5> userCodes;  // U_CODE1 ... U_CODE5
};

// The heading lines when nothing narrows them.
inline constexpr const char* kAllFiles = "File: All Files";
inline constexpr const char* kAllDates = "Dates: All Dates";
inline constexpr const char* kAllCallTypes = "Call Types: All Call Types";
inline constexpr const char* kAllSalespersons = "Salesperson: All Salespersons";
inline constexpr const char* kAllCalls = "All Calls";

// The results of OK: an empty expression when nothing was filled in. The
// user field captions name the user codes in the filter text. Literals take
// a delimiter their text does not contain, so any typed text filters.
shared::FilterResult buildCallFilter(const CallFilterEntries& entries,
                                     const shared::UserFieldCaptions& userFieldLabels);

// The heading lines of a report over every call.
std::array<QString, 4> allCallsHeadings();

}  // namespace vv::calls
