#include "db/flat_keys.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vv::db {

void FlatKeys::addChunk() {
    const std::size_t entries = keyChunks_.empty() ? std::size_t{1} << kFirstBits : capacity_;
    keyChunks_.emplace_back(std::max<std::size_t>(entries * length_, 1));
    recnoChunks_.emplace_back(entries * sizeof(uint32_t));
    capacity_ += entries;
}

void FlatKeys::sort() {
    order_ = LargeBlock(std::max<std::size_t>(count_, 1) * sizeof(Item));
    Item* items = order_.as<Item>();
    for (std::size_t p = 0; p < count_; ++p) items[p] = Item{0, static_cast<uint32_t>(p)};
    sortRange(0, count_, std::min(shared_, length_));
    sorted_ = true;
}

// Least significant byte first, each pass stable, so items that agree on all
// 8 bytes stay in position order, as they came. Bytes every item shares take
// no pass.
void FlatKeys::radixSort(Item* items, std::size_t n) {
    std::array<std::array<uint32_t, 256>, 8> counts{};
    for (std::size_t i = 0; i < n; ++i)
        for (unsigned b = 0; b < 8; ++b) ++counts[b][(items[i].prefix >> (8 * b)) & 0xFF];
    LargeBlock spare;
    Item* from = items;
    Item* to = nullptr;
    for (unsigned b = 0; b < 8; ++b) {
        std::array<uint32_t, 256>& count = counts[b];
        if (std::find(count.begin(), count.end(), n) != count.end()) continue;
        if (!to) {
            spare = LargeBlock(n * sizeof(Item));
            to = spare.as<Item>();
        }
        uint32_t next = 0;
        for (uint32_t& c : count) next += std::exchange(c, next);
        for (std::size_t i = 0; i < n; ++i) to[count[(from[i].prefix >> (8 * b)) & 0xFF]++] = from[i];
        std::swap(from, to);
    }
    if (from != items) std::copy(from, from + n, items);
}

// Items [begin, end) agree on key bytes [0, from). Sorting by (8 more key bytes, position) and then each run that agrees on
// those bytes by the next 8 orders them by (key, position) without ever
// comparing whole keys.
void FlatKeys::sortRange(std::size_t begin, std::size_t end, std::size_t from) {
    Item* items = order_.as<Item>();
    const std::size_t take = std::min<std::size_t>(8, length_ - from);
    for (std::size_t i = begin; i < end; ++i) {
        const auto* key = reinterpret_cast<const unsigned char*>(keyAt(items[i].position)) + from;
        uint64_t prefix = 0;
        for (std::size_t b = 0; b < take; ++b) prefix |= uint64_t{key[b]} << (56 - 8 * b);
        items[i].prefix = prefix;
    }
    if (end - begin >= kRadixMin) {
        radixSort(items + begin, end - begin);
    } else {
        std::sort(items + begin, items + end, [](const Item& a, const Item& b) {
            return a.prefix != b.prefix ? a.prefix < b.prefix : a.position < b.position;
        });
    }
    from += take;
    if (from >= length_) return;
    for (std::size_t run = begin; run < end;) {
        std::size_t next = run + 1;
        while (next < end && items[next].prefix == items[run].prefix) ++next;
        if (next - run > 1) {
            // Skip what the whole run shares: often all the rest (equal keys).
            const char* first = keyAt(items[run].position);
            std::size_t shared = length_;
            for (std::size_t i = run + 1; i < next && shared > from; ++i) {
                const char* key = keyAt(items[i].position);
                std::size_t n = from;
                while (n < shared && key[n] == first[n]) ++n;
                shared = n;
            }
            if (shared < length_) sortRange(run, next, shared);
        }
        run = next;
    }
}

}  // namespace vv::db
