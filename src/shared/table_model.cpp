#include "shared/table_model.h"

#include <algorithm>
#include <limits>

#include "db/error.h"

namespace vv::shared {

namespace {

// Puts the table back on the record it stood on before a walk.
class RestorePosition {
public:
    explicit RestorePosition(TableCursor& cursor) : cursor_(cursor), recno_(cursor.recno()) {}
    ~RestorePosition() {
        if (recno_ == 0 || cursor_.recno() == recno_) return;
        try {
            cursor_.go(recno_);
        } catch (const db::Error&) {
            // The record went away under us (the file shrank): the next reload shows it.
        }
    }
    RestorePosition(const RestorePosition&) = delete;
    RestorePosition& operator=(const RestorePosition&) = delete;

private:
    TableCursor& cursor_;
    uint32_t recno_;
};

}  // namespace

TableModel::TableModel(db::Table& table, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), cursor_(table), columns_(std::move(columns)) {
    resolveColumns();
    reload();
}

void TableModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    resolveColumns();
    pages_.clear();
    endResetModel();
}

void TableModel::setRowStyler(RowStyler styler) {
    beginResetModel();
    styler_ = std::move(styler);
    pages_.clear();
    endResetModel();
}

void TableModel::resolveColumns() {
    fieldIndexes_.clear();
    for (const GridColumn& c : columns_) {
        if (c.field.empty()) {
            fieldIndexes_.push_back(-1);
            continue;
        }
        const int index = cursor_.table().fieldIndex(c.field);
        if (index < 0) cursor_.table().field(c.field);  // throws FieldNotFound naming the table
        fieldIndexes_.push_back(index);
    }
}

void TableModel::reload() {
    beginResetModel();
    pages_.clear();
    anchors_.clear();
    anchorRows_.clear();
    const uint32_t visible = cursor_.visibleCount();
    rows_ = static_cast<int>(std::min<uint32_t>(visible, std::numeric_limits<int>::max()));
    identity_ = cursor_.recordOrder() && visible == cursor_.physicalCount();
    endResetModel();
}

bool TableModel::canMove() const { return cursor_.table().state() == db::Table::State::Browse; }

void TableModel::noteAnchor(int row, uint32_t recno) {
    if (row % kPageRows != 0 || recno == 0) return;
    anchors_[row] = recno;
    anchorRows_[recno] = row;
}

bool TableModel::positionAt(int target) {
    if (identity_) {
        cursor_.go(static_cast<uint32_t>(target) + 1);
        return true;
    }
    // Start from whichever is nearest: an anchor below or above, or an end.
    int from = 0;
    uint32_t fromRecno = 0;  // 0: the first or last record
    int distance = target;
    if (rows_ - 1 - target < distance) {
        from = rows_ - 1;
        distance = rows_ - 1 - target;
    }
    auto above = anchors_.lower_bound(target);
    if (above != anchors_.end() && above->first - target < distance) {
        from = above->first;
        fromRecno = above->second;
        distance = above->first - target;
    }
    if (above != anchors_.begin()) {
        auto below = std::prev(above);
        if (target - below->first < distance) {
            from = below->first;
            fromRecno = below->second;
        }
    }
    if (fromRecno != 0) {
        cursor_.go(fromRecno);
    } else if (from == 0) {
        if (!cursor_.first()) return false;
    } else if (!cursor_.last()) {
        return false;
    }
    noteAnchor(from, cursor_.recno());
    for (int r = from; r < target;) {
        if (!cursor_.next()) return false;
        noteAnchor(++r, cursor_.recno());
    }
    for (int r = from; r > target;) {
        if (!cursor_.prior()) return false;
        noteAnchor(--r, cursor_.recno());
    }
    return true;
}

TableModel::Row TableModel::readRow() {
    const db::Table& table = cursor_.table();
    Row row;
    row.recno = table.recno();
    row.texts.reserve(fieldIndexes_.size());
    for (int index : fieldIndexes_) {
        QString text = index < 0 ? QString() : QString::fromStdString(table.getText(index));
        // A grid row is one line: the notes of a memo run on.
        if (text.contains(QLatin1Char('\n'))) text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        row.texts.push_back(std::move(text));
    }
    if (styler_) row.style = styler_(table);
    return row;
}

