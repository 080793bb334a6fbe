#include "calls/sales_calls_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "calls/call_filter_dialog.h"
#include "calls/call_letter.h"
#include "calls/call_report.h"
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
#include "shared/user_interaction.h"

namespace vv::calls {

namespace {

using shared::CodeField;
using shared::EntryAction;
using shared::LookupRequest;

TSalesCalls::ReportShower& reportShower() {
    static TSalesCalls::ReportShower shower = [](const shared::Report& report, QWidget* parent) {
        shared::previewReport(report, parent);
    };
    return shower;
}

// Wraps a code lookup as the code field's exit check wants it: the label
// keeps its text when the rule says so.
shared::CodeCheck::LookUp exitCheck(std::function<CodeLookup(const std::string&)> rule, QLabel* label) {
    return [rule = std::move(rule), label](const std::string& code) -> std::optional<QString> {
        const CodeLookup found = rule(code);
        if (!found.found) return std::nullopt;
        return found.label ? *found.label : (label ? label->text() : QString());
    };
}

LookupRequest salespersonLookup() {
    return {"mastper", "", "sales_id", "", "Salesperson Lookup", {"sales_id", "sfirst", "slast"},
            {"Sales Id", "First Name", "Last Name"}};
}

}  // namespace

TSalesCalls::ReportShower TSalesCalls::setReportShower(ReportShower shower) {
    ReportShower previous = reportShower();
    reportShower() = std::move(shower);
    return previous;
}

TSalesCalls::TSalesCalls(QWidget* parent)
    : RecordWindow({QStringLiteral("Browse Calls"), QStringLiteral("Call Details"), true}, parent) {
    setWindowTitle(QStringLiteral("Sales Calls"));
    setObjectName(QStringLiteral("SalesCalls"));
    mainBar()->setWindowTitle(QStringLiteral("SalesCalls"));
    entryBar()->setWindowTitle(QStringLiteral("OKCancel"));
    buildToolbar();
    buildDetails();
}

TSalesCalls::~TSalesCalls() = default;

void TSalesCalls::buildToolbar() {
    addBarButton(QStringLiteral("&Add "), [this] { addCall(); });
    addBarButton(QStringLiteral("&Edit "), [this] { editCall(); });
    addBarButton(QStringLiteral("&Delete "), [this] { deleteCall(); });
    addBarButton(QStringLiteral("Copy"), [this] { copyCall(); });
    addBarSeparator();
    addBarButton(QStringLiteral("&Find "), [this] { find(); });
    addBarButton(QStringLiteral("&Print "), [this] { print(); });
    addBarButton(QStringLiteral("&Clipboard  "), [this] { copyContact(); });
    letters_ = std::make_unique<shared::LettersMenu>(this, mainBar(),
                                                     [this](const QString& letter) { openLetter(letter); });
    addBarSeparator();
    addNavigationButtons();
}

CodeField* TSalesCalls::codeField(const std::string& field, QLabel* description, bool upperCase,
                                  LookupRequest lookup) {
    shared::CodeFieldSetup setup;
    setup.field = field;
    setup.upperCase = upperCase;
    setup.lookup = std::move(lookup);
    return addCodeField(std::move(setup), description, detailsPage());
}

void TSalesCalls::buildDetails() {
    QWidget* page = detailsPage();
    auto* grid = new QGridLayout(page);
    int row = 0;
    auto label = [&](const QString& text, int r, int column) {
        auto* l = new QLabel(text, page);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(l, r, column);
        return l;
    };
    auto line = [&](const QString& text, QWidget* editor, QWidget* beside = nullptr) {
        if (!text.isEmpty()) label(text, row, 0);
        grid->addWidget(editor, row, 1);
        if (beside) grid->addWidget(beside, row, 2);
        ++row;
    };

    // --- File code: a new call takes the account's name and address; an
    // unknown code stands while adding and is refused while editing.
    QLabel* label21 = addDescriptionLabel(page);
    {
        shared::CodeFieldSetup s;
        s.field = "FILE_CODE";
        s.lookup = {"account", "acct_name", "file_code", "", "Account Lookup", {"file_code", "acct_name", "sales_id"},
                    {"File Code", "Account Name", "Sales Id"}};
        s.texts = {QStringLiteral("Account Not Found!"), QStringLiteral("Invalid File Code")};
        s.lookUp = exitCheck([this](const std::string& code) { return rules_->fileCode(*mainTable(), code); }, label21);
        s.rejectApplies = [this] { return rules_ && rules_->fileCodeRejected(mainTable()->state()); };
        fileCode_ = addCodeField(std::move(s), label21, page);
    }
    line(QStringLiteral("File Code:"), fileCode_, label21);

    // The event number is kept out of sight; storing still normalises it.
    QLineEdit* eventNo = addTextField("EVENT_NO", page, true);
    eventNo->hide();

    date_ = addDateField("DATE", page, false);
    auto* postedOn = addTextField("POSTED_ON", page);
    postedOn->setReadOnly(true);
    auto* dateRow = new QWidget(page);
    auto* dateLayout = new QHBoxLayout(dateRow);
    dateLayout->setContentsMargins(0, 0, 0, 0);
    dateLayout->addWidget(date_);
    dateLayout->addWidget(new QLabel(QStringLiteral("Posted On:"), dateRow));
    dateLayout->addWidget(postedOn);
    line(QStringLiteral("Date Of Call:"), dateRow);

    acctName_ = addTextField("ACCT_NAME", page);
    line(QStringLiteral("Account Name:"), acctName_);

    // --- Contact: salutation, first name, and the last name whose button picks a contact.
    salutation_ = new QComboBox(page);
    salutation_->setEditable(true);
    salutation_->addItems(
        {QStringLiteral("Mr."), QStringLiteral("Ms."), QStringLiteral("Mrs."), QStringLiteral("Dr.")});
    salutation_->setCurrentIndex(-1);
    fields().bindText(salutation_->lineEdit(), "C_SAL", false, salutation_);
    QLineEdit* first = addTextField("C_FIRST", page);
    {
        shared::CodeFieldSetup s;
        s.field = "C_LAST";
        s.upperCase = false;
        s.lookup = {"contacts", "file_code", "recno", "", "Contact Lookup", {"file_code", "c_first", "c_last"},
                    {"File Code", "First Name", "Last Name"}};
        contact_ = addCodeField(std::move(s), nullptr, page);
        // The pick returns a contact's record number, not a last name.
        disconnect(contact_->button(), nullptr, contact_, nullptr);
        connect(contact_->button(), &QToolButton::clicked, this,
                [this] { shared::runGuarded(this, [this] { contactClicked(); }, windowTitle()); });
    }
    auto* contactRow = new QWidget(page);
    auto* contactLayout = new QHBoxLayout(contactRow);
    contactLayout->setContentsMargins(0, 0, 0, 0);
    contactLayout->addWidget(salutation_);
    contactLayout->addWidget(first);
    contactLayout->addWidget(contact_);
    line(QStringLiteral("Contact Name:"), contactRow);

    title_ = codeField("C_TITLE", nullptr, false,
                       {"titles", "", "title_name", "", "Title Lookup", {"title_name"}, {"Title Description"}});
    line(QStringLiteral("Title:"), title_);
    line(QStringLiteral("Address:"), addTextField("ADDR1", page));
    line(QString(), addTextField("ADDR2", page));
    line(QStringLiteral("City:"), addTextField("CITY", page));
    line(QStringLiteral("State:"), addTextField("STATE", page, true));
    line(QStringLiteral("Zip:"), addTextField("ZIP", page, true));
    QLineEdit* email = addTextField("EMAIL", page);
    auto* mail = new shared::EmailLink([email] { return email->text(); }, page);
    line(QStringLiteral("Email:"), email, mail);
    line(QStringLiteral("Phone:"), addTextField("C_PHONE", page, true));
    line(QStringLiteral("Ext:"), addTextField("C_EXT", page, true));
    line(QStringLiteral("Fax:"), addTextField("C_FAX", page, true));

    // --- Salespeople, call type, trace.
    QLabel* label22 = addDescriptionLabel(page);
    {
        shared::CodeFieldSetup s;
        s.field = "SALES_ID";
        s.lookup = salespersonLookup();
        s.texts = {QStringLiteral("Unknown Salesperson!"), QStringLiteral("Invalid Sales ID")};
        s.lookUp = exitCheck([this](const std::string& code) { return rules_->salesId(*mainTable(), code); }, label22);
        salesId_ = addCodeField(std::move(s), label22, page);
    }
    line(QStringLiteral("Sales Rep:"), salesId_, label22);

    QLabel* label23 = addDescriptionLabel(page);
    {
        shared::CodeFieldSetup s;
        s.field = "CALL_TYPE";
        s.lookup = {"salecode", "sale_code", "sale_code", "", "Sales Call Code Lookup", {"sale_code", "sale_desc"},
                    {"Call Code", "Call Description"}};
        s.texts = {QStringLiteral("Unknown Call Type!"), QStringLiteral("Invalid Call Type")};
        s.lookUp = exitCheck([this](const std::string& code) { return rules_->callType(*mainTable(), code); }, label23);
        callType_ = addCodeField(std::move(s), label23, page);
    }
    line(QStringLiteral("Call Type:"), callType_, label23);

    label19_ = addDescriptionLabel(page);
    trace_ = addDateField("TRACE", page, false);
    trace_->edit()->installEventFilter(this);
    line(QStringLiteral("Trace Date:"), trace_, label19_);

    QLabel* label24 = addDescriptionLabel(page);
    {
        shared::CodeFieldSetup s;
        s.field = "TRACE_CODE";
        s.lookup = {"traccode", "tr_code", "tr_code", "", "Trace Code Lookup", {"tr_code", "tr_desc"},
                    {"Trace Code", "Trace Description"}};
        s.texts = {QStringLiteral("Unknown Trace Code!"), QStringLiteral("Invalid Trace Code")};
        s.lookUp = exitCheck(
            [this](const std::string& code) { return rules_->traceCode(*mainTable(), code); }, label24);
        traceCode_ = addCodeField(std::move(s), label24, page);
    }
    line(QStringLiteral("Trace Code:"), traceCode_, label24);

    QLabel* label25 = addDescriptionLabel(page);
    {
        shared::CodeFieldSetup s;
        s.field = "SALES_ID2";
        s.lookup = salespersonLookup();
        s.texts = {QStringLiteral("Unknown Salesperson!"), QStringLiteral("Invalid Sales ID")};
        s.lookUp = exitCheck([this](const std::string& code) { return rules_->salesId2(*mainTable(), code); }, label25);
        salesId2_ = addCodeField(std::move(s), label25, page);
    }
    line(QStringLiteral("CC:"), salesId2_, label25);

    auto* notes = addMemoField("MEMO", page);
    grid->addWidget(notes, row++, 0, 1, 3);

    // --- Segment and user codes, in a column of their own. Leaving any of
    // them checks the CC salesperson again; their own codes are not looked up.
    int side = 0;
    segment_ = codeField("SEGMENT", nullptr, true,
                         {"mastseg", "segment", "segment", "", "Market Segment Lookup", {"segment", "segname"},
                          {"Code", "Segment Description"}});
    label(QStringLiteral("Market Segment:"), side, 3);
    grid->addWidget(segment_, side++, 4);
    segment_->edit()->installEventFilter(this);
    for (int n = 1; n <= 5; ++n) {
        const std::string number = std::to_string(n);
        CodeField* code = codeField("U_CODE" + number, nullptr, true,
                                    {"ufile" + number, "u_code" + number, "u_code" + number, "", "User Field Lookup",
                                     {"u_code" + number, "u_name" + number}, {"Code", "Description"}});
        userCodes_[static_cast<std::size_t>(n - 1)] = code;
        userLabels_[static_cast<std::size_t>(n - 1)] = label(QStringLiteral("User Field %1:").arg(n), side, 3);
        grid->addWidget(code, side++, 4);
        code->edit()->installEventFilter(this);
    }
    grid->setRowStretch(row, 1);

    // The notes of the current call under the grid.
    auto* browseNotes = addMemoField("MEMO", browsePage());
    browseNotes->setMaximumHeight(90);
    browseLayout()->addWidget(browseNotes);
}

QWidget* TSalesCalls::editorOf(const std::string& field) const { return fields().editorOf(field); }

// ---------------------------------------------------------------- FormShow

void TSalesCalls::openTables() {
    shared::settings().CurrentLocCode = shared::settings().LocCode;
    db::Table& calls = openTable("SALECALL.DBF");
    calls.setIndexName("DATEDESC");
    traces_ = &openTable("TRACES.dbf");
    accounts_ = &openTable("account.dbf");
    accounts_->setIndexName("FILE_CODE");
    openTable("CONTACTS.dbf").setIndexName("FILE_CODE");
    callTypes_ = &openTable("SALECODE.DBF");
    callTypes_->setIndexName("SALE_CODE");
    traceCodes_ = &openTable("TRACCODE.DBF");
    traceCodes_->setIndexName("TR_CODE");
    salespeople_ = &openTable("MASTPER.DBF");
    salespeople_->setIndexName("SALES_ID");
    rules_ = std::make_unique<CallCodeRules>(CallCodeTables{accounts_, salespeople_, callTypes_, traceCodes_},
                                             CallForm::Window);

    setMainTable(calls, {{"LOCCODE", QString()},
                         {"FILE_CODE", QStringLiteral("FILE CODE")},
                         {"ACCT_NAME", QStringLiteral("ACCT NAME")},
                         {"C_LAST", QStringLiteral("LAST")},
                         {"C_FIRST", QStringLiteral("First")},
                         {"DATE", QStringLiteral("DATE")},
                         {"CALL_TYPE", QStringLiteral("TYPE")},
                         {"SALES_ID", QStringLiteral("SALES ID")},
                         {"C_PHONE", QStringLiteral("Phone")},
                         {"C_EXT", QStringLiteral("Ext")},
                         {"MEMO", QStringLiteral("Memo")},
                         {"EVENT_NO", QStringLiteral("EVENT NO")}});
    grid()->setColumnHidden(0, true);

    // A missing Letters.dbf stops here: the captions and texts below keep
    // their old values, as they always have.
    loadLetters();
    for (int n = 1; n <= 5; ++n)
        userLabels_[static_cast<std::size_t>(n - 1)]->setText(
            QString::fromStdString(shared::settings().UserFieldLabels[n]));
    callUnit().filterText = QStringLiteral("File Code = ");
    callUnit().reportHeaders = {};
}

void TSalesCalls::loadLetters() { letters_->load(); }

// ---------------------------------------------------------------- entries

void TSalesCalls::prepareEntry(EntryAction action) {
    CallUnit& unit = callUnit();
    if (action == EntryAction::Edit) {
        unit.entryKind = 2;
        unit.traceWanted = traceWantedOnEdit(*mainTable());
    } else {
        unit.entryKind = 1;
        unit.traceWanted = true;
    }
}

void TSalesCalls::rememberCopiedFields() {
    copied_.clear();
    for (const std::string& field : copiedCallFields()) copied_.emplace_back(field, mainTable()->getText(field));
}

void TSalesCalls::writeInitialValues(EntryAction action) {
    db::Table& call = *mainTable();
    const db::Date today = db::Date::today();
    if (action == EntryAction::Add) {
        call.setDate("POSTED_ON", today);
        call.setDate("DATE", today);
    } else if (action == EntryAction::Copy) {
        for (const auto& [field, value] : copied_) setFitted(call, field, value);
        call.setDate("DATE", today);
    }
}

std::vector<shared::RequiredCheck> TSalesCalls::requiredChecks() {
    std::vector<shared::RequiredCheck> checks;
    for (const RequiredCondition& condition : callRequiredConditions()) {
        QWidget* focus = editorOf(condition.focusField);
        checks.push_back({focus, [this, missing = condition.missing] { return missing(*mainTable()); }});
    }
    return checks;
}

void TSalesCalls::writeStamps(int) {
    const CallUnit& unit = callUnit();
    store_.emplace(*mainTable(), *traces_, *traceCodes_,
                   CallStoreSetup{CallForm::Window, unit.entryKind, unit.traceWanted, db::Date::today(),
                                  [] { return db::makeRecordKey(); }});
    store_->beforePost();
}

void TSalesCalls::storeDependents(int) {
    if (store_) store_->afterPost();
    store_.reset();
}

bool TSalesCalls::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* edit = qobject_cast<QLineEdit*>(watched);
        const bool userLeft = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && edit &&
                              edit->isEnabled() && edit->isVisible();
        if (userLeft && watched == trace_->edit()) {
            traceDateLeft();
        } else if (userLeft && inEntryMode()) {
            // The segment and the user codes share the CC salesperson's exit check.
            salesId2_->runExitCheck();
        }
    }
    return RecordWindow::eventFilter(watched, event);
}

