// A position in one tag, moving in the tag's order: ascending tags from the
// smallest key, descending tags from the largest (the same tree read
// backwards, so equal keys come in falling record-number order there).
//
// A cursor survives changes to the index: when the file changed since it
// last moved (a write through any cursor or tag, or CdxFile::invalidate()),
// it finds its entry again by key and record number before moving; if that
// entry is gone it continues from where it would have been.
#pragma once

#include <cstdint>
#include <string_view>

#include "db/cdx_tag.h"

namespace vv::db {

enum class CdxSeekResult {
    Found,  // on the first entry whose key starts with the sought bytes
    After,  // no such entry; on the next one in the tag's order
    End     // no entry at or after the sought key; the cursor is off the tag
};

class CdxCursor {
public:
    explicit CdxCursor(CdxTag& tag) : tag_(&tag) {}

    // Each returns false, leaving the cursor off any entry, when there is no such entry.
    bool first();
    bool last();
    bool next();
    bool prior();

    // Compares the first key.size() bytes of each key (at most the key
    // length) with `key`, in the tag's order: ascending finds the first key
    // >= key, descending the first key <= key.
    CdxSeekResult seek(std::string_view key);
    // Positions on exactly (key, recno); false when the tag has no such entry.
    bool find(std::string_view key, uint32_t recno);

    bool valid() const { return valid_; }
    // The current entry; only while valid(). The key is keyLength() bytes,
    // good until the cursor moves.
    std::string_view key() const { return pos_.leaf->key(pos_.index); }
    uint32_t recno() const { return pos_.leaf->recnos[pos_.index]; }
    CdxTag& tag() const { return *tag_; }

private:
    bool physicalNext();
    bool physicalPrior();
    bool settle(bool positioned);

    CdxTag* tag_;
    CdxTag::Position pos_;
    bool valid_ = false;
    uint64_t generation_ = 0;
};

}  // namespace vv::db
