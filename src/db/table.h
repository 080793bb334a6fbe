// A table object: one open DBF file with its memo file, as the windows use
// it: a current record, moves that respect the filter and the program-wide
// show-deleted switch, and the browse / insert / edit states with their
// record locks.
//
// Threading: one thread per Table object. Several Table objects (in one or
// in several processes) may open the same file; they meet only through the
// file locks described in lock_layout.h.
// Errors: every operation throws vv::db::Error naming the table.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/code_page.h"
#include "db/date.h"
#include "db/dbf_header.h"
#include "db/expression.h"
#include "db/field.h"
#include "db/file_system.h"
#include "db/memo_file.h"
#include "db/table_cipher.h"
#include "db/table_index.h"

namespace vv::db {

struct OpenOptions {
    bool exclusive = false;
    bool readOnly = false;
    FileSystem* fileSystem = nullptr;  // null: the real file system
};

struct CreateOptions {
    // 0 picks: FoxPro 2.x (0xF5) with memo fields, 0x03 without; VFP (0x30)
    // when a field type needs it.
    unsigned char version = 0;
    unsigned char codePage = 0x03;  // Windows-1252
    bool overwrite = false;
    FileSystem* fileSystem = nullptr;
};

class Table final : private MemoSource {
public:
    enum class State { Browse, Insert, Edit };
    // A bookmark is the physical record number of the record it marks.
    using Bookmark = uint32_t;

    // Opens folder/fileName, matching the name without regard to case; a name
    // without extension gets ".DBF". The memo file is found the same way.
    static std::unique_ptr<Table> open(const std::string& folder, const std::string& fileName,
                                       const OpenOptions& options = {});
    static void create(const std::string& folder, const std::string& fileName, const FieldList& fields,
                       const CreateOptions& options = {});

    ~Table() override;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Discards a pending record, makes what was posted durable and releases
    // every lock; further use throws.
    void close();
    // Makes every posted change durable (synced to stable storage).
    void flush();
    bool isOpen() const { return dbf_ != nullptr; }

    // --- Description
    const std::string& name() const { return name_; }   // the file name as found on disk
    const std::string& path() const { return path_; }
    const std::string& folder() const { return folder_; }
    unsigned char version() const { return header_.version; }
    const CodePage& codePage() const { return *codePage_; }
    const FieldList& fields() const { return header_.fields; }
    uint16_t recordLength() const { return header_.recordLength; }
    Date lastUpdate() const { return header_.lastUpdate; }
    bool exclusive() const { return options_.exclusive; }
    bool hasMemoFile() const { return memo_ != nullptr; }
    // -1 when there is no such field; names match in any case.
    int fieldIndex(std::string_view name) const;
    bool findField(std::string_view name) const { return fieldIndex(name) >= 0; }
    const FieldDef& field(std::string_view name) const;  // FieldNotFound
    std::string connectionType() const { return "Local"; }
    static std::string engineVersion();

    // --- The program-wide switch that shows records marked deleted.
    static void setShowDeleted(bool show);
    static bool showDeleted();

    // --- Encryption
    bool isEncrypted() const { return header_.encrypted; }
    // Needed before the records of an encrypted table can be read or written;
    // throws WrongPassword. Does nothing on a plain table.
    void enableEncryption(std::string_view password);
    // Whole-table conversions; both need an exclusive open. They are
    // all-or-nothing: a crash half-way leaves the old or the new table.
    // Encrypting an encrypted table changes nothing.
    void encryptTable(std::string_view password);
    void decryptTable();

    // --- Moving (only visible records: not deleted unless shown, matching the filter)
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty();  // no visible record
    uint32_t recno() const { return recno_; }  // 0 while no record is current or a new one is pending
    // Goes to a physical record; InvalidArgument when there is no such record.
    void go(uint32_t recno);
    Bookmark bookmark() const { return recno_; }
    bool bookmarkValid(Bookmark b);
    void gotoBookmark(Bookmark b) { go(b); }
    // Re-reads the record count and the current record from disk.
    void refresh();
    // Physical records in the file (re-read from the header).
    uint32_t recordCount();
    // Visible records.
    uint32_t count();

    // --- Changing
    State state() const { return state_; }
    void append();
    void edit();
    void post();
    void cancel();
    void deleteRecord();
    void recall();
    bool isDeleted() const;
    // Removes every record; needs an exclusive open.
    void emptyTable();

