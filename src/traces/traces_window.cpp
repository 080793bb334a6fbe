#include "traces/traces_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "calls/field_text.h"
#include "db/record_key.h"
#include "db/table.h"
#include "shared/code_field.h"
#include "shared/date_field.h"
#include "shared/email_link.h"
#include "shared/error_box.h"
#include "shared/field_binder.h"
#include "shared/letter_filler.h"
#include "shared/letters_menu.h"
#include "shared/lookup_dialog.h"
#include "shared/mdi_child.h"
#include "shared/record_grid.h"
#include "shared/report_renderer.h"
#include "shared/settings.h"
#include "shared/type_keys.h"
#include "shared/user_interaction.h"
#include "traces/trace_filter_dialog.h"
#include "traces/trace_letter.h"
#include "traces/trace_report.h"

namespace vv::traces {

namespace {

using shared::CodeField;
using shared::EntryAction;
using shared::LookupRequest;

TTraces::CallOpener& callOpener() {
    static TTraces::CallOpener opener = [](const calls::AddCallPrefill& values, QWidget* window) {
        QMdiArea* area = nullptr;
        for (QWidget* w = window; w && !area; w = w->parentWidget()) area = qobject_cast<QMdiArea*>(w);
        calls::OpenAddCall(area, values);
    };
    return opener;
}

TTraces::ReportShower& reportShower() {
    static TTraces::ReportShower shower = [](const shared::Report& report, QWidget* parent) {
        shared::previewReport(report, parent);
    };
    return shower;
}

// Wraps a trace rule as the code field's exit check wants it: the label
// keeps its text when the rule leaves it.
shared::CodeCheck::LookUp exitCheck(std::function<TraceCheck()> rule, QLabel* label) {
    return [rule = std::move(rule), label](const std::string&) -> std::optional<QString> {
        const TraceCheck check = rule();
        if (check.rejected) return std::nullopt;
        return check.label ? *check.label : (label ? label->text() : QString());
    };
}

}  // namespace

TTraces::CallOpener TTraces::setCallOpener(CallOpener opener) {
    CallOpener previous = callOpener();
    callOpener() = std::move(opener);
    return previous;
}

TTraces::ReportShower TTraces::setReportShower(ReportShower shower) {
    ReportShower previous = reportShower();
    reportShower() = std::move(shower);
    return previous;
}

TTraces::TTraces(QWidget* parent)
    : RecordWindow({QStringLiteral("Browse Traces"), QStringLiteral("Trace Details"), true}, parent) {
    setWindowTitle(QStringLiteral("Traces/Appointments"));
    setObjectName(QStringLiteral("Traces"));
    mainBar()->setWindowTitle(QStringLiteral("Traces"));
    entryBar()->setWindowTitle(QStringLiteral("OKCancel"));
    buildToolbar();
    buildDetails();
}

TTraces::~TTraces() = default;

void TTraces::buildToolbar() {
    addBarButton(QStringLiteral("&Add   "), [this] { addTrace(); });
    addBarButton(QStringLiteral("&Edit  "), [this] { editTrace(); });
    addBarButton(QStringLiteral("&Delete  "), [this] { deleteTrace(); });
    addBarButton(QStringLiteral("Copy"), [this] { copyTrace(); });
    addBarButton(QStringLiteral("&Complete  "), [this] { complete(); });
    addBarSeparator();
    addBarButton(QStringLiteral("&Find "), [this] { find(); });
    addBarButton(QStringLiteral("&Print "), [this] { print(); });
    letters_ = std::make_unique<shared::LettersMenu>(this, mainBar(),
                                                     [this](const QString& letter) { openLetter(letter); });
    addBarSeparator();
    addNavigationButtons();
}

void TTraces::buildDetails() {
    QWidget* page = detailsPage();
    auto* grid = new QGridLayout(page);
    int row = 0;
    auto line = [&](const QString& text, QWidget* editor, QWidget* beside = nullptr) {
        if (!text.isEmpty()) {
            auto* l = new QLabel(text, page);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->addWidget(l, row, 0);
        }
        grid->addWidget(editor, row, 1);
        if (beside) grid->addWidget(beside, row, 2);
        ++row;
    };

    // --- File code: a new trace takes the account's name, address,
    // salesperson and user codes; an unknown code is refused in any state.
    label21_ = addDescriptionLabel(page);
    {
        shared::CodeFieldSetup s;
        s.field = "FILE_CODE";
        s.lookup = {"account", "acct_name", "file_code", "", "Account Lookup", {"file_code", "acct_name", "sales_id"},
                    {"File Code", "Account Name", "Sales Id"}};
        s.texts = {QStringLiteral("Account Not Found!"), QStringLiteral("Invalid File Code")};
        s.lookUp = exitCheck([this] { return rules_->fileCode(*mainTable()); }, label21_);
        fileCode_ = addCodeField(std::move(s), label21_, page);
    }
    line(QStringLiteral("File Code:"), fileCode_, label21_);

    // The event number is kept out of sight, its label shown; storing aligns it.
    QLineEdit* eventNo = addTextField("EVENT_NO", page, true);
    eventNo->hide();
    line(QStringLiteral("Event No:"), new QWidget(page));

    label12_ = addDescriptionLabel(page);
    trace_ = addDateField("TRACE_DATE", page, false);
    trace_->edit()->installEventFilter(this);
    line(QStringLiteral("Trace Date:"), trace_, label12_);

    line(QStringLiteral("Account Name:"), addTextField("ACCT_NAME", page));

    // --- Contact: salutation, the first name whose button picks a contact, last name.
    salutation_ = new QComboBox(page);
    salutation_->setEditable(true);
    salutation_->addItems({QStringLiteral("Mr."), QStringLiteral("Ms."), QStringLiteral("Mrs."), QStringLiteral("Dr.")});
    salutation_->setCurrentIndex(-1);
    fields().bindText(salutation_->lineEdit(), "C_SAL", false, salutation_);
    {
        shared::CodeFieldSetup s;
        s.field = "C_FIRST";
        s.upperCase = false;
        s.lookup = {"contacts", "file_code", "recno", "", "Contact Lookup", {"file_code", "c_first", "c_last"},
                    {"File Code", "First Name", "Last Name"}};
        contact_ = addCodeField(std::move(s), nullptr, page);
        // The pick returns a contact's record number, not a first name.
        disconnect(contact_->button(), nullptr, contact_, nullptr);
        connect(contact_->button(), &QToolButton::clicked, this,
                [this] { shared::runGuarded(this, [this] { contactClicked(); }, windowTitle()); });
    }
    auto* contactRow = new QWidget(page);
    auto* contactLayout = new QHBoxLayout(contactRow);
    contactLayout->setContentsMargins(0, 0, 0, 0);
    contactLayout->addWidget(salutation_);
    contactLayout->addWidget(contact_);
    contactLayout->addWidget(addTextField("C_LAST", page));
    line(QStringLiteral("Contact Name:"), contactRow);

    line(QStringLiteral("Address:"), addTextField("ADDR1", page));
    line(QString(), addTextField("ADDR2", page));
    line(QStringLiteral("City:"), addTextField("CITY", page));
    line(QStringLiteral("State:"), addTextField("STATE", page));
    line(QStringLiteral("Zip:"), addTextField("ZIP", page));
    QLineEdit* email = addTextField("EMAIL", page);
    auto* mail = new shared::EmailLink([email] { return email->text(); }, page);
    line(QStringLiteral("Email:"), email, mail);
    line(QStringLiteral("Phone:"), addTextField("C_PHONE", page));
    line(QStringLiteral("Ext:"), addTextField("C_EXT", page));
    line(QStringLiteral("Fax:"), addTextField("C_FAX", page));

    // --- Salesperson: closing its lookup without a choice empties it.
    label16_ = addDescriptionLabel(page);
    {
        shared::CodeFieldSetup s;
        s.field = "SALES_ID";
        s.upperCase = false;
        s.lookup = {"mastper", "", "sales_id", "", "Salesperson Lookup", {"sales_id", "sfirst", "slast"},
                    {"Sales Id", "First Name", "Last Name"}};
        s.texts = {QStringLiteral("Unknown Salesperson!"), QStringLiteral("Invalid Sales ID")};
        s.lookUp = exitCheck([this] { return rules_->salesId(*mainTable()); }, label16_);
        salesId_ = addCodeField(std::move(s), label16_, page);
        disconnect(salesId_->button(), nullptr, salesId_, nullptr);
        connect(salesId_->button(), &QToolButton::clicked, this, [this] {
            shared::runGuarded(this, [this] { salespersonPicked(shared::RunLookup(salesId_->setup().lookup, this)); },
                               windowTitle());
        });
    }
    line(QStringLiteral("Sales Rep:"), salesId_, label16_);

    // --- Trace code: its description goes into TRACE_DESC, also while editing.
    {
        shared::CodeFieldSetup s;
        s.field = "TRACE_CODE";
        s.lookup = {"traccode", "", "tr_code", "", "Trace Code Lookup", {"tr_code", "tr_desc"},
                    {"Trace Code", "Trace Description"}};
        s.texts = {QString(), QStringLiteral("Invalid Trace Code")};
        s.lookUp = [this](const std::string&) -> std::optional<QString> {
            const TraceCheck check = rules_->traceCode(*mainTable());
            // The description editor shows what the rule wrote, found or not.
            QTimer::singleShot(0, this, [this] { fields().load(); });
            if (check.rejected) return std::nullopt;
            return QString();
        };
        traceCode_ = addCodeField(std::move(s), nullptr, page);
    }
    line(QStringLiteral("Trace Code:"), traceCode_);
    line(QStringLiteral("Description:"), addTextField("TRACE_DESC", page));
    QLineEdit* status = addTextField("STATUS", page, true);
    status->setMaxLength(1);
    line(QStringLiteral("Status (O/C):"), status);
    line(QStringLiteral("Completed:"), addDateField("COMP_DATE", page, false));
    grid->addWidget(addMemoField("MEMO", page), row++, 0, 1, 3);
    grid->setRowStretch(row, 1);

    // The notes of the current trace under the grid, and the account line.
    auto* browseNotes = addMemoField("MEMO", browsePage());
    browseNotes->setMaximumHeight(90);
    browseLayout()->addWidget(browseNotes);
    auto* accountRow = new QWidget(this);
    auto* accountLayout = new QHBoxLayout(accountRow);
    accountLayout->setContentsMargins(0, 0, 0, 0);
    auto* accountCaption = new QLabel(QStringLiteral("Account:"), accountRow);
    accountCaption->setStyleSheet(QStringLiteral("color: blue;"));
    account_ = new QLabel(accountRow);
    accountLayout->addWidget(accountCaption);
    accountLayout->addWidget(account_, 1);
    browseLayout()->addWidget(accountRow);
}

QWidget* TTraces::editorOf(const std::string& field) const { return fields().editorOf(field); }

// ---------------------------------------------------------------- FormShow

void TTraces::openTables() {
    shared::settings().CurrentLocCode = shared::settings().LocCode;
    db::Table& traces = openTable("TRACES.dbf");
    traces.setIndexName("DATE");
    accounts_ = &openTable("account.dbf");
    accounts_->setIndexName("FILE_CODE");
    traceCodes_ = &openTable("TRACCODE.DBF");
    traceCodes_->setIndexName("TR_CODE");
    salespeople_ = &openTable("MASTPER.DBF");
    salespeople_->setIndexName("SALES_ID");
    rules_ = std::make_unique<TraceCodeRules>(TraceCodeTables{accounts_, salespeople_, traceCodes_});

    setMainTable(traces, {{"TRACE_DATE", QStringLiteral("Trace Date")},
                          {"FILE_CODE", QStringLiteral("File Code")},
                          {"EVENT_NO", QStringLiteral("Event#")},
                          {"TRACE_CODE", QStringLiteral("Code")},
                          {"TRACE_DESC", QStringLiteral("Description")},
                          {"C_FIRST", QStringLiteral("First")},
                          {"C_LAST", QStringLiteral("Last")},
                          {"SALES_ID", QStringLiteral("Sales")},
                          {"MEMO", QStringLiteral("Notes")},
                          {"C_PHONE", QStringLiteral("Phone")},
                          {"C_EXT", QStringLiteral("Ext")},
                          {"COMP_DATE", QStringLiteral("COMP_DATE")},
                          {"COMP_BY", QStringLiteral("COMP_BY")},
                          {"STATUS", QStringLiteral("STATUS")},
                          {"EXPORTED", QStringLiteral("Exported")},
                          {"LOCCODE", QString()},
                          {"FROM_ID", QString()},
                          {"COUNT", QString()},
                          {"VLF", QString()}});
    for (int column = 15; column < 19; ++column) grid()->setColumnHidden(column, true);
    // Overdue rows in red, whatever their status.
    grid()->tableModel().setRowStyler([](const db::Table& t) {
        shared::RowStyle style;
        if (isOverdue(t.getDate("TRACE_DATE"), db::Date::today())) style.text = Qt::red;
        return style;
    });
    grid()->reload();
    account_->setText(QString::fromStdString(traces.recno() ? traces.getText("ACCT_NAME") : std::string()));
    connect(grid(), &shared::RecordGrid::currentRecordChanged, this, [this] {
        db::Table* t = mainTable();
        account_->setText(t && t->recno() ? QString::fromStdString(t->getText("ACCT_NAME")) : QString());
    });

    // A missing Letters.dbf stops here: the texts below keep their old values.
    loadLetters();
    traceUnit().filterText = QStringLiteral("File Code = ");
    traceUnit().reportHeaders = {};
    shared::TypeKeys(QStringLiteral(" "));
}

void TTraces::loadLetters() { letters_->load(); }

// ---------------------------------------------------------------- entries

void TTraces::prepareEntry(EntryAction action) { traceUnit().entryKind = action == EntryAction::Edit ? 2 : 1; }

void TTraces::rememberCopiedFields() {
    copied_.clear();
    for (const std::string& field : copiedTraceFields()) copied_.emplace_back(field, mainTable()->getText(field));
}

void TTraces::writeInitialValues(EntryAction action) {
    db::Table& trace = *mainTable();
    if (action == EntryAction::Add) {
        trace.setText("STATUS", kOpen);
    } else if (action == EntryAction::Copy) {
        for (const auto& [field, value] : copied_) calls::setFitted(trace, field, value);
    }
}

std::vector<shared::RequiredCheck> TTraces::requiredChecks() {
    std::vector<shared::RequiredCheck> checks;
    for (const std::string& field : traceRequiredFields()) {
        // A missing last name sends the user to the contact pick.
        QWidget* focus = field == "C_LAST" ? editorOf("C_FIRST") : editorOf(field);
        checks.push_back(requiredField(field, focus));
    }
    return checks;
}

void TTraces::writeStamps(int entryKind) {
    writeTraceStamps(*mainTable(), {entryKind, db::Date::today(), [] { return db::makeRecordKey(); }});
}

bool TTraces::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == trace_->edit()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && trace_->edit()->isEnabled())
            traceDateLeft();
    }
    return RecordWindow::eventFilter(watched, event);
}

