// The lock that guards a table's index between processes (see
// table_order.cpp): shared for reading, exclusive for writing, and on taking
// it the index catches up with what other processes wrote. Internal to Table.
#pragma once

#include "db/error.h"
#include "db/lock_layout.h"
#include "db/table.h"

namespace vv::db {

class IndexLock {
public:
    IndexLock(Table& table, LockType type) : table_(table) {
        if (!table_.index_) return;
        // An exclusive user has the file to itself: nothing to wait for or catch up with.
        if (table_.options_.exclusive) return;
        table_.dbf_->lock(lock_layout::kIndexUpdate, 1, type);
        locked_ = true;
        try {
            table_.index_->catchUp();
        } catch (...) {
            release();
            throw;
        }
    }
    ~IndexLock() { release(); }
    IndexLock(const IndexLock&) = delete;
    IndexLock& operator=(const IndexLock&) = delete;

private:
    void release() {
        if (locked_ && table_.dbf_) table_.dbf_->unlock(lock_layout::kIndexUpdate, 1);
        locked_ = false;
    }
    Table& table_;
    bool locked_ = false;
};

}  // namespace vv::db
