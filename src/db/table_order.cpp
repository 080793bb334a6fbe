// The ordering half of Table: the structural compound index, moving in a
// tag's order, seek, locate, master/detail, and keeping every tag up to date
// when records are posted.
//
// Between processes the index is guarded by one lock byte (lock_layout::
// kIndexUpdate): writers hold it exclusive while they change the file,
// readers hold it shared for each move, and whoever takes it first checks
// the file's change counter and drops cached pages when another process
// wrote. A seek or a step needs no lock while that counter has not moved
// and its pages are in memory (IndexLock::shared). An exclusive user has
// the file to itself and takes no lock.
#include <algorithm>

#include "db/byte_order.h"
#include "db/error.h"
#include "db/file_name.h"
#include "db/lock_layout.h"
#include "db/table.h"
#include "db/table_index_lock.h"

namespace vv::db {

namespace {

const char* kRebuildHint = "; \"Index Files\" rebuilds it";

std::string joined(const std::vector<std::string>& parts, char separator) {
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty()) out += separator;
        out += p;
    }
    return out;
}

std::string withoutBlanks(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
    return out;
}

}  // namespace

// ---------------------------------------------------------------- opening the index

void Table::openIndex() {
    index_.reset();
    indexProblem_.clear();
    orderCdx_ = nullptr;
    cursor_.reset();
    const auto path = fs_->findIgnoringCase(folder_, replaceExtension(name_, ".CDX"));
    if (!path) return;
    if (header_.encrypted && !cipher_) return;  // opened once the password is given
    // A writer in another process may be half-way through a change: wait for it.
    const bool lock = !options_.exclusive;
    if (lock) dbf_->lock(lock_layout::kIndexUpdate, 1, LockType::Shared);
    try {
        index_ = TableIndex::open(fs_->open(*path, options_.readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite),
                                  header_.fields, *codePage_, cipher_ ? &*cipher_ : nullptr);
        if (options_.exclusive && !options_.readOnly) index_->setWriteBehind(true);
    } catch (const Error& e) {
        indexProblem_ = "The index file " + path->substr(path->find_last_of('/') + 1) + " of " + name_ +
                        " is damaged (" + e.what() + ")" + kRebuildHint;
    }
    if (lock) dbf_->unlock(lock_layout::kIndexUpdate, 1);
}

void Table::closeIndex() {
    cursor_.reset();
    orderCdx_ = nullptr;
    index_.reset();
}

TableIndex& Table::requireIndex() {
    requireOpen();
    if (index_) return *index_;
    requireCipher();
    if (!indexProblem_.empty()) throw Error(ErrorKind::CorruptFile, indexProblem_);
    throw Error(ErrorKind::FileNotFound, "The index file " + upperAscii(replaceExtension(name_, ".CDX")) + " of " +
                                             name_ + " is missing" + kRebuildHint);
}

TableIndex::Tag& Table::orderTag() {
    for (TableIndex::Tag& tag : index_->tags())
        if (tag.cdx == orderCdx_) return tag;
    throw Error(ErrorKind::InvalidState, name_ + ": the tag " + indexName_ + " is gone from the index" + kRebuildHint);
}

void Table::restoreOrder() {
    orderCdx_ = nullptr;
    cursor_.reset();
    if (indexName_.empty() || !index_) return;
    if (TableIndex::Tag* tag = index_->find(indexName_)) {
        orderCdx_ = tag->cdx;
        cursor_ = std::make_unique<CdxCursor>(*orderCdx_);
    }
}

RecordScan Table::physicalScan() {
    return [this](const std::function<void(uint32_t, const unsigned char*)>& visit) {
        reloadRecordCount();
        for (uint32_t r = 1; r <= count_; ++r) visit(r, windowRecord(r, true));
    };
}

void Table::setStructuralFlag(bool on) {
    const unsigned char flags =
        on ? (header_.tableFlags | dbf::kFlagStructuralIndex) : (header_.tableFlags & ~dbf::kFlagStructuralIndex);
    if (flags == header_.tableFlags) return;
    dbf_->writeAt(dbf::kOffsetTableFlags, &flags, 1);
    header_.tableFlags = flags;
    dirty_ = true;
}

