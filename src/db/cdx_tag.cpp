#include "db/cdx_tag.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "db/byte_order.h"
#include "db/cdx_pager.h"
#include "db/error.h"

namespace vv::db {

using namespace cdx;

namespace {

// Text of the expression pool from `start`, up to its NUL, `length` or the pool's end.
std::string poolText(const unsigned char* header, std::size_t start, std::size_t length) {
    if (start >= kHeaderSize - kHeaderPool) return {};
    length = std::min(length, kHeaderSize - kHeaderPool - start);
    const char* text = reinterpret_cast<const char*>(header + kHeaderPool + start);
    return std::string(text, strnlen(text, length));
}

int compareEntry(std::string_view key, uint32_t recno, std::string_view otherKey, uint32_t otherRecno) {
    if (int c = key.compare(otherKey)) return c;
    return recno < otherRecno ? -1 : recno > otherRecno ? 1 : 0;
}

}  // namespace

CdxTag::CdxTag(CdxPager& pager, uint32_t headerOffset) : pager_(pager), headerOffset_(headerOffset) { load(); }

void CdxTag::load() {
    unsigned char header[kHeaderSize];
    pager_.readHeader(headerOffset_, header);
    const std::size_t keyLength = readLe16(header + kHeaderKeyLength);
    options_ = header[kHeaderOptions];
    if (!(options_ & kOptionCompact)) pager_.corrupt(headerOffset_, "a tag that is not a compact index");
    if (keyLength == 0 || keyLength > kMaxKeyLength)
        pager_.corrupt(headerOffset_, "a tag with key length " + std::to_string(keyLength));
    // Engines that write bigger pages say so here; FoxPro leaves the bytes zero.
    const std::size_t pageSize = readLe16(header + kHeaderPageSize);
    if (readLe16(header + kHeaderSelfSize) == kHeaderSize && pageSize != 0 && pageSize != kPageSize)
        pager_.corrupt(headerOffset_, "index pages of " + std::to_string(pageSize) + " bytes, not 512");
    keyLength_ = keyLength;
    root_ = readLe32(header + kHeaderRoot);
    descending_ = readLe16(header + kHeaderDescending) != 0;
    const std::size_t keyTextLength = readLe16(header + kHeaderKeyExprLength);
    keyExpression_ = poolText(header, 0, keyTextLength);
    forExpression_ = poolText(header, keyTextLength, readLe16(header + kHeaderForLength));
}

void CdxTag::writeHeader(CdxPager& pager, uint32_t offset, const CdxTagDef& def, uint32_t root) {
    unsigned char header[kHeaderSize] = {};
    writeLe32(header + kHeaderRoot, root);
    writeLe16(header + kHeaderKeyLength, static_cast<uint16_t>(def.keyLength));
    header[kHeaderOptions] = static_cast<uint8_t>(kOptionCompact | kOptionCompound |
                                                  (def.unique ? kOptionUnique : 0) |
                                                  (def.forExpression.empty() ? 0 : kOptionFor));
    header[kHeaderSignature] = 1;
    writeLe16(header + kHeaderSelfSize, kHeaderSize);
    writeLe16(header + kHeaderPageSize, kPageSize);
    writeLe16(header + kHeaderDescending, def.descending ? 1 : 0);
    const auto keyTextLength = static_cast<uint16_t>(def.keyExpression.size() + 1);
    writeLe16(header + kHeaderForStart, keyTextLength);
    writeLe16(header + kHeaderForLength, static_cast<uint16_t>(def.forExpression.size() + 1));
    writeLe16(header + kHeaderKeyStart, 0);
    writeLe16(header + kHeaderKeyExprLength, keyTextLength);
    std::memcpy(header + kHeaderPool, def.keyExpression.data(), def.keyExpression.size());
    std::memcpy(header + kHeaderPool + keyTextLength, def.forExpression.data(), def.forExpression.size());
    pager.writeHeader(offset, header);
}

void CdxTag::checkPresent() const {
    if (!present_)
        throw Error(ErrorKind::InvalidState, pager_.path() + ": tag " + name_ + " is no longer in the index");
}

void CdxTag::checkKey(std::string_view key) const {
    if (key.size() != keyLength_)
        throw Error(ErrorKind::InvalidArgument, pager_.path() + ": tag " + name_ + " takes keys of " +
                                                    std::to_string(keyLength_) + " bytes, not " +
                                                    std::to_string(key.size()));
}

uint64_t CdxTag::generation() const { return pager_.generation(); }

std::size_t CdxTag::stepLimit() const { return pager_.pageCount() + 1; }

std::shared_ptr<const CdxNode> CdxTag::readNode(uint32_t offset) {
    return pager_.node(offset, keyLength_, filler());
}

void CdxTag::writeNode(uint32_t offset, const CdxNode& node) {
    CdxPager::Page page;
    encodeCdxNode(node, filler(), page.data());
    pager_.write(offset, page);
}

namespace {

bool satisfies(CdxTag::Match match, std::string_view entryKey, uint32_t entryRecno, std::string_view key,
               uint32_t recno) {
    switch (match) {
    case CdxTag::Match::Entry: return compareEntry(entryKey, entryRecno, key, recno) >= 0;
    case CdxTag::Match::PrefixAtLeast: return entryKey.substr(0, key.size()) >= key;
    case CdxTag::Match::PrefixAbove: return entryKey.substr(0, key.size()) > key;
    }
    return false;
}

}  // namespace

uint32_t CdxTag::leafFor(Match match, std::string_view key, uint32_t recno) {
    const std::size_t kl = keyLength_;
    if (match != Match::Entry) key = key.substr(0, kl);
    uint32_t offset = root_;
    for (std::size_t depth = 0; depth < kMaxDepth; ++depth) {
        if (readLe16(pager_.bytes(offset) + kNodeAttributes) & kAttributeLeaf) return offset;
        // An interior page is checked (key order and all) the first time it is used.
        const unsigned char* page = pager_.checkedBytes(offset, kl, filler());
        const uint16_t attributes = readLe16(page + kNodeAttributes);
        const std::size_t count = readLe16(page + kNodeCount);
        if (attributes > (kAttributeRoot | kAttributeLeaf) || count == 0 || kInteriorEntries + count * (kl + 8) > kPageSize)
            return kNoPage;
        // Entries are the key, then record and child big-endian.
        auto entry = [&](std::size_t i) { return page + kInteriorEntries + i * (kl + 8); };
        std::size_t lo = 0, hi = count;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            const unsigned char* e = entry(mid);
            if (satisfies(match, {reinterpret_cast<const char*>(e), kl}, readBe32(e + kl), key, recno)) hi = mid;
            else lo = mid + 1;
        }
        offset = readBe32(entry(std::min(lo, count - 1)) + kl + 4);
    }
    return kNoPage;
}

