// Byte layout of FoxPro compact compound index files (.CDX). The prose, the
// rules behind each field and a worked example are in doc/cdx_format.md;
// keep the two in step.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vv::db::cdx {

constexpr std::size_t kPageSize = 512;     // every node
constexpr std::size_t kHeaderSize = 1024;  // file header and every tag header
constexpr uint32_t kNoPage = 0xFFFFFFFF;   // sibling pointer of the first/last node of a level
constexpr std::size_t kMaxKeyLength = 240;
constexpr std::size_t kTagNameLength = 10;  // key length of the tag directory
constexpr std::size_t kMaxDepth = 32;       // deeper than this is a loop, not a tree

// Header (the file header at 0 and each tag header).
constexpr std::size_t kHeaderRoot = 0;         // LE32 root node offset
constexpr std::size_t kHeaderFreeList = 4;     // LE32 first free page, 0 when none (file header only)
constexpr std::size_t kHeaderCounter = 8;      // LE32 change counter (file header)
constexpr std::size_t kHeaderKeyLength = 12;   // LE16
constexpr std::size_t kHeaderOptions = 14;     // option bits below
constexpr std::size_t kHeaderSignature = 15;   // always 1
constexpr std::size_t kHeaderSelfSize = 16;    // LE16 1024, LE16 512 at 18 (as other engines write)
constexpr std::size_t kHeaderPageSize = 18;
// LE32 kHalfWrittenMark while an exclusive user holds changes in memory
// (file header only; other engines leave these reserved bytes zero).
constexpr std::size_t kHeaderHalfWritten = 496;
constexpr uint32_t kHalfWrittenMark = 0x42575656;  // "VVWB"
constexpr std::size_t kHeaderDescending = 502;  // LE16, 1 = descending
constexpr std::size_t kHeaderForStart = 504;    // LE16 pool offset of the FOR text
constexpr std::size_t kHeaderForLength = 506;   // LE16 including its NUL
constexpr std::size_t kHeaderKeyStart = 508;    // LE16 pool offset of the key text (0)
constexpr std::size_t kHeaderKeyExprLength = 510;  // LE16 including its NUL
constexpr std::size_t kHeaderPool = 512;        // key text, NUL, FOR text, NUL

constexpr uint8_t kOptionUnique = 0x01;
constexpr uint8_t kOptionFor = 0x08;
constexpr uint8_t kOptionCompact = 0x20;
constexpr uint8_t kOptionCompound = 0x40;
constexpr uint8_t kOptionStructure = 0x80;  // the tag directory of a structural index

// Node (both kinds).
constexpr std::size_t kNodeAttributes = 0;  // LE16, bits below
constexpr std::size_t kNodeCount = 2;       // LE16
constexpr std::size_t kNodeLeft = 4;        // LE32
constexpr std::size_t kNodeRight = 8;       // LE32
constexpr uint16_t kAttributeRoot = 1;
constexpr uint16_t kAttributeLeaf = 2;

// Interior node: from 12, entries of key, BE32 record number, BE32 child offset.
constexpr std::size_t kInteriorEntries = 12;

// Leaf node header after the common part.
constexpr std::size_t kLeafFreeSpace = 12;    // LE16
constexpr std::size_t kLeafRecnoMask = 14;    // LE32
constexpr std::size_t kLeafDupMask = 18;
constexpr std::size_t kLeafTrailMask = 19;
constexpr std::size_t kLeafRecnoBits = 20;
constexpr std::size_t kLeafDupBits = 21;
constexpr std::size_t kLeafTrailBits = 22;
constexpr std::size_t kLeafEntryBytes = 23;
constexpr std::size_t kLeafEntries = 24;      // packed entries; key bytes fill from the page end
constexpr std::size_t kMinEntryBytes = 3;

}  // namespace vv::db::cdx
