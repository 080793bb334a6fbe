// A grid's rows over a table, read a page at a time as the view asks for
// them: a table of a million records opens, scrolls and re-sorts without
// reading every record.
//
// Rows are the table's visible records in its current order (tag and
// filter). The row count is the engine's count, taken once per reload().
// The model remembers, for every 64th row it has passed, which record stands
// there (an anchor), and reaches a row by walking from the nearest anchor or
// end of the table; in record order without hidden records row n is record
// n + 1 outright. Pages of rows (record number, column texts, row style)
// are cached, the least recently used dropped beyond a bound.
//
// The model walks the table the window edits, and puts its current record
// back after each walk. While a record is pending (insert or edit state) it
// does not move the table at all: pages not yet read show blank until the
// window is browsing again and calls reload().
//
// Call reload() after anything that changes which records are visible or
// their order: a filter, an order, a posted or deleted record.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>

#include "shared/table_cursor.h"

namespace vv::shared {

struct GridColumn {
    std::string field;  // empty: a blank column
    QString title;
};

// Colours of one row; an invalid colour keeps the view's own.
struct RowStyle {
    QColor text;
    QColor background;
};

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPageRows = 64;
    static constexpr std::size_t kMaxPages = 256;

    // Called with the table standing on the row's record.
    using RowStyler = std::function<RowStyle(const db::Table&)>;

    TableModel(db::Table& table, std::vector<GridColumn> columns, QObject* parent = nullptr);

    const std::vector<GridColumn>& columns() const { return columns_; }
    void setColumns(std::vector<GridColumn> columns);
    void setRowStyler(RowStyler styler);

    // Counts the visible records again and forgets every page and anchor.
    void reload();

    // The record number of a row; 0 when there is no such row or it could not be read.
    uint32_t recnoAt(int row);
    // Makes the row's record the table's current one; false when the row
    // cannot be read or a record is pending.
    bool goToRow(int row);
    // The row of the table's current record; -1 when there is none.
    int rowOfCurrent();

    TableCursor& cursor() { return cursor_; }
    db::Table& table() { return cursor_.table(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        uint32_t recno = 0;
        std::vector<QString> texts;
        RowStyle style;
    };
    struct Page {
        std::vector<Row> rows;
        uint64_t lastUse = 0;
    };

    const Row* row(int row);
    const Page* page(int pageNumber);
    Page readPage(int pageNumber);
    bool positionAt(int row);
    void noteAnchor(int row, uint32_t recno);
    Row readRow();
    void resolveColumns();
    void dropOldestPage();
    bool canMove() const;

    TableCursor cursor_;
    std::vector<GridColumn> columns_;
    std::vector<int> fieldIndexes_;  // per column; -1 for a blank column
    RowStyler styler_;

    int rows_ = 0;
    bool identity_ = false;  // row n is record n + 1
    std::unordered_map<int, Page> pages_;
    std::map<int, uint32_t> anchors_;             // row -> record
    std::unordered_map<uint32_t, int> anchorRows_;  // record -> row
    uint64_t useClock_ = 0;
};

}  // namespace vv::shared
