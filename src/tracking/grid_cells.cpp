#include "tracking/grid_cells.h"

namespace vv::tracking {

QString currencyText(const QString& cell, const QLocale& locale) {
    const QString text = cell.trimmed();
    if (text.isEmpty()) return {};
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok ? locale.toCurrencyString(value) : cell;
}

QString CurrencyCell::displayText(const QVariant& value, const QLocale&) const {
    return currencyText(value.toString());
}

void CurrencyCell::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
}

void CentredCell::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignCenter;
}

}  // namespace vv::tracking
