#include "shared/report_number_format.h"

#include <algorithm>
#include <cmath>

namespace vv::shared {

namespace {

struct Picture {
    int minWhole = 0;     // '0's before the point
    bool thousands = false;
    int minDecimals = 0;  // '0's after the point
    int maxDecimals = 0;  // '0's and '#'s after the point
};

Picture readPicture(QStringView pattern) {
    Picture p;
    bool afterPoint = false;
    for (QChar c : pattern) {
        if (c == u'.') {
            afterPoint = true;
        } else if (c == u',') {
            if (!afterPoint) p.thousands = true;
        } else if (c == u'0') {
            if (afterPoint) {
                ++p.minDecimals;
                ++p.maxDecimals;
            } else {
                ++p.minWhole;
            }
        } else if (c == u'#') {
            if (afterPoint) ++p.maxDecimals;
        }
    }
    return p;
}

// The digits of `magnitude` rounded half up to `decimals` places, without a
// point ("123450" for 1234.5 to two places). Rounding works on the decimal
// digits of the value to 15 places, as people read it: 1.005 rounds up, though
// the nearest double lies a little below it.
QString roundedDigits(double magnitude, int decimals) {
    const QString scientific = QString::number(magnitude, 'e', 14);  // d.dddddddddddddde+XX
    const qsizetype e = scientific.indexOf(u'e');
    QString mantissa = scientific.left(e);
    mantissa.remove(u'.');
    const int exponent = scientific.mid(e + 1).toInt();
    // Digits before the point are exponent + 1; keep that many plus the decimals.
    const int keep = exponent + 1 + decimals;
    if (keep < 0) return QStringLiteral("0");
    QString kept = mantissa.left(keep);
    while (kept.size() < keep) kept += u'0';
    if (keep < mantissa.size() && mantissa[keep] >= u'5') {
        qsizetype i = kept.size() - 1;
        for (; i >= 0 && kept[i] == u'9'; --i) kept[i] = u'0';
        if (i >= 0) kept[i] = QChar(kept[i].unicode() + 1);
        else kept.prepend(u'1');
    }
    if (kept.isEmpty()) kept = QStringLiteral("0");
    return kept;
}

}  // namespace

QString formatReportNumber(double value, QStringView pattern) {
    if (!std::isfinite(value)) return {};
    const Picture p = readPicture(pattern);
    QString digits = roundedDigits(std::fabs(value), p.maxDecimals);
    const bool zero = std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == u'0'; });
    while (digits.size() <= p.maxDecimals) digits.prepend(u'0');
    QString whole = digits.left(digits.size() - p.maxDecimals);
    QString decimals = digits.right(p.maxDecimals);
    while (decimals.size() > p.minDecimals && decimals.endsWith(u'0')) decimals.chop(1);

    qsizetype lead = 0;
    while (lead < whole.size() - 1 && whole[lead] == u'0') ++lead;
    whole.remove(0, lead);
    if (whole == u"0" && p.minWhole == 0) whole.clear();
    while (whole.size() < p.minWhole) whole.prepend(u'0');
    if (p.thousands) {
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, u',');
    }
    QString text = whole;
    if (!decimals.isEmpty()) text += u'.' + decimals;
    if (value < 0 && !zero) text.prepend(u'-');
    return text;
}

}  // namespace vv::shared