void TTraces::traceDateLeft() {
    db::Table* trace = mainTable();
    if (!trace) return;
    if (const std::optional<QString> day = traceDayLabel(trace->getDate("TRACE_DATE"), trace->state()))
        label12_->setText(*day);
}

void TTraces::closeEvent(QCloseEvent* event) {
    // An edited trace is kept as it stands; a new one is dropped.
    if (db::Table* trace = mainTable()) {
        shared::runGuarded(this, [trace] {
            if (trace->state() == db::Table::State::Edit) trace->post();
            else if (trace->state() == db::Table::State::Insert) trace->cancel();
        }, windowTitle());
    }
    RecordWindow::closeEvent(event);
}

// ---------------------------------------------------------------- lookups

void TTraces::contactClicked() {
    db::Table* trace = mainTable();
    if (!trace) return;
    LookupRequest request = contact_->setup().lookup;
    request.filter = contactLookupFilter(trace->getText("FILE_CODE"));
    const std::string picked = shared::RunLookup(request, this);
    if (picked.empty()) return;
    copyContact(static_cast<uint32_t>(std::stoul(picked)));
}

void TTraces::copyContact(uint32_t recno) {
    db::Table* trace = mainTable();
    if (!trace || trace->state() == db::Table::State::Browse) return;
    copyContactInto(*trace, shared::settings().DataFolder, recno);
    fields().load();
}

