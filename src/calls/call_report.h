// The sales call report: a header on every page (date, hotel, page number,
// title, the four heading lines of the call filter, column titles) and one
// band per call that grows with its notes, the address lines on request.
// The same report serves the Print command and `vekvoro-admin report calls`.
#pragma once

#include <array>
#include <string>

#include <QDate>
#include <QString>

#include "shared/report_document.h"

namespace vv::calls {

inline constexpr const char* kPrintAddressQuestion = "Print Address?";
inline constexpr const char* kPrintAddressCaption = "Print Address on Call Report";

struct CallReportSetup {
    std::string folder;            // the data folder
    std::string indexName = "DATEDESC";  // the order of the calls
    std::string filter;            // xBase; empty: every call
    QString hotelName;             // LocName
    std::array<QString, 4> headings;  // file, dates, call types, salesperson
    bool address = false;          // print ADDR1, CITY, STATE, ZIP under the account
    QDate printed = QDate::currentDate();
};

// The report; its rows are read from SALECALL.DBF (and each call type's
// description from SALECODE.DBF) every time the renderer asks for them.
shared::Report callReport(const CallReportSetup& setup);

}  // namespace vv::calls
