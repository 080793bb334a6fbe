#include "db/table.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "db/byte_order.h"
#include "db/error.h"
#include "db/field_codec.h"
#include "db/file_name.h"
#include "db/lock_layout.h"
#include "db/table_index_lock.h"
#include "db/table_rewrite.h"

namespace vv::db {
namespace {

std::atomic<bool> gShowDeleted{false};

// Records read at once while scanning; big enough to make a scan one read
// per few hundred records, small enough to stay in the CPU cache.
constexpr std::size_t kWindowBytes = 256 * 1024;

}  // namespace

// ---------------------------------------------------------------- opening

std::unique_ptr<Table> Table::open(const std::string& folder, const std::string& fileName,
                                   const OpenOptions& options) {
    std::unique_ptr<Table> t(new Table());
    t->options_ = options;
    t->fs_ = options.fileSystem ? options.fileSystem : &FileSystem::local();
    t->folder_ = folder;
    const std::string wanted = withExtension(fileName, ".DBF");
    const auto found = t->fs_->findIgnoringCase(folder, wanted);
    if (!found)
        throw Error(ErrorKind::FileNotFound, "Table " + upperAscii(wanted) + " was not found in " +
                                                 (folder.empty() ? std::string(".") : folder));
    t->path_ = *found;
    t->name_ = t->path_.substr(t->path_.find_last_of('/') + 1);
    const auto companions = t->companionPaths();
    if (table_rewrite::pending(*t->fs_, t->path_, companions)) {
        // An encryption or rebuild was interrupted: finish or undo it, but
        // only when nobody else is using the table (it may be running now).
        auto probe = t->fs_->open(t->path_, OpenMode::ReadWrite);
        if (!probe->tryLock(lock_layout::kTableOpen, 1, LockType::Exclusive))
            throw Error(ErrorKind::ExclusiveConflict, t->name_ + " is being converted by another user");
        table_rewrite::recover(*t->fs_, folder, t->path_, companions);
    }
    t->openFiles();
    return t;
}

void Table::openFiles() {
    dbf_ = fs_->open(path_, options_.readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite);
    const LockType type = options_.exclusive ? LockType::Exclusive : LockType::Shared;
    if (!dbf_->tryLock(lock_layout::kTableOpen, 1, type)) {
        dbf_.reset();
        throw Error(ErrorKind::ExclusiveConflict,
                    options_.exclusive
                        ? name_ + " is open in another window or by another user; it cannot be opened exclusively"
                        : name_ + " is opened exclusively by another user");
    }
    try {
        readHeader();
        codePage_ = &CodePage::forLanguageDriver(header_.codePage);
        if (header_.hasMemoFields()) {
            const bool dbt = header_.version == dbf::kVersionDbase3Memo;
            const std::string memoName = replaceExtension(name_, dbt ? ".DBT" : ".FPT");
            const auto memoPath = fs_->findIgnoringCase(folder_, memoName);
            if (!memoPath)
                throw Error(ErrorKind::FileNotFound,
                            "The memo file " + upperAscii(memoName) + " of " + name_ + " is missing");
            memo_ = std::make_unique<MemoFile>(
                fs_->open(*memoPath, options_.readOnly || dbt ? OpenMode::ReadOnly : OpenMode::ReadWrite),
                dbt ? MemoFile::Format::Dbt : MemoFile::Format::Fpt);
        }
        if (header_.encrypted && !password_.empty()) cipher_ = TableCipher::open(header_.cipherBlock, password_);
    } catch (...) {
        memo_.reset();
        dbf_.reset();
        throw;
    }
    count_ = header_.recordCount;
    blank_ = blankRecord();
    record_ = blank_;
    invalidateWindow();
    openIndex();
    restoreOrder();
    // An encrypted table shows nothing until the password is given.
    if (header_.encrypted && !cipher_) leaveEmpty();
    else first();
}

std::vector<std::string> Table::companionPaths() const {
    std::vector<std::string> out;
    for (const char* ext : {".FPT", ".DBT", ".CDX"})
        if (auto p = fs_->findIgnoringCase(folder_, replaceExtension(name_, ext))) out.push_back(*p);
    return out;
}

void Table::readHeader() {
    unsigned char fixed[dbf::kFixedHeaderSize];
    if (dbf_->readAt(0, fixed, sizeof fixed) != sizeof fixed)
        throw Error(ErrorKind::CorruptFile, name_ + ": the file is too short to be a table");
    const uint16_t length = DbfHeader::headerLengthOf(fixed);
    std::vector<unsigned char> bytes(std::max<std::size_t>(length, dbf::kFixedHeaderSize));
    const std::size_t got = dbf_->readAt(0, bytes.data(), bytes.size());
    bytes.resize(got);
    // The size is taken after the header: another user may append meanwhile,
    // and the file only grows, so it then holds at least what the header counts.
    const uint64_t size = dbf_->size();
    header_ = DbfHeader::parse(bytes, size, name_);
}

Table::~Table() {
    try {
        close();
    } catch (...) {
        // A destructor must not throw; the files are closed regardless.
    }
}

void Table::flush() {
    requireOpen();
    if (!dirty_) return;
    if (memo_) memo_->sync();
    if (index_) index_->sync();
    dbf_->sync();
    dirty_ = false;
}

void Table::close() {
    if (!dbf_) return;
    pendingMemos_.clear();
    state_ = State::Browse;
    releaseRecordLock();
    flush();
    closeIndex();
    memo_.reset();
    dbf_.reset();  // releases the open lock with the file
    cipher_.reset();
}

void Table::create(const std::string& folder, const std::string& fileName, const FieldList& fields,
                   const CreateOptions& options) {
    FileSystem& fs = options.fileSystem ? *options.fileSystem : FileSystem::local();
    const std::string name = withExtension(fileName, ".DBF");
    if (auto existing = fs.findIgnoringCase(folder, name)) {
        if (!options.overwrite) throw Error(ErrorKind::InvalidArgument, "Table " + upperAscii(name) + " already exists");
        fs.remove(*existing);
    }
    unsigned char version = options.version;
    if (version == 0) {
        const bool needsVfp = std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) {
            return f.type == FieldType::Integer || f.type == FieldType::Double || f.type == FieldType::Currency ||
                   f.type == FieldType::DateTime || f.type == FieldType::Blob;
        });
        const bool memo = std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return f.isMemoLike(); });
        version = needsVfp ? dbf::kVersionVfp : memo ? dbf::kVersionFoxPro2Memo : dbf::kVersionDbase3;
    }
    DbfHeader header = DbfHeader::forNewTable(fields, version, options.codePage);
    if (header.hasMemoFields()) {
        const std::string memoName = replaceExtension(name, ".FPT");
        if (auto existing = fs.findIgnoringCase(folder, memoName)) fs.remove(*existing);
        MemoFile::create(fs, joinPath(folder, memoName));
    }
    auto bytes = header.serialize();
    bytes.push_back(dbf::kEofMarker);
    auto file = fs.open(joinPath(folder, name), OpenMode::CreateNew);
    file->writeAt(0, bytes.data(), bytes.size());
    file->sync();
}

