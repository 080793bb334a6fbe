#include "tracking/tracking_window.h"

#include <QAction>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "db/error.h"
#include "db/table.h"
#include "shared/code_field.h"
#include "shared/date_field.h"
#include "shared/error_box.h"
#include "shared/field_binder.h"
#include "shared/focus_highlight.h"
#include "shared/lock_retry.h"
#include "shared/mdi_child.h"
#include "shared/record_grid.h"
#include "shared/report_renderer.h"
#include "shared/settings.h"
#include "shared/user_interaction.h"
#include "tracking/bound_controls.h"
#include "tracking/grid_cells.h"
#include "tracking/tracking_filter_dialog.h"
#include "tracking/tracking_report.h"

namespace vv::tracking {

using shared::EntryAction;
using shared::userInteraction;

namespace {

const char* const kEditRetryQuestion = "Cannot Edit Record...try again?";

// The list's columns; the hidden ones are there but not shown.
struct ListColumn {
    const char* field;
    const char* title;
    bool hidden = false;
};
const ListColumn kColumns[] = {
    {"LOCCODE", "Hotel"},         {"DATE", "Date"},           {"DEP_DATE", "", true},
    {"SEGMENT", "Segment"},       {"CORP_NO", "Corp No"},     {"ROOMS", "Rooms"},
    {"RATE", "Rate"},             {"RMREV", "Rm Rev"},        {"BOOKER_NO", "Booker NO"},
    {"BONUS_PTS", "", true},      {"BON_CODE", "", true},     {"TOTAL_PTS", "", true},
    {"SALES_ID", "Sales Id"},     {"USER", "", true},         {"EVENT_NO", "Event #"},
    {"CONTROL_NO", "", true},     {"POST_METH", "Post Method"}, {"RATE_CODE", "Rate Code"},
};

int columnOf(const char* field) {
    for (std::size_t i = 0; i < std::size(kColumns); ++i)
        if (std::string_view(kColumns[i].field) == field) return static_cast<int>(i);
    return -1;
}

QLabel* fieldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// The record window asks the usual lock question; Edit in this window words
// it its own way. While Edit starts, the question goes through this.
class EditRetryWording : public shared::UserInteraction {
public:
    void setInner(std::unique_ptr<shared::UserInteraction> inner) { inner_ = std::move(inner); }
    std::unique_ptr<shared::UserInteraction> releaseInner() { return std::move(inner_); }

