#include "calls/call_filter_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

#include "calls/call_entry_rules.h"
#include "shared/focus_highlight.h"
#include "shared/lookup_dialog.h"
#include "shared/settings.h"

namespace vv::calls {

namespace {

// Typed letters become capitals as they are typed.
QLineEdit* upperEdit(QWidget* parent, int maxLength = 0) {
    auto* edit = new QLineEdit(parent);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int cursor = edit->cursorPosition();
        edit->setText(upper);
        edit->setCursorPosition(cursor);
    });
    shared::FocusHighlight::attach(edit);
    return edit;
}

shared::LookupRequest lookupOf(std::string table, std::string returnField, std::string caption,
                               std::vector<std::string> fields, std::vector<std::string> captions,
                               std::string index = {}) {
    return {std::move(table), std::move(index), std::move(returnField), {}, std::move(caption),
            std::move(fields), std::move(captions)};
}

// An entry with its lookup button beside it.
QWidget* withLookup(QLineEdit* edit, shared::LookupRequest request, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    edit->setParent(box);
    row->addWidget(edit, 1);
    auto* button = new QToolButton(box);
    button->setText(QStringLiteral("..."));
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(QString::fromStdString(request.caption));
    row->addWidget(button);
    QObject::connect(button, &QToolButton::clicked, edit, [edit, request] {
        const std::string value = shared::RunLookup(request, edit->window());
        if (!value.empty()) edit->setText(QString::fromStdString(value));
    });
    return box;
}

}  // namespace

TCallFilter::TCallFilter(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Sales Call Filter"));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* column = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Salescall Filter"), this);
    title->setStyleSheet(QStringLiteral("color: blue; font-weight: bold;"));
    column->addWidget(title, 0, Qt::AlignHCenter);

    auto* grid = new QGridLayout;
    column->addLayout(grid);
    int row = 0;
    auto addRow = [&](const QString& label, QWidget* entry) {
        auto* l = new QLabel(label, this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(l, row, 0);
        grid->addWidget(entry, row, 1);
        ++row;
        return l;
    };

    fileCode_ = upperEdit(this, 10);
    addRow(QStringLiteral("File Code:"),
           withLookup(fileCode_,
                      lookupOf("account", "file_code", "Account Lookup", {"file_code", "acct_name", "sales_id"},
                               {"File Code", "Account Name", "Sales Id"}, "acct_name"),
                      this));
    acctName_ = upperEdit(this, 40);
    addRow(QStringLiteral("Account Name:"), acctName_);
    lastName_ = upperEdit(this, 20);
    addRow(QStringLiteral("Last Name:"), lastName_);

    auto* dates = new QWidget(this);
    auto* dateRow = new QHBoxLayout(dates);
    dateRow->setContentsMargins(0, 0, 0, 0);
    begin_ = upperEdit(dates, 8);
    end_ = upperEdit(dates, 8);
    begin_->setPlaceholderText(QStringLiteral("MM/DD/yy"));
    end_->setPlaceholderText(QStringLiteral("MM/DD/yy"));
    dateRow->addWidget(begin_);
    dateRow->addWidget(new QLabel(QStringLiteral("Through"), dates));
    dateRow->addWidget(end_);
    addRow(QStringLiteral("Call Dates:"), dates);

    salesId_ = upperEdit(this, 3);
    addRow(QStringLiteral("Salesperson:"),
           withLookup(salesId_, lookupOf("mastper", "sales_id", "Salesperson Lookup", {"sales_id", "sfirst", "slast"},
                                         {"Sales Id", "First Name", "Last Name"}),
                      this));
    callType_ = upperEdit(this, 3);
    addRow(QStringLiteral("Call Type:"),
           withLookup(callType_, lookupOf("salecode", "sale_code", "Sales Call Code Lookup", {"sale_code", "sale_desc"},
                                          {"Call Code", "Call Description"}),
                      this));
    addr1_ = upperEdit(this, 40);
    addRow(QStringLiteral("Address 1:"), addr1_);
    addr2_ = upperEdit(this, 40);
    addRow(QStringLiteral("Address 2:"), addr2_);
    city_ = upperEdit(this, 40);
    addRow(QStringLiteral("City:"), city_);
    segment_ = upperEdit(this, 2);
    addRow(QStringLiteral("Market Segment:"),
           withLookup(segment_, lookupOf("mastseg", "segment", "Market Segment Code Lookup", {"segment", "segname"},
                                         {"Segment", "Segment Description"}),
                      this));
    for (int n = 1; n <= 5; ++n) {
        QLineEdit* edit = upperEdit(this, 4);
        userCodes_[static_cast<std::size_t>(n - 1)] = edit;
        const std::string code = "u_code" + std::to_string(n);
        const std::string name = "u_name" + std::to_string(n);
        QLabel* label = addRow(
            QStringLiteral("User Fld %1:").arg(n),
            withLookup(edit,
                       lookupOf("ufile" + std::to_string(n), code, "User Field " + std::to_string(n) + " Lookup",
                                {code, name}, {"Code", "Description"}),
                       this));
        label->setText(QString::fromStdString(shared::settings().UserFieldLabels[n]));
    }

    column->addWidget(new QLabel(QStringLiteral("Fill In Fields You Would Like To Filter By"), this), 0,
                      Qt::AlignHCenter);
    column->addWidget(new QLabel(QStringLiteral("Click OK To Filter or Cancel To Abort"), this), 0, Qt::AlignHCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    fileCode_->setFocus();
}

db::Date TCallFilter::readDate(const QString& typed, db::Date today) {
    const QString text = typed.trimmed();
    if (text == QStringLiteral("/")) return today;
    static const QRegularExpression monthDay(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/?$"));
    if (const QRegularExpressionMatch m = monthDay.match(text); m.hasMatch())
        return db::Date::tryYmd(today.year(), m.captured(1).toInt(), m.captured(2).toInt()).value_or(db::Date());
    return db::Date::fromDisplay(text.toStdString()).value_or(db::Date());
}

CallFilterEntries TCallFilter::entries() const {
    CallFilterEntries e;
    const db::Date today = db::Date::today();
    e.begin = readDate(begin_->text(), today);
    e.end = readDate(end_->text(), today);
    e.fileCode = fileCode_->text();
    e.acctName = acctName_->text();
    e.lastName = lastName_->text();
    e.salesId = salesId_->text();
    e.callType = callType_->text();
    e.addr1 = addr1_->text();
    e.addr2 = addr2_->text();
    e.city = city_->text();
    e.segment = segment_->text();
    for (std::size_t n = 0; n < userCodes_.size(); ++n) e.userCodes[n] = userCodes_[n]->text();
    return e;
}

shared::FilterResult RunCallFilter(QWidget* parent) {
    CallUnit& unit = callUnit();
    shared::FilterResult result;
    result.expression = shared::kFilterCancelled;
    result.filterText = unit.filterText;
    result.headerLines = unit.reportHeaders;

    TCallFilter dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return result;
    result = buildCallFilter(dialog.entries(), shared::settings().UserFieldLabels);
    unit.filterText = result.filterText;
    unit.reportHeaders = result.headerLines;
    return result;
}

}  // namespace vv::calls
