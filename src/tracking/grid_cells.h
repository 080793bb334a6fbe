// How some cells of the tracking list are drawn: the rate as currency in the
// system's currency format (empty cells stay empty), and centred columns.
#pragma once

#include <QLocale>
#include <QStyledItemDelegate>

namespace vv::tracking {

// "89.5" -> "$89.50" in a US locale; "" stays "", text that is no number too.
QString currencyText(const QString& cell, const QLocale& locale = QLocale::system());

class CurrencyCell : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

class CentredCell : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace vv::tracking