    void beep() override { inner_->beep(); }
    void information(QWidget* parent, const QString& text) override { inner_->information(parent, text); }
    bool askRetry(QWidget* parent, const QString& text) override {
        const bool usual = text == QString::fromLatin1(shared::kLockRetryQuestion);
        return inner_->askRetry(parent, usual ? QString::fromLatin1(kEditRetryQuestion) : text);
    }
    bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override {
        return inner_->askYesNo(parent, caption, text);
    }
    bool confirm(QWidget* parent, const QString& text) override { return inner_->confirm(parent, text); }
    std::optional<QDate> pickDate(QWidget* parent, const QDate& start) override {
        return inner_->pickDate(parent, start);
    }
    void openUrl(const QUrl& url) override { inner_->openUrl(url); }

private:
    std::unique_ptr<shared::UserInteraction> inner_;
};

// Puts EditRetryWording in front of the program's UserInteraction for its lifetime.
class EditRetryScope {
public:
    EditRetryScope() {
        auto wording = std::make_unique<EditRetryWording>();
        EditRetryWording* raw = wording.get();
        raw->setInner(shared::setUserInteraction(std::move(wording)));
    }
    ~EditRetryScope() {
        std::unique_ptr<shared::UserInteraction> wording = shared::setUserInteraction(nullptr);
        shared::setUserInteraction(static_cast<EditRetryWording&>(*wording).releaseInner());
    }
    EditRetryScope(const EditRetryScope&) = delete;
    EditRetryScope& operator=(const EditRetryScope&) = delete;
};

}  // namespace

TTracking::TTracking(QWidget* parent, TrackingClock clock)
    : RecordWindow({QStringLiteral("Browse Tracking"), QStringLiteral("Tracking Details"), false}, parent),
      clock_(std::move(clock)),
      showReport_([](const shared::Report& report, QWidget* owner) { shared::previewReport(report, owner); }) {
    setWindowTitle(QStringLiteral("Tracking"));
    setObjectName(QStringLiteral("Tracking"));
    buildToolbar();
    buildDetails();
}

TTracking::~TTracking() = default;

void TTracking::buildToolbar() {
    add_ = addBarButton(QStringLiteral("&Add"), [this] { addClicked(); });
    edit_ = addBarButton(QStringLiteral("&Edit"), [this] { editClicked(); });
    delete_ = addBarButton(QStringLiteral("&Delete"), [this] { deleteClicked(); });
    addBarSeparator();
    find_ = addBarButton(QStringLiteral("&Find"), [this] { findClicked(); });
    print_ = addBarButton(QStringLiteral("&Print"), [this] { printClicked(); });
    addBarSeparator();
    previous_ = addBarButton(QStringLiteral("Previous"), [this] { previousClicked(); });
    next_ = addBarButton(QStringLiteral("Next"), [this] { nextClicked(); });
    // Arrow buttons; their hints say where they go.
    previous_->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    next_->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    for (QAction* arrow : {previous_, next_})
        if (auto* button = mainBar()->widgetForAction(arrow))
            if (auto* tool = qobject_cast<QToolButton*>(button)) tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TTracking::buildDetails() {
    QWidget* page = detailsPage();
    auto* form = new QGridLayout(page);
    int row = 0;
    auto addRow = [&](const char* label, QWidget* control, QWidget* beside = nullptr) {
        form->addWidget(fieldLabel(QString::fromLatin1(label), page), row, 0);
        form->addWidget(control, row, 1);
        if (beside) form->addWidget(beside, row, 2);
        ++row;
    };

    date_ = addDateField("DATE", page, true);

    // The account's name stays after a save or Cancel: not one of the
    // labels the record window clears.
    accountLabel_ = new QLabel(page);
    accountLabel_->setStyleSheet(QStringLiteral("color: blue;"));
    shared::CodeFieldSetup corp;
    corp.field = "CORP_NO";
    corp.lookup = {"account", "acct_name", "corp_no", "", "Account Lookup",
                   {"corp_no", "acct_name", "segment"}, {"Corporate #", "Account Name", "Segment"}};
    corpNo_ = addCodeField(corp, accountLabel_, page);

    segmentWarning_ = addDescriptionLabel(page);
    segmentWarning_->setStyleSheet(QStringLiteral("color: red;"));
    shared::CodeFieldSetup segment;
    segment.field = "SEGMENT";
    segment.lookup = {"mastseg", "segment", "segment", "", "Segment Lookup",
                      {"segment", "segname", ""}, {"Segment", "Segment Description", ""}};
    segment_ = addCodeField(segment, nullptr, page);

    rooms_ = new NumberEdit("ROOMS", 4, 0, false, page);
    rate_ = new NumberEdit("RATE", 3, 2, true, page);

    shared::CodeFieldSetup sales;
    sales.field = "SALES_ID";
    sales.lookup = {"mastper", "sales_id", "sales_id", "", "Salesperson Lookup",
                    {"sales_id", "sfirst", "slast"}, {"Sales Id", "First Name", "Last Name"}};
    salesId_ = addCodeField(sales, nullptr, page);

    rateTier_ = new TierSpin("RATE_TIER", page);

    shared::CodeFieldSetup rateCode;
    rateCode.field = "RATE_CODE";
    rateCode.lookup = {"ratecode", "code", "code", "", "Rate Code Lookup",
                       {"code", "desc", ""}, {"Code", "Code Description", ""}};
    rateCode.texts = {QString(), QStringLiteral("Invalid Rate Code")};
    rateCode.lookUp = [this](const std::string& code) -> std::optional<QString> {
        if (entry_ && !entry_->rateCodeKnown(code)) return std::nullopt;
        return QString();
    };
    rateCode_ = addCodeField(rateCode, nullptr, page);

    ok_ = new QPushButton(QStringLiteral("OK"), page);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), page);
    connect(ok_, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelClicked(); });
    auto* buttons = new QWidget(page);
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addWidget(ok_);
    buttonRow->addWidget(cancel_);
    buttonRow->addStretch(1);

    extStay_ = new FlagCheck(QString(), "EXTSTAY", page);

    addRow("Date:", date_);
    addRow("Corp No:", corpNo_, accountLabel_);
    addRow("Segment:", segment_, segmentWarning_);
    addRow("Rooms:", rooms_);
    addRow("Rate:", rate_);
    addRow("Sales Person:", salesId_);
    addRow("Rate Tier:", rateTier_);
    addRow("Rate Code:", rateCode_);
    form->addWidget(buttons, row++, 1);
    addRow("Extended Stay:", extStay_);
    form->setColumnStretch(2, 1);
    form->setRowStretch(row, 1);

    for (shared::CodeField* field : {corpNo_, segment_, salesId_}) field->edit()->installEventFilter(this);
}

