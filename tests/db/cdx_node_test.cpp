// The leaf example of doc/cdx_format.md byte for byte, the bit-width rules,
// and the byte order of numeric and date keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "db/cdx_key.h"
#include "db/cdx_node.h"
#include "db/error.h"

using namespace vv::db;

namespace {

// Three keys of a 6-byte character tag in one root leaf: "BAKER " (record 3),
// "BAKERS" (1), "BROWN " (2).
std::vector<unsigned char> workedExample() {
    std::vector<unsigned char> page(512, 0);
    const unsigned char head[] = {
        0x03, 0x00, 0x03, 0x00,              // root leaf, 3 keys
        0xFF, 0xFF, 0xFF, 0xFF,              // no left sibling
        0xFF, 0xFF, 0xFF, 0xFF,              // no right sibling
        0xD5, 0x01,                          // 469 bytes free
        0xFF, 0xFF, 0x03, 0x00, 0x07, 0x07,  // masks: record number, duplicate, trailing
        0x12, 0x03, 0x03, 0x03,              // 18, 3 and 3 bits in 3 bytes
        0x03, 0x00, 0x20,                    // record 3, dup 0, trail 1
        0x01, 0x00, 0x14,                    // record 1, dup 5, trail 0
        0x02, 0x00, 0x24,                    // record 2, dup 1, trail 1
    };
    std::copy(std::begin(head), std::end(head), page.begin());
    const char tail[] = "ROWNSBAKER";  // keys from the end: "BAKER", "S", "ROWN"
    std::memcpy(page.data() + 502, tail, 10);
    return page;
}

TEST(CdxNode, DecodesAndEncodesTheWorkedExample) {
    const std::vector<unsigned char> page = workedExample();
    const CdxNode node = decodeCdxNode(page.data(), 6, ' ', "example");
    EXPECT_TRUE(node.isLeaf());
    EXPECT_TRUE(node.isRoot());
    EXPECT_EQ(node.left, 0xFFFFFFFFu);
    EXPECT_EQ(node.right, 0xFFFFFFFFu);
    ASSERT_EQ(node.count(), 3u);
    EXPECT_EQ(node.key(0), "BAKER ");
    EXPECT_EQ(node.key(1), "BAKERS");
    EXPECT_EQ(node.key(2), "BROWN ");
    EXPECT_EQ(node.recnos, (std::vector<uint32_t>{3, 1, 2}));

    unsigned char encoded[512];
    encodeCdxNode(node, ' ', encoded);
    EXPECT_TRUE(std::equal(page.begin(), page.end(), encoded));
    EXPECT_EQ(cdxLeafBytes(node, 0, 3, ' '), 512u - 469u);
}

TEST(CdxNode, InteriorEntriesAreKeyRecordAndChild) {
    CdxNode node;
    node.attributes = cdx::kAttributeRoot;
    node.keyLength = 4;
    node.insert(0, "ABCD", 7, 0x1200);
    node.insert(1, "WXYZ", 0x01020304, 0x1400);
    unsigned char page[512];
    encodeCdxNode(node, ' ', page);
    const unsigned char expected[] = {0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                      'A', 'B', 'C', 'D', 0, 0, 0, 7, 0, 0, 0x12, 0,
                                      'W', 'X', 'Y', 'Z', 1, 2, 3, 4, 0, 0, 0x14, 0};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), page));
    const CdxNode back = decodeCdxNode(page, 4, ' ', "interior");
    EXPECT_EQ(back.keys, node.keys);
    EXPECT_EQ(back.recnos, node.recnos);
    EXPECT_EQ(back.children, node.children);
    EXPECT_EQ(cdxInteriorCapacity(4), 41u);
}

// The widths the other engine chose in tests/data/cdx-peer, and the edges.
TEST(CdxNode, LeafBitWidths) {
    struct Case {
        std::size_t keyLength;
        uint32_t maxRecno;
        unsigned recnoBits, countBits, bytes;
    };
    const Case cases[] = {
        {16, 2000, 14, 5, 3}, {50, 2000, 12, 6, 3},    {6, 2000, 18, 3, 3},
        {8, 2000, 16, 4, 3},  {10, 0x1D200, 24, 4, 4}, {10, 1, 16, 4, 3},
        {240, 300, 16, 8, 4}, {240, 70000, 24, 8, 5},  {8, 0xFFFFFFFF, 32, 4, 5},
    };
    for (const Case& c : cases) {
        const CdxLeafLayout layout = CdxLeafLayout::forKeys(c.keyLength, c.maxRecno);
        EXPECT_EQ(layout.recnoBits, c.recnoBits) << c.keyLength << " " << c.maxRecno;
        EXPECT_EQ(layout.countBits, c.countBits) << c.keyLength;
        EXPECT_EQ(layout.entryBytes, c.bytes) << c.keyLength << " " << c.maxRecno;
    }
}