bool CdxTag::lowerBound(Match match, std::string_view key, uint32_t recno, Position& pos) {
    checkPresent();
    const std::string_view sought = match == Match::Entry ? key : key.substr(0, keyLength_);
    auto firstSatisfied = [&](const CdxNode& node) {
        std::size_t lo = 0, hi = node.count();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (satisfies(match, node.key(mid), node.recnos[mid], sought, recno)) hi = mid; else lo = mid + 1;
        }
        return lo;
    };
    // The way down reads the interior pages' bytes; only the leaf, which the
    // position keeps, is decoded. A page that is not a plausible node sends
    // us down through decoded nodes, which say what is wrong.
    uint32_t offset = leafFor(match, key, recno);
    if (offset == kNoPage) offset = root_;
    for (std::size_t depth = 0;; ++depth) {
        if (depth == kMaxDepth) pager_.corrupt(offset, "a tree deeper than " + std::to_string(kMaxDepth) + " levels");
        std::shared_ptr<const CdxNode> node = readNode(offset);
        const std::size_t slot = firstSatisfied(*node);
        if (node->isLeaf()) {
            pos = Position{offset, std::move(node), slot};
            break;
        }
        offset = node->children[std::min(slot, node->count() - 1)];
    }
    // Only a stale separator or an empty leaf leaves us past the leaf's end.
    for (std::size_t steps = 0; pos.index == pos.leaf->count(); ++steps) {
        if (steps > stepLimit()) pager_.corrupt(pos.offset, "a loop in the leaf level");
        if (!moveRight(pos)) return false;
        pos.index = firstSatisfied(*pos.leaf);
    }
    return true;
}

bool CdxTag::moveRight(Position& pos) {
    const uint32_t offset = pos.leaf->right;
    if (offset == kNoPage) return false;
    std::shared_ptr<const CdxNode> node = readNode(offset);
    if (!node->isLeaf() || node->left != pos.offset) pager_.corrupt(offset, "leaf sibling links that disagree");
    pos = Position{offset, std::move(node), 0};
    return true;
}

bool CdxTag::moveLeft(Position& pos) {
    const uint32_t offset = pos.leaf->left;
    if (offset == kNoPage) return false;
    std::shared_ptr<const CdxNode> node = readNode(offset);
    if (!node->isLeaf() || node->right != pos.offset) pager_.corrupt(offset, "leaf sibling links that disagree");
    pos = Position{offset, std::move(node), 0};
    return true;
}

bool CdxTag::edge(Position& pos, bool leftmost) {
    checkPresent();
    uint32_t offset = root_;
    for (std::size_t depth = 0;; ++depth) {
        if (depth == kMaxDepth) pager_.corrupt(offset, "a tree deeper than " + std::to_string(kMaxDepth) + " levels");
        std::shared_ptr<const CdxNode> node = readNode(offset);
        if (node->isLeaf()) {
            pos = Position{offset, std::move(node), 0};
            break;
        }
        offset = leftmost ? node->children.front() : node->children.back();
    }
    for (std::size_t steps = 0; pos.leaf->count() == 0; ++steps) {
        if (steps > stepLimit()) pager_.corrupt(pos.offset, "a loop in the leaf level");
        if (!(leftmost ? moveRight(pos) : moveLeft(pos))) return false;
    }
    pos.index = leftmost ? 0 : pos.leaf->count() - 1;
    return true;
}