std::string Table::engineVersion() { return "Vek Voro table engine 1.0 (FoxPro DBF/FPT/CDX)"; }

void Table::setShowDeleted(bool show) { gShowDeleted = show; }
bool Table::showDeleted() { return gShowDeleted; }

// ---------------------------------------------------------------- fields

int Table::fieldIndex(std::string_view name) const {
    const auto& fs = header_.fields;
    for (std::size_t i = 0; i < fs.size(); ++i) {
        const auto& n = fs[i].name;
        if (n.size() == name.size() &&
            std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return a == ((b >= 'a' && b <= 'z') ? b - 32 : b);
            }))
            return static_cast<int>(i);
    }
    return -1;
}

int Table::requireField(std::string_view name) const {
    const int i = fieldIndex(name);
    if (i < 0) throw Error(ErrorKind::FieldNotFound, name_ + " has no field " + upperAscii(name));
    return i;
}

const FieldDef& Table::field(std::string_view name) const { return header_.fields[requireField(name)]; }

void Table::requireOpen() const {
    if (!dbf_) throw Error(ErrorKind::InvalidState, "The table " + name_ + " is closed");
}

void Table::requireExclusive(const char* what) const {
    requireOpen();
    if (!options_.exclusive)
        throw Error(ErrorKind::ExclusiveConflict, std::string(what) + " needs " + name_ + " opened exclusively");
}

void Table::requireCipher() const {
    if (header_.encrypted && !cipher_)
        throw Error(ErrorKind::WrongPassword, name_ + " is encrypted: the table password is needed to read it");
}

// ---------------------------------------------------------------- records on disk

uint32_t Table::readStoredCount() {
    unsigned char b[4];
    dbf_->readExact(dbf::kOffsetRecordCount, b, 4);
    return readLe32(b);
}