void TSalesCalls::traceDateLeft() {
    db::Table* call = mainTable();
    if (!call) return;
    if (const std::optional<QString> day = calls::traceDayLabel(call->getDate("TRACE"), call->state()))
        label19_->setText(*day);
}

// ---------------------------------------------------------------- contact pick

void TSalesCalls::contactClicked() {
    db::Table* call = mainTable();
    if (!call) return;
    LookupRequest request = contact_->setup().lookup;
    request.filter = contactLookupFilter(call->getText("FILE_CODE"));
    const std::string picked = shared::RunLookup(request, this);
    if (picked.empty()) return;
    copyContact(static_cast<uint32_t>(std::stoul(picked)));
}

void TSalesCalls::copyContact(uint32_t recno) {
    db::Table* call = mainTable();
    if (!call || call->state() == db::Table::State::Browse) return;
    copyContactInto(*call, shared::settings().DataFolder, recno);
    fields().load();
}

// ---------------------------------------------------------------- commands

void TSalesCalls::deleteCall() {
    deleteCurrent(QStringLiteral("Delete This Sales Call?"), QStringLiteral("Delete Sales Call"));
}

void TSalesCalls::find() { applyFilter(RunCallFilter(this)); }

void TSalesCalls::print() { printReport(RunCallFilter(this)); }

