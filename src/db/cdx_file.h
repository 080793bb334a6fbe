// A FoxPro compact compound index file (.CDX): a tag directory (itself a
// compact index keyed by tag name, pointing at each tag's header) and one
// B-tree per tag. See doc/cdx_format.md for the layout and CdxTag /
// CdxCursor for working with one tag.
//
// Files written here are read by other xBase tools and the other way round.
//
// Thread safety: one thread at a time per CdxFile (tags and cursors included).
// Concurrency: no locks are taken here. The caller locks around writes and
// calls invalidate() whenever another process may have changed the file
// (after taking a lock, on refresh): until then pages read earlier may be
// served from memory.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/cdx_cursor.h"
#include "db/cdx_page_codec.h"
#include "db/cdx_pager.h"
#include "db/cdx_tag.h"
#include "db/file_system.h"
#include "db/cdx_tree_build.h"
#include "db/flat_keys.h"

namespace vv::db {

struct CdxTagBuild {
    CdxTagDef def;
    std::vector<CdxEntry> entries;  // any order; no (key, recno) twice
};

class CdxFile {
public:
    // Opens an existing index; CorruptFile when its header or tag directory is
    // unusable. Every page goes through `codec` when one is given.
    static std::unique_ptr<CdxFile> open(std::unique_ptr<File> file,
                                         std::shared_ptr<const CdxPageCodec> codec = nullptr);
    // Empties `file` and writes a new index holding `tags` in that order.
    // InvalidArgument for a bad definition or entry.
    static std::unique_ptr<CdxFile> create(std::unique_ptr<File> file, std::vector<CdxTagBuild> tags,
                                           std::shared_ptr<const CdxPageCodec> codec = nullptr);
    // The same for a bulk build that packs each tag's leaves itself
    // (packCdxLeaves): `defs` are checked before `file` is emptied, then
    // leavesOf(i) is asked for each tag's leaves in order, so the caller may
    // still be sorting and packing later tags while earlier ones are written.
    // What leavesOf returns need only last until its next call.
    using PackedLeavesOf = std::function<CdxLeafLevel&(std::size_t tag)>;
    static std::unique_ptr<CdxFile> createPacked(std::unique_ptr<File> file, const std::vector<CdxTagDef>& defs,
                                                 const PackedLeavesOf& leavesOf,
                                                 std::shared_ptr<const CdxPageCodec> codec = nullptr);

    // Tags in creation order (the order of their headers in the file, which
    // is what FoxPro lists too).
    const std::vector<CdxTag*>& tags() const { return tags_; }
    // By name, ignoring case; nullptr when there is none.
    CdxTag* findTag(std::string_view name) const;
    // By name; InvalidArgument when there is none.
    CdxTag& tag(std::string_view name) const;

    // Builds a new tag from `entries` and adds it after the others.
    // InvalidArgument when the name is taken or the definition is unusable.
    CdxTag& addTag(const CdxTagDef& def, std::vector<CdxEntry> entries);
    // The same from keys sorted already (FlatKeys::sort).
    CdxTag& addTag(const CdxTagDef& def, const FlatKeys& sortedKeys);

    // Drops every page kept in memory and reads the headers and the tag
    // directory again. Tags keep their objects (and key types); a tag gone
    // from the file throws InvalidState when used.
    void invalidate();
    // The change counter of the file header as it is on disk: every insert,
    // remove and new tag adds one (other xBase engines keep it the same way).
    // A caller that remembers it can skip invalidate() while it stays put.
    uint32_t changeCounter() { return pager_.changeCounterOnDisk(); }
    // The same as left by this object's own writes, without reading the disk.
    uint32_t ownChangeCounter() { return pager_.changeCounterWritten(); }
    // See CdxPager: pages not in memory throw CdxCacheMiss instead of being read.
    void setCacheOnly(bool on) { pager_.setCacheOnly(on); }

    const std::string& path() const { return file_->path(); }
    File& file() { return *file_; }
    // Writes pending pages of an open batch, then makes the file durable.
    void sync() {
        pager_.flushPending();
        file_->sync();
    }
    // See CdxPager: for a user who has the file to itself.
    void setWriteBehind(bool on) { pager_.setWriteBehind(on); }
    // See CdxPager: writes between these stay in memory until endBatch().
    void beginBatch() { pager_.beginBatch(); }
    void endBatch() { pager_.endBatch(); }
    bool inBatch() const { return pager_.inBatch(); }
    void flushPending() { pager_.flushPending(); }

    CdxFile(std::unique_ptr<File> file, std::shared_ptr<const CdxPageCodec> codec);
    CdxFile(const CdxFile&) = delete;
    CdxFile& operator=(const CdxFile&) = delete;

private:
    void loadDirectory();
    void writeEmpty();
    static std::vector<CdxTagDef> checkDefs(const std::string& path, const std::vector<CdxTagDef>& defs);
    CdxTag& addChecked(const CdxTagDef& def, CdxLeafLevel& leaves);

    std::unique_ptr<File> file_;
    CdxPager pager_;
    std::unique_ptr<CdxTag> directory_;
    std::vector<std::unique_ptr<CdxTag>> allTags_;  // every tag object ever handed out
    std::vector<CdxTag*> tags_;                     // those present, by header offset
};

}  // namespace vv::db