// ---------------------------------------------------------------- tags

std::vector<Table::TagInfo> Table::tags() {
    requireOpen();
    if (!index_) {
        if (!indexProblem_.empty()) throw Error(ErrorKind::CorruptFile, indexProblem_);
        return {};
    }
    IndexLock lock(*this, LockType::Shared);
    std::vector<TagInfo> out;
    for (const TableIndex::Tag& tag : index_->tags())
        out.push_back({tag.cdx->name(), tag.cdx->keyExpression(), joined(tag.fields, ';'), tag.cdx->descending()});
    return out;
}

void Table::setIndexName(std::string_view tag) {
    requireOpen();
    if (state_ != State::Browse) post();
    if (tag.empty()) {
        indexName_.clear();
        orderCdx_ = nullptr;
        cursor_.reset();
        range_.reset();
        first();
        return;
    }
    TableIndex& index = requireIndex();
    {
        IndexLock lock(*this, LockType::Shared);
        if (!index.find(tag))
            throw Error(ErrorKind::InvalidArgument, "The index file of " + name_ + " has no tag " + upperAscii(tag) +
                                                        kRebuildHint);
    }
    indexName_ = upperAscii(tag);
    restoreOrder();
    if (master_) followMaster();
    else first();
}

void Table::setIndexFieldNames(std::string_view fields) {
    requireOpen();
    const std::string wanted = withoutBlanks(fields);
    if (wanted.empty()) return setIndexName({});
    // Ordering by fields means ascending: a tag on exactly those fields, else
    // one whose key starts with them (as other engines choose); a
    // descending tag only when no ascending one fits.
    const auto all = tags();
    for (const bool descendingToo : {false, true})
        for (const bool prefix : {false, true})
            for (const TagInfo& tag : all) {
                const std::string list = withoutBlanks(tag.fieldList);
                if ((tag.descending && !descendingToo) || !(prefix ? list.starts_with(wanted + ";") : list == wanted))
                    continue;
                return setIndexName(tag.name);
            }
    throw Error(ErrorKind::InvalidArgument, name_ + " has no index tag on the fields " + std::string(fields) +
                                                kRebuildHint);
}

void Table::addTag(std::string_view name, std::string_view expression, bool descending) {
    requireExclusive("Adding an index tag");
    if (state_ != State::Browse) post();
    requireCipher();
    if (!indexProblem_.empty()) throw Error(ErrorKind::CorruptFile, indexProblem_);
    const IndexTagSpec spec{std::string(name), std::string(expression), descending, {}};
    if (index_) {
        index_->addTag(spec, physicalScan(), this);
        index_->sync();
        restoreOrder();
        return;
    }
    rebuildIndex({spec});
}

void Table::rebuildIndex(const std::vector<IndexTagSpec>& specs) {
    requireExclusive("Rebuilding the index");
    if (state_ != State::Browse) post();
    requireCipher();
    closeIndex();
    indexProblem_.clear();
    if (const auto old = fs_->findIgnoringCase(folder_, replaceExtension(name_, ".CDX"))) fs_->remove(*old);
    if (!specs.empty()) {
        const std::string path = joinPath(folder_, replaceExtension(name_, ".CDX"));
        try {
            index_ = TableIndex::build(fs_->open(path, OpenMode::CreateTruncate), header_.fields, *codePage_,
                                       cipher_ ? &*cipher_ : nullptr, specs, physicalScan(), this);
            index_->sync();
            if (!options_.readOnly) index_->setWriteBehind(true);  // the rebuild is exclusive
        } catch (...) {
            index_.reset();
            if (fs_->exists(path)) fs_->remove(path);
            throw;
        }
    }
    setStructuralFlag(!specs.empty());
    flush();
    restoreOrder();
    if (!orderCdx_) indexName_.clear();
    first();
}