    // --- Ordering by the tags of the structural compound index (NAME.CDX)
    struct TagInfo {
        std::string name;
        std::string expression;
        std::string fieldList;  // the key's fields in order, ";"-separated: "C_LAST;FILE_CODE"
        bool descending = false;
    };
    // The tags in the order the index file holds them; empty without an index.
    std::vector<TagInfo> tags();
    // Orders the table by a tag (empty: record order) and goes to the first
    // record. A missing tag or index file is an error naming it.
    void setIndexName(std::string_view tag);
    const std::string& indexName() const { return indexName_; }
    // Orders by the fields (`fields` as "C_LAST;FILE_CODE"), ascending: the
    // first tag on exactly those fields, else the first whose key starts
    // with them; descending tags only when no ascending one fits.
    void setIndexFieldNames(std::string_view fields);
    // Exact seek on the current tag; several values are joined as the key
    // (each padded to its field's width). The found record becomes current;
    // respects the filter. Returns false (current record unchanged) when
    // nothing matches.
    bool seek(std::string_view valueUtf8);
    bool seek(const std::vector<std::string>& valuesUtf8);
    // The first record, in the current order, whose field begins with
    // `prefix` ignoring case; false when none.
    bool locate(std::string_view fieldName, std::string_view prefixUtf8);
    // Adds a tag to the structural index (creating it when needed); needs
    // an exclusive open.
    void addTag(std::string_view name, std::string_view expression, bool descending = false);
    // Throws away the structural index and builds one holding exactly
    // `tags`, in that order, in one pass over the records; needs an
    // exclusive open. An empty list leaves the table without an index.
    void rebuildIndex(const std::vector<IndexTagSpec>& tags);
    // True when the table has a usable structural index open.
    bool hasIndex() const { return index_ != nullptr; }
    // Checks every tag against the records: the tree is sound and holds each
    // record under its current key, and nothing else. One line per problem
    // ("tag DATE: record 12 is missing"); empty when all agree.
    std::vector<std::string> verifyIndex();
    // Limits the current order to the records that seek(values) would find
    // (all of them, not just the first) and goes to the first; false when
    // there is none. clearKeyRange() shows the whole order again.
    bool setKeyRange(const std::vector<std::string>& valuesUtf8);
    void clearKeyRange();
    // Master/detail: this table then shows only the records whose key on
    // the current tag equals `masterField` of master's current record, and
    // follows master when followMaster() is called after master moved.
    void setMasterLink(Table* master, std::string_view masterField);
    void followMaster();

    // --- Filter
    // Throws BadExpression (with position) when the text does not compile;
    // the old filter then stays. An empty text clears the filter.
    void setFilter(std::string_view expression);
    void clearFilter() { setFilter({}); }
    const std::string& filter() const { return filterText_; }

    // --- Fields of the current record (text is UTF-8)
    std::string getText(std::string_view fieldName) const { return getText(requireField(fieldName)); }
    std::string getText(int fieldIndex) const;
    long long getInt(std::string_view fieldName) const;
    double getNumber(std::string_view fieldName) const { return getNumber(requireField(fieldName)); }
    double getNumber(int fieldIndex) const;
    Date getDate(std::string_view fieldName) const { return getDate(requireField(fieldName)); }
    Date getDate(int fieldIndex) const;
    bool getBool(std::string_view fieldName) const;
    bool isBlank(std::string_view fieldName) const { return isBlank(requireField(fieldName)); }
    bool isBlank(int fieldIndex) const;
    // The stored bytes of a field (code page, padded), for fast scans.
    std::string_view rawField(int fieldIndex) const;

    // Setters need the insert or edit state. Writing an empty text to a date,
    // number or logical field empties it; a date text is "MM/DD/yy".
    void setText(std::string_view fieldName, std::string_view utf8) { setText(requireField(fieldName), utf8); }
    void setText(int fieldIndex, std::string_view utf8);
    void setInt(std::string_view fieldName, long long value);
    void setNumber(std::string_view fieldName, double value);
    void setDate(std::string_view fieldName, Date value);
    void setBool(std::string_view fieldName, bool value);
    void clearField(std::string_view fieldName);

    // The current record as the engine holds it (decrypted), for copying.
    const std::vector<unsigned char>& recordBytes() const { return record_; }

private:
    Table() = default;

