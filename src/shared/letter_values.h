// What a letter is filled with: the markers a letter document may hold and
// their values for the current call or trace, plus the address block and
// date the Letters and Clipboard commands put on the clipboard.
//
//   LetterValues v;  v.fileCode = ...; v.salesName = first + " " + last; ...
//   QString path = fillLetter(lettersFolder + name, letterMarkers(v), letterWorkFolder());
//   openDocument(path);                                 // letter_filler.h
//   clipboard->setText(letterHeading(v.date) + addressBlock(v));
#pragma once

#include <utility>
#include <vector>

#include <QDate>
#include <QString>

namespace vv::shared {

// A marker ("<<FILECODE>>") and its replacement, in replacement order.
using LetterMarkers = std::vector<std::pair<QString, QString>>;

// Field texts as stored (trailing blanks are trimmed by letterMarkers and
// addressBlock). A trace has no contact title: leave cTitle empty.
struct LetterValues {
    QDate date;  // today, for <<DATE>> and the heading
    QString fileCode, acctName, cSal, cFirst, cLast, cPhone, cExt, cFax, cTitle;
    QString addr1, addr2, city, state, zip, email;
    QString salesName;   // "SFIRST SLAST" of the salesperson, empty when not found
    QString salesTitle;  // the salesperson's TITLE, empty when not found
};

// The 18 markers in order: <<DATE>> (the long date below), then <<FILECODE>>,
// <<ACCTNAME>>, <<CSAL>>, <<CFIRST>>, <<CLAST>>, <<CPHONE>>, <<CEXT>>, <<CFAX>>,
// <<CTITLE>>, <<ADDR1>>, <<ADDR2>>, <<CITY>>, <<STATE>>, <<ZIP>>, <<EMAIL>>,
// <<SALESID>>, <<SALESTITLE>>.
LetterMarkers letterMarkers(const LetterValues& values);

// "March 5, 1999": the month's full name in the system's language, the day,
// ", " and the four-digit year.
QString letterDate(const QDate& date);

// The long date followed by three CR LF (the date line and two empty lines).
QString letterHeading(const QDate& date);

// The contact's address block, every line ended by CR LF:
//   [C_SAL ]C_FIRST C_LAST / ACCT_NAME / ADDR1 / [ADDR2] / CITY, STATE  ZIP /
//   (empty) / Dear C_SAL C_LAST: / (empty)
QString addressBlock(const LetterValues& values);

}  // namespace vv::shared