void Table::rebuildSameIndex(const std::vector<IndexTagSpec>& specs) {
    if (specs.empty()) return;
    const std::string order = indexName_;
    rebuildIndex(specs);
    indexName_ = order;
    restoreOrder();
    if (!orderCdx_) indexName_.clear();
}

// ---------------------------------------------------------------- moving in a tag's order

bool Table::inRange(std::string_view key) const {
    return !range_ || key.substr(0, range_->size()) == *range_;
}

const unsigned char* Table::orderedRecord(uint32_t recno) {
    if (recno > count_) {
        // Someone appended since we read the count; an entry beyond the
        // records (a damaged index) is skipped.
        reloadRecordCount();
        if (recno > count_ || recno == 0) return nullptr;
    }
    if (windowCount_ && recno >= windowStart_ && recno < windowStart_ + windowCount_)
        return window_.data() + std::size_t{recno - windowStart_} * header_.recordLength;
    loadRecord(recno, scratch_);
    return scratch_.data();
}

uint32_t Table::orderedVisible(bool forward, bool advance, const unsigned char** record) {
    bool ok = cursor_->valid();
    if (ok && advance) ok = forward ? cursor_->next() : cursor_->prior();
    for (; ok; ok = forward ? cursor_->next() : cursor_->prior()) {
        if (!inRange(cursor_->key())) return 0;
        const uint32_t r = cursor_->recno();
        const unsigned char* rec = orderedRecord(r);
        if (rec && visible(r, rec)) {
            if (record) *record = rec;
            return r;
        }
    }
    return 0;
}

Table::CursorPlace Table::positionCursor() {
    if (cursor_->valid() && cursor_->recno() == recno_) return CursorPlace::OnCurrent;
    if (!orderTag().key.valid()) throw Error(ErrorKind::InvalidState, index_->path() + ": " + orderTag().problem);
    if (!index_->keyOf(orderTag(), RecordView{record_.data(), recno_, this}, keyBuffer_)) {
        // The current record is left out by the tag's condition: start over.
        return cursor_->first() ? CursorPlace::Beyond : CursorPlace::Nowhere;
    }
    if (cursor_->find(keyBuffer_, recno_)) return CursorPlace::OnCurrent;
    // The record's entry is missing (a stale index): continue from where it would be.
    return cursor_->seek(keyBuffer_) == CdxSeekResult::End ? CursorPlace::Nowhere : CursorPlace::Beyond;
}

void Table::orderedFirst() {
    IndexLock lock(*this, LockType::Shared);
    reloadRecordCount();
    const bool found = range_ ? cursor_->seek(*range_) == CdxSeekResult::Found : cursor_->first();
    const unsigned char* rec = nullptr;
    const uint32_t r = found ? orderedVisible(true, false, &rec) : 0;
    if (r == 0) return leaveEmpty();
    setCurrent(r, rec);
    bof_ = true;
    eof_ = false;
}

void Table::orderedLast() {
    IndexLock lock(*this, LockType::Shared);
    reloadRecordCount();
    bool found;
    if (!range_) {
        found = cursor_->last();
    } else {
        // Walk to the end of the range, then look back from there.
        found = cursor_->seek(*range_) == CdxSeekResult::Found;
        if (found) {
            std::string key;
            uint32_t recno;
            do {
                key = cursor_->key();
                recno = cursor_->recno();
            } while (cursor_->next() && inRange(cursor_->key()));
            found = cursor_->find(key, recno);
        }
    }
    const unsigned char* rec = nullptr;
    const uint32_t r = found ? orderedVisible(false, false, &rec) : 0;
    if (r == 0) return leaveEmpty();
    setCurrent(r, rec);
    eof_ = true;
    bof_ = false;
}