void TTraces::salespersonPicked(const std::string& salesId) {
    db::Table* trace = mainTable();
    if (!trace || trace->state() == db::Table::State::Browse) return;
    trace->setText("SALES_ID", salesId);
    fields().load();
}

// ---------------------------------------------------------------- commands

void TTraces::deleteTrace() { deleteCurrent(QStringLiteral("Delete This Trace?"), QStringLiteral("Delete Trace")); }

void TTraces::reselectCurrent() {
    grid()->reload();
    grid()->clearSelection();
    grid()->showCurrentRecord();
    const int row = grid()->tableModel().rowOfCurrent();
    if (row >= 0) grid()->selectRow(row);
}

void TTraces::complete() {
    db::Table* traces = mainTable();
    if (!traces || inEntryMode() || traces->recno() == 0) return;
    shared::UserInteraction& ask = shared::userInteraction();
    const std::vector<uint32_t> selected = grid()->selectedRecnos();
    const uint32_t current = traces->recno();
    switch (completeAction(traces->getText("STATUS"))) {
    case CompleteAction::Close: {
        if (!ask.askYesNo(this, QStringLiteral("Close Traces"), QStringLiteral("Close Traces?"))) return;
        calls::AddCallPrefill last;
        try {
            last = closeTraces(*traces, {selected.begin(), selected.end()}, db::Date::today(),
                               shared::settings().SalesId);
        } catch (...) {
            // The traces before the failing one stay closed.
            if (traces->state() != db::Table::State::Browse) traces->cancel();
            traces->go(current);
            reselectCurrent();
            throw;
        }
        traces->go(current);
        reselectCurrent();
        if (ask.askYesNo(this, QStringLiteral("Add New Sales Call"), QStringLiteral("Add New Sales Call?")))
            callOpener()(last, this);
        break;
    }
    case CompleteAction::Reopen:
        if (!ask.askYesNo(this, QStringLiteral("Re-Open Traces"), QStringLiteral("Re-Open Traces?"))) return;
        try {
            reopenTraces(*traces, {selected.begin(), selected.end()}, db::Date::today());
        } catch (...) {
            if (traces->state() != db::Table::State::Browse) traces->cancel();
            traces->go(current);
            reselectCurrent();
            throw;
        }
        traces->go(current);
        reselectCurrent();
        break;
    case CompleteAction::None:
        break;
    }
}

