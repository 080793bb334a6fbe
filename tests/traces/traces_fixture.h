// A small data folder for the traces tests: the sales calls folder (accounts,
// contacts, code tables, Letters.dbf) with a few traces, indexed.
#pragma once

#include <filesystem>
#include <string>

#include "calls/calls_fixture.h"

namespace vv::test {

// Traces on 07/10/24 (open, ACME), 07/15/24 (closed, BOLT) and 07/20/24 (open, ACME).
inline void makeTracesFolder(const std::string& dir) {
    makeCallsFolder(dir);
    std::filesystem::remove(dir + "/TRACES.CDX");  // the empty table's tags, made again below
    fillTable(dir, "TRACES.DBF",
              {{{"FILE_CODE", "ACME"}, {"EVENT_NO", "    12"}, {"TRACE_DATE", "07/10/24"}, {"TRACE_CODE", "FU"},
                {"TRACE_DESC", "Follow up"}, {"ACCT_NAME", "Acme Travel"}, {"C_SAL", "Ms."}, {"C_FIRST", "Jane"},
                {"C_LAST", "Doe"}, {"ADDR1", "PO Box 7"}, {"CITY", "Reno"}, {"STATE", "NV"}, {"ZIP", "89502"},
                {"C_PHONE", "555-0101"}, {"EMAIL", "jane@acme.example"}, {"SALES_ID", "ABC"}, {"STATUS", "O"},
                {"KEY", "000000000000001"}, {"BOOK_NAME", "Summer"}, {"FROM_ID", "XYZ"}, {"MEMO", "Call back"}},
               {{"FILE_CODE", "BOLT"}, {"TRACE_DATE", "07/15/24"}, {"TRACE_CODE", "FU"}, {"ACCT_NAME", "Bolt & Sons"},
                {"C_FIRST", "Bob"}, {"C_LAST", "Bolt"}, {"SALES_ID", "XYZ"}, {"STATUS", "C"},
                {"COMP_DATE", "07/01/24"}, {"COMP_BY", "XYZ"}, {"KEY", "000000000000002"}},
               {{"FILE_CODE", "ACME"}, {"TRACE_DATE", "07/20/24"}, {"TRACE_CODE", "FU"}, {"C_LAST", "Doe"},
                {"SALES_ID", "ABC"}, {"STATUS", "O"}, {"KEY", "000000000000003"}}});
    indexTable(dir, "TRACES.DBF");
}

}  // namespace vv::test