// ---------------------------------------------------------------- opening

void TTracking::openTables() {
    shared::Settings& s = shared::settings();
    s.CurrentLocCode = s.LocCode;

    db::Table& sales = openTable("SALES.DBF");
    sales.setIndexName("DATE");
    db::Table& accounts = openTable("ACCOUNT.DBF");
    accounts.setIndexName("CORP_NO");
    db::Table& segments = openTable("MASTSEG.DBF");
    segments.setIndexName("SEGMENT");
    db::Table* rateCodes = nullptr;
    try {
        rateCodes = &openTable("RATECODE.DBF");
    } catch (const db::Error& e) {
        // Not every data folder has rate codes; without them codes go unchecked.
        if (e.kind() != db::ErrorKind::FileNotFound) throw;
    }
    if (rateCodes) rateCodes->setIndexName("CODE");

    std::vector<shared::GridColumn> columns;
    for (const ListColumn& c : kColumns) columns.push_back({c.field, QString::fromLatin1(c.title)});
    setMainTable(sales, std::move(columns));

    entry_ = std::make_unique<TrackingEntry>(TrackingTables{&sales, &accounts, &segments, rateCodes}, clock_);
    entry_->forgetLastCorpNoAndSegment();

    shared::RecordGrid* list = grid();
    for (std::size_t i = 0; i < std::size(kColumns); ++i)
        if (kColumns[i].hidden) list->setColumnHidden(static_cast<int>(i), true);
    list->setItemDelegateForColumn(columnOf("RATE"), new CurrencyCell(list));
    list->setItemDelegateForColumn(columnOf("SALES_ID"), new CentredCell(list));
    list->setItemDelegateForColumn(columnOf("POST_METH"), new CentredCell(list));
    // A double click on the list does nothing here.
    disconnect(list, &QAbstractItemView::doubleClicked, this, nullptr);

    rooms_->setTable(&sales);
    rate_->setTable(&sales);
    rateTier_->setTable(&sales);
    extStay_->setTable(&sales);
    loadOwnControls();
    pages()->setCurrentIndex(0);
}

// ---------------------------------------------------------------- hooks

void TTracking::writeInitialValues(EntryAction action) {
    if (!entry_) return;
    const shared::Settings& s = shared::settings();
    if (action == EntryAction::Edit)
        entry_->fillBlanks();
    else if (continuing_)
        entry_->writeNextRecord(s.KeepFields == "Y");
    else
        entry_->writeNewRecord(s.CurrentLocCode);
}

QWidget* TTracking::firstEntryField() const { return date_->edit(); }

void TTracking::enableControls(bool enabled) {
    RecordWindow::enableControls(enabled);  // date and the code fields
    for (QWidget* control : std::initializer_list<QWidget*>{rooms_, rate_, rateTier_}) control->setEnabled(enabled);
    ok_->setVisible(enabled);
    cancel_->setVisible(enabled);
}

std::vector<shared::RequiredCheck> TTracking::requiredChecks() {
    std::vector<shared::RequiredCheck> checks;
    for (const std::string& field : TrackingEntry::requiredFields()) {
        QWidget* focus = field == "DATE"      ? date_->edit()
                         : field == "SEGMENT" ? segment_->edit()
                         : field == "SALES_ID" ? salesId_->edit()
                                               : corpNo_->edit();
        checks.push_back(requiredField(field, focus));
    }
    return checks;
}

void TTracking::writeStamps(int entryKind) {
    const shared::Settings& s = shared::settings();
    entry_->writeSaveValues(entryKind, s.CurrentLocCode, s.SalesId);
}

void TTracking::storeDependents(int) { entry_->rememberSaved(); }

void TTracking::onCurrentRecordChanged() {
    if (!inEntryMode()) loadOwnControls();
}

void TTracking::loadOwnControls() {
    rooms_->load();
    rate_->load();
    rateTier_->load();
    extStay_->load();
}

// ---------------------------------------------------------------- exit checks

bool TTracking::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* edit = qobject_cast<QLineEdit*>(watched);
        // A dialog or menu coming up, or the window closing, is not the user leaving the field.
        const bool left = edit && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                          edit->isEnabled() && edit->isVisible();
        db::Table* sales = mainTable();
        if (left && entry_ && sales && sales->state() != db::Table::State::Browse) {
            if (edit == corpNo_->edit()) corpNoLeft();
            else segmentLeft(edit);
        }
    }
    return RecordWindow::eventFilter(watched, event);
}

