#include "shared/record_grid.h"

#include <algorithm>

#include <QHeaderView>

#include "shared/error_box.h"
#include "shared/grid_columns.h"

namespace vv::shared {

RecordGrid::RecordGrid(db::Table& table, std::vector<GridColumn> columns, QWidget* parent)
    : QTableView(parent), model_(new TableModel(table, std::move(columns), this)) {
    setObjectName(QStringLiteral("dxDBGrid1"));
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);  // all changes go through the toolbar
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(12);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    const auto& cols = model_->columns();
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const db::FieldDef* field = cols[i].field.empty() ? nullptr : &table.field(cols[i].field);
        setColumnWidth(static_cast<int>(i), defaultColumnWidth(fontMetrics(), field, cols[i].title));
    }
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &RecordGrid::columnTitleClicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &RecordGrid::currentRowChanged);
    showCurrentRecord();
}

void RecordGrid::currentRowChanged(const QModelIndex& current) {
    if (syncing_ || !current.isValid()) return;
    bool moved = false;
    runGuarded(this, [&] { moved = model_->goToRow(current.row()); });
    if (moved) emit currentRecordChanged();
}

void RecordGrid::showCurrentRecord() {
    const int row = model_->rowOfCurrent();
    syncing_ = true;
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = model_->index(row, std::max(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    syncing_ = false;
    emit currentRecordChanged();
}

void RecordGrid::reload() {
    model_->reload();
    showCurrentRecord();
}

bool RecordGrid::moveBy(int delta) {
    const int row = currentIndex().row() + delta;
    if (currentIndex().row() < 0 || row < 0 || row >= model_->rowCount()) return false;
    const QModelIndex index = model_->index(row, std::max(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    return true;
}

bool RecordGrid::atFirstRow() const { return currentIndex().row() <= 0; }

bool RecordGrid::atLastRow() const {
    return currentIndex().row() < 0 || currentIndex().row() >= model_->rowCount() - 1;
}

std::vector<uint32_t> RecordGrid::selectedRecnos() {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty() && currentIndex().isValid()) rows.push_back(currentIndex().row());
    std::sort(rows.begin(), rows.end());
    std::vector<uint32_t> recnos;
    for (int row : rows)
        if (const uint32_t recno = model_->recnoAt(row)) recnos.push_back(recno);
    return recnos;
}

void RecordGrid::columnTitleClicked(int column) {
    runGuarded(this, [&] {
        if (column < 0 || column >= model_->columnCount()) return;
        const std::string& field = model_->columns()[static_cast<std::size_t>(column)].field;
        const std::optional<std::string> order = SortChoice::forColumn(table().tags(), field);
        if (!order) return;
        table().setIndexFieldNames(*order);
        sortMark_.markColumn(column);
        reload();
        emit orderChanged();
    });
    // The header flips its own indicator on every click; put back the one mark.
    showMark();
}

void RecordGrid::showMark() {
    horizontalHeader()->setSortIndicator(sortMark_.markedColumn(), Qt::DescendingOrder);
}

}  // namespace vv::shared
