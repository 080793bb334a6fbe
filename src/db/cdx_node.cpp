#include "db/cdx_node.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "db/byte_order.h"
#include "db/error.h"

namespace vv::db {

using namespace cdx;

void CdxNode::insert(std::size_t i, std::string_view key, uint32_t recno, uint32_t child) {
    keys.insert(i * keyLength, key.data(), keyLength);
    recnos.insert(recnos.begin() + static_cast<std::ptrdiff_t>(i), recno);
    if (!isLeaf()) children.insert(children.begin() + static_cast<std::ptrdiff_t>(i), child);
}

void CdxNode::erase(std::size_t i) {
    keys.erase(i * keyLength, keyLength);
    recnos.erase(recnos.begin() + static_cast<std::ptrdiff_t>(i));
    if (!isLeaf()) children.erase(children.begin() + static_cast<std::ptrdiff_t>(i));
}

void CdxNode::assign(std::size_t i, std::string_view key, uint32_t recno) {
    keys.replace(i * keyLength, keyLength, key.data(), keyLength);
    recnos[i] = recno;
}

CdxNode CdxNode::slice(std::size_t begin, std::size_t end) const {
    CdxNode part;
    part.attributes = attributes;
    part.keyLength = keyLength;
    part.keys = keys.substr(begin * keyLength, (end - begin) * keyLength);
    part.recnos.assign(recnos.begin() + static_cast<std::ptrdiff_t>(begin),
                       recnos.begin() + static_cast<std::ptrdiff_t>(end));
    if (!isLeaf())
        part.children.assign(children.begin() + static_cast<std::ptrdiff_t>(begin),
                             children.begin() + static_cast<std::ptrdiff_t>(end));
    return part;
}

CdxLeafLayout CdxLeafLayout::forKeys(std::size_t keyLength, uint32_t maxRecno) {
    CdxLeafLayout layout;
    layout.countBits = static_cast<unsigned>(std::bit_width(keyLength));
    const unsigned needed = std::max(1u, static_cast<unsigned>(std::bit_width(maxRecno)));
    layout.entryBytes = std::max<unsigned>(kMinEntryBytes, (needed + 2 * layout.countBits + 7) / 8);
    layout.recnoBits = std::min(32u, layout.entryBytes * 8 - 2 * layout.countBits);
    return layout;
}

// Both counts run over every key of a leaf on each change: eight bytes at a time.
std::size_t cdxTrailCount(std::string_view key, unsigned char filler) {
    const uint64_t fill = 0x0101010101010101ull * filler;
    std::size_t n = key.size();
    while (n >= 8) {
        uint64_t word;
        std::memcpy(&word, key.data() + n - 8, 8);
        if (word != fill) break;
        n -= 8;
    }
    while (n > 0 && static_cast<unsigned char>(key[n - 1]) == filler) --n;
    return key.size() - n;
}

std::size_t cdxDupCount(std::string_view previous, std::string_view key, std::size_t trail) {
    const std::size_t limit = key.size() - trail;
    std::size_t n = 0;
    for (; n + 8 <= limit; n += 8) {
        uint64_t a, b;
        std::memcpy(&a, previous.data() + n, 8);
        std::memcpy(&b, key.data() + n, 8);
        if (a != b) {
            if constexpr (std::endian::native == std::endian::little)
                return n + static_cast<std::size_t>(std::countr_zero(a ^ b)) / 8;
            break;
        }
    }
    while (n < limit && previous[n] == key[n]) ++n;
    return n;
}

namespace {

// The caller puts the file and offset in front (decodeCdxNode).
[[noreturn]] void corrupt(const std::string& what) { throw Error(ErrorKind::CorruptFile, what); }

uint64_t bitMask(unsigned bits) { return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1; }

// The entry layout a leaf page declares: each entry packs the record
// number, the duplicate count and the trailing count little-endian into
// entryBytes bytes.
struct LeafBits {
    unsigned recno, dup, trail;
    std::size_t entryBytes;

