// A small data folder for the tracking tests: two accounts (encrypted, as
// the program ships them), market segments, rate codes, salespeople and four
// tracking records, all indexed with the catalogue's tags.
#pragma once

#include <memory>
#include <string>

#include "db/table.h"
#include "shared/settings.h"
#include "shared/shared_fixture.h"
#include "support/temp_dir.h"

namespace vv::test {

// The tracking records, in record order.
//   1  03/02/24  C100  10 rooms at 100.00 = 1000.00  CORP  AB
//   2  03/01/24  C200   3 rooms at  33.37 =  100.11  GOVT  CD
//   3  03/03/24  (no account)  2 at 50.00 = 100.00   LEIS  AB
//   4  03/04/24  C999 (no such account)  1 at 80.00  CORP  AB
class TrackingFolder {
public:
    TrackingFolder() {
        const std::string f = dir_.str();
        fillTable(f, "ACCOUNT.DBF",
                  {{{"CORP_NO", "C100"}, {"ACCT_NAME", "Acme Travel"}, {"SALES_ID", "AB"}, {"SEGMENT", "CORP"},
                    {"PARENT_ID", "P1"}, {"U_CODE1", "U1"}, {"U_CODE5", "U5"}, {"STATE", "NY"}, {"ZIP", "10001"},
                    {"YTD_ROOMS", "10"}, {"YTD_RMREV", "1000.00"}, {"YTD_ADR", "100.00"}},
                   {{"CORP_NO", "C200"}, {"ACCT_NAME", "Bolt & Sons"}, {"SALES_ID", "CD"}, {"SEGMENT", "GOVT"},
                    {"PARENT_ID", "P2"}, {"STATE", "CA"}, {"ZIP", "90001"}, {"YTD_ROOMS", "13"},
                    {"YTD_RMREV", "1300.11"}, {"YTD_ADR", "100.01"}}});
        fillTable(f, "MASTSEG.DBF",
                  {{{"SEGMENT", "CORP"}, {"SEGNAME", "Corporate"}, {"TYPE", "T"}},
                   {{"SEGMENT", "GOVT"}, {"SEGNAME", "Government"}, {"TYPE", "G"}},
                   {{"SEGMENT", "LEIS"}, {"SEGNAME", "Leisure"}, {"TYPE", "L"}}});
        fillTable(f, "RATECODE.DBF", {{{"CODE", "RACK"}, {"DESC", "Rack rate"}}, {{"CODE", "CORP"}, {"DESC", "Corporate"}}});
        fillTable(f, "MASTPER.DBF", {{{"SALES_ID", "AB"}, {"SFIRST", "Ann"}, {"SLAST", "Baker"}},
                                     {{"SALES_ID", "CD"}, {"SFIRST", "Carl"}, {"SLAST", "Dunn"}}});
        fillTable(f, "SALES.DBF",
                  {{{"DATE", "03/02/24"}, {"CORP_NO", "C100"}, {"ROOMS", "10"}, {"RATE", "100.00"},
                    {"RMREV", "1000.00"}, {"SEGMENT", "CORP"}, {"SALES_ID", "AB"}, {"POST_METH", "M"}, {"KEY", "K1"}},
                   {{"DATE", "03/01/24"}, {"CORP_NO", "C200"}, {"ROOMS", "3"}, {"RATE", "33.37"},
                    {"RMREV", "100.11"}, {"SEGMENT", "GOVT"}, {"SALES_ID", "CD"}, {"POST_METH", "A"}, {"KEY", "K2"}},
                   {{"DATE", "03/03/24"}, {"ROOMS", "2"}, {"RATE", "50.00"}, {"RMREV", "100.00"},
                    {"SEGMENT", "LEIS"}, {"SALES_ID", "AB"}, {"KEY", "K3"}},
                   {{"DATE", "03/04/24"}, {"CORP_NO", "C999"}, {"ROOMS", "1"}, {"RATE", "80.00"},
                    {"RMREV", "80.00"}, {"SEGMENT", "CORP"}, {"SALES_ID", "AB"}, {"KEY", "K4"}}});
        encryptTable(f, "ACCOUNT.DBF");
        for (const char* table : {"ACCOUNT.DBF", "MASTSEG.DBF", "RATECODE.DBF", "MASTPER.DBF", "SALES.DBF"})
            indexTable(f, table);
    }

    std::string str() const { return dir_.str(); }

    std::unique_ptr<db::Table> open(const std::string& file, const std::string& tag = {}) const {
        auto table = db::Table::open(dir_.str(), file);
        if (table->isEncrypted()) table->enableEncryption(data::kTablePassword);
        if (!tag.empty()) table->setIndexName(tag);
        return table;
    }

    // The account of `corpNo`, read afresh.
    std::unique_ptr<db::Table> account(const std::string& corpNo) const {
        auto accounts = open("ACCOUNT.DBF", "CORP_NO");
        if (!accounts->seek(corpNo)) return nullptr;
        return accounts;
    }

private:
    TempDir dir_;
};

}  // namespace vv::test
