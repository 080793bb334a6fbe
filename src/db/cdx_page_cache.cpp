#include "db/cdx_page_cache.h"

#include <algorithm>

namespace vv::db {

CdxCachedPage& CdxPageCache::insert(uint32_t offset) {
    const std::size_t i = offset / cdx::kPageSize;
    if (i >= table_.size()) table_.resize(std::max(i + 1, table_.size() * 2), nullptr);
    if (CdxCachedPage* existing = table_[i]) return *existing;
    CdxCachedPage* entry;
    if (!spare_.empty()) {
        entry = spare_.back();
        spare_.pop_back();
    } else {
        entry = &pool_.emplace_back();
    }
    entry->dirty = false;
    entry->keyLength = 0;
    entry->filler = 0;
    table_[i] = entry;
    ++size_;
    return *entry;
}

void CdxPageCache::release(CdxCachedPage*& slot) {
    slot->node.reset();
    spare_.push_back(slot);
    slot = nullptr;
    --size_;
}

void CdxPageCache::erase(uint32_t offset) {
    const std::size_t i = offset / cdx::kPageSize;
    if (i < table_.size() && table_[i]) release(table_[i]);
}

void CdxPageCache::clear() {
    for (std::size_t i = 0; i < table_.size() && size_ > 0; ++i)
        if (table_[i]) release(table_[i]);
}

void CdxPageCache::dropHalf() {
    if (table_.empty()) return;
    // Round the table from where the last sweep stopped, so no part of the
    // file is always the one to go.
    std::size_t drop = size_ / 2;
    for (std::size_t n = 0; n < table_.size() && drop > 0; ++n) {
        CdxCachedPage*& slot = table_[sweep_];
        if (slot && !slot->dirty) {
            release(slot);
            --drop;
        }
        sweep_ = (sweep_ + 1) % table_.size();
    }
}

}  // namespace vv::db
