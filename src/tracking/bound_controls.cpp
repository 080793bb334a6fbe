#include "tracking/bound_controls.h"

#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QTimer>

#include "db/table.h"
#include "shared/error_box.h"
#include "shared/focus_highlight.h"

namespace vv::tracking {

namespace {

bool pending(const db::Table* table) {
    return table && table->isOpen() && table->state() != db::Table::State::Browse;
}

std::string fieldText(const db::Table* table, const std::string& field) {
    if (!table || !table->isOpen()) return {};
    try {
        return table->getText(field);
    } catch (const std::exception&) {
        return {};  // a table without the field shows nothing
    }
}

}  // namespace

// ---------------------------------------------------------------- NumberEdit

NumberEdit::NumberEdit(std::string field, int digits, int decimals, bool highlight, QWidget* parent)
    : QLineEdit(parent), field_(std::move(field)) {
    // Whole part of up to `digits` digits, then up to `decimals` decimals;
    // a lone point is not a number yet, so it is not let through.
    QString pattern = QStringLiteral("\\d{1,%1}").arg(digits);
    if (decimals > 0) pattern = QStringLiteral("(%1(\\.\\d{0,%2})?|\\.\\d{1,%2})").arg(pattern).arg(decimals);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^(%1)?$").arg(pattern)), this));
    setAlignment(Qt::AlignRight);
    setMaximumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + decimals + 3) + 12);
    if (highlight) shared::FocusHighlight::attach(this);
    connect(this, &QLineEdit::textEdited, this, &NumberEdit::store);
}

void NumberEdit::load() {
    const QString text = QString::fromStdString(fieldText(table_, field_));
    if (this->text() != text) setText(text);
}

void NumberEdit::store(const QString& text) {
    if (!pending(table_)) return load();
    if (!shared::runGuarded(window(), [&] { table_->setText(field_, text.toStdString()); })) load();
}

void NumberEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    selectAll();
}

void NumberEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    QTimer::singleShot(0, this, [this] { selectAll(); });
}

// ---------------------------------------------------------------- TierSpin

TierSpin::TierSpin(std::string field, QWidget* parent) : QSpinBox(parent), field_(std::move(field)) {
    setRange(0, 4);
    connect(this, &QSpinBox::valueChanged, this, &TierSpin::store);
}

void TierSpin::load() {
    const std::string text = fieldText(table_, field_);
    const int value = !text.empty() && text[0] >= '0' && text[0] <= '4' ? text[0] - '0' : 0;
    loading_ = true;
    setValue(value);
    loading_ = false;
}

void TierSpin::store(int value) {
    if (loading_) return;
    if (!pending(table_)) return load();
    if (!shared::runGuarded(window(), [&] { table_->setText(field_, std::to_string(value)); })) load();
}

// ---------------------------------------------------------------- FlagCheck

FlagCheck::FlagCheck(const QString& text, std::string field, QWidget* parent)
    : QCheckBox(text, parent), field_(std::move(field)) {
    connect(this, &QCheckBox::toggled, this, &FlagCheck::store);
}

void FlagCheck::load() {
    loading_ = true;
    setChecked(fieldText(table_, field_) == "Y");
    loading_ = false;
}

void FlagCheck::store(bool ticked) {
    if (loading_) return;
    if (!pending(table_)) return load();
    if (!shared::runGuarded(window(), [&] { table_->setText(field_, ticked ? "Y" : "N"); })) load();
}

}  // namespace vv::tracking