    int requireField(std::string_view name) const;
    const FieldDef& requireWritable(int fieldIndex);
    void requireOpen() const;
    void requireExclusive(const char* what) const;
    std::string describe() const { return name_; }

    // Header and records on disk.
    void openFiles();
    void readHeader();
    uint32_t reloadRecordCount();
    uint32_t readStoredCount();
    void writeRecordCount(uint32_t count);
    void loadRecord(uint32_t recno, std::vector<unsigned char>& out);
    const unsigned char* windowRecord(uint32_t recno, bool forward);
    void invalidateWindow() { windowCount_ = 0; }
    void writeRecord(uint32_t recno, const std::vector<unsigned char>& bytes, bool appendEof);
    void requireCipher() const;

    bool visible(uint32_t recno, const unsigned char* record) const;
    // Finds the next visible record from `from` stepping by `step`; 0 when none.
    uint32_t seekVisible(uint32_t from, int step);
    // Makes `recno` current; `loaded` is its bytes when they were just read.
    void setCurrent(uint32_t recno, const unsigned char* loaded = nullptr);
    void leaveEmpty();

    std::vector<unsigned char> blankRecord() const;
    std::string readMemo(const FieldDef& f, const unsigned char* record) const;
    std::string memoText(const FieldDef& field, const unsigned char* record) const override;
    void storePendingMemos();
    void releaseRecordLock();
    void reopenAfterRewrite();
    void rewriteWith(const std::optional<TableCipher>& newCipher);
    std::vector<std::string> companionPaths() const;

    OpenOptions options_;
    FileSystem* fs_ = nullptr;
    std::string folder_, name_, path_;
    DbfHeader header_;
    const CodePage* codePage_ = nullptr;
    std::unique_ptr<File> dbf_;
    std::unique_ptr<MemoFile> memo_;
    std::optional<TableCipher> cipher_;
    std::string password_;

    uint32_t count_ = 0;  // record count as last read from the header
    uint32_t recno_ = 0;
    bool eof_ = true, bof_ = true;
    State state_ = State::Browse;
    uint32_t lockedRecno_ = 0;
    bool dirty_ = false;  // posted changes not yet synced
    std::vector<unsigned char> record_;
    std::vector<unsigned char> blank_;
    std::vector<unsigned char> writeBuffer_;  // a new record's bytes, made once per open
    std::unordered_map<int, std::string> pendingMemos_;

    std::vector<unsigned char> window_;
    uint32_t windowStart_ = 0, windowCount_ = 0;

    // The structural index and the current order (see table_order.cpp).
    void openIndex();
    void closeIndex();
    TableIndex& requireIndex();
    TableIndex::Tag& orderTag();
    RecordScan physicalScan();
    const unsigned char* orderedRecord(uint32_t recno);
    // The next record the order, range, filter and deleted switch let
    // through (0: none); `record` gets its bytes, valid until the next read.
    uint32_t orderedVisible(bool forward, bool advance, const unsigned char** record = nullptr);
    bool inRange(std::string_view key) const;
    enum class CursorPlace { OnCurrent, Beyond, Nowhere };
    CursorPlace positionCursor();
    void orderedFirst();
    void orderedLast();
    void orderedStep(bool forward);
    uint32_t orderedNeighbour();
    uint32_t orderedCount();
    bool orderedEmpty();
    bool ordersBeyondRecords() const;
    void checkIndexBeforePost();
    void indexAfterPost(uint32_t recno, bool inserted);
    void rebuildSameIndex(const std::vector<IndexTagSpec>& specs);
    void restoreOrder();
    void setStructuralFlag(bool on);
    friend class IndexLock;

    std::unique_ptr<TableIndex> index_;
    std::string indexProblem_;       // why the index could not be opened; empty when fine or absent
    CdxTag* orderCdx_ = nullptr;     // the current tag; null for record order
    std::unique_ptr<CdxCursor> cursor_;
    std::optional<std::string> range_;  // master/detail: only keys starting with these bytes
    Table* master_ = nullptr;
    int masterField_ = -1;
    std::vector<unsigned char> original_;  // the record as it was when edit() began
    std::vector<unsigned char> scratch_;   // one record read for ordered moves
    std::string keyBuffer_;

    std::string indexName_;
    std::string filterText_;
    Expression filter_;
};

}  // namespace vv::db