void Table::orderedStep(bool forward) {
    const unsigned char* rec = nullptr;
    // A step cut short starts over with a fresh cursor, placed again from
    // the current record.
    const uint32_t r = IndexLock::shared(
        *this,
        [&]() -> uint32_t {
            switch (positionCursor()) {
            case CursorPlace::OnCurrent: return orderedVisible(forward, true, &rec);
            case CursorPlace::Beyond: return orderedVisible(forward, !forward, &rec);
            case CursorPlace::Nowhere: return !forward && cursor_->last() ? orderedVisible(false, false, &rec) : 0;
            }
            return 0;
        },
        [&] { cursor_ = std::make_unique<CdxCursor>(*orderCdx_); });
    if (forward) bof_ = false;
    else eof_ = false;
    if (r == 0) {
        (forward ? eof_ : bof_) = true;
        return;
    }
    setCurrent(r, rec);
}

uint32_t Table::orderedNeighbour() {
    IndexLock lock(*this, LockType::Shared);
    const CursorPlace place = positionCursor();
    if (place == CursorPlace::Nowhere) return cursor_->last() ? orderedVisible(false, false) : 0;
    const std::string key(cursor_->key());
    const uint32_t at = cursor_->recno();
    if (const uint32_t r = orderedVisible(true, place == CursorPlace::OnCurrent)) return r;
    return cursor_->find(key, at) ? orderedVisible(false, true) : 0;
}

bool Table::ordersBeyondRecords() const {
    // A range or a tag condition makes the order see fewer records than the file holds.
    if (range_) return true;
    for (const TableIndex::Tag& tag : index_->tags())
        if (tag.cdx == orderCdx_) return !tag.cdx->forExpression().empty();
    return false;
}

uint32_t Table::orderedCount() {
    IndexLock lock(*this, LockType::Shared);
    reloadRecordCount();
    uint32_t n = 0;
    const bool found = range_ ? cursor_->seek(*range_) == CdxSeekResult::Found : cursor_->first();
    for (bool ok = found; ok; ok = cursor_->next()) {
        if (!inRange(cursor_->key())) break;
        const unsigned char* rec = orderedRecord(cursor_->recno());
        if (rec && visible(cursor_->recno(), rec)) ++n;
    }
    cursor_ = std::make_unique<CdxCursor>(*orderCdx_);  // it left the current record
    return n;
}

bool Table::orderedEmpty() {
    IndexLock lock(*this, LockType::Shared);
    reloadRecordCount();
    CdxCursor saved = *cursor_;
    const bool found = range_ ? cursor_->seek(*range_) == CdxSeekResult::Found : cursor_->first();
    const bool empty = !found || orderedVisible(true, false) == 0;
    *cursor_ = saved;
    return empty;
}

// ---------------------------------------------------------------- seek and locate

bool Table::seek(std::string_view valueUtf8) { return seek(std::vector<std::string>{std::string(valueUtf8)}); }

bool Table::seek(const std::vector<std::string>& valuesUtf8) {
    requireOpen();
    if (state_ != State::Browse) post();
    if (!orderCdx_) throw Error(ErrorKind::InvalidState, name_ + ": seek needs an index order (none is set)");
    const std::optional<std::string> key = index_->soughtKey(orderTag(), valuesUtf8);
    if (!key) return false;
    return IndexLock::shared(*this, [&] {
        CdxCursor probe(*orderCdx_);
        for (bool ok = probe.seek(*key) == CdxSeekResult::Found; ok; ok = probe.next()) {
            if (probe.key().substr(0, key->size()) != *key) break;
            const uint32_t r = probe.recno();
            const unsigned char* rec = orderedRecord(r);
            if (!rec || !inRange(probe.key()) || !visible(r, rec)) continue;
            // Nothing changes before the record is found: the search can start over.
            *cursor_ = probe;
            setCurrent(r, rec);
            eof_ = bof_ = false;
            return true;
        }
        return false;
    });
}

bool Table::setKeyRange(const std::vector<std::string>& valuesUtf8) {
    requireOpen();
    if (state_ != State::Browse) post();
    if (!orderCdx_) throw Error(ErrorKind::InvalidState, name_ + ": a key range needs an index order (none is set)");
    master_ = nullptr;
    // A key no record can have: the range is empty.
    range_ = index_->soughtKey(orderTag(), valuesUtf8).value_or(std::string(orderCdx_->keyLength() + 1, '\xff'));
    cursor_ = std::make_unique<CdxCursor>(*orderCdx_);
    first();
    return recno_ != 0;
}

