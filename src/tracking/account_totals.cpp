#include "tracking/account_totals.h"

#include "db/table.h"

namespace vv::tracking {

YearToDate withoutDay(YearToDate ytd, const TrackedDay& day) {
    ytd.rooms -= day.rooms;
    ytd.revenue = ytd.revenue - day.revenue;
    if (ytd.revenue > Money() && ytd.rooms > 0) ytd.averageRate = ytd.revenue.dividedBy(ytd.rooms);
    if (ytd.rooms == 0) ytd.averageRate = Money();
    return ytd;
}

YearToDate readYearToDate(const db::Table& accounts) {
    return {readWhole(accounts, "YTD_ROOMS"), readMoney(accounts, "YTD_RMREV"), readMoney(accounts, "YTD_ADR")};
}

void writeDeletion(db::Table& accounts, const TrackedDay& day, const YearToDate& ytd) {
    accounts.setDate("LAST_BOOK", day.date);
    writeWhole(accounts, "LAST_RMS", day.rooms);
    writeMoney(accounts, "LAST_REV", day.revenue);
    writeWhole(accounts, "YTD_ROOMS", ytd.rooms);
    writeMoney(accounts, "YTD_RMREV", ytd.revenue);
    writeMoney(accounts, "YTD_ADR", ytd.averageRate);
}

}  // namespace vv::tracking
