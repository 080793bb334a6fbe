// The tracking filter without its dialog: from a corporate number and a
// range of dates, the xBase expression the tracking window sets on
// SALES.DBF and the sentence it shows under its list.
//
//   begin 03/01/05, end 03/31/05  ->  dtos(date) >= '20050301' .and. dtos(date) <= '20050331'
//                                     "Dates Between 3/1/05 and 3/31/05"
//   corp ABC                      ->  corp_no = 'ABC'      "Corp No = ABC"
//   nothing                       ->  (empty)               "All Tracking Transactions"
//
// Both bounds are inclusive, although the sentences say "Later Than" and
// "Earlier Than".
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "db/date.h"

namespace vv::tracking {

inline constexpr const char* kAllTrackingTransactions = "All Tracking Transactions";

struct TrackingFilterEntries {
    db::Date begin;      // empty: no lower bound
    db::Date end;        // empty: no upper bound
    std::string corpNo;  // as typed; blanks alone are no corporate number
};

struct TrackingFilterTexts {
    std::string expression;  // empty: no filter
    QString description;
};

// How a date reads in the description.
using DescribeDate = std::function<QString(db::Date)>;

// The system's short date format.
QString shortDate(db::Date date);

TrackingFilterTexts buildTrackingFilter(const TrackingFilterEntries& entries,
                                        const DescribeDate& describeDate = shortDate);

}  // namespace vv::tracking
