#include "shared/record_window.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "data/catalogue.h"
#include "db/table.h"
#include "shared/date_field.h"
#include "shared/enter_as_tab.h"
#include "shared/error_box.h"
#include "shared/field_binder.h"
#include "shared/lock_retry.h"
#include "shared/record_grid.h"
#include "shared/settings.h"
#include "shared/user_interaction.h"

namespace vv::shared {

namespace {

QLabel* blueLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: blue;"));
    return label;
}

QString withoutAccelerator(QString caption) { return caption.remove(QLatin1Char('&')); }

// Restores the cursor however the work ends.
class HourglassCursor {
public:
    HourglassCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassCursor() { QApplication::restoreOverrideCursor(); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};

}  // namespace

RecordWindow::RecordWindow(const RecordWindowLayout& layout, QWidget* parent)
    : QWidget(parent), layout_(layout), fields_(new FieldBinder(this)) {
    setAttribute(Qt::WA_DeleteOnClose);

    mainBar_ = new QToolBar(this);
    mainBar_->setObjectName(QStringLiteral("MainBar"));
    mainBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    entryBar_ = new QToolBar(this);
    entryBar_->setObjectName(QStringLiteral("EntryBar"));
    entryBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ok_ = entryBar_->addAction(QStringLiteral("&OK"));
    ok_->setToolTip(QStringLiteral("OK"));
    cancel_ = entryBar_->addAction(QStringLiteral("&Cancel"));
    cancel_->setToolTip(QStringLiteral("Cancel"));
    connect(ok_, &QAction::triggered, this, &RecordWindow::saveEntry);
    connect(cancel_, &QAction::triggered, this, &RecordWindow::cancelEntry);
    entryBar_->hide();

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    browsePage_ = new QWidget;
    browseLayout_ = new QVBoxLayout(browsePage_);
    detailsPage_ = new QWidget;
    pages_->addTab(browsePage_, layout_.browseTitle);
    pages_->addTab(detailsPage_, layout_.detailsTitle);

    auto* filterBox = new QGroupBox(this);
    auto* filterRow = new QHBoxLayout(filterBox);
    filterRow->addWidget(blueLabel(QStringLiteral("Filter:"), filterBox));
    filterText_ = new QLabel(filterBox);
    filterText_->setObjectName(QStringLiteral("LabelFilterText"));
    filterRow->addWidget(filterText_, 1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 2);
    column->addWidget(mainBar_);
    column->addWidget(entryBar_);
    column->addWidget(pages_, 1);
    column->addWidget(filterBox);

    EnterAsTab::install(this);
}

RecordWindow::~RecordWindow() {
    // The grid and the bound editors must let go of the tables before they close.
    fields_->setTable(nullptr);
    delete grid_;
    grid_ = nullptr;
    main_ = nullptr;
    tables_.clear();
}

db::Table& RecordWindow::openTable(const std::string& fileName) {
    std::unique_ptr<db::Table> table = db::Table::open(settings().DataFolder, fileName);
    if (table->isEncrypted()) table->enableEncryption(data::kTablePassword);
    tables_.push_back(std::move(table));
    return *tables_.back();
}

void RecordWindow::setMainTable(db::Table& table, std::vector<GridColumn> columns) {
    main_ = &table;
    delete grid_;
    grid_ = new RecordGrid(table, std::move(columns), browsePage_);
    browseLayout_->insertWidget(0, grid_, 1);
    connect(grid_, &RecordGrid::currentRecordChanged, this, &RecordWindow::recordChanged);
    connect(grid_, &QAbstractItemView::doubleClicked, this, &RecordWindow::showDetails);
    fields_->setTable(&table);
    recordChanged();
}

void RecordWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    runGuarded(this, [this] { openTables(); }, windowTitle());
    enableControls(false);
}

// ---------------------------------------------------------------- building

QAction* RecordWindow::addBarButton(const QString& caption, std::function<void()> handler) {
    QAction* action = mainBar_->addAction(caption);
    action->setToolTip(withoutAccelerator(caption));
    connect(action, &QAction::triggered, this,
            [this, handler = std::move(handler)] { runGuarded(this, handler, windowTitle()); });
    return action;
}

void RecordWindow::addBarSeparator() { mainBar_->addSeparator(); }

void RecordWindow::addNavigationButtons() {
    prior_ = addBarButton(QStringLiteral("Prior"), [this] {
        if (grid_) grid_->moveBy(-1);
    });
    next_ = addBarButton(QStringLiteral("Next"), [this] {
        if (grid_) grid_->moveBy(1);
    });
    updateNavigation();
}

QLabel* RecordWindow::addDescriptionLabel(QWidget* parent) {
    QLabel* label = blueLabel(QString(), parent);
    descriptions_.push_back(label);
    return label;
}

CodeField* RecordWindow::addCodeField(CodeFieldSetup setup, QLabel* description, QWidget* parent) {
    auto* field = new CodeField(*fields_, std::move(setup), description, parent);
    codeFields_.push_back(field);
    return field;
}

