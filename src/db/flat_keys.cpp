#include "db/flat_keys.h"

#include <algorithm>

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
    std::sort(items + begin, items + end, [](const Item& a, const Item& b) {
        return a.prefix != b.prefix ? a.prefix < b.prefix : a.position < b.position;
    });
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
