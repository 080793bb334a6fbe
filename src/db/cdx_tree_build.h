// Bulk build of one tag's tree from its keys in index order: leaves packed as
// full as they go, then each interior level, the root last, all in one
// contiguous run of new pages at the end of the file.
//
// The leaves are packed in memory first (packCdxLeaves, no file needed, so
// any thread may do it while another writes an earlier tag), then placed and
// written with the levels above them (writeCdxTree).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/flat_keys.h"
#include "db/large_block.h"

namespace vv::db {

class CdxPager;

// A tag's leaf level packed in pages whose sibling links are not set yet.
struct CdxLeafLevel {
    std::size_t keyLength = 0;
    std::size_t leafCount = 0;        // at least 1: an empty tag has its empty root leaf
    LargeBlock pages;                 // leafCount pages
    std::string lastKeys;             // the last key of each leaf, back to back (none when empty)
    std::vector<uint32_t> lastRecnos;  // and its record number
};

// Packs `keys` (sorted, no (key, recno) twice; trailing counts stand for `filler`).
CdxLeafLevel packCdxLeaves(unsigned char filler, const FlatKeys& keys);
// Writes the leaves and the levels above them; returns the offset of the root.
uint32_t writeCdxTree(CdxPager& pager, unsigned char filler, CdxLeafLevel& leaves);

}  // namespace vv::db
