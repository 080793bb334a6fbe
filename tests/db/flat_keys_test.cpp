// The bulk build's key sort: index order is key bytes compared unsigned,
// equal keys in the order they were added, whatever the keys share.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "db/flat_keys.h"

using namespace vv::db;

namespace {

struct SortCase {
    const char* name;
    std::size_t keyLength;
    std::size_t count;
    std::string alphabet;  // bytes keys are drawn from
    std::string prefix;    // put in front of every key
    std::size_t varying;   // bytes after the prefix that vary; the rest is the alphabet's first byte
};

// Keys from a small alphabet, so many are equal and many share long runs.
std::vector<std::string> keysOf(const SortCase& c) {
    std::mt19937 rng(42);
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < c.count; ++i) {
        std::string key = c.prefix;
        for (std::size_t b = 0; b < c.varying; ++b) key += c.alphabet[rng() % c.alphabet.size()];
        key.resize(c.keyLength, c.alphabet[0]);
        keys.push_back(key);
    }
    return keys;
}

TEST(FlatKeys, SortsByKeyThenByTheOrderAdded) {
    const std::string high = "\x01\x7F\x80\xFF";  // bytes above 0x7F sort last
    const SortCase cases[] = {
        {"short keys", 3, 500, "AB ", "", 3},
        {"all keys equal", 12, 3000, " ", "", 0},
        {"one long shared prefix", 40, 3000, "xy", "ACCOUNT NUMBER 0000000", 6},
        {"keys differing only past 16 bytes", 30, 2500, "ab", "", 30},
        {"unsigned bytes", 9, 2500, high, "", 9},
        {"more keys than several chunks", 16, 20000, "0123", "K", 8},
        {"one key", 5, 1, "Q", "", 5},
        {"no keys", 5, 0, "Q", "", 5},
    };
    for (const SortCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> keys = keysOf(c);
        FlatKeys flat(c.keyLength);
        std::vector<std::pair<std::string, uint32_t>> expected;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto recno = static_cast<uint32_t>(3 * i + 1);
            flat.add(keys[i], recno);
            expected.emplace_back(keys[i], recno);
        }
        for (std::size_t i = 0; i < keys.size(); i += 997) {
            EXPECT_EQ(flat.key(i), keys[i]);  // before sorting: the order added
            EXPECT_EQ(flat.recno(i), expected[i].second);
        }
        std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
            return std::lexicographical_compare(a.first.begin(), a.first.end(), b.first.begin(), b.first.end(),
                                                [](char x, char y) {
                                                    return static_cast<unsigned char>(x) <
                                                           static_cast<unsigned char>(y);
                                                });
        });
        flat.sort();
        ASSERT_EQ(flat.size(), expected.size());
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < expected.size(); ++i)
            wrong += flat.key(i) != expected[i].first || flat.recno(i) != expected[i].second;
        EXPECT_EQ(wrong, 0u);
    }
}

}  // namespace