TEST(CdxNode, DuplicateCountStopsAtTheKeysOwnFiller) {
    // "AB  " after "AB  ": two shared bytes, two trailing blanks, nothing stored.
    EXPECT_EQ(cdxDupCount("AB  ", "AB  ", cdxTrailCount("AB  ", ' ')), 2u);
    // Sharing may reach into the previous key's filler.
    EXPECT_EQ(cdxDupCount("A   ", "A  B", cdxTrailCount("A  B", ' ')), 3u);
    EXPECT_EQ(cdxTrailCount(std::string("\x80\0\0", 3), '\0'), 2u);
}

CdxNode leafOf(std::size_t keyLength, const std::vector<std::pair<std::string, uint32_t>>& entries) {
    CdxNode node;
    node.attributes = vv::db::cdx::kAttributeLeaf;
    node.keyLength = keyLength;
    for (const auto& [key, recno] : entries) node.insert(node.count(), key, recno);
    return node;
}

TEST(CdxNode, InsertInPlaceGivesTheLeafAFreshEncodingWould) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, uint32_t>> before;
        std::string key;
        uint32_t recno;
        std::size_t slot;
    };
    const Case cases[] = {
        {"into an empty leaf", {}, "BAKER ", 9, 0},
        {"in front", {{"BAKER ", 3}, {"BROWN ", 2}}, "ADAMS ", 7, 0},
        {"between keys that share a prefix", {{"BAKER ", 3}, {"BROWN ", 2}}, "BAKERS", 1, 1},
        {"at the end", {{"BAKER ", 3}, {"BROWN ", 2}}, "CLARK ", 4, 2},
        {"an equal key, between records", {{"BAKER ", 3}, {"BAKER ", 9}}, "BAKER ", 5, 1},
        // The successor shared the old key's blanks: the keys behind move up.
        {"blanks shared with the successor", {{"AB    ", 1}, {"AB   X", 2}, {"AC    ", 3}}, "AB    ", 4, 1},
        {"all blanks", {{"A     ", 1}}, "      ", 2, 0},
    };
    for (const Case& c : cases) {
        CdxNode node = leafOf(6, c.before);
        unsigned char page[512];
        encodeCdxNode(node, ' ', page);
        CdxLeafPlace place;
        ASSERT_TRUE(scanCdxLeaf(page, 6, ' ', c.key, c.recno, place)) << c.what;
        EXPECT_EQ(place.slot, c.slot) << c.what;
        EXPECT_FALSE(place.found) << c.what;
        EXPECT_EQ(place.previous, c.slot == 0 ? "" : c.before[c.slot - 1].first) << c.what;
        EXPECT_EQ(place.next, c.slot == c.before.size() ? "" : c.before[c.slot].first) << c.what;

        ASSERT_TRUE(cdxLeafInsertInPlace(page, place, c.key, c.recno, ' ')) << c.what;
        node.insert(c.slot, c.key, c.recno);
        const CdxNode back = decodeCdxNode(page, 6, ' ', c.what);
        EXPECT_EQ(back.keys, node.keys) << c.what;
        EXPECT_EQ(back.recnos, node.recnos) << c.what;
        unsigned char fresh[512];
        encodeCdxNode(node, ' ', fresh);
        EXPECT_TRUE(std::equal(page, page + 512, fresh)) << c.what << ": not the bytes a fresh encoding gives";

        // The entry is there now.
        ASSERT_TRUE(scanCdxLeaf(page, 6, ' ', c.key, c.recno, place)) << c.what;
        EXPECT_TRUE(place.found) << c.what;
        EXPECT_EQ(place.slot, c.slot) << c.what;
    }
}

TEST(CdxNode, LeafScanFindsThePlaceBinarySearchWould) {
    // Keys of a small alphabet share long prefixes and trailing blanks, so
    // the scan's shortcuts over shared bytes are all taken.
    std::mt19937 rng(11);
    auto randomKey = [&] {
        std::string k(6, ' ');
        const std::size_t used = rng() % 7;
        for (std::size_t i = 0; i < used; ++i) k[i] = "AB "[rng() % 3];
        return k;
    };
    for (int round = 0; round < 50; ++round) {
        std::vector<std::pair<std::string, uint32_t>> entries;
        for (int i = 0; i < 40; ++i) entries.emplace_back(randomKey(), rng() % 50 + 1);
        std::sort(entries.begin(), entries.end());
        entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
        unsigned char page[512];
        encodeCdxNode(leafOf(6, entries), ' ', page);
        CdxLeafPlace place;
        for (int probe = 0; probe < 40; ++probe) {
            const std::pair<std::string, uint32_t> sought{randomKey(), rng() % 52};
            const auto at = std::lower_bound(entries.begin(), entries.end(), sought);
            ASSERT_TRUE(scanCdxLeaf(page, 6, ' ', sought.first, sought.second, place));
            ASSERT_EQ(place.slot, static_cast<std::size_t>(at - entries.begin())) << "'" << sought.first << "'";
            EXPECT_EQ(place.found, at != entries.end() && *at == sought);
        }
    }
}

