// A table's structural compound index (NAME.CDX) as the table object uses
// it: the CDX file plus, for each tag, its key expression compiled against
// the table's fields, so keys can be computed for any record. Internal to
// Table; see table.h for the operations built on it and lock_layout.h for
// the lock that guards it between processes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/cdx_file.h"
#include "db/code_page.h"
#include "db/expression.h"
#include "db/field.h"
#include "db/table_cipher.h"

namespace vv::db {

// A tag to build: name, key expression, FOR condition (empty: every record).
struct IndexTagSpec {
    std::string name;
    std::string expression;
    bool descending = false;
    std::string condition;
};

// Hands every physical record (deleted ones too) to `visit`, in record order.
using RecordScan = std::function<void(const std::function<void(uint32_t, const unsigned char*)>& visit)>;

class TableIndex {
public:
    struct Tag {
        CdxTag* cdx = nullptr;
        Expression key;        // invalid when the expression is beyond this engine
        Expression condition;  // invalid when the tag has no FOR condition
        std::string problem;   // why `key` is invalid
        std::vector<std::string> fields;  // the key's fields in order
    };

    // Opens an existing index file; CorruptFile when it is unusable.
    static std::unique_ptr<TableIndex> open(std::unique_ptr<File> file, const FieldList& fields,
                                            const CodePage& codePage, const TableCipher* cipher);
    // Writes a new index holding `specs` in that order over the records of `scan`.
    static std::unique_ptr<TableIndex> build(std::unique_ptr<File> file, const FieldList& fields,
                                             const CodePage& codePage, const TableCipher* cipher,
                                             const std::vector<IndexTagSpec>& specs, const RecordScan& scan,
                                             const MemoSource* memos);

    std::vector<Tag>& tags() { return tags_; }
    Tag* find(std::string_view name);
    const std::string& path() const { return cdx_->path(); }

    // The key of a record for a tag; false when the FOR condition leaves the record out.
    bool keyOf(const Tag& tag, const RecordView& record, std::string& out) const;
    // The key bytes a sought value stands for: `values` are joined, each
    // padded to the width of its field in the key, so a seek is exact (date
    // and numeric tags take one value: "MM/DD/yy" or yyyymmdd, a number).
    // Nothing when a value is too long to match; InvalidArgument when a value
    // does not suit the tag.
    std::optional<std::string> soughtKey(const Tag& tag, const std::vector<std::string>& valuesUtf8) const;

    // Throws (naming the tag) when some tag could not be kept up to date.
    void requireMaintainable() const;
    // Moves a record's entries from its old keys (null: a new record) to its new ones.
    void update(uint32_t recno, const unsigned char* oldRecord, const unsigned char* newRecord,
                const MemoSource* memos);
    // Adds one tag built over the records of `scan`.
    void addTag(const IndexTagSpec& spec, const RecordScan& scan, const MemoSource* memos);
    // Checks each tag against the records of `scan`: one line per problem.
    std::vector<std::string> verify(const RecordScan& scan, const MemoSource* memos);
    // Every tag with its spec, to build the same index again.
    std::vector<IndexTagSpec> specs() const;

    ~TableIndex();
    TableIndex(const TableIndex&) = delete;
    TableIndex& operator=(const TableIndex&) = delete;

    // Drops cached pages when another process changed the file since we last
    // looked (cheap when nothing changed); call holding the index lock.
    void catchUp();
    // After our own writes: remembers the file's state as ours.
    void noteOwnWrites();
    // Whether the file's change counter is still the one we caught up with,
    // read without any lock: what we hold in memory is then the file's.
    bool unchangedOnDisk() { return cdx_->changeCounter() == counter_; }
    // See CdxPager::setCacheOnly.
    void setCacheOnly(bool on) { cdx_->setCacheOnly(on); }
    void sync() { cdx_->sync(); }
    // Changes stay in memory between posts until sync() (an exclusive user only).
    void setWriteBehind(bool on) { cdx_->setWriteBehind(on); }

private:
    TableIndex(std::unique_ptr<CdxFile> cdx, const FieldList& fields, const CodePage& codePage);
    void compileTags();
    Tag compileTag(CdxTag& cdx) const;

    std::unique_ptr<CdxFile> cdx_;
    FieldList fields_;
    const CodePage& codePage_;  // code pages live for the whole program
    std::vector<Tag> tags_;
    uint32_t counter_ = 0;
};

}  // namespace vv::db