void TSalesCalls::printReport(const shared::FilterResult& filter) {
    const shared::FilterAction action = shared::filterAction(filter.expression);
    if (action == shared::FilterAction::Keep) return;
    applyFilter(filter);
    if (action == shared::FilterAction::Apply)
        printAddress_ = shared::userInteraction().askYesNo(this, QString::fromLatin1(kPrintAddressCaption),
                                                     QString::fromLatin1(kPrintAddressQuestion));
    db::Table& calls = *mainTable();
    CallReportSetup setup;
    setup.folder = shared::settings().DataFolder;
    setup.indexName = calls.indexName();
    setup.filter = calls.filter();
    setup.hotelName = QString::fromStdString(shared::settings().LocName);
    setup.headings = callUnit().reportHeaders;
    setup.address = printAddress_;
    reportShower()(callReport(setup), this);
}

void TSalesCalls::copyContact() {
    db::Table* call = mainTable();
    if (!call || call->recno() == 0) return;
    const shared::LetterValues values = letterValuesOf(*call, salespeople_, QDate::currentDate());
    QGuiApplication::clipboard()->setText(shared::addressBlock(values));
    shared::userInteraction().beep();
    shared::userInteraction().information(this, QString::fromLatin1(kContactCopied));
}

void TSalesCalls::openLetter(const QString& letter) {
    db::Table* call = mainTable();
    if (!call || call->recno() == 0) return;
    const QString path = QString::fromStdString(shared::settings().LettersFolder) + letter;
    const shared::LetterValues values = letterValuesOf(*call, salespeople_, QDate::currentDate());
    QGuiApplication::clipboard()->setText(shared::letterHeading(values.date) + shared::addressBlock(values));
    const QString copy = shared::fillLetter(path, shared::letterMarkers(values), shared::letterWorkFolder());
    shared::openDocument(copy);
}

TSalesCalls* OpenSalesCalls(QMdiArea& area, const std::string& filter) {
    auto* window = new TSalesCalls;
    shared::showMdiChild(area, window, true);
    if (db::Table* calls = window->mainTable()) {
        shared::runGuarded(window, [&] {
            calls->setFilter(filter);
            window->grid()->reload();
        }, window->windowTitle());
    }
    window->filterTextLabel()->setText(QString::fromStdString(filter));
    return window;
}

}  // namespace vv::calls
