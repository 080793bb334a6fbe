#include "app/browse_file_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/browse_table_model.h"
#include "app/qbe_filter.h"
#include "app/tool_window.h"
#include "data/catalogue.h"
#include "data/table_encryption_commands.h"
#include "db/error.h"
#include "db/table.h"
#include "shared/error_box.h"
#include "shared/paths.h"
#include "shared/user_interaction.h"

namespace vv::app {

namespace {

const QString kWhere = QStringLiteral("Browse File");

// Saved filters live beside the tables, so every user of the data folder finds them.
constexpr const char* kFilterFile = "BROWSE.QBE";

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

TBrowsefile::TBrowsefile(std::string dataFolder, QWidget* parent)
    : QWidget(parent), dataFolder_(std::move(dataFolder)), filterFile_(shared::withTrailingSeparator(dataFolder_) + kFilterFile) {
    setObjectName(QStringLiteral("Browsefile"));
    setWindowTitle(QStringLiteral("Browse Data File"));
    makeToolWindow(this, TitleButtons::CloseOnly);

    auto* heading = new QLabel(QStringLiteral("Browse Data File"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    heading->setFont(big);

    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("Edit1"));
    connect(nameEdit_, &QLineEdit::textEdited, nameEdit_, [this](const QString& text) {
        const int cursor = nameEdit_->cursorPosition();
        nameEdit_->setText(text.toUpper());
        nameEdit_->setCursorPosition(cursor);
    });
    auto* ok = button("OK", "BitBtn1", this);
    connect(ok, &QPushButton::clicked, this, &TBrowsefile::okClicked);
    connect(nameEdit_, &QLineEdit::returnPressed, this, &TBrowsefile::okClicked);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("DBMemo1"));
    memo_->setMaximumHeight(memo_->fontMetrics().height() * 6);
    memo_->installEventFilter(this);
    memo_->hide();

    auto* filter = button("Filter", "FilterButton", this);
    connect(filter, &QPushButton::clicked, this, &TBrowsefile::filterClicked);
    deleteButton_ = button("Delete", "DeleteButton", this);
    connect(deleteButton_, &QPushButton::clicked, this, &TBrowsefile::deleteClicked);
    showDeletedButton_ = button("Show Deleted", "ShowDeletedButton", this);
    connect(showDeletedButton_, &QPushButton::clicked, this, &TBrowsefile::showDeletedClicked);
    auto* decrypt = button("Decrypt", "DecryptButton", this);
    connect(decrypt, &QPushButton::clicked, this, &TBrowsefile::decryptClicked);
    decrypt->hide();
    auto* encrypt = button("Encrypt", "EncryptButton", this);
    connect(encrypt, &QPushButton::clicked, this, &TBrowsefile::encryptClicked);
    encrypt->hide();

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Table:"), this));
    nameRow->addWidget(nameEdit_, 1);
    nameRow->addWidget(ok);
    nameRow->addStretch(2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(makeNavigator());
    bottom->addStretch(1);
    for (QPushButton* b : {filter, deleteButton_, showDeletedButton_, decrypt, encrypt}) bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(nameRow);
    layout->addWidget(grid_, 1);
    layout->addWidget(memo_);
    layout->addLayout(bottom);
    resize(820, 560);
}

TBrowsefile::~TBrowsefile() { closeTable(); }

QWidget* TBrowsefile::makeNavigator() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("DBNavigator1"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    for (const char* action : {"First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh"}) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QStringLiteral("nb") + QString::fromLatin1(action));
        b->setText(QString::fromLatin1(action));
        b->setToolTip(QString::fromLatin1(action));
        connect(b, &QToolButton::clicked, this, [this, action] { navigate(action); });
        row->addWidget(b);
    }
    return bar;
}

void TBrowsefile::closeTable() {
    grid_->setModel(nullptr);
    delete model_;
    model_ = nullptr;
    if (table_) {
        try {
            table_->close();
        } catch (const db::Error&) {
            // Closing discards what is pending; nothing is left to report.
        }
        table_.reset();
    }
    memoField_ = -1;
    memo_->clear();
    memo_->hide();
}

void TBrowsefile::okClicked() {
    closeTable();
    const QString typed = nameEdit_->text();
    const std::string file = typed.toStdString() + ".DBF";
    if (!shared::fileExists(dataFolder_ + file)) {
        shared::userInteraction().information(this, QStringLiteral("Could Not Find File ") + typed);
        nameEdit_->clear();
        nameEdit_->setFocus();
        return;
    }
    const std::string name = typed.toUpper().toStdString();
    if (name != tableName_) qbe_ = {};  // the conditions were another table's
    tableName_ = name;
    if (!shared::runGuarded(this, [&] { openTable(); }, kWhere)) closeTable();
}

void TBrowsefile::openTable() {
    table_ = db::Table::open(dataFolder_, tableName_ + ".DBF");
    if (table_->isEncrypted()) table_->enableEncryption(data::kTablePassword);
    memoField_ = table_->fieldIndex("MEMO");
    memo_->setVisible(memoField_ >= 0);
    if (!qbe_.empty()) {
        // The filter the user built for this table before, if it still compiles.
        try {
            const auto fields = qbeFields(table_->fields());
            table_->setFilter(qbe_.manualExpression.empty() ? buildQbeExpression(qbe_.conditions, fields, qbe_.options)
                                                            : qbe_.manualExpression);
        } catch (const db::Error&) {
            qbe_ = {};
        }
    }
    table_->first();
    model_ = new BrowseTableModel(*table_, this, this);
    grid_->setModel(model_);
    for (int c = 0; c < model_->columnCount(); ++c) grid_->resizeColumnToContents(c);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowChanged(current.row()); });
    connect(model_, &BrowseTableModel::recordStored, this, &TBrowsefile::reloadGrid);
    showCurrent();
}

