#include "tracking/tracking_filter_dialog.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "shared/date_entry.h"
#include "shared/enter_as_tab.h"
#include "shared/focus_highlight.h"
#include "shared/lookup_dialog.h"
#include "shared/user_interaction.h"

namespace vv::tracking {

namespace {

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

shared::DateEntry::Parsed parsedDate(const QLineEdit* edit) {
    return shared::DateEntry::parse(edit->displayText().toStdString());
}

const shared::LookupRequest kAccountLookup{
    "account", "acct_name", "corp_no", "", "Account Lookup",
    {"corp_no", "acct_name", "sales_id"}, {"Corporate #", "Account Name", "Sales Id"}};

}  // namespace

TTrackingFilter::TTrackingFilter(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tracking Filter"));
    setObjectName(QStringLiteral("TrackingFilter"));

    auto* heading = new QLabel(QStringLiteral("Tracking Filter"), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    heading->setFont(headingFont);
    heading->setStyleSheet(QStringLiteral("color: blue;"));

    corpNo_ = new QLineEdit(this);
    corpNo_->setMaxLength(9);
    connect(corpNo_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text == text.toUpper()) return;
        const int cursor = corpNo_->cursorPosition();
        corpNo_->setText(text.toUpper());
        corpNo_->setCursorPosition(cursor);
    });
    shared::FocusHighlight::attach(corpNo_);
    corpNoButton_ = new QToolButton(this);
    corpNoButton_->setText(QStringLiteral("..."));
    corpNoButton_->setFocusPolicy(Qt::NoFocus);
    corpNoButton_->setToolTip(QStringLiteral("Account Lookup"));
    connect(corpNoButton_, &QToolButton::clicked, this, &TTrackingFilter::lookupCorpNo);
    auto* corpRow = new QHBoxLayout;
    corpRow->setSpacing(0);
    corpRow->addWidget(corpNo_);
    corpRow->addWidget(corpNoButton_);
    corpRow->addStretch(1);

    begin_ = addDateEdit(beginCalendar_);
    end_ = addDateEdit(endCalendar_);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(begin_);
    dateRow->addWidget(beginCalendar_);
    dateRow->addWidget(new QLabel(QStringLiteral("Through"), this));
    dateRow->addWidget(boldLabel(QStringLiteral("End Date:"), this));
    dateRow->addWidget(end_);
    dateRow->addWidget(endCalendar_);
    dateRow->addStretch(1);

    auto* form = new QGridLayout;
    form->addWidget(boldLabel(QStringLiteral("Corp No:"), this), 0, 0);
    form->addLayout(corpRow, 0, 1);
    form->addWidget(boldLabel(QStringLiteral("Begin Date:"), this), 1, 0);
    form->addLayout(dateRow, 1, 1);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok_, &QPushButton::clicked, this, &TTrackingFilter::accept);
    connect(cancel_, &QPushButton::clicked, this, &TTrackingFilter::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* column = new QVBoxLayout(this);
    column->addWidget(heading);
    column->addLayout(form);
    column->addWidget(new QLabel(QStringLiteral("Fill In Fields You Would Like To Filter By"), this));
    column->addWidget(new QLabel(QStringLiteral("Click OK To Filter or Cancel To Abort"), this));
    column->addLayout(buttons);

    setTabOrder(corpNo_, begin_);
    setTabOrder(begin_, end_);
    setTabOrder(end_, ok_);
    setTabOrder(ok_, cancel_);
    shared::EnterAsTab::install(this);
    corpNo_->setFocus(Qt::OtherFocusReason);
}

QLineEdit* TTrackingFilter::addDateEdit(QToolButton*& calendar) {
    auto* edit = new QLineEdit(this);
    edit->setInputMask(QString::fromLatin1(shared::DateEntry::kInputMask));
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10 + 12);
    shared::FocusHighlight::attach(edit);
    calendar = new QToolButton(this);
    calendar->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    calendar->setFocusPolicy(Qt::NoFocus);
    calendar->setToolTip(QStringLiteral("Calendar"));
    connect(calendar, &QToolButton::clicked, this, [this, edit] { pickDate(edit); });
    return edit;
}

void TTrackingFilter::pickDate(QLineEdit* edit) {
    const shared::DateEntry::Parsed typed = parsedDate(edit);
    const db::Date start = shared::DateEntry::calendarStart(
        typed.kind == shared::DateEntry::Parsed::Kind::Valid ? typed.date : db::Date(), db::Date::today());
    const std::optional<QDate> picked =
        shared::userInteraction().pickDate(this, QDate(start.year(), start.month(), start.day()));
    if (!picked || !picked->isValid()) return;
    edit->setText(QString::fromStdString(db::Date::fromYmd(picked->year(), picked->month(), picked->day()).display()));
    edit->setFocus(Qt::OtherFocusReason);
}

void TTrackingFilter::lookupCorpNo() {
    const std::string value = shared::RunLookup(kAccountLookup, this);
    if (value.empty()) return;
    corpNo_->setText(QString::fromStdString(value));
    corpNo_->setFocus(Qt::OtherFocusReason);
}

std::optional<TrackingFilterEntries> TTrackingFilter::entries() const {
    const shared::DateEntry::Parsed b = parsedDate(begin_);
    const shared::DateEntry::Parsed e = parsedDate(end_);
    if (!b.usable() || !e.usable()) return std::nullopt;
    return TrackingFilterEntries{b.date, e.date, corpNo_->text().toStdString()};
}

void TTrackingFilter::accept() {
    if (!entries()) {
        shared::userInteraction().beep();
        (parsedDate(begin_).usable() ? end_ : begin_)->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

shared::FilterResult RunTrackingFilter(const QString& description, QWidget* parent) {
    TTrackingFilter dialog(parent);
    shared::FilterResult result;
    result.filterText = description;
    if (dialog.exec() != QDialog::Accepted) {
        result.expression = shared::kFilterCancelled;
        return result;
    }
    const TrackingFilterTexts texts = buildTrackingFilter(*dialog.entries());
    result.expression = texts.expression;
    result.filterText = texts.description;
    return result;
}

}  // namespace vv::tracking