uint32_t Table::reloadRecordCount() {
    const uint32_t count = readStoredCount();
    const uint64_t size = dbf_->size();
    const uint64_t fits = size > header_.headerLength ? (size - header_.headerLength) / header_.recordLength : 0;
    if (count > fits)
        throw Error(ErrorKind::CorruptFile, name_ + ": the header counts " + std::to_string(count) +
                                                " records but the file holds only " + std::to_string(fits));
    if (count != count_) invalidateWindow();
    count_ = count;
    return count;
}

void Table::writeRecordCount(uint32_t count) {
    unsigned char b[7];
    const Date today = Date::todayCached();
    b[0] = static_cast<unsigned char>(today.year() - 1900);
    b[1] = static_cast<unsigned char>(today.month());
    b[2] = static_cast<unsigned char>(today.day());
    writeLe32(b + 3, count);
    dbf_->writeAt(1, b, sizeof b);
    header_.lastUpdate = today;
    header_.recordCount = count;
}

const unsigned char* Table::windowRecord(uint32_t recno, bool forward) {
    const std::size_t len = header_.recordLength;
    if (windowCount_ == 0 || recno < windowStart_ || recno >= windowStart_ + windowCount_) {
        requireCipher();
        const uint32_t per = static_cast<uint32_t>(std::max<std::size_t>(1, kWindowBytes / len));
        uint32_t start = forward ? recno : (recno > per ? recno - per + 1 : 1);
        const uint32_t n = std::min(per, count_ - start + 1);
        window_.resize(std::size_t{n} * len);
        const std::size_t got =
            dbf_->readAt(header_.headerLength + uint64_t{start - 1} * len, window_.data(), window_.size());
        if (got != window_.size())
            throw Error(ErrorKind::CorruptFile, name_ + ": the file ends inside record " +
                                                    std::to_string(start + got / len));
        if (cipher_)
            for (uint32_t i = 0; i < n; ++i)
                cipher_->decryptRecord(start + i, window_.data() + i * len + 1, len - 1);
        windowStart_ = start;
        windowCount_ = n;
    }
    return window_.data() + std::size_t{recno - windowStart_} * len;
}

void Table::loadRecord(uint32_t recno, std::vector<unsigned char>& out) {
    requireCipher();
    out.resize(header_.recordLength);
    dbf_->readExact(header_.headerLength + uint64_t{recno - 1} * header_.recordLength, out.data(), out.size());
    if (cipher_) cipher_->decryptRecord(recno, out.data() + 1, out.size() - 1);
}

void Table::writeRecord(uint32_t recno, const std::vector<unsigned char>& bytes, bool appendEof) {
    const uint64_t offset = header_.headerLength + uint64_t{recno - 1} * header_.recordLength;
    // Keep the plain copy in the scan window so this process sees its own change.
    if (windowCount_ && recno >= windowStart_ && recno < windowStart_ + windowCount_)
        std::memcpy(window_.data() + std::size_t{recno - windowStart_} * header_.recordLength, bytes.data(),
                    bytes.size());
    writeBuffer_.assign(bytes.begin(), bytes.end());
    if (cipher_) cipher_->encryptRecord(recno, writeBuffer_.data() + 1, writeBuffer_.size() - 1);
    if (appendEof) writeBuffer_.push_back(dbf::kEofMarker);
    dirty_ = true;
    dbf_->writeAt(offset, writeBuffer_.data(), writeBuffer_.size());
}

std::vector<unsigned char> Table::blankRecord() const {
    std::vector<unsigned char> r(header_.recordLength, ' ');
    for (const auto& f : header_.fields) field_codec::setBlank(f, r.data());
    return r;
}

// ---------------------------------------------------------------- moving

bool Table::visible(uint32_t recno, const unsigned char* record) const {
    if (record[0] == dbf::kDeletedFlag && !gShowDeleted) return false;
    if (!filter_.valid()) return true;
    return filter_.evalLogical(RecordView{record, recno, this});
}

uint32_t Table::seekVisible(uint32_t from, int step) {
    for (uint32_t r = from; r >= 1 && r <= count_; r += step) {
        const unsigned char* rec = windowRecord(r, step > 0);
        if (visible(r, rec)) return r;
    }
    return 0;
}

void Table::setCurrent(uint32_t recno, const unsigned char* loaded) {
    recno_ = recno;
    // In a tag's order records come one by one from all over the file.
    const unsigned char* rec = loaded ? loaded : orderCdx_ ? orderedRecord(recno) : windowRecord(recno, true);
    if (!rec) throw Error(ErrorKind::CorruptFile, name_ + " has no record " + std::to_string(recno));
    record_.assign(rec, rec + header_.recordLength);
}

