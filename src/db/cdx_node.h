// One 512-byte node of a compact index tree, decoded into full keys, and the
// encoder that packs it back (see doc/cdx_format.md). Pure functions over
// byte buffers: no file access, so every layout rule is testable alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/cdx_format.h"

namespace vv::db {

struct CdxNode {
    uint16_t attributes = 0;  // cdx::kAttributeRoot | cdx::kAttributeLeaf
    uint32_t left = cdx::kNoPage;
    uint32_t right = cdx::kNoPage;
    std::size_t keyLength = 0;
    std::string keys;                // count() full keys back to back
    std::vector<uint32_t> recnos;    // record numbers (tag header offsets in the directory)
    std::vector<uint32_t> children;  // interior nodes: child offset per entry

    bool isLeaf() const { return attributes & cdx::kAttributeLeaf; }
    bool isRoot() const { return attributes & cdx::kAttributeRoot; }
    std::size_t count() const { return recnos.size(); }
    std::string_view key(std::size_t i) const { return std::string_view(keys).substr(i * keyLength, keyLength); }
    std::string_view lastKey() const { return key(count() - 1); }

    void insert(std::size_t i, std::string_view key, uint32_t recno, uint32_t child = 0);
    void erase(std::size_t i);
    void assign(std::size_t i, std::string_view key, uint32_t recno);
    // Entries [begin, end) as a node of the same kind, without links.
    CdxNode slice(std::size_t begin, std::size_t end) const;
};

// Bit widths of a packed leaf entry: record number in the low bits, then the
// duplicate count, then the trailing count, little-endian in entryBytes.
struct CdxLeafLayout {
    unsigned recnoBits = 0;
    unsigned countBits = 0;  // duplicate and trailing counts alike
    unsigned entryBytes = 0;

    // The narrowest layout for keys of keyLength and record numbers up to maxRecno.
    static CdxLeafLayout forKeys(std::size_t keyLength, uint32_t maxRecno);
};

// Number of trailing filler bytes of a key.
std::size_t cdxTrailCount(std::string_view key, unsigned char filler);
// Leading bytes shared with the previous key of the node, never reaching into
// the key's own trailing filler.
std::size_t cdxDupCount(std::string_view previous, std::string_view key, std::size_t trail);

// Decodes a node page. Keys come back at full length, trailing counts filled
// with `filler`. Impossible counts, bit widths or key orders throw CorruptFile
// with `where` (file and offset) in the message.
CdxNode decodeCdxNode(const unsigned char* page, std::size_t keyLength, unsigned char filler,
                      const std::string& where);
// The same into an existing node, reusing its memory; the CorruptFile
// message says what is wrong but not where.
void decodeCdxNodeInto(const unsigned char* page, std::size_t keyLength, unsigned char filler, CdxNode& node);

// Bytes that entries [begin, end) of a leaf take when packed, header included.
std::size_t cdxLeafBytes(const CdxNode& node, std::size_t begin, std::size_t end, unsigned char filler);
// Entries of an interior node that fit in one page.
std::size_t cdxInteriorCapacity(std::size_t keyLength);
// True when the whole node fits in one page.
bool cdxNodeFits(const CdxNode& node, unsigned char filler);

// Where (key, recno) belongs in a leaf page, found by walking its packed
// entries without building the node: the first entry not before it, whether
// it is that entry, and the keys on either side (empty at the leaf's ends).
struct CdxLeafPlace {
    std::size_t slot = 0;
    std::size_t count = 0;     // entries in the leaf
    std::size_t keysEnd = 0;   // where the key bytes of the entries in front of the slot end
    bool found = false;
    std::string previous;
    std::string next;
};
// False when the page is not a plausible leaf; decoding it says what is wrong.
bool scanCdxLeaf(const unsigned char* page, std::size_t keyLength, unsigned char filler, std::string_view key,
                 uint32_t recno, CdxLeafPlace& place);

// Writes (key, recno) into `page` at the place scanCdxLeaf found: the entries
// in front keep their bytes, those behind only move, the one right behind
// is stored again against the new key. False, with the page unchanged, when
// the entry needs a wider layout or more room than the page has left; then
// the leaf is encoded afresh.
bool cdxLeafInsertInPlace(unsigned char* page, const CdxLeafPlace& place, std::string_view key, uint32_t recno,
                          unsigned char filler);

// Packs a node into a page; false, with the page's contents undefined, when
// it does not fit. One pass: cheaper than cdxNodeFits followed by encoding.
bool encodeCdxNodeIfFits(const CdxNode& node, unsigned char filler, unsigned char* page);
// Packs a node that fits; InvalidArgument when it does not.
void encodeCdxNode(const CdxNode& node, unsigned char filler, unsigned char* page);

}  // namespace vv::db