    explicit LeafBits(const unsigned char* page)
        : recno(page[kLeafRecnoBits]), dup(page[kLeafDupBits]), trail(page[kLeafTrailBits]),
          entryBytes(page[kLeafEntryBytes]) {}
    bool plausible() const {
        return entryBytes != 0 && entryBytes <= 8 && recno != 0 && recno <= 32 && dup <= 16 && trail <= 16 &&
               recno + dup + trail <= entryBytes * 8;
    }
    uint64_t packed(const unsigned char* page, std::size_t i) const {
        const unsigned char* e = page + kLeafEntries + i * entryBytes;
        uint64_t p = 0;
        for (std::size_t b = 0; b < entryBytes; ++b) p |= uint64_t{e[b]} << (8 * b);
        return p;
    }
    uint32_t recnoOf(uint64_t p) const { return static_cast<uint32_t>(p & bitMask(recno)); }
    std::size_t dupOf(uint64_t p) const { return (p >> recno) & bitMask(dup); }
    std::size_t trailOf(uint64_t p) const { return (p >> (recno + dup)) & bitMask(trail); }
    bool fits(std::size_t dupCount, std::size_t trailCount) const {
        return dupCount <= bitMask(dup) && trailCount <= bitMask(trail);
    }
    void pack(unsigned char* page, std::size_t i, uint64_t recnoValue, std::size_t dupCount,
              std::size_t trailCount) const {
        const uint64_t p = recnoValue | (uint64_t{dupCount} << recno) | (uint64_t{trailCount} << (recno + dup));
        unsigned char* e = page + kLeafEntries + i * entryBytes;
        for (std::size_t b = 0; b < entryBytes; ++b) e[b] = static_cast<unsigned char>(p >> (8 * b));
    }
};

void decodeLeaf(const unsigned char* page, std::size_t count, unsigned char filler, CdxNode& node) {
    const std::size_t kl = node.keyLength;
    const LeafBits bits(page);
    if (!bits.plausible()) corrupt("impossible bit widths in a leaf node");
    const std::size_t entriesEnd = kLeafEntries + count * bits.entryBytes;
    if (entriesEnd > kPageSize) corrupt("a leaf node claims " + std::to_string(count) + " keys");

    node.keys.resize(count * kl);
    node.recnos.resize(count);
    std::size_t keyEnd = kPageSize;
    for (std::size_t i = 0; i < count; ++i) {
        const uint64_t packed = bits.packed(page, i);
        const std::size_t dup = bits.dupOf(packed);
        const std::size_t trail = bits.trailOf(packed);
        if (dup + trail > kl || (i == 0 && dup != 0)) corrupt("impossible key compression in a leaf node");
        const std::size_t stored = kl - dup - trail;
        if (keyEnd < entriesEnd + stored) corrupt("leaf keys overlap the entries");
        keyEnd -= stored;
        char* key = node.keys.data() + i * kl;
        if (dup) std::memcpy(key, key - kl, dup);
        std::memcpy(key + dup, page + keyEnd, stored);
        std::memset(key + dup + stored, filler, trail);
        node.recnos[i] = bits.recnoOf(packed);
        // The first dup bytes are the previous key's own: order shows from there on.
        if (i > 0 && dup < kl) {
            const auto before = static_cast<unsigned char>(key[dup - kl]), now = static_cast<unsigned char>(key[dup]);
            if (now < before || (now == before && std::memcmp(key + dup - kl, key + dup, kl - dup) > 0))
                corrupt("leaf keys out of order");
        }
    }
}

void decodeInterior(const unsigned char* page, std::size_t count, CdxNode& node) {
    const std::size_t kl = node.keyLength;
    if (count == 0) corrupt("an interior node without keys");
    if (kInteriorEntries + count * (kl + 8) > kPageSize)
        corrupt("an interior node claims " + std::to_string(count) + " keys");
    node.keys.resize(count * kl);
    node.recnos.resize(count);
    node.children.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* e = page + kInteriorEntries + i * (kl + 8);
        std::memcpy(node.keys.data() + i * kl, e, kl);
        node.recnos[i] = readBe32(e + kl);
        node.children[i] = readBe32(e + kl + 4);
        if (i > 0 && node.key(i - 1) > node.key(i)) corrupt("interior keys out of order");
    }
}

// False, with the page left partly written, when the entries do not fit.
bool encodeLeaf(const CdxNode& node, unsigned char filler, unsigned char* page) {
    const std::size_t kl = node.keyLength;
    const uint32_t maxRecno = node.count() ? *std::max_element(node.recnos.begin(), node.recnos.end()) : 0;
    const CdxLeafLayout layout = CdxLeafLayout::forKeys(kl, maxRecno);
    const std::size_t entriesEnd = kLeafEntries + node.count() * layout.entryBytes;
    if (entriesEnd > kPageSize) return false;
    std::size_t keyEnd = kPageSize;
    for (std::size_t i = 0; i < node.count(); ++i) {
        const std::string_view key = node.key(i);
        const std::size_t trail = cdxTrailCount(key, filler);
        const std::size_t dup = i == 0 ? 0 : cdxDupCount(node.key(i - 1), key, trail);
        const std::size_t stored = kl - dup - trail;
        if (keyEnd - entriesEnd < stored) return false;
        keyEnd -= stored;
        std::memcpy(page + keyEnd, key.data() + dup, stored);
        const uint64_t packed = uint64_t{node.recnos[i]} | (uint64_t{dup} << layout.recnoBits) |
                                (uint64_t{trail} << (layout.recnoBits + layout.countBits));
        unsigned char* e = page + kLeafEntries + i * layout.entryBytes;
        for (unsigned b = 0; b < layout.entryBytes; ++b) e[b] = static_cast<unsigned char>(packed >> (8 * b));
    }
    writeLe16(page + kLeafFreeSpace,
              static_cast<uint16_t>(keyEnd - kLeafEntries - node.count() * layout.entryBytes));
    writeLe32(page + kLeafRecnoMask, static_cast<uint32_t>(bitMask(layout.recnoBits)));
    page[kLeafDupMask] = static_cast<unsigned char>(bitMask(layout.countBits));
    page[kLeafTrailMask] = static_cast<unsigned char>(bitMask(layout.countBits));
    page[kLeafRecnoBits] = static_cast<unsigned char>(layout.recnoBits);
    page[kLeafDupBits] = static_cast<unsigned char>(layout.countBits);
    page[kLeafTrailBits] = static_cast<unsigned char>(layout.countBits);
    page[kLeafEntryBytes] = static_cast<unsigned char>(layout.entryBytes);
    return true;
}

}  // namespace

