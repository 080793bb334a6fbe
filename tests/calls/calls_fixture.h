// A small data folder for the sales calls tests: accounts, contacts, code
// tables with their tags, a few calls, and Letters.dbf.
#pragma once

#include <string>

#include "shared/shared_fixture.h"

namespace vv::test {

inline void makeCallsFolder(const std::string& dir) {
    fillTable(dir, "ACCOUNT.DBF",
              {{{"FILE_CODE", "ACME"},
                {"ACCT_NAME", "Acme Travel"},
                {"ADDR1", "1 Long Account Address Line Of Forty"},
                {"CITY", "Reno"},
                {"STATE", "NV"},
                {"ZIP", "89501"},
                {"SALES_ID", "ABC"},
                {"SEGMENT", "CO"},
                {"U_CODE1", "U1"},
                {"U_CODE5", "U5"}},
               {{"FILE_CODE", "BOLT"}, {"ACCT_NAME", "Bolt & Sons"}, {"SALES_ID", "XYZ"}}});
    fillTable(dir, "CONTACTS.DBF",
              {{{"FILE_CODE", "ACME"}, {"C_SAL", "Ms."}, {"C_FIRST", "Jane"}, {"C_LAST", "Doe"}, {"C_TITLE", "Buyer"},
                {"ADDR1", "PO Box 7"}, {"CITY", "Reno"}, {"STATE", "NV"}, {"ZIP", "89502"}, {"C_PHONE", "555-0101"},
                {"EMAIL", "jane@acme.example"}},
               {{"FILE_CODE", "BOLT"}, {"C_FIRST", "Bob"}, {"C_LAST", "Bolt"}}});
    fillTable(dir, "MASTPER.DBF",
              {{{"SALES_ID", "ABC"}, {"SFIRST", "Ann"}, {"SLAST", "Baker"}, {"TITLE", "Director of Sales"}},
               {{"SALES_ID", "XYZ"}, {"SFIRST", "Xavier"}, {"SLAST", "Young"}}});
    fillTable(dir, "SALECODE.DBF",
              {{{"SALE_CODE", "TEL"}, {"SALE_DESC", "Telephone call"}}, {{"SALE_CODE", "VIS"}, {"SALE_DESC", "Visit"}}});
    fillTable(dir, "TRACCODE.DBF", {{{"TR_CODE", "FU"}, {"TR_DESC", "Follow up"}}});
    fillTable(dir, "LETTERS.DBF", {{{"FILE_NAME", "thanks.txt"}}, {{"FILE_NAME", "visit.odt"}}});
    fillTable(dir, "TRACES.DBF", {});
    fillTable(dir, "SALECALL.DBF",
              {{{"FILE_CODE", "BOLT"}, {"ACCT_NAME", "Bolt & Sons"}, {"DATE", "03/04/24"}, {"CALL_TYPE", "TEL"},
                {"SALES_ID", "XYZ"}, {"C_LAST", "Bolt"}, {"MEMO", "Older call"}},
               {{"FILE_CODE", "ACME"}, {"ACCT_NAME", "Acme Travel"}, {"DATE", "05/06/24"}, {"CALL_TYPE", "VIS"},
                {"SALES_ID", "ABC"}, {"C_SAL", "Ms."}, {"C_FIRST", "Jane"}, {"C_LAST", "Doe"}, {"ADDR1", "PO Box 7"},
                {"CITY", "Reno"}, {"STATE", "NV"}, {"ZIP", "89502"}, {"TRACE", "06/01/24"}, {"TRACE_CODE", "FU"},
                {"MEMO", "Newest call"}}});
    for (const char* file : {"ACCOUNT.DBF", "CONTACTS.DBF", "MASTPER.DBF", "SALECODE.DBF", "TRACCODE.DBF",
                             "TRACES.DBF", "SALECALL.DBF"})
        indexTable(dir, file);
}

}  // namespace vv::test