void TTraces::find() { findWith(RunTraceFilter(QString::fromLatin1(kTraceFilterCaption), this)); }

void TTraces::findWith(const shared::FilterResult& filter) {
    shared::FilterResult shown = filter;
    if (shared::filterAction(filter.expression) == shared::FilterAction::Clear)
        shown.filterText = QString::fromLatin1(kAllTraces);
    applyFilter(shown);
    if (db::Table* traces = mainTable()) {
        traces->first();
        grid()->showCurrentRecord();
    }
}

void TTraces::print() { printWith(RunTraceFilter(QString::fromLatin1(kTraceFilterCaption), this)); }

void TTraces::printWith(const shared::FilterResult& filter) {
    if (shared::filterAction(filter.expression) == shared::FilterAction::Keep) return;
    // The printed filter stays on the list afterwards.
    applyFilter(filter);
    db::Table& traces = *mainTable();
    TraceReportSetup setup;
    setup.folder = shared::settings().DataFolder;
    setup.indexName = traces.indexName();
    setup.filter = traces.filter();
    setup.hotelName = QString::fromStdString(shared::settings().LocName);
    setup.headings = traceUnit().reportHeaders;
    reportShower()(traceReport(setup), this);
}

void TTraces::openLetter(const QString& letter) {
    db::Table* trace = mainTable();
    if (!trace || trace->recno() == 0) return;
    const QString path = QString::fromStdString(shared::settings().LettersFolder) + letter;
    const shared::LetterValues values = traceLetterValues(*trace, salespeople_, QDate::currentDate());
    QGuiApplication::clipboard()->setText(shared::letterHeading(values.date) + shared::addressBlock(values));
    const QString copy = shared::fillLetter(path, shared::letterMarkers(values), shared::letterWorkFolder());
    shared::openDocument(copy);
}

TTraces* OpenTraces(QMdiArea& area, const std::string& value, const std::string& /*mode*/) {
    auto* window = new TTraces;
    shared::showMdiChild(area, window, true);
    if (db::Table* traces = window->mainTable()) {
        shared::runGuarded(window, [&] {
            traces->setFilter(openTracesFilter());
            traces->first();
            window->grid()->reload();
        }, window->windowTitle());
    }
    window->filterTextLabel()->setText(openTracesFilterText(QString::fromStdString(value)));
    return window;
}

}  // namespace vv::traces
