// An account's year-to-date figures and what deleting one of its tracking
// records does to them: the record's rooms and revenue are taken back and
// the average daily rate follows. The figures are exact (money in cents),
// so taking back everything that was added leaves exact zeros.
#pragma once

#include <cstdint>

#include "db/date.h"
#include "tracking/money.h"

namespace vv::db {
class Table;
}

namespace vv::tracking {

// ACCOUNT.DBF's YTD_ROOMS, YTD_RMREV, YTD_ADR.
struct YearToDate {
    int64_t rooms = 0;
    Money revenue;
    Money averageRate;

    friend bool operator==(const YearToDate&, const YearToDate&) = default;
};

// The deleted record's DATE, ROOMS and RMREV.
struct TrackedDay {
    db::Date date;
    int64_t rooms = 0;
    Money revenue;
};

// Takes `day` back out of `ytd`. The rate is revenue over rooms while both
// stay above zero, 0 once no room is left, and unchanged otherwise (rooms or
// revenue below zero: figures the full edition will put right).
YearToDate withoutDay(YearToDate ytd, const TrackedDay& day);

// Reads and writes the account table's current record; the writer also sets
// LAST_BOOK, LAST_RMS and LAST_REV to the deleted day (it needs the edit state).
YearToDate readYearToDate(const db::Table& accounts);
void writeDeletion(db::Table& accounts, const TrackedDay& day, const YearToDate& ytd);

}  // namespace vv::tracking
