// What a quick call updates in its account: the date of the last call, and
// the next trace date when the new call's trace comes sooner than the
// account's next one (or the account's has passed, or it has none).
#pragma once

#include <string>

#include "db/date.h"

namespace vv::db {
class Table;
}

namespace vv::calls {

inline constexpr const char* kStatisticNotUpdated = "Account Statistic Not Updated!";

// Whether the account's next trace `current` gives way to the call's trace
// date `trace`. An account without one takes the call's, even an empty one.
bool nextTraceReplaced(db::Date current, db::Date trace, db::Date today);

// Seeks `fileCode` in `accounts` (on its FILE_CODE tag); when found, stores
// LAST_CALL = callDate and then, when nextTraceReplaced, NEXT_TRACE = trace.
// False when the account is not there.
bool updateAccountStatistics(db::Table& accounts, const std::string& fileCode, db::Date callDate, db::Date trace,
                             db::Date today);

}  // namespace vv::calls
