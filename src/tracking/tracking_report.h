// The report "Sales Tracking Transactions": the tracking records in a given
// order and under a given filter, one line each (date, corporate number,
// rooms, rate, revenue, segment, post method), with the total rooms and
// revenue at the end. The tracking window prints it over its list; the
// command-line report writes it to a PDF file.
#pragma once

#include <string>

#include "shared/report_document.h"

namespace vv::db {
class Table;
}

namespace vv::tracking {

inline constexpr const char* kTrackingReportTitle = "Sales Tracking Transactions";

// The report over SALES.DBF in `folder`, ordered by tag `indexName` (empty:
// record order) and filtered by `filter` (empty: none). The rows are read
// here, through a view of its own, so the caller's current record stays
// where it is and an engine error (a table that cannot be opened, a filter
// that does not compile) is raised here rather than while painting.
shared::Report trackingReport(const std::string& folder, const std::string& indexName, const std::string& filter);

// One row as the report prints it, from the table's current record. The
// totals add up "ROOMS" and "RMREV_CENTS" (exact whole cents).
shared::ReportRow trackingReportRow(const db::Table& sales);

}  // namespace vv::tracking