DateField* RecordWindow::addDateField(const std::string& field, QWidget* parent, bool highlight) {
    return new DateField(*fields_, field, parent, highlight);
}

QLineEdit* RecordWindow::addTextField(const std::string& field, QWidget* parent, bool upperCase) {
    auto* edit = new QLineEdit(parent);
    fields_->bindText(edit, field, upperCase);
    return edit;
}

QPlainTextEdit* RecordWindow::addMemoField(const std::string& field, QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    fields_->bindMemo(memo, field);
    return memo;
}

// ---------------------------------------------------------------- hooks

QWidget* RecordWindow::firstEntryField() const {
    if (!codeFields_.empty()) return codeFields_.front()->edit();
    const std::vector<QWidget*> editors = fields_->editors();
    return editors.empty() ? nullptr : editors.front();
}

void RecordWindow::enableControls(bool enabled) { fields_->setEnabled(enabled); }

RequiredCheck RecordWindow::requiredField(const std::string& field, QWidget* focus) const {
    return {focus, [this, field] { return !main_ || RequiredFields::fieldEmpty(*main_, field); }};
}

bool RecordWindow::okToSave() { return checkRequiredFields(this, requiredChecks()); }

// ---------------------------------------------------------------- handlers

void RecordWindow::startEntry(EntryAction action) {
    if (!main_ || entryMode_) return;
    runGuarded(this, [&] {
        pages_->setTabEnabled(0, false);
        pages_->setCurrentIndex(1);
        entryAction_ = action;
        entryKind_ = action == EntryAction::Edit ? 2 : 1;
        prepareEntry(action);
        if (action == EntryAction::Copy) rememberCopiedFields();
        entryMode_ = true;

        db::Table& table = *main_;
        LockRetry::run(
            [&] {
                if (action == EntryAction::Edit)
                    table.edit();
                else
                    table.append();
                writeInitialValues(action);
            },
            [&] { table.cancel(); },
            [&](const db::Error&) { return userInteraction().askRetry(this, QString::fromLatin1(kLockRetryQuestion)); });

        mainBar_->hide();
        if (layout_.entryBar) entryBar_->show();
        enableControls(true);
        fields_->load();
        if (action != EntryAction::Copy)
            if (QWidget* first = firstEntryField()) first->setFocus(Qt::OtherFocusReason);
    }, windowTitle());
}

void RecordWindow::saveEntry() {
    if (!main_ || !entryMode_) return;
    runGuarded(this, [&] {
        if (!okToSave()) return;
        writeStamps(entryKind_);
        main_->post();
        storeDependents(entryKind_);
        leaveEntryMode();
    }, windowTitle());
}

void RecordWindow::cancelEntry() {
    if (!main_ || !entryMode_) return;
    clearDescriptionLabels();
    mainBar_->show();
    entryBar_->hide();
    const bool cancelled = runGuarded(this, [&] { main_->cancel(); }, windowTitle());
    enableControls(false);
    pages_->setTabEnabled(0, true);
    entryMode_ = false;
    if (cancelled) runGuarded(this, [&] { grid_->reload(); }, windowTitle());
    fields_->load();
}

void RecordWindow::leaveEntryMode() {
    clearDescriptionLabels();
    enableControls(false);
    mainBar_->show();
    entryBar_->hide();
    pages_->setTabEnabled(0, true);
    entryMode_ = false;
    grid_->reload();
}

void RecordWindow::deleteCurrent(const QString& question, const QString& caption) {
    if (!main_ || entryMode_ || main_->recno() == 0) return;
    if (!userInteraction().askYesNo(this, caption, question)) return;
    runGuarded(this, [&] {
        main_->deleteRecord();
        grid_->reload();
    }, windowTitle());
}

void RecordWindow::applyFilter(const FilterResult& result) {
    if (!main_) return;
    const FilterAction action = filterAction(result.expression);
    if (action == FilterAction::Keep) return;
    filter_ = result;
    filterText_->setText(result.filterText);
    runGuarded(this, [&] {
        if (action == FilterAction::Clear) {
            if (!main_->filter().empty()) main_->clearFilter();
        } else {
            const HourglassCursor hourglass;
            main_->setFilter(result.expression);
        }
        grid_->reload();
    }, windowTitle());
}

void RecordWindow::showDetails() { pages_->setCurrentIndex(1); }

void RecordWindow::clearDescriptionLabels() {
    for (QLabel* label : descriptions_) label->clear();
}

void RecordWindow::recordChanged() {
    if (!entryMode_) fields_->load();
    updateNavigation();
    onCurrentRecordChanged();
}

void RecordWindow::updateNavigation() {
    if (!prior_ || !next_) return;
    prior_->setEnabled(grid_ && !grid_->atFirstRow());
    next_->setEnabled(grid_ && !grid_->atLastRow());
}

}  // namespace vv::shared
