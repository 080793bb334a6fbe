// The moves a grid makes on a table, each counted as one record read. The
// grid model walks the table only through this adapter, so a test can tell
// how much of a large table a screenful of rows cost.
#pragma once

#include <cstdint>

#include "db/table.h"

namespace vv::shared {

class TableCursor {
public:
    explicit TableCursor(db::Table& table) : table_(table) {}

    db::Table& table() { return table_; }
    const db::Table& table() const { return table_; }

    // Each returns false when there is no record to move to (the current
    // record then stays).
    bool first();
    bool last();
    bool next();
    bool prior();
    void go(uint32_t recno);
    uint32_t recno() const { return table_.recno(); }

    // Visible records: the engine's own scan, not counted as reads.
    uint32_t visibleCount() { return table_.count(); }
    uint32_t physicalCount() { return table_.recordCount(); }

    // Record order, no tag: row n may then be record n + 1.
    bool recordOrder() const { return table_.indexName().empty(); }

    uint64_t reads() const { return reads_; }
    void resetReads() { reads_ = 0; }

private:
    db::Table& table_;
    uint64_t reads_ = 0;
};

}  // namespace vv::shared
