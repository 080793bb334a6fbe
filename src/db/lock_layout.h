// Where the engine's byte-range locks sit. All lie far beyond any real file
// size, so they never stop a reader of the data itself, and every copy of the
// program uses the same bytes for the same purpose.
#pragma once

#include <cstdint>

namespace vv::db::lock_layout {

constexpr uint64_t kRegion = uint64_t{1} << 40;
// Held shared by every opener, exclusive by an exclusive opener.
constexpr uint64_t kTableOpen = kRegion;
// Held while the record count in the header changes (append, zap).
constexpr uint64_t kTableHeader = kRegion + 1;
// Held while an index file is changed.
constexpr uint64_t kIndexUpdate = kRegion + 2;
// In a memo file: held while blocks are allocated at its end.
constexpr uint64_t kMemoAllocation = kRegion + 3;
// Record n is locked at kRecordBase + n.
constexpr uint64_t kRecordBase = kRegion + 16;

}  // namespace vv::db::lock_layout