void decodeCdxNodeInto(const unsigned char* page, std::size_t keyLength, unsigned char filler, CdxNode& node) {
    node.attributes = readLe16(page + kNodeAttributes);
    if (node.attributes > (kAttributeRoot | kAttributeLeaf)) corrupt("not an index node");
    node.left = readLe32(page + kNodeLeft);
    node.right = readLe32(page + kNodeRight);
    node.keyLength = keyLength;
    const std::size_t count = readLe16(page + kNodeCount);
    node.children.clear();
    if (node.isLeaf())
        decodeLeaf(page, count, filler, node);
    else
        decodeInterior(page, count, node);
}

CdxNode decodeCdxNode(const unsigned char* page, std::size_t keyLength, unsigned char filler,
                      const std::string& where) {
    CdxNode node;
    try {
        decodeCdxNodeInto(page, keyLength, filler, node);
    } catch (const Error& e) {
        throw Error(ErrorKind::CorruptFile, where + ": " + e.what());
    }
    return node;
}

std::size_t cdxLeafBytes(const CdxNode& node, std::size_t begin, std::size_t end, unsigned char filler) {
    uint32_t maxRecno = 0;
    std::size_t stored = 0;
    for (std::size_t i = begin; i < end; ++i) {
        maxRecno = std::max(maxRecno, node.recnos[i]);
        const std::size_t trail = cdxTrailCount(node.key(i), filler);
        const std::size_t dup = i == begin ? 0 : cdxDupCount(node.key(i - 1), node.key(i), trail);
        stored += node.keyLength - dup - trail;
    }
    return kLeafEntries + (end - begin) * CdxLeafLayout::forKeys(node.keyLength, maxRecno).entryBytes + stored;
}