TEST(CdxNode, InsertInPlaceMatchesAFreshEncodingForRandomLeaves) {
    // Blank-filled character keys and zero-filled binary ones, grown one
    // insert at a time until the leaf is full: every splice must give the
    // bytes a fresh encoding gives, and a refusal must leave the page alone.
    std::mt19937 rng(5);
    for (const unsigned char filler : {static_cast<unsigned char>(' '), static_cast<unsigned char>(0)}) {
        const std::string alphabet = filler == ' ' ? std::string("AB ") : std::string("\x01\x02\0", 3);
        for (int round = 0; round < 30; ++round) {
            CdxNode node = leafOf(8, {});
            unsigned char page[512];
            encodeCdxNode(node, filler, page);
            for (int step = 0; step < 200; ++step) {
                std::string key(8, static_cast<char>(filler));
                const std::size_t used = rng() % 9;
                for (std::size_t i = 0; i < used; ++i) key[i] = alphabet[rng() % alphabet.size()];
                const uint32_t recno = rng() % 60000 + 1;
                CdxLeafPlace place;
                ASSERT_TRUE(scanCdxLeaf(page, 8, filler, key, recno, place));
                if (place.found) continue;
                unsigned char before[512];
                std::memcpy(before, page, 512);
                if (!cdxLeafInsertInPlace(page, place, key, recno, filler)) {
                    ASSERT_TRUE(std::equal(page, page + 512, before));
                    break;  // full
                }
                node.insert(place.slot, key, recno);
                unsigned char fresh[512];
                encodeCdxNode(node, filler, fresh);
                ASSERT_TRUE(std::equal(page, page + 512, fresh)) << "round " << round << ", insert " << step;
            }
        }
    }
}

TEST(CdxNode, InsertInPlaceRefusesWhatNeedsAFreshEncodingAndLeavesThePage) {
    // A full leaf: no room for one more entry.
    CdxNode full = leafOf(6, {});
    for (uint32_t i = 0; cdxNodeFits(full, ' '); ++i) full.insert(full.count(), "K" + std::to_string(10000 + i), i + 1);
    full.erase(full.count() - 1);
    unsigned char page[512];
    encodeCdxNode(full, ' ', page);
    unsigned char copy[512];
    std::memcpy(copy, page, 512);
    CdxLeafPlace place;
    ASSERT_TRUE(scanCdxLeaf(page, 6, ' ', "A00000", 1, place));
    EXPECT_FALSE(cdxLeafInsertInPlace(page, place, "A00000", 1, ' '));
    EXPECT_TRUE(std::equal(page, page + 512, copy));

    // A record number past the leaf's record bits.
    encodeCdxNode(leafOf(6, {{"BAKER ", 3}}), ' ', page);
    std::memcpy(copy, page, 512);
    ASSERT_TRUE(scanCdxLeaf(page, 6, ' ', "BROWN ", 0x01000000, place));
    EXPECT_FALSE(cdxLeafInsertInPlace(page, place, "BROWN ", 0x01000000, ' '));
    EXPECT_TRUE(std::equal(page, page + 512, copy));

    // Not a leaf, or a key of another length: the caller decodes and learns why.
    EXPECT_FALSE(scanCdxLeaf(page, 6, ' ', "SHORT", 1, place));
    CdxNode interior;
    interior.keyLength = 6;
    interior.insert(0, "BAKER ", 3, 1024);
    encodeCdxNode(interior, ' ', page);
    EXPECT_FALSE(scanCdxLeaf(page, 6, ' ', "BAKER ", 3, place));
}

TEST(CdxKey, NumericKeysSortAsNumbers) {
    const double values[] = {-1e300, -12.5, -1.0, -1e-300, 0.0, 1e-300, 0.15, 1.0, 2.0, 399.77, 1e300};
    for (std::size_t i = 0; i + 1 < std::size(values); ++i)
        EXPECT_LT(cdxNumericKey(values[i]), cdxNumericKey(values[i + 1])) << values[i];
    for (double v : values) EXPECT_EQ(cdxNumericValue(cdxNumericKey(v)), v);
    EXPECT_EQ(cdxNumericKey(-0.0), cdxNumericKey(0.0));
    EXPECT_EQ(cdxNumericKey(0.15), std::string("\xBF\xC3\x33\x33\x33\x33\x33\x33", 8));
    EXPECT_EQ(cdxNumericKey(-2.0), std::string("\x3F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8));
    EXPECT_THROW(cdxNumericValue("short"), Error);
}

TEST(CdxKey, DateAndCharacterKeys) {
    EXPECT_EQ(cdxDateKey(0), std::string("\x80\0\0\0\0\0\0\0", 8));  // the empty date, before all others
    EXPECT_EQ(cdxDateKey(2451545), std::string("\xC1\x42\xB4\x2C\x80\0\0\0", 8));  // 2000-01-01
    EXPECT_LT(cdxDateKey(0), cdxDateKey(1));
    EXPECT_EQ(cdxDateValue(cdxDateKey(2451545)), 2451545);
    EXPECT_EQ(cdxCharacterKey("AB", 4), "AB  ");
    EXPECT_EQ(cdxCharacterKey("ABCDEF", 4), "ABCD");
    EXPECT_EQ(cdxFillerByte(CdxKeyType::Character), ' ');
    EXPECT_EQ(cdxFillerByte(CdxKeyType::Date), 0);
}

}  // namespace
