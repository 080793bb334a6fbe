#include "calls/add_call_form.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "calls/account_statistics.h"
#include "calls/call_store.h"
#include "calls/field_text.h"
#include "data/catalogue.h"
#include "db/error.h"
#include "db/record_key.h"
#include "db/table.h"
#include "shared/code_field.h"
#include "shared/date_field.h"
#include "shared/enter_as_tab.h"
#include "shared/error_box.h"
#include "shared/field_binder.h"
#include "shared/lock_retry.h"
#include "shared/lookup_dialog.h"
#include "shared/mdi_child.h"
#include "shared/required_check.h"
#include "shared/settings.h"
#include "shared/user_interaction.h"

namespace vv::calls {

namespace {

using shared::CodeField;

QLabel* blueLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setStyleSheet(QStringLiteral("color: blue;"));
    return label;
}

shared::CodeCheck::LookUp exitCheck(std::function<CodeLookup(const std::string&)> rule) {
    return [rule = std::move(rule)](const std::string& code) -> std::optional<QString> {
        const CodeLookup found = rule(code);
        if (!found.found) return std::nullopt;
        return found.label.value_or(QString());
    };
}

}  // namespace

TAddCall::TAddCall(QWidget* parent) : QWidget(parent), fields_(new shared::FieldBinder(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Add Sales Call"));
    setObjectName(QStringLiteral("AddCall"));
    build();
    shared::EnterAsTab::install(this);
}

TAddCall::~TAddCall() {
    // The editors let go of the call before the tables close; a call still
    // pending is discarded with its table.
    fields_->setTable(nullptr);
    tables_.clear();
}

db::Table& TAddCall::openTable(const std::string& file, const std::string& tag) {
    auto table = db::Table::open(shared::settings().DataFolder, file);
    if (table->isEncrypted()) table->enableEncryption(vv::data::kTablePassword);
    if (!tag.empty()) table->setIndexName(tag);
    tables_.push_back(std::move(table));
    return *tables_.back();
}

void TAddCall::build() {
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    column->addLayout(grid);
    int row = 0;
    auto line = [&](const QString& text, QWidget* editor, QWidget* beside = nullptr) {
        auto* l = new QLabel(text, this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(l, row, 0);
        grid->addWidget(editor, row, 1);
        if (beside) grid->addWidget(beside, row, 2);
        ++row;
    };
    auto text = [&](const std::string& field, bool upper, bool enabled = true) {
        auto* edit = new QLineEdit(this);
        fields_->bindText(edit, field, upper);
        edit->setProperty("vvFixedDisabled", !enabled);
        return edit;
    };
    auto code = [&](const std::string& field, QLabel* label, shared::LookupRequest lookup, QString notFound,
                    QString rejection, std::function<CodeLookup(const std::string&)> rule) {
        shared::CodeFieldSetup s;
        s.field = field;
        s.lookup = std::move(lookup);
        s.texts = {std::move(notFound), std::move(rejection)};
        if (rule) s.lookUp = exitCheck(std::move(rule));
        auto* f = new CodeField(*fields_, std::move(s), label, this);
        if (label) descriptions_.push_back(label);
        return f;
    };
    const shared::LookupRequest salespeople{"mastper", "", "sales_id", "", "Salesperson Lookup",
                                            {"sales_id", "sfirst", "slast"}, {"Sales Id", "First Name", "Last Name"}};

    label21_ = blueLabel(this);
    fileCode_ = code("FILE_CODE", label21_,
                     {"account", "acct_name", "file_code", "", "Account Lookup", {"file_code", "acct_name", "sales_id"},
                      {"File Code", "Account Name", "Sales Id"}},
                     QStringLiteral("Account Not Found!"), QStringLiteral("Invalid File Code"),
                     [this](const std::string& c) { return rules_->fileCode(*calls_, c); });
    line(QStringLiteral("File Code:"), fileCode_, label21_);
    text("EVENT_NO", true)->hide();

    auto* date = new shared::DateField(*fields_, "DATE", this, false);
    auto* posted = text("POSTED_ON", false);
    posted->setReadOnly(true);
    auto* dateRow = new QWidget(this);
    auto* dateLayout = new QHBoxLayout(dateRow);
    dateLayout->setContentsMargins(0, 0, 0, 0);
    dateLayout->addWidget(date);
    dateLayout->addWidget(new QLabel(QStringLiteral("Posted On:"), dateRow));
    dateLayout->addWidget(posted);
    line(QStringLiteral("Date Of Call:"), dateRow);
    line(QStringLiteral("Account Name:"), text("ACCT_NAME", false, false));

    auto* sal = new QComboBox(this);
    sal->setEditable(true);
    sal->addItems({QStringLiteral("Mr."), QStringLiteral("Ms."), QStringLiteral("Mrs."), QStringLiteral("Dr.")});
    fields_->bindText(sal->lineEdit(), "C_SAL", false, sal);
    QLineEdit* first = text("C_FIRST", false, false);
    {
        shared::CodeFieldSetup s;
        s.field = "C_LAST";
        s.upperCase = false;
        s.lookup = {"contacts", "file_code", "recno", "", "Contact Lookup", {"file_code", "c_first", "c_last"},
                    {"File Code", "First Name", "Last Name"}};
        contact_ = new CodeField(*fields_, std::move(s), nullptr, this);
        disconnect(contact_->button(), nullptr, contact_, nullptr);
        connect(contact_->button(), &QToolButton::clicked, this, [this] {
            shared::runGuarded(this, [this] {
                shared::LookupRequest request = contact_->setup().lookup;
                request.filter = contactLookupFilter(calls_->getText("FILE_CODE"));
                const std::string picked = shared::RunLookup(request, this);
                if (picked.empty()) return;
                copyContactInto(*calls_, shared::settings().DataFolder, static_cast<uint32_t>(std::stoul(picked)));
                fields_->load();
            }, windowTitle());
        });
    }
    auto* contactRow = new QWidget(this);
    auto* contactLayout = new QHBoxLayout(contactRow);
    contactLayout->setContentsMargins(0, 0, 0, 0);
    contactLayout->addWidget(sal);
    contactLayout->addWidget(first);
    contactLayout->addWidget(contact_);
    line(QStringLiteral("Contact Name:"), contactRow);

    shared::CodeFieldSetup title;
    title.field = "C_TITLE";
    title.upperCase = false;
    title.lookup = {"titles", "", "title_name", "", "Title Lookup", {"title_name"}, {"Title Description"}};
    line(QStringLiteral("Title:"), new CodeField(*fields_, std::move(title), nullptr, this));
    line(QStringLiteral("Address:"), text("ADDR1", false, false));
    line(QString(), text("ADDR2", false, false));
    line(QStringLiteral("City:"), text("CITY", false, false));
    line(QStringLiteral("State:"), text("STATE", true));
    line(QStringLiteral("Zip:"), text("ZIP", true));
    line(QStringLiteral("Email:"), text("EMAIL", false, false));
    line(QStringLiteral("Phone:"), text("C_PHONE", true));
    line(QStringLiteral("Ext:"), text("C_EXT", true));
    line(QStringLiteral("Fax:"), text("C_FAX", true));

    QLabel* label22 = blueLabel(this);
    salesId_ = code("SALES_ID", label22, salespeople, QStringLiteral("Unknown Salesperson!"),
                    QStringLiteral("Invalid Sales ID"),
                    [this](const std::string& c) { return rules_->salesId(*calls_, c); });
    line(QStringLiteral("Sales Rep:"), salesId_, label22);
    QLabel* label23 = blueLabel(this);
    callType_ = code("CALL_TYPE", label23,
                     {"salecode", "sale_code", "sale_code", "", "Sales Call Code Lookup", {"sale_code", "sale_desc"},
                      {"Call Code", "Call Description"}},
                     QStringLiteral("Unknown Call Type!"), QStringLiteral("Invalid Call Type"),
                     [this](const std::string& c) { return rules_->callType(*calls_, c); });
    line(QStringLiteral("Call Type:"), callType_, label23);
    label19_ = blueLabel(this);
    descriptions_.push_back(label19_);
    trace_ = new shared::DateField(*fields_, "TRACE", this, false);
    trace_->edit()->installEventFilter(this);
    line(QStringLiteral("Trace Date:"), trace_, label19_);
    QLabel* label24 = blueLabel(this);
    traceCode_ = code("TRACE_CODE", label24,
                      {"traccode", "tr_code", "tr_code", "", "Trace Code Lookup", {"tr_code", "tr_desc"},
                       {"Trace Code", "Trace Description"}},
                      QStringLiteral("Unknown Trace Code!"), QStringLiteral("Invalid Trace Code"),
                      [this](const std::string& c) { return rules_->traceCode(*calls_, c); });
    line(QStringLiteral("Trace Code:"), traceCode_, label24);
    QLabel* label25 = blueLabel(this);
    salesId2_ = code("SALES_ID2", label25, salespeople, QStringLiteral("Unknown Salesperson!"),
                     QStringLiteral("Invalid Sales ID"),
                     [this](const std::string& c) { return rules_->salesId2(*calls_, c); });
    line(QStringLiteral("CC:"), salesId2_, label25);
    auto* notes = new QPlainTextEdit(this);
    fields_->bindMemo(notes, "MEMO");
    grid->addWidget(notes, row++, 0, 1, 3);

    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    ok_->setFocusPolicy(Qt::NoFocus);  // a code typed into the focused field is stored unchecked, as in the window
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    column->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, [this] { shared::runGuarded(this, [this] { ok(); }, windowTitle()); });
    connect(cancel_, &QPushButton::clicked, this, &TAddCall::cancel);
}

QWidget* TAddCall::editorOf(const std::string& field) const { return fields_->editorOf(field); }

bool TAddCall::start() {
    bool started = false;
    shared::runGuarded(this, [&] {
        calls_ = &openTable("SALECALL.DBF", "DATEDESC");
        traces_ = &openTable("TRACES.dbf", "");
        accounts_ = &openTable("account.dbf", "FILE_CODE");
        openTable("CONTACTS.dbf", "LAST");
        callTypes_ = &openTable("SALECODE.DBF", "SALE_CODE");
        traceCodes_ = &openTable("TRACCODE.DBF", "TR_CODE");
        salespeople_ = &openTable("MASTPER.DBF", "SALES_ID");
        rules_ = std::make_unique<CallCodeRules>(CallCodeTables{accounts_, salespeople_, callTypes_, traceCodes_},
                                                 CallForm::QuickCall);
        // Letters.dbf is opened and closed again: a folder without it starts no call.
        db::Table::open(shared::settings().DataFolder, "Letters.dbf");
        fields_->setTable(calls_);

        started = shared::LockRetry::run(
            [&] {
                calls_->append();
                const db::Date today = db::Date::today();
                calls_->setDate("POSTED_ON", today);
                calls_->setDate("DATE", today);
            },
            [&] { calls_->cancel(); },
            [&](const db::Error&) {
                return shared::userInteraction().askRetry(this, QString::fromLatin1(shared::kLockRetryQuestion));
            });
    }, windowTitle());
    fields_->setEnabled(true);
    for (QWidget* editor : fields_->editors())
        if (editor->property("vvFixedDisabled").toBool()) editor->setEnabled(false);
    fields_->load();
    if (QWidget* last = editorOf("C_LAST")) last->setFocus(Qt::OtherFocusReason);
    return started;
}

void TAddCall::prefill(const AddCallPrefill& v) {
    shared::runGuarded(this, [&] {
        if (!calls_) throw db::Error(db::ErrorKind::InvalidState, "SALECALL.DBF is not open");
        setFitted(*calls_, "FILE_CODE", v.fileCode);
        fields_->load();
        callType_->edit()->setFocus(Qt::OtherFocusReason);
        const std::pair<const char*, const std::string*> values[] = {
            {"ACCT_NAME", &v.acctName}, {"ADDR1", &v.addr1},  {"ADDR2", &v.addr2},    {"CITY", &v.city},
            {"STATE", &v.state},        {"ZIP", &v.zip},      {"C_SAL", &v.sal},      {"C_FIRST", &v.first},
            {"C_LAST", &v.last},        {"C_PHONE", &v.phone}, {"C_EXT", &v.ext},     {"C_FAX", &v.fax},
            {"EMAIL", &v.email},        {"SALES_ID", &v.salesId}};
        for (const auto& [field, value] : values) setFitted(*calls_, field, *value);
        fields_->load();
    }, windowTitle());
}

void TAddCall::ok() {
    if (!calls_ || calls_->state() == db::Table::State::Browse) return;
    std::vector<shared::RequiredCheck> checks;
    for (const RequiredCondition& condition : callRequiredConditions())
        checks.push_back(
            {editorOf(condition.focusField), [this, missing = condition.missing] { return missing(*calls_); }});
    if (!shared::checkRequiredFields(this, checks)) return;

    const db::Date today = db::Date::today();
    const std::string fileCode = calls_->getText("FILE_CODE");
    const db::Date callDate = calls_->getDate("DATE");
    const db::Date trace = calls_->getDate("TRACE");
    CallStore store(*calls_, *traces_, *traceCodes_,
                    CallStoreSetup{CallForm::QuickCall, 1, true, today, [] { return db::makeRecordKey(); }});
    store.store();

    // The account's statistics, through a table of their own.
    auto accounts = db::Table::open(shared::settings().DataFolder, "account.dbf");
    if (accounts->isEncrypted()) accounts->enableEncryption(vv::data::kTablePassword);
    accounts->setIndexName("FILE_CODE");
    if (!updateAccountStatistics(*accounts, fileCode, callDate, trace, today))
        shared::userInteraction().information(this, QString::fromLatin1(kStatisticNotUpdated));
    accounts->close();
    closeForm();
}

void TAddCall::cancel() {
    if (calls_) shared::runGuarded(this, [&] { calls_->cancel(); }, windowTitle());
    closeForm();
}

void TAddCall::closeForm() {
    fields_->setTable(nullptr);
    shared::closeWindowOf(this);
}

bool TAddCall::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == trace_->edit() && calls_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            if (const std::optional<QString> day = traceDayLabel(calls_->getDate("TRACE"), calls_->state()))
                label19_->setText(*day);
    }
    return QWidget::eventFilter(watched, event);
}

TAddCall* OpenAddCall(QMdiArea* area, const AddCallPrefill& values) {
    auto* form = new TAddCall;
    if (area) shared::showMdiChild(*area, form, true);
    else form->show();
    form->start();
    form->prefill(values);
    return form;
}

}  // namespace vv::calls