void TBrowsefile::reloadGrid() {
    if (!model_) return;
    model_->reload();
    showCurrent();
}

void TBrowsefile::showCurrent() {
    const int row = model_->rowOfCurrent();
    syncing_ = true;
    if (row < 0) {
        grid_->selectionModel()->clear();
    } else {
        const QModelIndex index = model_->index(row, std::max(0, grid_->currentIndex().column()));
        grid_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid_->scrollTo(index);
    }
    syncing_ = false;
    recordShown();
}

void TBrowsefile::rowChanged(int row) {
    if (syncing_ || !model_ || row < 0) return;
    shared::runGuarded(this, [&] {
        storeMemo();
        model_->goToRow(row);
    }, kWhere);
    recordShown();
}

void TBrowsefile::recordShown() {
    const bool onRecord = table_ && table_->recno() != 0;
    deleteButton_->setText(onRecord && table_->isDeleted() ? QStringLiteral("Un-Delete") : QStringLiteral("Delete"));
    if (memoField_ < 0) return;
    memo_->setPlainText(onRecord ? QString::fromStdString(table_->getText(memoField_)) : QString());
    memo_->document()->setModified(false);
}

void TBrowsefile::storeMemo() {
    if (memoField_ < 0 || !table_ || !memo_->document()->isModified() || table_->recno() == 0) return;
    const std::string text = memo_->toPlainText().toStdString();
    memo_->document()->setModified(false);
    table_->edit();
    try {
        table_->setText(memoField_, text);
        table_->post();
    } catch (...) {
        if (table_->state() != db::Table::State::Browse) table_->cancel();
        throw;
    }
    model_->reload();
    showCurrent();
}

bool TBrowsefile::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo_ && event->type() == QEvent::FocusOut) shared::runGuarded(this, [this] { storeMemo(); }, kWhere);
    return QWidget::eventFilter(watched, event);
}