bool CdxTag::first(Position& pos) { return edge(pos, true); }
bool CdxTag::last(Position& pos) { return edge(pos, false); }

bool CdxTag::next(Position& pos) {
    if (pos.index + 1 < pos.leaf->count()) {
        ++pos.index;
        return true;
    }
    const std::string lastKey(pos.leaf->lastKey());
    const uint32_t lastRecno = pos.leaf->recnos.back();
    Position probe = pos;
    for (std::size_t steps = 0;; ++steps) {
        if (steps > stepLimit()) pager_.corrupt(probe.offset, "a loop in the leaf level");
        if (!moveRight(probe)) return false;
        if (probe.leaf->count() > 0) break;
    }
    // Strictly rising entries across leaves also rule out sibling loops.
    if (compareEntry(probe.leaf->key(0), probe.leaf->recnos[0], lastKey, lastRecno) <= 0)
        pager_.corrupt(probe.offset, "leaf entries out of order across siblings");
    pos = std::move(probe);
    return true;
}

bool CdxTag::prior(Position& pos) {
    if (pos.index > 0 && pos.index <= pos.leaf->count()) {
        --pos.index;
        return true;
    }
    const std::string firstKey(pos.leaf->count() ? pos.leaf->key(0) : std::string_view{});
    const uint32_t firstRecno = pos.leaf->count() ? pos.leaf->recnos[0] : 0;
    const bool hadEntries = pos.leaf->count() > 0;
    Position probe = pos;
    for (std::size_t steps = 0;; ++steps) {
        if (steps > stepLimit()) pager_.corrupt(probe.offset, "a loop in the leaf level");
        if (!moveLeft(probe)) return false;
        if (probe.leaf->count() > 0) break;
    }
    probe.index = probe.leaf->count() - 1;
    if (hadEntries && compareEntry(probe.leaf->lastKey(), probe.leaf->recnos.back(), firstKey, firstRecno) >= 0)
        pager_.corrupt(probe.offset, "leaf entries out of order across siblings");
    pos = std::move(probe);
    return true;
}

std::size_t CdxTag::count() {
    Position pos;
    if (!first(pos)) return 0;
    std::size_t total = 0;
    for (std::size_t steps = 0;; ++steps) {
        if (steps > stepLimit()) pager_.corrupt(pos.offset, "a loop in the leaf level");
        total += pos.leaf->count();
        if (!moveRight(pos)) return total;
    }
}

std::size_t CdxTag::verify() {
    checkPresent();
    std::vector<uint32_t> level{root_};
    std::unordered_set<uint32_t> seen{root_};
    std::string previousKey;
    uint32_t previousRecno = 0;
    std::size_t entries = 0;
    for (std::size_t depth = 0;; ++depth) {
        if (depth == kMaxDepth) pager_.corrupt(root_, "a tree deeper than " + std::to_string(kMaxDepth) + " levels");
        std::vector<uint32_t> below;
        bool leaves = false;
        for (std::size_t i = 0; i < level.size(); ++i) {
            const std::shared_ptr<const CdxNode> held = readNode(level[i]);
            const CdxNode& node = *held;
            if (i == 0) leaves = node.isLeaf();
            if (node.isLeaf() != leaves) pager_.corrupt(level[i], "leaves at different depths");
            if (node.isRoot() != (depth == 0)) pager_.corrupt(level[i], "a misplaced root mark");
            if (node.left != (i == 0 ? kNoPage : level[i - 1]) ||
                node.right != (i + 1 == level.size() ? kNoPage : level[i + 1]))
                pager_.corrupt(level[i], "sibling links that do not match the tree");
            if (leaves) {
                if (node.count() == 0 && depth > 0) pager_.corrupt(level[i], "an empty leaf");
                for (std::size_t k = 0; k < node.count(); ++k, ++entries) {
                    if (entries > 0 && compareEntry(node.key(k), node.recnos[k], previousKey, previousRecno) <= 0)
                        pager_.corrupt(level[i], "entries out of order");
                    previousKey = node.key(k);
                    previousRecno = node.recnos[k];
                }
                continue;
            }
            for (std::size_t k = 0; k < node.count(); ++k) {
                const uint32_t child = node.children[k];
                if (!seen.insert(child).second) pager_.corrupt(child, "a node reached twice");
                const std::shared_ptr<const CdxNode> heldChild = readNode(child);
                const CdxNode& childNode = *heldChild;
                if (childNode.count() == 0 || childNode.lastKey() != node.key(k) ||
                    childNode.recnos.back() != node.recnos[k])
                    pager_.corrupt(level[i], "a separator that is not its child's last entry");
                below.push_back(child);
            }
        }
        if (leaves) return entries;
        level = std::move(below);
    }
}

}  // namespace vv::db