TableModel::Page TableModel::readPage(int pageNumber) {
    Page page;
    const int start = pageNumber * kPageRows;
    const int end = std::min(start + kPageRows, rows_);
    RestorePosition restore(cursor_);
    if (!positionAt(start)) return page;
    for (int r = start; r < end; ++r) {
        if (r > start) {
            if (!cursor_.next()) break;  // fewer records than counted: another user deleted some
            noteAnchor(r, cursor_.recno());
        }
        page.rows.push_back(readRow());
    }
    return page;
}

const TableModel::Page* TableModel::page(int pageNumber) {
    if (auto it = pages_.find(pageNumber); it != pages_.end()) {
        it->second.lastUse = ++useClock_;
        return &it->second;
    }
    if (!canMove()) return nullptr;
    Page fresh;
    try {
        fresh = readPage(pageNumber);
    } catch (const db::Error&) {
        // A row the view paints must not end the program; the rows stay blank.
        return nullptr;
    }
    if (pages_.size() >= kMaxPages) dropOldestPage();
    fresh.lastUse = ++useClock_;
    return &pages_.emplace(pageNumber, std::move(fresh)).first->second;
}

void TableModel::dropOldestPage() {
    auto oldest = std::min_element(pages_.begin(), pages_.end(),
                                   [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
    if (oldest != pages_.end()) pages_.erase(oldest);
}

const TableModel::Row* TableModel::row(int r) {
    if (r < 0 || r >= rows_) return nullptr;
    const Page* p = page(r / kPageRows);
    if (!p) return nullptr;
    const std::size_t offset = static_cast<std::size_t>(r % kPageRows);
    return offset < p->rows.size() ? &p->rows[offset] : nullptr;
}

uint32_t TableModel::recnoAt(int r) {
    const Row* found = row(r);
    return found ? found->recno : 0;
}

bool TableModel::goToRow(int r) {
    if (!canMove()) return false;
    const uint32_t recno = recnoAt(r);
    if (recno == 0) return false;
    if (cursor_.recno() != recno) cursor_.go(recno);
    return true;
}

int TableModel::rowOfCurrent() {
    const uint32_t recno = cursor_.recno();
    if (recno == 0 || rows_ == 0) return -1;
    if (identity_) return recno <= static_cast<uint32_t>(rows_) ? static_cast<int>(recno) - 1 : -1;
    for (const auto& [number, p] : pages_)
        for (std::size_t i = 0; i < p.rows.size(); ++i)
            if (p.rows[i].recno == recno) return number * kPageRows + static_cast<int>(i);
    if (auto it = anchorRows_.find(recno); it != anchorRows_.end()) return it->second;
    if (!canMove()) return -1;

    // Walk back until an anchor or the first record tells the row.
    RestorePosition restore(cursor_);
    std::vector<uint32_t> passed{recno};
    int result = -1;
    try {
        for (;;) {
            if (!cursor_.prior()) {
                result = static_cast<int>(passed.size()) - 1;
                break;
            }
            if (auto it = anchorRows_.find(cursor_.recno()); it != anchorRows_.end()) {
                result = it->second + static_cast<int>(passed.size());
                break;
            }
            passed.push_back(cursor_.recno());
        }
    } catch (const db::Error&) {
        return -1;
    }
    if (result >= rows_) return -1;
    for (std::size_t i = 0; i < passed.size(); ++i) noteAnchor(result - static_cast<int>(i), passed[i]);
    return result;
}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::BackgroundRole) return {};
    // Reading a page is a cache fill, not a change the view could see.
    const Row* r = const_cast<TableModel*>(this)->row(index.row());
    if (!r) return {};
    switch (role) {
    case Qt::DisplayRole: return r->texts.at(static_cast<std::size_t>(index.column()));
    case Qt::ForegroundRole: return r->style.text.isValid() ? QVariant(r->style.text) : QVariant();
    default: return r->style.background.isValid() ? QVariant(r->style.background) : QVariant();
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QString();
    if (section < 0 || section >= static_cast<int>(columns_.size())) return {};
    return columns_[static_cast<std::size_t>(section)].title;
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace vv::shared
