// The pages of one compound index file held in memory, found by offset
// through a flat table (one pointer per page of the file): an index
// change or seek looks up several pages, and a hash map's extra hops
// through memory cost more than the work on the page itself. Internal to
// CdxPager.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "db/cdx_format.h"
#include "db/cdx_node.h"

namespace vv::db {

// The page's own facts come first, so they share a cache line with the
// node header at the page's start.
struct CdxCachedPage {
    std::shared_ptr<const CdxNode> node;  // decoded on first use
    uint16_t keyLength = 0;               // the node's, decoded with this key length
    unsigned char filler = 0;             // and this filler
    bool dirty = false;                   // changed here, not yet in the file
    std::array<unsigned char, cdx::kPageSize> page{};
};

class CdxPageCache {
public:
    CdxCachedPage* find(uint32_t offset) {
        const std::size_t i = offset / cdx::kPageSize;
        return i < table_.size() ? table_[i] : nullptr;
    }
    // The page's entry, a blank new one when it had none. References stay
    // valid until the entry is erased.
    CdxCachedPage& insert(uint32_t offset);
    void erase(uint32_t offset);
    void clear();
    std::size_t size() const { return size_; }
    // Drops about half of the pages that are not dirty, in no particular order.
    void dropHalf();

private:
    void release(CdxCachedPage*& slot);

    std::vector<CdxCachedPage*> table_;  // by page number
    std::deque<CdxCachedPage> pool_;     // the entries; a deque keeps them in place
    std::vector<CdxCachedPage*> spare_;  // erased entries, reused first
    std::size_t size_ = 0;
    std::size_t sweep_ = 0;              // where the next dropHalf() starts
};

}  // namespace vv::db
