// What the trace filter dialog builds from its boxes once the user presses
// OK: the filter expression for the traces table, the text shown under the
// grid and the trace report's four heading lines (file, dates, trace types,
// salesperson). Criteria are taken in a fixed order; a completion date range
// overrides a trace date range on the dates line.
#pragma once

#include <array>

#include <QString>

#include "db/date.h"
#include "shared/filter_result.h"

namespace vv::traces {

// The dialog's boxes as typed (the dialog forces them to upper case).
struct TraceFilterEntries {
    QString fileCode;
    QString eventNo;
    QString lastName;
    db::Date begin;  // trace date range; empty: open at that end
    db::Date end;
    QString salesId;
    QString traceCode;
    db::Date completedBegin;  // completion date range
    db::Date completedEnd;
    QString status;
};

inline constexpr const char* kAllTraces = "All Traces";
inline constexpr const char* kTraceFilterCaption = "Trace Filter";

// The heading lines of a report over every trace.
std::array<QString, 4> allTracesHeadings();

// The results of OK: an empty expression when nothing was filled in. The
// event number is right-aligned to the field's six characters, so "12" finds
// event "    12"; literals take a delimiter their text does not contain, so
// any typed text filters.
shared::FilterResult buildTraceFilter(const TraceFilterEntries& entries);

}  // namespace vv::traces