void TTracking::corpNoLeft() {
    shared::FocusHighlight::paint(corpNo_->edit(), false);
    CorpNoCheck check;
    if (!shared::runGuarded(this, [&] { check = entry_->checkCorpNo(entryKind()); }, windowTitle())) return;
    switch (check.outcome) {
    case CorpNoCheck::Outcome::Empty: break;
    case CorpNoCheck::Outcome::Found:
        accountLabel_->setText(QString::fromStdString(check.accountName));
        fields().load();
        break;
    case CorpNoCheck::Outcome::NotFound:
        userInteraction().beep();
        fields().load();
        accountLabel_->setText(QStringLiteral("Account Not Found!"));
        corpNo_->edit()->setFocus(Qt::OtherFocusReason);
        tellLater(QStringLiteral("Please Use A Valid Corp Number!"));
        break;
    }
}

void TTracking::segmentLeft(QWidget* from) {
    shared::FocusHighlight::paint(from, false);
    SegmentCheck check;
    if (!shared::runGuarded(this, [&] { check = entry_->checkSegment(); }, windowTitle())) return;
    switch (check.outcome) {
    case SegmentCheck::Outcome::Empty:
    case SegmentCheck::Outcome::Found: break;
    case SegmentCheck::Outcome::MatchesAccount: segmentWarning_->clear(); break;
    case SegmentCheck::Outcome::DiffersFromAccount:
        userInteraction().beep();
        segmentWarning_->setText(QString::fromStdString(check.accountSegment));
        break;
    case SegmentCheck::Outcome::NotFound:
        userInteraction().beep();
        fields().load(segment_->edit());
        segment_->edit()->setFocus(Qt::OtherFocusReason);
        tellLater(QStringLiteral("Please Use A Valid Segment!"));
        break;
    }
}

// Shown once the focus change the check interrupted is over.
void TTracking::tellLater(const QString& text) {
    QTimer::singleShot(0, this, [this, text] { userInteraction().information(this, text); });
}

// ---------------------------------------------------------------- commands

void TTracking::addClicked() {
    startEntry(EntryAction::Add);
    loadOwnControls();
}

void TTracking::editClicked() {
    if (!mainTable() || mainTable()->recno() == 0) return;  // no record to edit
    {
        const EditRetryScope wording;
        startEntry(EntryAction::Edit);
    }
    loadOwnControls();
}

void TTracking::okClicked() {
    if (!entry_ || !inEntryMode()) return;
    const int kind = entryKind();
    saveEntry();
    if (inEntryMode()) return;  // not stored: the window stays as it was
    if (kind == kNewRecord) {
        continuing_ = true;
        startEntry(EntryAction::Add);
        continuing_ = false;
        pages()->setTabEnabled(0, true);
    }
    loadOwnControls();
}

void TTracking::cancelClicked() {
    cancelEntry();
    loadOwnControls();
}

void TTracking::deleteClicked() {
    db::Table* sales = mainTable();
    if (!sales || !entry_ || inEntryMode() || sales->recno() == 0) return;
    if (!userInteraction().askYesNo(this, QStringLiteral("Delete Tracking Transaction"),
                                    QStringLiteral("Delete This Tranasaction?")))
        return;
    shared::runGuarded(this, [&] {
        if (entry_->correctAccountForDelete() == AccountCorrection::NotFound)
            shared::showError(this, std::runtime_error("Account Not Found"));
        sales->deleteRecord();
        grid()->reload();
    }, windowTitle());
    fields().load();
    loadOwnControls();
}

shared::FilterResult TTracking::runFilter() { return RunTrackingFilter(filterTextLabel()->text(), this); }

void TTracking::findClicked() {
    if (!mainTable() || inEntryMode()) return;
    applyFilter(runFilter());
}

void TTracking::printClicked() {
    db::Table* sales = mainTable();
    if (!sales || inEntryMode()) return;
    const shared::FilterResult result = runFilter();
    const shared::FilterAction action = shared::filterAction(result.expression);
    if (action == shared::FilterAction::Keep) return;
    applyFilter(result);
    if (action == shared::FilterAction::Apply && sales->filter() != result.expression) return;  // refused
    shared::runGuarded(this, [&] {
        const shared::Report report = trackingReport(sales->folder(), sales->indexName(), sales->filter());
        showReport_(report, this);
    }, windowTitle());
}

void TTracking::previousClicked() {
    if (grid()) grid()->moveBy(-1);
}

void TTracking::nextClicked() {
    if (grid()) grid()->moveBy(1);
}

void OpenTracking(QMdiArea& area) { shared::showMdiChild(area, new TTracking); }

}  // namespace vv::tracking
