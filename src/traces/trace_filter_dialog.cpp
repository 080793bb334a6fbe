#include "traces/trace_filter_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "calls/call_filter_dialog.h"
#include "shared/focus_highlight.h"
#include "shared/lookup_dialog.h"
#include "traces/trace_rules.h"

namespace vv::traces {

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

// A box with its lookup button beside it; an empty pick leaves the box alone.
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

// Two date boxes joined by "Through".
QWidget* dateRange(QLineEdit*& from, QLineEdit*& to, QWidget* parent) {
    auto* dates = new QWidget(parent);
    auto* row = new QHBoxLayout(dates);
    row->setContentsMargins(0, 0, 0, 0);
    from = upperEdit(dates, 8);
    to = upperEdit(dates, 8);
    from->setPlaceholderText(QStringLiteral("MM/DD/yy"));
    to->setPlaceholderText(QStringLiteral("MM/DD/yy"));
    row->addWidget(from);
    row->addWidget(new QLabel(QStringLiteral("Through"), dates));
    row->addWidget(to);
    return dates;
}

}  // namespace

TTraceFilter::TTraceFilter(const QString& caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kTraceFilterCaption));

    auto* column = new QVBoxLayout(this);
    auto* title = new QLabel(caption, this);
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
    };

    fileCode_ = upperEdit(this, 10);
    addRow(QStringLiteral("File Code:"),
           withLookup(fileCode_,
                      {"account", "acct_name", "file_code", "", "Account Lookup", {"file_code", "acct_name", "sales_id"},
                       {"File Code", "Account Name", "Sales Id"}},
                      this));
    eventNo_ = upperEdit(this, 40);
    addRow(QStringLiteral("Event No:"), eventNo_);
    lastName_ = upperEdit(this, 20);
    addRow(QStringLiteral("Last Name:"), lastName_);
    addRow(QStringLiteral("Trace Date:"), dateRange(begin_, end_, this));
    salesId_ = upperEdit(this);
    addRow(QStringLiteral("Salesperson:"),
           withLookup(salesId_,
                      {"mastper", "", "sales_id", "", "Salesperson Lookup", {"sales_id", "sfirst", "slast"},
                       {"Sales Id", "First Name", "Last Name"}},
                      this));
    traceCode_ = upperEdit(this);
    addRow(QStringLiteral("Trace Code:"),
           withLookup(traceCode_,
                      {"traccode", "", "tr_code", "", "Trace Code Lookup", {"tr_code", "tr_desc"},
                       {"Trace Code", "Trace Description"}},
                      this));
    addRow(QStringLiteral("Completed On:"), dateRange(completedBegin_, completedEnd_, this));
    status_ = upperEdit(this, 40);
    addRow(QStringLiteral("Status (O/C):"), status_);

    for (const char* hint : {"Fill In Fields You Would Like To Filter By", "Click OK To Filter or Cancel To Abort"}) {
        auto* l = new QLabel(QString::fromLatin1(hint), this);
        l->setStyleSheet(QStringLiteral("color: blue;"));
        column->addWidget(l, 0, Qt::AlignHCenter);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    fileCode_->setFocus();
}

TraceFilterEntries TTraceFilter::entries() const {
    const db::Date today = db::Date::today();
    auto date = [&](const QLineEdit* box) { return calls::TCallFilter::readDate(box->text(), today); };
    TraceFilterEntries e;
    e.fileCode = fileCode_->text();
    e.eventNo = eventNo_->text();
    e.lastName = lastName_->text();
    e.begin = date(begin_);
    e.end = date(end_);
    e.salesId = salesId_->text();
    e.traceCode = traceCode_->text();
    e.completedBegin = date(completedBegin_);
    e.completedEnd = date(completedEnd_);
    e.status = status_->text();
    return e;
}

shared::FilterResult RunTraceFilter(const QString& caption, QWidget* parent) {
    TraceUnit& unit = traceUnit();
    shared::FilterResult result;
    result.expression = shared::kFilterCancelled;
    result.filterText = unit.filterText;
    result.headerLines = unit.reportHeaders;
    if (caption != QLatin1String(kTraceFilterCaption)) return result;

    TTraceFilter dialog(caption, parent);
    if (dialog.exec() != QDialog::Accepted) return result;
    result = buildTraceFilter(dialog.entries());
    unit.filterText = result.filterText;
    unit.reportHeaders = result.headerLines;
    return result;
}

}  // namespace vv::traces