void Table::leaveEmpty() {
    recno_ = 0;
    eof_ = bof_ = true;
    record_ = blank_;
}

void Table::first() {
    requireOpen();
    if (state_ != State::Browse) post();
    if (orderCdx_) return orderedFirst();
    reloadRecordCount();
    const uint32_t r = seekVisible(1, +1);
    if (r == 0) return leaveEmpty();
    setCurrent(r);
    bof_ = true;
    eof_ = false;
}

void Table::last() {
    requireOpen();
    if (state_ != State::Browse) post();
    if (orderCdx_) return orderedLast();
    reloadRecordCount();
    const uint32_t r = seekVisible(count_, -1);
    if (r == 0) return leaveEmpty();
    setCurrent(r);
    eof_ = true;
    bof_ = false;
}

void Table::next() {
    requireOpen();
    if (state_ != State::Browse) post();
    if (eof_ || recno_ == 0) {
        eof_ = true;
        return;
    }
    if (orderCdx_) return orderedStep(true);
    // Another user may have appended since we last looked.
    if (recno_ >= count_) reloadRecordCount();
    const uint32_t r = seekVisible(recno_ + 1, +1);
    bof_ = false;
    if (r == 0) {
        eof_ = true;
        return;
    }
    setCurrent(r);
}

void Table::prior() {
    requireOpen();
    if (state_ != State::Browse) post();
    if (bof_ || recno_ == 0) {
        bof_ = true;
        return;
    }
    if (orderCdx_) return orderedStep(false);
    const uint32_t r = recno_ > 1 ? seekVisible(recno_ - 1, -1) : 0;
    eof_ = false;
    if (r == 0) {
        bof_ = true;
        return;
    }
    setCurrent(r);
}

bool Table::isEmpty() {
    requireOpen();
    if (orderCdx_ && ordersBeyondRecords()) return orderedEmpty();
    reloadRecordCount();
    return seekVisible(1, +1) == 0;
}

void Table::go(uint32_t recno) {
    requireOpen();
    if (state_ != State::Browse) post();
    reloadRecordCount();
    if (recno < 1 || recno > count_)
        throw Error(ErrorKind::InvalidArgument,
                    name_ + " has no record " + std::to_string(recno) + " (it has " + std::to_string(count_) + ")");
    invalidateWindow();
    setCurrent(recno);
    eof_ = bof_ = false;
}

bool Table::bookmarkValid(Bookmark b) {
    requireOpen();
    reloadRecordCount();
    return b >= 1 && b <= count_;
}

void Table::refresh() {
    requireOpen();
    invalidateWindow();
    if (index_) {
        IndexLock lock(*this, LockType::Shared);
    }
    reloadRecordCount();
    if (state_ == State::Browse && recno_ != 0 && recno_ <= count_) setCurrent(recno_);
}

uint32_t Table::recordCount() {
    requireOpen();
    return reloadRecordCount();
}

uint32_t Table::count() {
    requireOpen();
    if (orderCdx_ && ordersBeyondRecords()) return orderedCount();
    reloadRecordCount();
    uint32_t n = 0;
    for (uint32_t r = 1; r <= count_; ++r)
        if (visible(r, windowRecord(r, true))) ++n;
    return n;
}

// ---------------------------------------------------------------- filter

void Table::setFilter(std::string_view expression) {
    requireOpen();
    if (expression.find_first_not_of(" \t") == std::string_view::npos) {
        filter_ = Expression();
        filterText_.clear();
    } else {
        Expression compiled = Expression::compileFilter(expression, header_.fields, *codePage_);
        filter_ = std::move(compiled);
        filterText_ = std::string(expression);
    }
    if (state_ == State::Browse) first();
}

// ---------------------------------------------------------------- memo access

std::string Table::readMemo(const FieldDef& f, const unsigned char* record) const {
    const auto block = field_codec::memoBlock(f, record);
    if (!block)
        throw Error(ErrorKind::CorruptFile, name_ + ": the memo pointer of field " + f.name + " is damaged");
    if (*block == 0 || !memo_) return {};
    std::string data = memo_->read(*block);
    if (cipher_ && !data.empty()) data = cipher_->openMemo(data);
    return data;
}

std::string Table::memoText(const FieldDef& field, const unsigned char* record) const {
    return readMemo(field, record);
}

}  // namespace vv::db
