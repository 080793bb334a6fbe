// The changing half of Table: states, record locks, posting, field setters.
#include <charconv>
#include <cmath>
#include <cstring>

#include "db/byte_order.h"
#include "db/error.h"
#include "db/field_codec.h"
#include "db/lock_layout.h"
#include "db/table.h"

namespace vv::db {
namespace {

std::string trimmedCopy(std::string_view s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

}  // namespace

void Table::append() {
    requireOpen();
    if (options_.readOnly) throw Error(ErrorKind::InvalidState, name_ + " is open read-only");
    requireCipher();
    if (state_ != State::Browse) post();
    record_ = blank_;
    pendingMemos_.clear();
    state_ = State::Insert;
    recno_ = 0;
    eof_ = bof_ = false;
}

void Table::edit() {
    requireOpen();
    if (options_.readOnly) throw Error(ErrorKind::InvalidState, name_ + " is open read-only");
    if (state_ == State::Edit) return;
    if (state_ == State::Insert) post();
    if (recno_ == 0) return append();  // nothing to edit: start a new record instead
    requireCipher();
    if (!options_.exclusive) {
        if (!dbf_->tryLock(lock_layout::kRecordBase + recno_, 1, LockType::Exclusive))
            throw Error(ErrorKind::LockConflict,
                        "Record " + std::to_string(recno_) + " of " + name_ + " is locked by another user");
        lockedRecno_ = recno_;
    }
    try {
        // Edit what is on disk now, not what we read a while ago.
        loadRecord(recno_, record_);
        if (index_) original_ = record_;
    } catch (...) {
        releaseRecordLock();
        throw;
    }
    pendingMemos_.clear();
    state_ = State::Edit;
}

void Table::releaseRecordLock() {
    if (lockedRecno_ != 0 && dbf_) dbf_->unlock(lock_layout::kRecordBase + lockedRecno_, 1);
    lockedRecno_ = 0;
}

void Table::storePendingMemos() {
    for (auto& [index, text] : pendingMemos_) {
        const FieldDef& f = header_.fields[index];
        const uint32_t old = field_codec::memoBlock(f, record_.data()).value_or(0);
        const std::string stored = (cipher_ && !text.empty()) ? cipher_->sealMemo(text) : text;
        field_codec::setMemoBlock(f, record_.data(), memo_->write(old, stored));
    }
    pendingMemos_.clear();
}

void Table::post() {
    requireOpen();
    if (state_ == State::Browse) return;
    checkIndexBeforePost();
    storePendingMemos();
    if (state_ == State::Insert) {
        // The count is re-read under the header lock: another user may have
        // appended meanwhile. The record goes to disk before the count that
        // makes it visible, so a crash between the two leaves no torn record.
        const bool lockHeader = !options_.exclusive;
        if (lockHeader) dbf_->lock(lock_layout::kTableHeader, 1, LockType::Exclusive);
        try {
            // With exclusive use nobody else appends: the count we hold is current.
            const uint32_t recno = (options_.exclusive ? count_ : readStoredCount()) + 1;
            writeRecord(recno, record_, true);
            writeRecordCount(recno);
            count_ = recno;
            recno_ = recno;
        } catch (...) {
            if (lockHeader) dbf_->unlock(lock_layout::kTableHeader, 1);
            throw;
        }
        if (lockHeader) dbf_->unlock(lock_layout::kTableHeader, 1);
    } else {
        writeRecord(recno_, record_, false);
    }
    const bool inserted = state_ == State::Insert;
    // The record is stored: from here on the table is browsing it, whatever
    // the index says.
    state_ = State::Browse;
    eof_ = bof_ = false;
    try {
        indexAfterPost(recno_, inserted);
    } catch (...) {
        releaseRecordLock();
        throw;
    }
    releaseRecordLock();
}

void Table::cancel() {
    requireOpen();
    if (state_ == State::Browse) return;
    pendingMemos_.clear();
    releaseRecordLock();
    const bool wasInsert = state_ == State::Insert;
    state_ = State::Browse;
    if (wasInsert || recno_ == 0) {
        // Back to where the user was before the append.
        last();
        return;
    }
    loadRecord(recno_, record_);
}

bool Table::isDeleted() const { return record_.size() && record_[0] == dbf::kDeletedFlag; }

void Table::deleteRecord() {
    requireOpen();
    if (state_ == State::Insert) return cancel();
    if (recno_ == 0) throw Error(ErrorKind::InvalidState, name_ + " has no current record to delete");
    if (state_ == State::Browse) edit();
    record_[0] = dbf::kDeletedFlag;
    pendingMemos_.clear();
    post();
    // The deleted record is hidden unless deleted records are shown: move on.
    if (!showDeleted()) {
        const uint32_t from = recno_;
        uint32_t r = 0;
        if (orderCdx_) {
            r = orderedNeighbour();
        } else {
            r = seekVisible(from + 1, +1);
            if (r == 0 && from > 1) r = seekVisible(from - 1, -1);
        }
        if (r == 0) return leaveEmpty();
        setCurrent(r);
    }
}

void Table::recall() {
    requireOpen();
    if (state_ == State::Insert) return;
    if (recno_ == 0) throw Error(ErrorKind::InvalidState, name_ + " has no current record to recall");
    if (state_ == State::Browse) edit();
    record_[0] = dbf::kActiveFlag;
    post();
}

void Table::emptyTable() {
    requireExclusive("Emptying a table");
    cancel();
    dbf_->truncate(header_.headerLength);
    const unsigned char eof = dbf::kEofMarker;
    dbf_->writeAt(header_.headerLength, &eof, 1);
    writeRecordCount(0);
    if (memo_) {
        const uint16_t blockSize = memo_->blockSize();
        const std::string memoPath = memo_->file().path();
        memo_.reset();
        MemoFile::create(*fs_, memoPath, blockSize);
        memo_ = std::make_unique<MemoFile>(fs_->open(memoPath, OpenMode::ReadWrite), MemoFile::Format::Fpt);
    }
    dbf_->sync();
    count_ = 0;
    invalidateWindow();
    if (index_) rebuildSameIndex(index_->specs());
    leaveEmpty();
}

// ---------------------------------------------------------------- field getters

std::string Table::getText(int index) const {
    const FieldDef& f = header_.fields.at(index);
    const unsigned char* r = record_.data();
    if (f.isMemoLike()) {
        if (auto it = pendingMemos_.find(index); it != pendingMemos_.end()) return codePage_->toUtf8(it->second);
        return f.type == FieldType::Memo ? codePage_->toUtf8(readMemo(f, r)) : readMemo(f, r);
    }
    switch (f.type) {
    case FieldType::Character: return codePage_->toUtf8(field_codec::text(f, r));
    case FieldType::Date: return field_codec::date(f, r).display();
    case FieldType::DateTime: {
        const Date d = field_codec::date(f, r);
        if (d.isEmpty()) return {};
        const uint32_t ms = field_codec::milliseconds(f, r);
        char buf[32];
        std::snprintf(buf, sizeof buf, " %02u:%02u:%02u", ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60);
        return d.display() + buf;
    }
    case FieldType::Logical:
        return field_codec::isBlank(f, r) ? std::string() : field_codec::logical(f, r) ? "T" : "F";
    case FieldType::Numeric:
    case FieldType::Float:
    case FieldType::Integer:
    case FieldType::Double:
    case FieldType::Currency: return field_codec::formatNumber(f, r);
    default: return codePage_->toUtf8(field_codec::text(f, r));
    }
}

double Table::getNumber(int index) const { return field_codec::number(header_.fields.at(index), record_.data()); }

long long Table::getInt(std::string_view name) const {
    const double v = getNumber(requireField(name));
    return static_cast<long long>(std::llround(v));
}

Date Table::getDate(int index) const { return field_codec::date(header_.fields.at(index), record_.data()); }

bool Table::getBool(std::string_view name) const {
    return field_codec::logical(header_.fields[requireField(name)], record_.data());
}

bool Table::isBlank(int index) const {
    const FieldDef& f = header_.fields.at(index);
    if (f.isMemoLike())
        if (auto it = pendingMemos_.find(index); it != pendingMemos_.end()) return it->second.empty();
    return field_codec::isBlank(f, record_.data());
}

std::string_view Table::rawField(int index) const {
    return field_codec::bytes(header_.fields.at(index), record_.data());
}

// ---------------------------------------------------------------- field setters

const FieldDef& Table::requireWritable(int index) {
    requireOpen();
    if (state_ == State::Browse)
        throw Error(ErrorKind::InvalidState, name_ + " is not being edited: call edit or append first");
    return header_.fields.at(index);
}

void Table::setText(int index, std::string_view utf8) {
    const FieldDef& f = requireWritable(index);
    unsigned char* r = record_.data();
    auto invalid = [&](const char* what) {
        throw Error(ErrorKind::InvalidArgument,
                    "\"" + std::string(utf8) + "\" is not " + what + " (field " + f.name + " of " + name_ + ")");
    };
    switch (f.type) {
    case FieldType::Character:
        try {
            field_codec::setText(f, r, codePage_->fromUtf8(utf8));
        } catch (const Error& e) {
            throw Error(e.kind(), std::string(e.what()) + " (" + name_ + ")");
        }
        return;
    case FieldType::Memo:
        pendingMemos_[index] = codePage_->fromUtf8(utf8);
        return;
    case FieldType::General:
    case FieldType::Picture:
    case FieldType::Blob:
        pendingMemos_[index] = std::string(utf8);
        return;
    case FieldType::Date:
    case FieldType::DateTime: {
        const auto d = Date::fromDisplay(utf8);
        if (!d) {
            // Also take the stored form yyyymmdd.
            const auto s = Date::fromDtos(trimmedCopy(utf8));
            if (!s) invalid("a date");
            return field_codec::setDate(f, r, *s);
        }
        return field_codec::setDate(f, r, *d);
    }
    case FieldType::Logical: {
        const std::string t = trimmedCopy(utf8);
        if (t.empty()) return field_codec::setBlank(f, r);
        const char c = t.size() == 1 ? t[0] : (t == "True" || t == "true" || t == ".T.") ? 'T'
                                              : (t == "False" || t == "false" || t == ".F.") ? 'F' : '?';
        if (std::strchr("TtYy", c)) return field_codec::setLogical(f, r, true);
        if (std::strchr("FfNn", c)) return field_codec::setLogical(f, r, false);
        invalid("a logical value");
    }
    [[fallthrough]];
    default: {
        const std::string t = trimmedCopy(utf8);
        if (t.empty()) return field_codec::setBlank(f, r);
        double v = 0;
        const char* b = t.data() + (t[0] == '+' ? 1 : 0);
        const auto res = std::from_chars(b, t.data() + t.size(), v);
        if (res.ec != std::errc() || res.ptr != t.data() + t.size()) invalid("a number");
        field_codec::setNumber(f, r, v);
    }
    }
}

void Table::setInt(std::string_view name, long long value) {
    field_codec::setNumber(requireWritable(requireField(name)), record_.data(), static_cast<double>(value));
}

void Table::setNumber(std::string_view name, double value) {
    field_codec::setNumber(requireWritable(requireField(name)), record_.data(), value);
}

void Table::setDate(std::string_view name, Date value) {
    field_codec::setDate(requireWritable(requireField(name)), record_.data(), value);
}

void Table::setBool(std::string_view name, bool value) {
    field_codec::setLogical(requireWritable(requireField(name)), record_.data(), value);
}

void Table::clearField(std::string_view name) {
    const int index = requireField(name);
    const FieldDef& f = requireWritable(index);
    if (f.isMemoLike()) pendingMemos_[index].clear();
    else field_codec::setBlank(f, record_.data());
}

}  // namespace vv::db
