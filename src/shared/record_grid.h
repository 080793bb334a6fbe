// The browse grid of a record window: a lazy TableModel over the window's
// main table, the current row kept as the table's current record, several
// rows selectable at once, per-row colours from the window, and re-sorting
// by a click on a column title (SortChoice) with exactly one sort mark. The
// grid's own sorting is not used: the order is the index tag's.
#pragma once

#include <cstdint>
#include <vector>

#include <QTableView>

#include "shared/sort_choice.h"
#include "shared/table_model.h"

namespace vv::shared {

class RecordGrid : public QTableView {
    Q_OBJECT
public:
    RecordGrid(db::Table& table, std::vector<GridColumn> columns, QWidget* parent = nullptr);

    TableModel& tableModel() const { return *model_; }
    db::Table& table() const { return model_->table(); }

    // Reads the table afresh (after a filter, order, post or delete) and
    // shows its current record.
    void reload();
    // Puts the grid's current row on the table's current record.
    void showCurrentRecord();
    // Moves the current row by `delta`; false at either end.
    bool moveBy(int delta);
    bool atFirstRow() const;
    bool atLastRow() const;

    // The record numbers of the selected rows, top to bottom (the current
    // row's alone when nothing is selected).
    std::vector<uint32_t> selectedRecnos();

    // A click on a column title: orders the table by its field when a tag
    // leads with it, and moves the one sort mark there.
    void columnTitleClicked(int column);  // dxDBGrid1ColumnClick
    int markedColumn() const { return sortMark_.markedColumn(); }

signals:
    // The table's current record changed with the grid's current row.
    void currentRecordChanged();
    // The order changed by a click on a column title.
    void orderChanged();

private:
    void currentRowChanged(const QModelIndex& current);
    void showMark();

    TableModel* model_ = nullptr;
    SortMark sortMark_;
    bool syncing_ = false;
};

}  // namespace vv::shared
