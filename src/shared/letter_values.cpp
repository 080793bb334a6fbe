#include "shared/letter_values.h"

#include <QLocale>

namespace vv::shared {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// Stored field texts carry the field's padding; a letter shows the words.
QString plain(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace()) --end;
    return text.left(end);
}

}  // namespace

LetterMarkers letterMarkers(const LetterValues& v) {
    return {
        {QStringLiteral("<<DATE>>"), v.date.isValid() ? letterDate(v.date) : QString()},
        {QStringLiteral("<<FILECODE>>"), plain(v.fileCode)},
        {QStringLiteral("<<ACCTNAME>>"), plain(v.acctName)},
        {QStringLiteral("<<CSAL>>"), plain(v.cSal)},
        {QStringLiteral("<<CFIRST>>"), plain(v.cFirst)},
        {QStringLiteral("<<CLAST>>"), plain(v.cLast)},
        {QStringLiteral("<<CPHONE>>"), plain(v.cPhone)},
        {QStringLiteral("<<CEXT>>"), plain(v.cExt)},
        {QStringLiteral("<<CFAX>>"), plain(v.cFax)},
        {QStringLiteral("<<CTITLE>>"), plain(v.cTitle)},
        {QStringLiteral("<<ADDR1>>"), plain(v.addr1)},
        {QStringLiteral("<<ADDR2>>"), plain(v.addr2)},
        {QStringLiteral("<<CITY>>"), plain(v.city)},
        {QStringLiteral("<<STATE>>"), plain(v.state)},
        {QStringLiteral("<<ZIP>>"), plain(v.zip)},
        {QStringLiteral("<<EMAIL>>"), plain(v.email)},
        {QStringLiteral("<<SALESID>>"), plain(v.salesName)},
        {QStringLiteral("<<SALESTITLE>>"), plain(v.salesTitle)},
    };
}

QString letterDate(const QDate& date) {
    return QLocale::system().standaloneMonthName(date.month(), QLocale::LongFormat) + u' ' +
           QString::number(date.day()) + QStringLiteral(", ") + QString::number(date.year());
}

QString letterHeading(const QDate& date) {
    return letterDate(date) + kLineEnd + kLineEnd + kLineEnd;
}

QString addressBlock(const LetterValues& v) {
    const QString sal = plain(v.cSal);
    QString block;
    block += (sal.isEmpty() ? QString() : sal + u' ') + plain(v.cFirst) + u' ' + plain(v.cLast) + kLineEnd;
    block += plain(v.acctName) + kLineEnd;
    block += plain(v.addr1) + kLineEnd;
    if (!plain(v.addr2).isEmpty()) block += plain(v.addr2) + kLineEnd;
    block += plain(v.city) + QStringLiteral(", ") + plain(v.state) + QStringLiteral("  ") + plain(v.zip) + kLineEnd;
    block += kLineEnd;
    block += QStringLiteral("Dear ") + sal + u' ' + plain(v.cLast) + u':' + kLineEnd;
    block += kLineEnd;
    return block;
}

}  // namespace vv::shared
