// The keys of one tag during a bulk build or a check: fixed-length keys with
// their record numbers, gathered in record order and then sorted into index
// order (key bytes, equal keys by record number).
//
// Keys live in chunks that double in size, so gathering never moves what it
// has (a million keys cost a dozen allocations and no copies), the memory
// touched is what the keys need, and a small table costs little. Sorting moves 16-byte items of
// (8 key bytes, position) instead of keys; the 8 bytes start after the prefix
// every key shares, so most comparisons end there.
//
// Thread safety: none; one build may sort on another thread than it gathered.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "db/large_block.h"

namespace vv::db {

class FlatKeys {
public:
    explicit FlatKeys(std::size_t keyLength) : length_(keyLength) {}

    std::size_t keyLength() const { return length_; }
    std::size_t size() const { return count_; }

    // Adds the next key (exactly keyLength() bytes). Equal keys keep the
    // order they were added in: record order when records come in order.
    void add(std::string_view key, uint32_t recno) {
        if (count_ == capacity_) addChunk();
        const Place at = placeOf(count_);
        char* dst = keyChunks_.back().as<char>() + at.slot * length_;
        std::memcpy(dst, key.data(), length_);
        recnoChunks_.back().as<uint32_t>()[at.slot] = recno;
        noteShared(dst);
        ++count_;
    }

    // Puts the keys in index order; key(i) and recno(i) then follow it.
    void sort();

    // The i-th entry: in the order added, or in index order after sort().
    std::string_view key(std::size_t i) const { return {keyAt(positionOf(i)), length_}; }
    uint32_t recno(std::size_t i) const {
        const Place at = placeOf(positionOf(i));
        return recnoChunks_[at.chunk].as<uint32_t>()[at.slot];
    }

private:
    // Chunk 0 holds positions [0, 2^kFirstBits), chunk k > 0 holds
    // [2^(kFirstBits + k - 1), 2^(kFirstBits + k)).
    static constexpr unsigned kFirstBits = 10;

    struct Place {
        std::size_t chunk, slot;
    };
    static Place placeOf(std::size_t p) {
        const auto bits = static_cast<unsigned>(std::bit_width(p));
        if (bits <= kFirstBits) return {0, p};
        return {bits - kFirstBits, p - (std::size_t{1} << (bits - 1))};
    }

    struct Item {
        uint64_t prefix;  // 8 key bytes read big-endian
        uint32_t position;
    };

    void addChunk();
    void sortRange(std::size_t begin, std::size_t end, std::size_t from);
    static void radixSort(Item* items, std::size_t n);
    static constexpr std::size_t kRadixMin = 2048;  // below this, comparisons cost less than passes
    void noteShared(const char* key) {
        if (count_ == 0) {
            shared_ = length_;
            return;
        }
        const char* first = keyChunks_.front().as<char>();
        std::size_t n = 0;
        while (n < shared_ && first[n] == key[n]) ++n;
        shared_ = n;
    }
    const char* keyAt(std::size_t p) const {
        const Place at = placeOf(p);
        return keyChunks_[at.chunk].as<char>() + at.slot * length_;
    }
    std::size_t positionOf(std::size_t i) const { return sorted_ ? order_.as<Item>()[i].position : i; }

    std::size_t length_;
    std::size_t count_ = 0;
    std::size_t capacity_ = 0;
    std::size_t shared_ = 0;  // bytes every key so far starts with
    bool sorted_ = false;
    std::vector<LargeBlock> keyChunks_;
    std::vector<LargeBlock> recnoChunks_;  // uint32_t each
    LargeBlock order_;                     // Item each, once sorted
};

}  // namespace vv::db
