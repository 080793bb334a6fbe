// The lock that guards a table's index between processes (see
// table_order.cpp): shared for reading, exclusive for writing, and on taking
// it the index catches up with what other processes wrote. Internal to Table.
#pragma once

#include <utility>

#include "db/cdx_pager.h"
#include "db/error.h"
#include "db/lock_layout.h"
#include "db/table.h"
#include "db/table_index.h"

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

    // Runs `read` for a shared user, who may run it again from the start.
    // Writers write their pages first and the change counter last, so while
    // the counter is the one we caught up with, the pages we hold are the
    // file's: `read` runs without the lock as long as it needs no page from
    // the file, and one that does runs again under the lock. That saves a
    // reader two lock calls in the common case of an index nobody changed.
    // `restart` undoes what a read cut short left behind.
    template <class Read, class Restart>
    static auto shared(Table& table, Read&& read, Restart&& restart) -> decltype(read()) {
        if (table.index_ && !table.options_.exclusive && table.index_->unchangedOnDisk()) {
            CacheOnly only(*table.index_);
            try {
                return read();
            } catch (const CdxCacheMiss&) {
                restart();
            }
        }
        IndexLock lock(table, LockType::Shared);
        return read();
    }
    template <class Read>
    static auto shared(Table& table, Read&& read) -> decltype(read()) {
        return shared(table, std::forward<Read>(read), [] {});
    }
    IndexLock(const IndexLock&) = delete;
    IndexLock& operator=(const IndexLock&) = delete;

private:
    struct CacheOnly {
        explicit CacheOnly(TableIndex& index) : index_(index) { index_.setCacheOnly(true); }
        ~CacheOnly() { index_.setCacheOnly(false); }
        CacheOnly(const CacheOnly&) = delete;
        CacheOnly& operator=(const CacheOnly&) = delete;
        TableIndex& index_;
    };

    void release() {
        if (locked_ && table_.dbf_) table_.dbf_->unlock(lock_layout::kIndexUpdate, 1);
        locked_ = false;
    }
    Table& table_;
    bool locked_ = false;
};

}  // namespace vv::db
