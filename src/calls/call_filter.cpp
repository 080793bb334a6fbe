#include "calls/call_filter.h"

#include <string>

#include "shared/xbase_literal.h"

namespace vv::calls {

namespace {

std::string literal(const QString& text) { return shared::xbaseLiteral(text.toStdString()); }

QString shown(db::Date date) { return QString::fromStdString(date.display()); }

bool filledTrimmed(const QString& text) { return !text.trimmed().isEmpty(); }
bool filledUntrimmed(const QString& text) { return !text.isEmpty(); }

// Collects the parts: the first one sets, every later one is joined.
class Builder {
public:
    void add(const std::string& part, const QString& firstText, const QString& laterText) {
        if (expression_.empty()) {
            expression_ = part;
            text_ = firstText;
        } else {
            expression_ += " .and. " + part;
            text_ += laterText;
        }
    }
    const std::string& expression() const { return expression_; }
    const QString& text() const { return text_; }

private:
    std::string expression_;
    QString text_;
};

}  // namespace

std::array<QString, 4> allCallsHeadings() {
    return {QString::fromLatin1(kAllFiles), QString::fromLatin1(kAllDates), QString::fromLatin1(kAllCallTypes),
            QString::fromLatin1(kAllSalespersons)};
}

shared::FilterResult buildCallFilter(const CallFilterEntries& e, const shared::UserFieldCaptions& userFieldLabels) {
    std::array<QString, 4> headings = allCallsHeadings();
    Builder b;

    const bool hasBegin = !e.begin.isEmpty();
    const bool hasEnd = !e.end.isEmpty();
    const std::string from = "dtos(date) >= '" + e.begin.dtos() + "'";
    const std::string to = "dtos(date) <= '" + e.end.dtos() + "'";
    if (hasBegin && hasEnd) {
        const QString between = shown(e.begin) + QStringLiteral(" and ") + shown(e.end);
        b.add(from + " .and. " + to, QStringLiteral("Dates Between ") + between, {});
        headings[1] = QStringLiteral("Dates: Between ") + between;
    } else if (hasBegin) {
        b.add(from, QStringLiteral("Dates Later Than ") + shown(e.begin), {});
        headings[1] = QStringLiteral("Dates: Later Than ") + shown(e.begin);
    } else if (hasEnd) {
        b.add(to, QStringLiteral("Dates Earlier Than ") + shown(e.end), {});
        headings[1] = QStringLiteral("Dates: Earlier Than ") + shown(e.end);
    }

    if (filledTrimmed(e.fileCode)) {
        // Padded to the field's width, so it selects that account only.
        b.add("file_code = " + literal(e.fileCode.leftJustified(10, QLatin1Char(' '))),
              QStringLiteral("File Code = ") + e.fileCode, QStringLiteral(" and File Code = ") + e.fileCode);
        headings[0] = QStringLiteral("File: ") + e.fileCode;
    }
    if (filledUntrimmed(e.acctName))
        b.add("upper(acct_name) = " + literal(e.acctName), QStringLiteral("Acct Name = ") + e.acctName,
              QStringLiteral(" and Acct Name = ") + e.acctName);
    if (filledUntrimmed(e.addr1))
        b.add(literal(e.addr1) + " $ upper(Addr1)", QStringLiteral("Addr 1 = ") + e.addr1,
              QStringLiteral(" and Addr1 = ") + e.addr1);
    if (filledUntrimmed(e.addr2))
        b.add(literal(e.addr2) + " $ upper(Addr2)", QStringLiteral("Addr 2 = ") + e.addr2,
              QStringLiteral(" and Addr2 = ") + e.addr2);
    if (filledUntrimmed(e.city))
        b.add("upper(city) = " + literal(e.city), QStringLiteral("City = ") + e.city,
              QStringLiteral(" and City = ") + e.city);
    if (filledUntrimmed(e.lastName))
        b.add("upper(c_last) = " + literal(e.lastName), QStringLiteral("Last Name = ") + e.lastName,
              QStringLiteral(" and Last Name = ") + e.lastName);
    if (filledTrimmed(e.salesId)) {
        b.add("sales_id = " + literal(e.salesId), QStringLiteral("Salesperson = ") + e.salesId,
              QStringLiteral(" and Sales Id = ") + e.salesId);
        headings[3] = QStringLiteral("Salesperson: ") + e.salesId;
    }
    if (filledTrimmed(e.callType)) {
        b.add("call_type = " + literal(e.callType), QStringLiteral("Call Type = ") + e.callType,
              QStringLiteral(" and Call Type = ") + e.callType);
        headings[2] = QStringLiteral("Call Types: ") + e.callType;
    }
    if (filledTrimmed(e.segment))
        b.add("segment = " + literal(e.segment), QStringLiteral("Segment = ") + e.segment,
              QStringLiteral(" and Segment = ") + e.segment);
    for (int n = 1; n <= 5; ++n) {
        const QString& code = e.userCodes[static_cast<std::size_t>(n - 1)];
        if (!filledTrimmed(code)) continue;
        const QString label = QString::fromStdString(userFieldLabels[n]);
        b.add("u_code" + std::to_string(n) + " = " + literal(code), label + QStringLiteral(" = ") + code,
              QStringLiteral(" and ") + label + QStringLiteral(" = ") + code);
    }

    shared::FilterResult result;
    result.expression = b.expression();
    result.filterText = b.text().isEmpty() ? QString::fromLatin1(kAllCalls) : b.text();
    result.headerLines = headings;
    return result;
}

}  // namespace vv::calls
