#include "calls/account_statistics.h"

#include "db/table.h"

namespace vv::calls {

bool nextTraceReplaced(db::Date current, db::Date trace, db::Date today) {
    if (current.isEmpty()) return true;
    if (current < today && trace > current) return true;
    return current > today && trace > today && trace < current;
}

bool updateAccountStatistics(db::Table& accounts, const std::string& fileCode, db::Date callDate, db::Date trace,
                             db::Date today) {
    if (!accounts.seek(fileCode)) return false;
    accounts.edit();
    accounts.setDate("LAST_CALL", callDate);
    accounts.post();
    if (nextTraceReplaced(accounts.getDate("NEXT_TRACE"), trace, today)) {
        accounts.edit();
        accounts.setDate("NEXT_TRACE", trace);
        accounts.post();
    }
    return true;
}

}  // namespace vv::calls
