#include "db/cdx_tree_build.h"

#include <algorithm>
#include <cstring>

#include "db/byte_order.h"
#include "db/cdx_node.h"
#include "db/cdx_pager.h"

namespace vv::db {

using namespace cdx;

namespace {

// Buffers contiguous pages so a build writes in large pieces.
class PageRun {
public:
    PageRun(CdxPager& pager, uint32_t start) : pager_(pager), next_(start) { buffer_.reserve(kFlushBytes); }
    void add(const CdxNode& node, unsigned char filler) {
        buffer_.resize(buffer_.size() + kPageSize);
        encodeCdxNode(node, filler, buffer_.data() + buffer_.size() - kPageSize);
        if (buffer_.size() >= kFlushBytes) flush();
    }
    void flush() {
        if (buffer_.empty()) return;
        const std::size_t pages = buffer_.size() / kPageSize;
        pager_.writeRun(next_, buffer_.data(), pages);
        next_ += static_cast<uint32_t>(pages * kPageSize);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kFlushBytes = 64 * kPageSize;
    CdxPager& pager_;
    uint32_t next_;
    std::vector<unsigned char> buffer_;
};

// Where each leaf starts: as many entries as fit, in order.
std::vector<std::size_t> leafBounds(const FlatKeys& keys, unsigned char filler) {
    const std::size_t keyLength = keys.keyLength();
    std::vector<std::size_t> bounds{0};
    std::size_t start = 0, stored = 0;
    uint32_t maxRecno = 0;
    std::string_view previous;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view key = keys.key(i);
        const uint32_t recno = keys.recno(i);
        const std::size_t trail = cdxTrailCount(key, filler);
        std::size_t dup = i == start ? 0 : cdxDupCount(previous, key, trail);
        uint32_t recnos = std::max(maxRecno, recno);
        std::size_t bytes = CdxLeafLayout::forKeys(keyLength, recnos).entryBytes;
        if (i > start && kLeafEntries + (i - start + 1) * bytes + stored + (keyLength - dup - trail) > kPageSize) {
            bounds.push_back(i);
            start = i;
            stored = 0;
            dup = 0;
            recnos = recno;
        }
        stored += keyLength - dup - trail;
        maxRecno = recnos;
        previous = key;
    }
    bounds.push_back(keys.size());
    return bounds;
}

}  // namespace

CdxLeafLevel packCdxLeaves(unsigned char filler, const FlatKeys& keys) {
    const std::vector<std::size_t> bounds = leafBounds(keys, filler);
    CdxLeafLevel level;
    level.keyLength = keys.keyLength();
    level.leafCount = bounds.size() - 1;
    level.pages = LargeBlock(level.leafCount * kPageSize);
    level.lastKeys.reserve(keys.size() == 0 ? 0 : level.leafCount * level.keyLength);
    level.lastRecnos.reserve(level.leafCount);
    CdxNode leaf;  // one node reused for every leaf, so its buffers keep their memory
    leaf.keyLength = level.keyLength;
    leaf.attributes = kAttributeLeaf | (level.leafCount == 1 ? kAttributeRoot : 0);
    for (std::size_t i = 0; i < level.leafCount; ++i) {
        leaf.keys.clear();
        leaf.recnos.clear();
        for (std::size_t k = bounds[i]; k < bounds[i + 1]; ++k) {
            leaf.keys += keys.key(k);
            leaf.recnos.push_back(keys.recno(k));
        }
        if (leaf.count() != 0) {
            level.lastKeys += leaf.lastKey();
            level.lastRecnos.push_back(leaf.recnos.back());
        }
        unsigned char* page = level.pages.as<unsigned char>() + i * kPageSize;
        std::memset(page, 0, kPageSize);
        encodeCdxNode(leaf, filler, page);
    }
    return level;
}

uint32_t writeCdxTree(CdxPager& pager, unsigned char filler, CdxLeafLevel& leaves) {
    const std::size_t keyLength = leaves.keyLength;
    // Node counts per level, leaves first, to place every page up front.
    std::vector<std::size_t> levels{leaves.leafCount};
    const std::size_t capacity = cdxInteriorCapacity(keyLength);
    while (levels.back() > 1) levels.push_back((levels.back() + capacity - 1) / capacity);
    std::size_t total = 0;
    for (std::size_t n : levels) total += n;
    const uint32_t start = pager.allocateAtEnd(total);
    auto offsetOf = [&](std::size_t levelStart, std::size_t i) {
        return static_cast<uint32_t>(start + (levelStart + i) * kPageSize);
    };

    unsigned char* pages = leaves.pages.as<unsigned char>();
    for (std::size_t i = 0; i < leaves.leafCount; ++i) {
        writeLe32(pages + i * kPageSize + kNodeLeft, i == 0 ? kNoPage : offsetOf(0, i - 1));
        writeLe32(pages + i * kPageSize + kNodeRight, i + 1 == leaves.leafCount ? kNoPage : offsetOf(0, i + 1));
    }
    pager.writeRun(start, pages, leaves.leafCount);

    struct ChildRef {
        std::string_view key;
        uint32_t recno;
    };
    std::vector<ChildRef> children;
    for (std::size_t i = 0; i < leaves.lastRecnos.size(); ++i)
        children.push_back({std::string_view(leaves.lastKeys).substr(i * keyLength, keyLength), leaves.lastRecnos[i]});
    PageRun run(pager, offsetOf(levels[0], 0));
    std::size_t levelStart = 0;
    for (std::size_t level = 1; level < levels.size(); ++level) {
        const std::size_t childStart = levelStart;
        levelStart += levels[level - 1];
        const std::size_t count = levels[level];
        std::vector<ChildRef> parents;
        for (std::size_t i = 0; i < count; ++i) {
            // Children spread evenly, so no node is left with a single entry.
            const std::size_t begin = i * children.size() / count;
            const std::size_t end = (i + 1) * children.size() / count;
            CdxNode node;
            node.attributes = level + 1 == levels.size() ? kAttributeRoot : 0;
            node.keyLength = keyLength;
            node.left = i == 0 ? kNoPage : offsetOf(levelStart, i - 1);
            node.right = i + 1 == count ? kNoPage : offsetOf(levelStart, i + 1);
            for (std::size_t k = begin; k < end; ++k)
                node.insert(k - begin, children[k].key, children[k].recno, offsetOf(childStart, k));
            parents.push_back(children[end - 1]);
            run.add(node, filler);
        }
        children = std::move(parents);
    }
    run.flush();
    return offsetOf(levelStart, 0);
}

}  // namespace vv::db
