#include "calls/call_letter.h"

#include "calls/call_entry_rules.h"
#include "db/table.h"

namespace vv::calls {

namespace {

QString text(const db::Table& t, std::string_view field) { return QString::fromStdString(t.getText(field)); }

}  // namespace

shared::LetterValues letterValuesOf(const db::Table& call, db::Table* salespeople, const QDate& today) {
    shared::LetterValues v;
    v.date = today;
    v.fileCode = text(call, "FILE_CODE");
    v.acctName = text(call, "ACCT_NAME");
    v.cSal = text(call, "C_SAL");
    v.cFirst = text(call, "C_FIRST");
    v.cLast = text(call, "C_LAST");
    v.cPhone = text(call, "C_PHONE");
    v.cExt = text(call, "C_EXT");
    v.cFax = text(call, "C_FAX");
    v.cTitle = text(call, "C_TITLE");
    v.addr1 = text(call, "ADDR1");
    v.addr2 = text(call, "ADDR2");
    v.city = text(call, "CITY");
    v.state = text(call, "STATE");
    v.zip = text(call, "ZIP");
    v.email = text(call, "EMAIL");
    if (salespeople && salespeople->seek(call.getText("SALES_ID"))) {
        v.salesName = CallCodeRules::salespersonName(*salespeople);
        v.salesTitle = text(*salespeople, "TITLE");
    }
    return v;
}

}  // namespace vv::calls
