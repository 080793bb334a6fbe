// The trace report: a header on every page (date, page number, hotel name,
// "Trace Report", the four heading lines of the trace filter, column titles)
// and one band per trace that grows with its notes. The same report serves
// the Print command and `vekvoro-admin report traces`.
#pragma once

#include <array>
#include <string>

#include <QDate>
#include <QString>

#include "shared/report_document.h"

namespace vv::traces {

struct TraceReportSetup {
    std::string folder;               // the data folder
    std::string indexName = "DATE";   // the order of the traces
    std::string filter;               // xBase; empty: every trace
    QString hotelName;                // LocName
    std::array<QString, 4> headings;  // file, dates, trace types, salesperson
    QDate printed = QDate::currentDate();
};

// The report; its rows are read from TRACES.DBF every time the renderer asks for them.
shared::Report traceReport(const TraceReportSetup& setup);

}  // namespace vv::traces
