// The index page cache: lookups by offset, dropping half when full without
// ever dropping a page that has not reached the file.
#include <gtest/gtest.h>

#include "db/cdx_page_cache.h"

using namespace vv::db;

namespace {
constexpr uint32_t page(uint32_t n) { return n * static_cast<uint32_t>(cdx::kPageSize); }
}  // namespace

TEST(CdxPageCache, DroppingHalfKeepsEveryDirtyPageAndLookupsStayRight) {
    CdxPageCache cache;
    for (uint32_t n = 2; n < 202; ++n) {
        CdxCachedPage& entry = cache.insert(page(n));
        entry.page[0] = static_cast<unsigned char>(n);
        entry.dirty = n % 3 == 0;
    }
    EXPECT_EQ(cache.size(), 200u);
    EXPECT_EQ(&cache.insert(page(7)), cache.find(page(7)));  // an existing entry is returned, not replaced
    EXPECT_EQ(cache.find(page(500)), nullptr);

    for (int round = 0; round < 3; ++round) cache.dropHalf();
    std::size_t left = 0;
    for (uint32_t n = 2; n < 202; ++n) {
        const CdxCachedPage* entry = cache.find(page(n));
        if (n % 3 == 0) {
            ASSERT_NE(entry, nullptr) << "dirty page " << n << " was dropped";
        }
        if (!entry) continue;
        ++left;
        EXPECT_EQ(entry->page[0], static_cast<unsigned char>(n));
    }
    EXPECT_EQ(left, cache.size());
    EXPECT_LT(left, 100u);

    // Reused entries come back blank of their old state.
    cache.erase(page(3));
    EXPECT_EQ(cache.find(page(3)), nullptr);
    CdxCachedPage& reused = cache.insert(page(1000));
    EXPECT_FALSE(reused.dirty);
    EXPECT_EQ(reused.node, nullptr);
    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_EQ(cache.find(page(1000)), nullptr);
}
