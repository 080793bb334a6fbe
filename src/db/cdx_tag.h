// One tag of a compound index: its header (key and FOR expression texts,
// key length, options) and its B-tree of (key, record number) entries.
// Entries are kept in ascending byte order of the key, equal keys by record
// number; a descending tag is the same tree read backwards (CdxCursor).
//
// Tags belong to their CdxFile and stay valid as long as it lives.
// Thread safety: one thread at a time for the whole CdxFile.
// Concurrency: the caller locks around writes and calls
// CdxFile::invalidate() when another process may have written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/cdx_key.h"
#include "db/cdx_node.h"

namespace vv::db {

class CdxPager;

struct CdxTagDef {
    std::string name;           // 1-10 characters (letters, digits, '_'); stored upper case
    std::string keyExpression;  // kept as text for other tools; never evaluated here
    std::string forExpression;  // empty: every record has an entry
    CdxKeyType keyType = CdxKeyType::Character;
    std::size_t keyLength = 0;  // 1-240 bytes
    bool descending = false;
    bool unique = false;        // flag only: the caller inserts one record per key
};

struct CdxEntry {
    std::string key;  // exactly the tag's key length
    uint32_t recno = 0;
};

class CdxTag {
public:
    const std::string& name() const { return name_; }
    const std::string& keyExpression() const { return keyExpression_; }
    const std::string& forExpression() const { return forExpression_; }
    std::size_t keyLength() const { return keyLength_; }
    bool descending() const { return descending_; }
    bool unique() const { return options_ & cdx::kOptionUnique; }
    uint32_t headerOffset() const { return headerOffset_; }

    // The file does not record the key type; it only tells which byte the
    // leaves' trailing counts stand for. Tags read from a file start as
    // Character: numeric and date tags must be told before their keys are read.
    CdxKeyType keyType() const { return keyType_; }
    void setKeyType(CdxKeyType type) { keyType_ = type; }

    // Adds (key, recno); false when that exact entry is already there.
    // InvalidArgument when the key is not keyLength() bytes.
    bool insert(std::string_view key, uint32_t recno);
    // Removes (key, recno); false when it is not there.
    bool remove(std::string_view key, uint32_t recno);

    // Number of entries (walks the leaf level).
    std::size_t count();
    // Checks the whole tree (order, separators, sibling links, one depth for
    // all leaves) and returns the number of entries; throws CorruptFile.
    std::size_t verify();

    CdxTag(CdxPager& pager, uint32_t headerOffset);
    CdxTag(const CdxTag&) = delete;
    CdxTag& operator=(const CdxTag&) = delete;

    // ---- Used by CdxFile and CdxCursor ----

    // (Re)reads the header.
    void load();
    // Writes a tag header for a tree whose root is at `root`.
    static void writeHeader(CdxPager& pager, uint32_t offset, const CdxTagDef& def, uint32_t root);

    void setName(std::string name) { name_ = std::move(name); }
    void setPresent(bool present) { present_ = present; }
    // Throws InvalidState when the tag was dropped from the file by someone else.
    void checkPresent() const;

    // A place in the leaf level; index may equal the leaf's count only inside the tag.
    struct Position {
        uint32_t offset = 0;
        std::shared_ptr<const CdxNode> leaf;
        std::size_t index = 0;
    };
    enum class Match { Entry, PrefixAtLeast, PrefixAbove };
    // First entry satisfying the match, or false when none:
    //   Entry: (key, recno) >= the given pair; PrefixAtLeast / PrefixAbove:
    //   the key's first min(key.size(), keyLength) bytes >= / > the given bytes.
    bool lowerBound(Match match, std::string_view key, uint32_t recno, Position& pos);
    bool first(Position& pos);
    bool last(Position& pos);
    bool next(Position& pos);
    bool prior(Position& pos);
    uint64_t generation() const;

private:
    struct Step {
        uint32_t offset = 0;
        std::shared_ptr<const CdxNode> shared;  // the cached node, until it must change
        CdxNode node;                           // this change's own copy otherwise
        std::size_t slot = 0;

        const CdxNode& current() const { return shared ? *shared : node; }
        CdxNode& own() {
            if (shared) {
                node = *shared;
                shared.reset();
            }
            return node;
        }
    };
    using Path = std::vector<Step>;

    unsigned char filler() const { return cdxFillerByte(keyType_); }
    std::shared_ptr<const CdxNode> readNode(uint32_t offset);
    void writeNode(uint32_t offset, const CdxNode& node);
    void checkKey(std::string_view key) const;
    bool edge(Position& pos, bool leftmost);
    bool moveRight(Position& pos);
    bool moveLeft(Position& pos);
    std::size_t stepLimit() const;

    // Fills path_ from the root down to the leaf where (key, recno) belongs.
    void pathTo(std::string_view key, uint32_t recno);
    // The leaf where the first entry satisfying the match would be, read
    // off the interior pages' bytes (each decoded once, as a check);
    // kNoPage when a page on the way is not a plausible node (a decoded
    // walk then says why).
    uint32_t leafFor(Match match, std::string_view key, uint32_t recno);
    void store(Path& path, std::size_t level);
    void updateSeparator(Path& path, std::size_t level);
    std::vector<std::size_t> splitPoints(const CdxNode& node) const;
    void patchLink(uint32_t offset, std::size_t field, uint32_t value);
    void unlink(const CdxNode& node);
    void setRoot(uint32_t root);
    void collapseRoot();

    CdxPager& pager_;
    uint32_t headerOffset_;
    std::string name_;
    std::string keyExpression_;
    std::string forExpression_;
    std::size_t keyLength_ = 0;
    uint8_t options_ = 0;
    bool descending_ = false;
    uint32_t root_ = 0;
    CdxKeyType keyType_ = CdxKeyType::Character;
    bool present_ = true;
    Path path_;          // reused by every change, so its nodes keep their memory
    CdxLeafPlace place_;  // likewise
};

}  // namespace vv::db
