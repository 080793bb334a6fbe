#include "tracking/tracking_filter.h"

#include <QDate>
#include <QLocale>

#include "shared/xbase_literal.h"

namespace vv::tracking {

QString shortDate(db::Date date) {
    if (date.isEmpty()) return {};
    return QLocale::system().toString(QDate(date.year(), date.month(), date.day()), QLocale::ShortFormat);
}

TrackingFilterTexts buildTrackingFilter(const TrackingFilterEntries& entries, const DescribeDate& describeDate) {
    TrackingFilterTexts out;
    const db::Date& b = entries.begin;
    const db::Date& e = entries.end;
    const std::string from = "dtos(date) >= '" + b.dtos() + "'";
    const std::string to = "dtos(date) <= '" + e.dtos() + "'";
    if (!b.isEmpty() && !e.isEmpty()) {
        out.expression = from + " .and. " + to;
        out.description = QStringLiteral("Dates Between ") + describeDate(b) + QStringLiteral(" and ") + describeDate(e);
    } else if (!b.isEmpty()) {
        out.expression = from;
        out.description = QStringLiteral("Dates Later Than ") + describeDate(b);
    } else if (!e.isEmpty()) {
        out.expression = to;
        out.description = QStringLiteral("Dates Earlier Than ") + describeDate(e);
    }

    const std::string& corp = entries.corpNo;
    if (corp.find_first_not_of(" \t") != std::string::npos) {
        // Used as typed. A plain number is written 'ABC'; one holding an
        // apostrophe takes another delimiter, so it still compares as typed.
        const std::string condition = "corp_no = " + shared::xbaseLiteral(corp);
        const QString shown = QString::fromStdString(corp);
        if (out.expression.empty()) {
            out.expression = condition;
            out.description = QStringLiteral("Corp No = ") + shown;
        } else {
            out.expression += " .and. " + condition;
            out.description += QStringLiteral(" and Corp No = ") + shown;
        }
    }

    if (out.description.isEmpty()) out.description = QString::fromLatin1(kAllTrackingTransactions);
    return out;
}

}  // namespace vv::tracking