std::size_t cdxInteriorCapacity(std::size_t keyLength) {
    return (kPageSize - kInteriorEntries) / (keyLength + 8);
}

bool cdxNodeFits(const CdxNode& node, unsigned char filler) {
    return node.isLeaf() ? cdxLeafBytes(node, 0, node.count(), filler) <= kPageSize
                         : node.count() <= cdxInteriorCapacity(node.keyLength);
}

bool scanCdxLeaf(const unsigned char* page, std::size_t keyLength, unsigned char filler, std::string_view key,
                 uint32_t recno, CdxLeafPlace& place) {
    const std::size_t kl = keyLength, count = readLe16(page + kNodeCount);
    const LeafBits bits(page);
    const std::size_t entriesEnd = kLeafEntries + count * bits.entryBytes;
    if (!(readLe16(page + kNodeAttributes) & kAttributeLeaf) || key.size() != kl || !bits.plausible() ||
        entriesEnd > kPageSize)
        return false;
    place.count = count;
    place.found = false;
    // Two key buffers in turn: the entry read now and the one before it.
    place.previous.resize(kl);
    place.next.resize(kl);
    char* current = place.next.data();
    char* before = place.previous.data();
    std::size_t keyEnd = kPageSize;
    std::size_t same = 0;  // bytes the key before has in common with the sought key
    for (std::size_t i = 0; i < count; ++i) {
        const uint64_t packed = bits.packed(page, i);
        const std::size_t dup = bits.dupOf(packed), trail = bits.trailOf(packed);
        if (dup + trail > kl || (i == 0 && dup != 0)) return false;
        const std::size_t stored = kl - dup - trail;
        if (keyEnd < entriesEnd + stored) return false;
        if (dup) std::memcpy(current, before, dup);
        std::memcpy(current + dup, page + keyEnd - stored, stored);
        std::memset(current + dup + stored, filler, trail);
        // This key equals the one before for dup bytes, and that one the
        // sought key for `same` bytes: the comparison starts past both.
        same = std::min(dup, same);
        same += cdxDupCount(std::string_view(current + same, kl - same), key.substr(same), 0);
        const bool keyAbove =
            same < kl && static_cast<unsigned char>(current[same]) > static_cast<unsigned char>(key[same]);
        if (keyAbove || (same == kl && bits.recnoOf(packed) >= recno)) {
            place.slot = i;
            place.keysEnd = keyEnd;
            place.found = same == kl && bits.recnoOf(packed) == recno;
            if (current != place.next.data()) place.previous.swap(place.next);
            if (i == 0) place.previous.clear();
            return true;
        }
        keyEnd -= stored;
        std::swap(current, before);
    }
    place.slot = count;
    place.keysEnd = keyEnd;
    if (before != place.previous.data()) place.previous.swap(place.next);
    if (count == 0) place.previous.clear();
    place.next.clear();
    return true;
}

