#include "shared/date_field.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include "db/table.h"
#include "shared/date_entry.h"
#include "shared/error_box.h"
#include "shared/field_binder.h"
#include "shared/user_interaction.h"

namespace vv::shared {

namespace {

QDate toQDate(db::Date d) { return d.isEmpty() ? QDate() : QDate(d.year(), d.month(), d.day()); }

}  // namespace

DateField::DateField(FieldBinder& binder, std::string field, QWidget* parent, bool highlight)
    : QWidget(parent), binder_(binder), field_(std::move(field)) {
    edit_ = new QLineEdit(this);
    const int chars = static_cast<int>(std::char_traits<char>::length(DateEntry::kPicture)) + 2;
    edit_->setMaximumWidth(edit_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12);
    button_ = new QToolButton(this);
    button_->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setToolTip(QStringLiteral("Calendar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edit_);
    layout->addWidget(button_);
    layout->addStretch(1);
    setFocusProxy(edit_);
    binder_.bindDate(edit_, field_, this, highlight);
    connect(button_, &QToolButton::clicked, this, &DateField::calendarClicked);
}

void DateField::calendarClicked() {
    db::Table* table = binder_.table();
    if (!table || !DateEntry::calendarActs(table->state())) return;
    runGuarded(window(), [&] {
        const db::Date start = DateEntry::calendarStart(table->getDate(field_), db::Date::today());
        const std::optional<QDate> picked = userInteraction().pickDate(window(), toQDate(start));
        if (!picked || !picked->isValid()) return;
        table->setDate(field_, db::Date::fromYmd(picked->year(), picked->month(), picked->day()));
        binder_.load(edit_);
        edit_->setFocus(Qt::OtherFocusReason);
        emit datePicked();
    });
}

}  // namespace vv::shared
