#include "shared/grid_columns.h"

#include <algorithm>

#include <QFontMetrics>

namespace vv::shared {

namespace {

constexpr int kBlankColumnWidth = 64;  // a column without a field
constexpr int kCellPadding = 8;

}  // namespace

int displayChars(const db::FieldDef& field) {
    using T = db::FieldType;
    switch (field.type) {
    case T::Date: return 8;  // MM/DD/yy
    case T::DateTime: return 17;
    case T::Logical: return 1;
    case T::Integer: return 11;
    case T::Double:
    case T::Currency: return 20;
    case T::Memo:
    case T::General:
    case T::Picture:
    case T::Blob: return 10;
    default: return std::max<int>(1, field.width);
    }
}

int defaultColumnWidth(const QFontMetrics& metrics, const db::FieldDef* field, const QString& title) {
    if (!field) return kBlankColumnWidth;
    const int values = metrics.horizontalAdvance(QLatin1Char('0')) * displayChars(*field);
    const int titleWidth = metrics.horizontalAdvance(title);
    return std::max(values, titleWidth) + kCellPadding;
}

}  // namespace vv::shared
