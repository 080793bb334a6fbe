// Numbers as the reports show them, written with picture patterns:
//   "#,0"   -> 12,345     (thousands separated, no decimals)
//   "#.00"  -> 123.50, and .50 for one half (no digit is forced before the point)
//   "0.00"  -> 0.50
//   "0.##"  -> 3.5, 3 (decimals only as needed)
// '0' is a digit always shown, '#' a digit shown only when needed, ',' in the
// whole part asks for thousands separators, '.' marks the decimals. Values
// round half away from zero, on their decimal digits (1.005 -> "1.01").
// Separators are '.' and ','. A pattern with no '0' prints nothing for zero.
#pragma once

#include <QString>
#include <QStringView>

namespace vv::shared {

QString formatReportNumber(double value, QStringView pattern);

}  // namespace vv::shared