void Table::clearKeyRange() {
    requireOpen();
    master_ = nullptr;
    range_.reset();
    first();
}

bool Table::locate(std::string_view fieldName, std::string_view prefixUtf8) {
    requireOpen();
    const int field = requireField(fieldName);
    if (state_ != State::Browse) post();
    std::string wanted = codePage_->fromUtf8(prefixUtf8);
    for (auto& c : wanted) c = static_cast<char>(codePage_->upper(static_cast<unsigned char>(c)));
    auto matches = [&] {
        const std::string_view value = rawField(field);
        if (value.size() < wanted.size()) return false;
        for (std::size_t i = 0; i < wanted.size(); ++i)
            if (codePage_->upper(static_cast<unsigned char>(value[i])) != static_cast<unsigned char>(wanted[i]))
                return false;
        return true;
    };
    const uint32_t was = recno_;
    // On a tag keyed by the upper-cased field the tag finds it directly.
    if (orderCdx_ && !range_ &&
        withoutBlanks(orderCdx_->keyExpression()) == "UPPER(" + upperAscii(header_.fields[field].name) + ")" &&
        !orderCdx_->descending()) {
        IndexLock lock(*this, LockType::Shared);
        CdxCursor probe(*orderCdx_);
        for (bool ok = probe.seek(wanted) == CdxSeekResult::Found; ok; ok = probe.next()) {
            if (probe.key().substr(0, wanted.size()) != wanted) break;
            const uint32_t r = probe.recno();
            const unsigned char* rec = orderedRecord(r);
            if (!rec || !visible(r, rec)) continue;
            *cursor_ = probe;
            setCurrent(r);
            eof_ = bof_ = false;
            return true;
        }
        return false;
    }
    for (first(); !eof_ && recno_ != 0; next())
        if (matches()) return true;
    if (was != 0) go(was);
    return false;
}

// ---------------------------------------------------------------- master/detail

void Table::setMasterLink(Table* master, std::string_view masterField) {
    requireOpen();
    if (!master) {
        master_ = nullptr;
        masterField_ = -1;
        range_.reset();
        first();
        return;
    }
    if (!orderCdx_)
        throw Error(ErrorKind::InvalidState, name_ + ": a master link needs an index order (none is set)");
    masterField_ = master->requireField(masterField);
    master_ = master;
    followMaster();
}

void Table::followMaster() {
    requireOpen();
    if (!master_) return;
    if (state_ != State::Browse) post();
    range_ = std::string(master_->rawField(masterField_));
    if (orderCdx_ && range_->size() > orderCdx_->keyLength()) range_->resize(orderCdx_->keyLength());
    if (orderCdx_) cursor_ = std::make_unique<CdxCursor>(*orderCdx_);
    first();
}

// ---------------------------------------------------------------- keeping the index up to date

void Table::checkIndexBeforePost() {
    if (!indexProblem_.empty()) throw Error(ErrorKind::CorruptFile, indexProblem_);
    if (index_) index_->requireMaintainable();
}

void Table::indexAfterPost(uint32_t recno, bool inserted) {
    if (!index_) return;
    {
        IndexLock lock(*this, LockType::Exclusive);
        index_->update(recno, inserted ? nullptr : original_.data(), record_.data(), this);
        if (!options_.exclusive) index_->noteOwnWrites();  // nobody else writes to an exclusive user's file
    }
    // The record may have moved in the order: find it again on the next move.
    if (orderCdx_) cursor_ = std::make_unique<CdxCursor>(*orderCdx_);
}

std::vector<std::string> Table::verifyIndex() {
    TableIndex& index = requireIndex();
    IndexLock lock(*this, LockType::Shared);
    return index.verify(physicalScan(), this);
}

}  // namespace vv::db
