#include "shared/report_number_format.h"

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

}  // namespace

QString formatReportNumber(double value, QStringView pattern) {
    if (!std::isfinite(value)) return {};
    const Picture p = readPicture(pattern);
    // Rounded to the most decimals shown, as a digit string, so no binary
    // fraction leaks into the text.
    const double scale = std::pow(10.0, p.maxDecimals);
    const double scaled = std::round(std::fabs(value) * scale);
    QString digits = QString::number(scaled, 'f', 0);
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
    const bool zero = scaled == 0;
    if (value < 0 && !zero) text.prepend(u'-');
    return text;
}

}  // namespace vv::shared
