// Changing a tag's tree one entry at a time. A node that no longer fits is
// split and its parent takes the new separator; an emptied node is unlinked
// and freed; a root left with one child hands over to it. Underfull nodes
// are not merged: a reindex packs the tree again.
//
// New pages are written before anything points at them, so a crash between
// writes leaves unreachable pages rather than pointers into garbage.
#include <algorithm>
#include <cstring>

#include "db/byte_order.h"
#include "db/cdx_pager.h"
#include "db/cdx_tag.h"

namespace vv::db {

using namespace cdx;

void CdxTag::pathTo(std::string_view key, uint32_t recno) {
    uint32_t offset = root_;
    for (std::size_t depth = 0;; ++depth) {
        if (depth == kMaxDepth) pager_.corrupt(offset, "a tree deeper than " + std::to_string(kMaxDepth) + " levels");
        if (path_.size() == depth) path_.emplace_back();
        Step& step = path_[depth];
        step.offset = offset;
        // Leaves are decoded into the path, as they are about to change;
        // interior nodes rarely change, so the cached ones are borrowed.
        if (readLe16(pager_.bytes(offset) + kNodeAttributes) & kAttributeLeaf) {
            step.shared.reset();
            pager_.decodeInto(offset, keyLength_, filler(), step.node);
        } else {
            step.shared = readNode(offset);
        }
        const CdxNode& node = step.current();
        std::size_t lo = 0, hi = node.count();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            const int c = node.key(mid).compare(key);
            if (c > 0 || (c == 0 && node.recnos[mid] >= recno)) hi = mid; else lo = mid + 1;
        }
        if (node.isLeaf()) {
            step.slot = lo;
            path_.resize(depth + 1);
            return;
        }
        // Past every separator: the entry belongs at the end of the last child.
        step.slot = std::min(lo, node.count() - 1);
        offset = node.children[step.slot];
    }
}

bool CdxTag::insert(std::string_view key, uint32_t recno) {
    checkPresent();
    checkKey(key);
    // Most inserts fit their leaf: the way down reads the pages' bytes, and
    // the entry is spliced into the leaf's, with no node decoded. A new last
    // entry of a leaf below the root changes the separators above it: that
    // takes the path below.
    const uint32_t leafOffset = leafFor(Match::Entry, key, recno);
    const unsigned char* bytes = leafOffset == kNoPage ? nullptr : pager_.bytes(leafOffset);
    if (bytes && scanCdxLeaf(bytes, keyLength_, filler(), key, recno, place_)) {
        if (place_.found) return false;
        if (place_.slot < place_.count || leafOffset == root_) {
            CdxPager::Page page;
            std::copy(bytes, bytes + kPageSize, page.begin());
            if (cdxLeafInsertInPlace(page.data(), place_, key, recno, filler())) {
                pager_.write(leafOffset, page);
                pager_.noteChange();
                return true;
            }
        }
    }
    pathTo(key, recno);
    Step& leaf = path_.back();
    if (leaf.slot < leaf.node.count() && leaf.node.key(leaf.slot) == key && leaf.node.recnos[leaf.slot] == recno)
        return false;
    leaf.node.insert(leaf.slot, key, recno);
    store(path_, path_.size() - 1);
    pager_.noteChange();
    return true;
}

bool CdxTag::remove(std::string_view key, uint32_t recno) {
    checkPresent();
    checkKey(key);
    pathTo(key, recno);
    Step& leaf = path_.back();
    if (leaf.slot == leaf.node.count() || leaf.node.key(leaf.slot) != key || leaf.node.recnos[leaf.slot] != recno)
        return false;
    leaf.node.erase(leaf.slot);
    store(path_, path_.size() - 1);
    collapseRoot();
    pager_.noteChange();
    return true;
}

std::vector<std::size_t> CdxTag::splitPoints(const CdxNode& node) const {
    const std::size_t n = node.count();
    if (cdxNodeFits(node, filler())) return {0, n};
    std::vector<std::size_t> points{0};
    if (!node.isLeaf()) {
        const std::size_t capacity = cdxInteriorCapacity(keyLength_);
        const std::size_t parts = (n + capacity - 1) / capacity;
        for (std::size_t j = 1; j <= parts; ++j) points.push_back(j * n / parts);
        return points;
    }
    // Leaves: two halves of about equal count when both fit (the usual case
    // after one insert), otherwise packed from the left.
    auto fits = [&](std::size_t b, std::size_t e) { return cdxLeafBytes(node, b, e, filler()) <= kPageSize; };
    for (std::size_t d = 0; d < n; ++d) {
        for (std::size_t m : {n / 2 + d, n / 2 - std::min(d, n / 2)}) {
            if (m > 0 && m < n && fits(0, m) && fits(m, n)) return {0, m, n};
        }
    }
    for (std::size_t begin = 0; begin < n;) {
        std::size_t end = begin + 1;
        while (end < n && fits(begin, end + 1)) ++end;
        points.push_back(end);
        begin = end;
    }
    return points;
}

