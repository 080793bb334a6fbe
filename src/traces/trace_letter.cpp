#include "traces/trace_letter.h"

#include "db/table.h"

namespace vv::traces {

namespace {

QString text(const db::Table& t, std::string_view field) { return QString::fromStdString(t.getText(field)); }

}  // namespace

shared::LetterValues traceLetterValues(const db::Table& trace, db::Table* salespeople, const QDate& today) {
    shared::LetterValues v;
    v.date = today;
    v.fileCode = text(trace, "FILE_CODE");
    v.acctName = text(trace, "ACCT_NAME");
    v.cSal = text(trace, "C_SAL");
    v.cFirst = text(trace, "C_FIRST");
    v.cLast = text(trace, "C_LAST");
    v.cPhone = text(trace, "C_PHONE");
    v.cExt = text(trace, "C_EXT");
    v.cFax = text(trace, "C_FAX");
    v.addr1 = text(trace, "ADDR1");
    v.addr2 = text(trace, "ADDR2");
    v.city = text(trace, "CITY");
    v.state = text(trace, "STATE");
    v.zip = text(trace, "ZIP");
    v.email = text(trace, "EMAIL");
    if (salespeople && salespeople->seek(trace.getText("SALES_ID"))) {
        v.salesName = text(*salespeople, "SFIRST") + QLatin1Char(' ') + text(*salespeople, "SLAST");
        v.salesTitle = text(*salespeople, "TITLE");
    }
    return v;
}

}  // namespace vv::traces
