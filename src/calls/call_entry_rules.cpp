#include "calls/call_entry_rules.h"

#include <QDate>
#include <QLocale>

#include "calls/field_text.h"
#include "data/catalogue.h"
#include "shared/xbase_literal.h"
#include "shared/required_fields.h"

namespace vv::calls {

namespace {

using shared::RequiredFields;

bool isInsert(const db::Table& t) { return t.state() == db::Table::State::Insert; }

QString text(const db::Table& t, std::string_view field) { return QString::fromStdString(t.getText(field)); }

bool blank(const db::Table& t, std::string_view field) { return RequiredFields::fieldEmpty(t, field); }

}  // namespace

CallUnit& callUnit() {
    static CallUnit unit;
    return unit;
}

const std::vector<std::string>& copiedCallFields() {
    static const std::vector<std::string> fields{
        "FILE_CODE", "ACCT_NAME", "C_SAL",   "C_FIRST", "C_LAST",  "C_TITLE", "ADDR1",   "ADDR2",
        "CITY",      "STATE",     "ZIP",     "EMAIL",   "C_PHONE", "C_EXT",   "C_FAX",   "SALES_ID",
        "CALL_TYPE", "SEGMENT",   "U_CODE1", "U_CODE2", "U_CODE3", "U_CODE4", "U_CODE5", "MEMO"};
    return fields;
}

bool traceWantedOnEdit(const db::Table& calls) {
    return calls.getText("TRACE").empty() && calls.getText("TRACE_CODE").empty();
}

const std::vector<RequiredCondition>& callRequiredConditions() {
    static const std::vector<RequiredCondition> conditions{
        // The two halves of one condition: they cannot fail together.
        {"TRACE_CODE", [](const db::Table& c) { return !blank(c, "TRACE") && blank(c, "TRACE_CODE"); }},
        {"TRACE", [](const db::Table& c) { return blank(c, "TRACE") && !blank(c, "TRACE_CODE"); }},
        {"CALL_TYPE", [](const db::Table& c) { return blank(c, "CALL_TYPE"); }},
        {"SALES_ID", [](const db::Table& c) { return blank(c, "SALES_ID"); }},
        {"C_LAST", [](const db::Table& c) { return blank(c, "C_LAST"); }},
        {"ACCT_NAME", [](const db::Table& c) { return blank(c, "ACCT_NAME"); }},
        {"DATE", [](const db::Table& c) { return blank(c, "DATE"); }},
        {"FILE_CODE", [](const db::Table& c) { return blank(c, "FILE_CODE"); }},
    };
    return conditions;
}

std::string lastMissingField(const db::Table& call) {
    std::string last;
    for (const RequiredCondition& c : callRequiredConditions())
        if (c.missing(call)) last = c.focusField;
    return last;
}

std::optional<QString> traceDayLabel(db::Date trace, db::Table::State state) {
    if (trace.isEmpty()) return std::nullopt;
    if (state != db::Table::State::Insert) return QString();
    const QDate day(trace.year(), trace.month(), trace.day());
    return QLocale::system().dayName(day.dayOfWeek(), QLocale::LongFormat);
}

std::string contactLookupFilter(const std::string& fileCode) {
    if (fileCode.empty()) return {};
    return "file_code = " + shared::xbaseLiteral(fileCode);
}

void copyContactInto(db::Table& call, const std::string& folder, uint32_t recno) {
    auto contacts = db::Table::open(folder, "Contacts");
    if (contacts->isEncrypted()) contacts->enableEncryption(data::kTablePassword);
    contacts->go(recno);
    for (const char* field : {"C_SAL", "C_FIRST", "C_LAST", "C_TITLE", "ADDR1", "ADDR2", "CITY", "STATE", "ZIP",
                              "C_PHONE", "C_EXT", "C_FAX", "EMAIL"})
        setFitted(call, field, contacts->getText(field));
}

// ---------------------------------------------------------------- code checks

CodeLookup CallCodeRules::fileCode(db::Table& call, const std::string& code) const {
    db::Table& accounts = *tables_.accounts;
    if (!accounts.seek(code)) return {};
    if (form_ == CallForm::Window && !isInsert(call)) return {true, std::nullopt};
    std::vector<std::string> copied{"ACCT_NAME", "ADDR1", "ADDR2", "CITY", "STATE", "ZIP", "SALES_ID"};
    if (form_ == CallForm::Window)
        copied.insert(copied.end(), {"SEGMENT", "U_CODE1", "U_CODE2", "U_CODE3", "U_CODE4", "U_CODE5"});
    for (const std::string& field : copied) setFitted(call, field, accounts.getText(field));
    return {true, text(accounts, "ACCT_NAME")};
}

bool CallCodeRules::fileCodeRejected(db::Table::State state) const {
    return form_ == CallForm::QuickCall || state != db::Table::State::Insert;
}

QString CallCodeRules::salespersonName(const db::Table& salespeople) {
    return text(salespeople, "SFIRST").trimmed() + QLatin1Char(' ') + text(salespeople, "SLAST").trimmed();
}

CodeLookup CallCodeRules::salesperson(bool labelApplies, const std::string& code) const {
    if (!tables_.salespeople->seek(code)) return {};
    if (!labelApplies) return {true, std::nullopt};
    return {true, salespersonName(*tables_.salespeople)};
}

CodeLookup CallCodeRules::salesId(const db::Table&, const std::string& code) const { return salesperson(true, code); }

CodeLookup CallCodeRules::salesId2(const db::Table& call, const std::string& code) const {
    return salesperson(isInsert(call), code);
}

CodeLookup CallCodeRules::callType(const db::Table& call, const std::string& code) const {
    if (!tables_.callTypes->seek(code)) return {};
    if (!isInsert(call)) return {true, std::nullopt};
    return {true, text(*tables_.callTypes, "SALE_DESC")};
}

CodeLookup CallCodeRules::traceCode(const db::Table& call, const std::string& code) const {
    if (!tables_.traceCodes->seek(code)) return {};
    if (!isInsert(call)) return {true, std::nullopt};
    return {true, text(*tables_.traceCodes, "TR_DESC")};
}

}  // namespace vv::calls
