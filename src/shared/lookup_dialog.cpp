#include "shared/lookup_dialog.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>

#include "db/error.h"
#include "shared/error_box.h"
#include "shared/focus_highlight.h"
#include "shared/grid_columns.h"
#include "shared/settings.h"
#include "shared/table_model.h"
#include "shared/user_interaction.h"

namespace vv::shared {

namespace {

constexpr int kClientWidth = 542;
constexpr int kClientHeight = 318;
constexpr int kGridTop = 64;
constexpr int kGridHeight = 206;

std::vector<GridColumn> gridColumns(const LookupRequest& request) {
    std::vector<GridColumn> columns;
    for (std::size_t i = 0; i < request.fields.size(); ++i) {
        const std::string title = i < request.captions.size() ? request.captions[i] : std::string();
        columns.push_back({request.fields[i], QString::fromStdString(title)});
    }
    return columns;
}

}  // namespace

TLookup::TLookup(const std::string& folder, const LookupRequest& request, QWidget* parent)
    : QDialog(parent), session_(std::make_unique<LookupSession>(folder, request)) {
    setObjectName(QStringLiteral("Lookup"));
    setWindowTitle(QStringLiteral("Lookup"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);

    heading_ = new QLabel(QString::fromStdString(request.caption), this);
    heading_->setObjectName(QStringLiteral("Label1"));
    heading_->setStyleSheet(QStringLiteral("color: blue; font-weight: bold;"));
    heading_->setGeometry(16, 8, kClientWidth - 32, 22);

    auto* lookFor = new QLabel(QStringLiteral("Look For:"), this);
    lookFor->setObjectName(QStringLiteral("Label2"));
    lookFor->setGeometry(25, 36, 64, 22);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("GLSearchEdit1"));
    search_->setGeometry(92, 34, 240, 24);
    FocusHighlight::attach(search_);
    connect(search_, &QLineEdit::textChanged, this, &TLookup::searchChanged);
    lookFor->setVisible(session_->hasSearchBox());
    search_->setVisible(session_->hasSearchBox());

    model_ = new TableModel(session_->table(), gridColumns(request), this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setTabKeyNavigation(true);
    grid_->setShowGrid(true);
    grid_->setWordWrap(false);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->verticalHeader()->setFixedWidth(12);  // the row indicator
    grid_->installEventFilter(this);

    std::vector<int> widths;
    const QFontMetrics metrics = grid_->fontMetrics();
    const auto& columns = model_->columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const db::FieldDef* field = columns[i].field.empty() ? nullptr : &session_->table().field(columns[i].field);
        widths.push_back(defaultColumnWidth(metrics, field, columns[i].title));
        grid_->setColumnWidth(static_cast<int>(i), widths.back());
    }
    const LookupGridGeometry geometry = LookupSession::gridGeometry(widths);
    grid_->setGeometry(geometry.left, kGridTop, geometry.width, kGridHeight);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { currentRowChanged(current.row()); });
    connect(grid_, &QAbstractItemView::doubleClicked, this, &QDialog::accept);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    ok->setGeometry(kClientWidth / 2 - 96, kClientHeight - 38, 88, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setAutoDefault(false);
    cancel->setGeometry(kClientWidth / 2 + 8, kClientHeight - 38, 88, 28);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(search_, grid_);
    setTabOrder(grid_, ok);
    setTabOrder(ok, cancel);
    (session_->hasSearchBox() ? static_cast<QWidget*>(search_) : grid_)->setFocus();
    showCurrentRecord();
}

TLookup::~TLookup() = default;

void TLookup::currentRowChanged(int row) {
    if (!syncing_ && row >= 0) model_->goToRow(row);
}

void TLookup::showCurrentRecord() {
    const int row = model_->rowOfCurrent();
    if (row < 0) return;
    syncing_ = true;
    grid_->selectionModel()->setCurrentIndex(model_->index(row, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid_->scrollTo(model_->index(row, 0));
    syncing_ = false;
}

void TLookup::searchChanged(const QString& text) {
    runGuarded(this, [&] {
        const std::string kept = session_->search(text.toStdString());
        if (kept != text.toStdString()) {
            const QSignalBlocker block(search_);
            search_->setText(QString::fromStdString(kept));
        }
        showCurrentRecord();
    });
}

void TLookup::deleteCurrentRow() {
    const int row = grid_->currentIndex().row();
    if (row < 0 || !model_->goToRow(row)) return;
    if (!userInteraction().confirm(this, QStringLiteral("Delete record?"))) return;
    runGuarded(this, [&] {
        session_->table().deleteRecord();
        model_->reload();
        showCurrentRecord();
    });
}

bool TLookup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier)) {
            deleteCurrentRow();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::string TLookup::value() {
    const int row = grid_->currentIndex().row();
    if (row < 0 || !model_->goToRow(row)) return {};
    return session_->currentValue();
}

std::string RunLookup(const LookupRequest& request, QWidget* parent) {
    std::string result;
    if (!parent) parent = QApplication::activeWindow();
    runGuarded(parent, [&] {
        TLookup dialog(settings().DataFolder, request, parent);
        if (dialog.exec() == QDialog::Accepted) result = dialog.value();
    }, QStringLiteral("Lookup"));
    return result;
}

}  // namespace vv::shared