bool cdxLeafInsertInPlace(unsigned char* page, const CdxLeafPlace& place, std::string_view key, uint32_t recno,
                          unsigned char filler) {
    const std::size_t kl = key.size(), slot = place.slot, oldCount = place.count;
    const LeafBits bits(page);
    if (readLe16(page + kNodeCount) != oldCount || slot > oldCount || !bits.plausible()) return false;
    if (recno > bitMask(bits.recno)) return false;  // needs a wider layout

    const std::size_t free = readLe16(page + kLeafFreeSpace);
    const std::size_t lowest = kLeafEntries + oldCount * bits.entryBytes + free;  // first key byte in use
    // The key bytes of the entries in front of the slot end at `top`; the
    // entry now behind the new one was stored below them, against the one before.
    const std::size_t top = place.keysEnd;
    std::size_t oldStored = 0;
    if (slot < oldCount) {
        const uint64_t packed = bits.packed(page, slot);
        if (bits.dupOf(packed) + bits.trailOf(packed) > kl) return false;
        oldStored = kl - bits.dupOf(packed) - bits.trailOf(packed);
    }
    if (top > kPageSize || lowest > top || oldStored > top - lowest) return false;

    struct Entry {
        std::size_t dup = 0, trail = 0, stored = 0;
    };
    auto entryOf = [&](std::string_view previous, std::string_view k) {
        Entry e;
        e.trail = cdxTrailCount(k, filler);
        e.dup = previous.empty() ? 0 : cdxDupCount(previous, k, e.trail);
        e.stored = kl - e.dup - e.trail;
        return e;
    };
    const Entry added = entryOf(slot == 0 ? std::string_view() : std::string_view(place.previous), key);
    const Entry next = slot < oldCount ? entryOf(key, place.next) : Entry{};
    if (!bits.fits(added.dup, added.trail) || !bits.fits(next.dup, next.trail)) return false;
    const auto keyGrowth = static_cast<std::ptrdiff_t>(added.stored + next.stored) - static_cast<std::ptrdiff_t>(oldStored);
    if (static_cast<std::ptrdiff_t>(free) < static_cast<std::ptrdiff_t>(bits.entryBytes) + keyGrowth) return false;

    // The keys behind move first: their new place lies above the grown
    // entries, so moving the entries afterwards cannot overwrite them.
    const std::size_t rest = top - oldStored - lowest;
    const std::size_t newLowest = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(lowest) - keyGrowth);
    std::memmove(page + newLowest, page + lowest, rest);
    if (newLowest > lowest) std::memset(page + lowest, 0, newLowest - lowest);
    std::memcpy(page + top - added.stored, key.data() + added.dup, added.stored);
    if (slot < oldCount) std::memcpy(page + top - added.stored - next.stored, place.next.data() + next.dup, next.stored);

    unsigned char* entries = page + kLeafEntries;
    std::memmove(entries + (slot + 1) * bits.entryBytes, entries + slot * bits.entryBytes,
                 (oldCount - slot) * bits.entryBytes);
    bits.pack(page, slot, recno, added.dup, added.trail);
    // The entry behind keeps its record number, now one place further on.
    if (slot < oldCount) bits.pack(page, slot + 1, bits.recnoOf(bits.packed(page, slot + 1)), next.dup, next.trail);
    writeLe16(page + kNodeCount, static_cast<uint16_t>(oldCount + 1));
    writeLe16(page + kLeafFreeSpace, static_cast<uint16_t>(newLowest - kLeafEntries - (oldCount + 1) * bits.entryBytes));
    return true;
}

bool encodeCdxNodeIfFits(const CdxNode& node, unsigned char filler, unsigned char* page) {
    if (!node.isLeaf() && node.count() > cdxInteriorCapacity(node.keyLength)) return false;
    std::memset(page, 0, kPageSize);
    writeLe16(page + kNodeAttributes, node.attributes);
    writeLe16(page + kNodeCount, static_cast<uint16_t>(node.count()));
    writeLe32(page + kNodeLeft, node.left);
    writeLe32(page + kNodeRight, node.right);
    if (node.isLeaf()) return encodeLeaf(node, filler, page);
    const std::size_t kl = node.keyLength;
    for (std::size_t i = 0; i < node.count(); ++i) {
        unsigned char* e = page + kInteriorEntries + i * (kl + 8);
        std::memcpy(e, node.key(i).data(), kl);
        writeBe32(e + kl, node.recnos[i]);
        writeBe32(e + kl + 4, node.children[i]);
    }
    return true;
}

void encodeCdxNode(const CdxNode& node, unsigned char filler, unsigned char* page) {
    if (!encodeCdxNodeIfFits(node, filler, page))
        throw Error(ErrorKind::InvalidArgument, "an index node of " + std::to_string(node.count()) +
                                                    " keys does not fit in one page");
}

}  // namespace vv::db