void CdxTag::patchLink(uint32_t offset, std::size_t field, uint32_t value) {
    CdxPager::Page page = pager_.read(offset);
    writeLe32(page.data() + field, value);
    pager_.write(offset, page);
}

void CdxTag::unlink(const CdxNode& node) {
    if (node.left != kNoPage) patchLink(node.left, kNodeRight, node.right);
    if (node.right != kNoPage) patchLink(node.right, kNodeLeft, node.left);
}

void CdxTag::setRoot(uint32_t root) {
    unsigned char header[kHeaderSize];
    pager_.readHeader(headerOffset_, header);
    writeLe32(header + kHeaderRoot, root);
    pager_.writeHeader(headerOffset_, header);
    root_ = root;
}

void CdxTag::updateSeparator(Path& path, std::size_t level) {
    const CdxNode& node = path[level].current();
    Step& parent = path[level - 1];
    const CdxNode& above = parent.current();
    if (above.key(parent.slot) == node.lastKey() && above.recnos[parent.slot] == node.recnos.back()) return;
    parent.own().assign(parent.slot, node.lastKey(), node.recnos.back());
    store(path, level - 1);
}

void CdxTag::store(Path& path, std::size_t level) {
    Step& step = path[level];
    CdxNode& node = step.own();
    if (node.count() == 0) {
        if (level == 0) {
            // The last entry is gone: the tree is one empty root leaf again.
            node.attributes = kAttributeRoot | kAttributeLeaf;
            node.children.clear();
            writeNode(step.offset, node);
            return;
        }
        unlink(node);
        pager_.release(step.offset);
        Step& parent = path[level - 1];
        parent.own().erase(parent.slot);
        store(path, level - 1);
        return;
    }
    CdxPager::Page page;
    if (encodeCdxNodeIfFits(node, filler(), page.data())) {
        // The usual case: the node still fits its page.
        pager_.write(step.offset, page);
        if (level > 0) updateSeparator(path, level);
        return;
    }

    const std::vector<std::size_t> points = splitPoints(node);
    std::vector<CdxNode> parts;
    std::vector<uint32_t> offsets{step.offset};
    for (std::size_t j = 0; j + 1 < points.size(); ++j) {
        parts.push_back(node.slice(points[j], points[j + 1]));
        parts.back().attributes &= static_cast<uint16_t>(~kAttributeRoot);
        if (j > 0) offsets.push_back(pager_.allocate());
    }
    for (std::size_t j = 0; j < parts.size(); ++j) {
        parts[j].left = j == 0 ? node.left : offsets[j - 1];
        parts[j].right = j + 1 == parts.size() ? node.right : offsets[j + 1];
    }
    for (std::size_t j = 1; j < parts.size(); ++j) writeNode(offsets[j], parts[j]);
    if (node.right != kNoPage) patchLink(node.right, kNodeLeft, offsets.back());
    writeNode(offsets[0], parts[0]);

    if (level == 0) {
        CdxNode root;
        root.attributes = kAttributeRoot;
        root.keyLength = keyLength_;
        for (std::size_t j = 0; j < parts.size(); ++j)
            root.insert(j, parts[j].lastKey(), parts[j].recnos.back(), offsets[j]);
        const uint32_t rootOffset = pager_.allocate();
        writeNode(rootOffset, root);
        setRoot(rootOffset);
        return;
    }
    CdxNode& above = path[level - 1].own();
    const std::size_t slot = path[level - 1].slot;
    above.assign(slot, parts[0].lastKey(), parts[0].recnos.back());
    for (std::size_t j = 1; j < parts.size(); ++j)
        above.insert(slot + j, parts[j].lastKey(), parts[j].recnos.back(), offsets[j]);
    store(path, level - 1);
}

void CdxTag::collapseRoot() {
    for (std::size_t depth = 0; depth < kMaxDepth; ++depth) {
        const std::shared_ptr<const CdxNode> root = readNode(root_);
        if (root->isLeaf() || root->count() != 1) return;
        const uint32_t child = root->children[0];
        CdxPager::Page page = pager_.read(child);
        writeLe16(page.data() + kNodeAttributes,
                  static_cast<uint16_t>(readLe16(page.data() + kNodeAttributes) | kAttributeRoot));
        pager_.write(child, page);
        const uint32_t old = root_;
        setRoot(child);
        pager_.release(old);
    }
}

}  // namespace vv::db
