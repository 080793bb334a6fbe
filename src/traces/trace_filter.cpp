#include "traces/trace_filter.h"

#include <string>

#include "shared/xbase_literal.h"
#include "traces/trace_rules.h"

namespace vv::traces {

namespace {

std::string literal(const QString& text) { return shared::xbaseLiteral(text.toStdString()); }

QString shown(db::Date date) { return QString::fromStdString(date.display()); }

bool filled(const QString& text) { return !text.trimmed().isEmpty(); }

// Collects the conditions and the filter text: the first part stands
// alone, every later one is joined with " .and. " and " and ".
class Builder {
public:
    void add(const std::string& condition, const QString& text) {
        expression_ = expression_.empty() ? condition : expression_ + " .and. " + condition;
        text_ = text_.isEmpty() ? text : text_ + QStringLiteral(" and ") + text;
    }
    const std::string& expression() const { return expression_; }
    const QString& text() const { return text_; }

private:
    std::string expression_;
    QString text_;
};

// A date range over `field`: adds its conditions and text, and returns the
// dates line it sets (empty when neither end is given).
QString addRange(Builder& b, const char* field, db::Date from, db::Date to, const QString& textWord,
                 const QString& lineWord) {
    const std::string fromCondition = std::string("dtos(") + field + ") >= '" + from.dtos() + "'";
    const std::string toCondition = std::string("dtos(") + field + ") <= '" + to.dtos() + "'";
    if (!from.isEmpty() && !to.isEmpty()) {
        const QString between = QStringLiteral("Between ") + shown(from) + QStringLiteral(" and ") + shown(to);
        b.add(fromCondition + " .and. " + toCondition, textWord + QLatin1Char(' ') + between);
        return lineWord + QLatin1Char(' ') + between;
    }
    if (!from.isEmpty()) {
        const QString later = QStringLiteral("Later Than ") + shown(from);
        b.add(fromCondition, textWord + QLatin1Char(' ') + later);
        return lineWord + QLatin1Char(' ') + later;
    }
    if (!to.isEmpty()) {
        const QString earlier = QStringLiteral("Earlier Than ") + shown(to);
        b.add(toCondition, textWord + QLatin1Char(' ') + earlier);
        return lineWord + QLatin1Char(' ') + earlier;
    }
    return {};
}

}  // namespace

std::array<QString, 4> allTracesHeadings() {
    return {QStringLiteral("File: All Files"), QStringLiteral("Dates: All Dates"),
            QStringLiteral("Trace Types: All Trace Types"), QStringLiteral("Salesperson: All Salespersons")};
}

shared::FilterResult buildTraceFilter(const TraceFilterEntries& e) {
    std::array<QString, 4> headings = allTracesHeadings();
    Builder b;

    const QString traceDates = addRange(b, "trace_date", e.begin, e.end, QStringLiteral("Dates"),
                                        QStringLiteral("Dates:"));
    if (!traceDates.isEmpty()) headings[1] = traceDates;
    if (filled(e.fileCode)) {
        // Padded to the field's width, so it selects that account only.
        b.add("File_code = " + literal(e.fileCode.leftJustified(10, QLatin1Char(' '))),
              QStringLiteral("File Code = ") + e.fileCode);
        headings[0] = QStringLiteral("File: ") + e.fileCode;
    }
    if (!e.eventNo.isEmpty()) {
        const QString aligned = QString::fromStdString(alignedEventNo(e.eventNo.toStdString()));
        b.add("Event_no = " + literal(aligned), QStringLiteral("Event # = ") + e.eventNo);
    }
    if (!e.lastName.isEmpty())
        b.add("Upper(c_last) = " + literal(e.lastName), QStringLiteral("Last Name = ") + e.lastName);
    if (filled(e.salesId)) {
        b.add("Sales_id = " + literal(e.salesId), QStringLiteral("Sales Id = ") + e.salesId);
        headings[3] = QStringLiteral("Salesperson: ") + e.salesId;
    }
    if (filled(e.traceCode)) {
        b.add("Trace_code = " + literal(e.traceCode), QStringLiteral("Trace Code = ") + e.traceCode);
        headings[2] = QStringLiteral("Trace Types: ") + e.traceCode;
    }
    const QString completed = addRange(b, "comp_date", e.completedBegin, e.completedEnd,
                                       QStringLiteral("Completed"), QStringLiteral("Completed:"));
    if (!completed.isEmpty()) headings[1] = completed;
    if (filled(e.status)) b.add("Status = " + literal(e.status), QStringLiteral("Status = ") + e.status);

    shared::FilterResult result;
    result.expression = b.expression();
    result.filterText = b.text().isEmpty() ? QString::fromLatin1(kAllTraces) : b.text();
    result.headerLines = headings;
    return result;
}

}  // namespace vv::traces
