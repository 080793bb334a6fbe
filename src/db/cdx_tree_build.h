// Bulk build of one tag's tree from its keys in index order: leaves packed as
// full as they go, then each interior level, the root last, all in one
// contiguous run of new pages at the end of the file.
#pragma once

#include <cstdint>

#include "db/flat_keys.h"

namespace vv::db {

class CdxPager;

// Writes the tree of `keys` (sorted, no (key, recno) twice; trailing counts
// stand for `filler`) and returns the offset of its root. An empty tag gets
// its one empty root leaf.
uint32_t buildCdxTree(CdxPager& pager, unsigned char filler, const FlatKeys& keys);

}  // namespace vv::db