void TBrowsefile::navigate(const char* action) {
    if (!model_) return;
    const std::string a = action;
    shared::runGuarded(this, [&] {
        if (a == "Cancel") {
            if (table_->state() != db::Table::State::Browse) table_->cancel();
            recordShown();  // the memo as stored
            return;
        }
        storeMemo();
        shared::TableCursor& cursor = model_->cursor();
        if (a == "First") cursor.first();
        else if (a == "Prior") cursor.prior();
        else if (a == "Next") cursor.next();
        else if (a == "Last") cursor.last();
        else if (a == "Refresh") table_->refresh();
        else if (a == "Insert") {
            // The new record is stored blank and then filled in place, a cell at a time.
            table_->append();
            table_->post();
        } else if (a == "Delete") {
            if (table_->recno() == 0 || table_->isDeleted()) return;
            if (!shared::userInteraction().confirm(this, QStringLiteral("Delete record?"))) return;
            table_->deleteRecord();
        } else if (a == "Edit") {
            grid_->edit(grid_->currentIndex());
            return;
        }
        if (a == "Insert" || a == "Delete" || a == "Refresh") model_->reload();
        showCurrent();
        if (a == "Insert") grid_->edit(model_->index(std::max(0, model_->rowOfCurrent()), 0));
    }, kWhere);
}

void TBrowsefile::filterClicked() {
    if (!table_) return;
    QbeFilterDialog dialog(tableName_, qbeFields(table_->fields()), qbe_, filterFile_,
                           [this](const std::string& expression) {
                               db::Expression::compileFilter(expression, table_->fields(), table_->codePage());
                           },
                           this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    filterFile_ = dialog.filterFile();
    if (!accepted) return;
    shared::runGuarded(this, [&] {
        storeMemo();
        table_->setFilter(dialog.expression());
        qbe_ = dialog.state();
        table_->first();
        reloadGrid();
    }, kWhere);
}

void TBrowsefile::deleteClicked() {
    if (!table_ || table_->recno() == 0) return;
    shared::runGuarded(this, [&] {
        storeMemo();
        if (table_->isDeleted()) table_->recall();
        else table_->deleteRecord();
    }, kWhere);
    reloadGrid();
}

void TBrowsefile::showDeletedClicked() {
    showingDeleted_ = !showingDeleted_;
    db::Table::setShowDeleted(showingDeleted_);
    showDeletedButton_->setText(showingDeleted_ ? QStringLiteral("Hide Deleted") : QStringLiteral("Show Deleted"));
    if (!table_) return recordShown();
    shared::runGuarded(this, [&] {
        storeMemo();
        table_->refresh();
        // A record just hidden cannot stay current.
        if (table_->recno() != 0 && table_->isDeleted() && !showingDeleted_) {
            if (!model_->cursor().next()) model_->cursor().prior();
        }
    }, kWhere);
    reloadGrid();
}

void TBrowsefile::convertTables(bool encrypt) {
    // The conversions need the tables to themselves: let go of ours first.
    const bool wasOpen = table_ != nullptr;
    closeTable();
    shared::runGuarded(this, [&] {
        if (encrypt) data::encryptTables(dataFolder_);
        else data::decryptTables(dataFolder_);
    }, kWhere);
    if (wasOpen && !shared::runGuarded(this, [&] { openTable(); }, kWhere)) closeTable();
}

void TBrowsefile::encryptClicked() { convertTables(true); }
void TBrowsefile::decryptClicked() { convertTables(false); }

void TBrowsefile::closeEvent(QCloseEvent* event) {
    if (table_) shared::runGuarded(this, [this] { storeMemo(); }, kWhere);
    // The setting is the whole program's: leave it as the other windows expect it.
    db::Table::setShowDeleted(false);
    closeTable();
    QWidget::closeEvent(event);
}

void openBrowseFileWindow(QWidget* mainWindow, const std::string& dataFolder) {
    showCentred(new TBrowsefile(dataFolder, mainWindow), mainWindow);
}

}  // namespace vv::app
