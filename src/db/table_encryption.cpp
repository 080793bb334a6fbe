// Whole-table encryption and decryption. The table is rewritten into staged
// files and swapped in by table_rewrite, so a crash leaves the old table or
// the new one, never a mix.
#include <cstring>

#include "db/dbf_header.h"
#include "db/error.h"
#include "db/field_codec.h"
#include "db/table.h"
#include "db/table_rewrite.h"

namespace vv::db {

void Table::enableEncryption(std::string_view password) {
    requireOpen();
    password_ = std::string(password);
    if (!header_.encrypted) return;
    try {
        cipher_ = TableCipher::open(header_.cipherBlock, password);
    } catch (const Error& e) {
        password_.clear();
        throw Error(e.kind(), name_ + ": " + e.what());
    }
    invalidateWindow();
    // The index of an encrypted table can be read only now.
    if (!index_) {
        openIndex();
        restoreOrder();
    }
    if (state_ == State::Browse) first();
}

void Table::encryptTable(std::string_view password) {
    requireExclusive("Encrypting a table");
    if (header_.encrypted) return;  // already encrypted: nothing changes
    if (std::size_t{header_.recordLength} - 1 < TableCipher::kMinUnitSize)
        throw Error(ErrorKind::InvalidArgument, name_ + ": records shorter than " +
                                                    std::to_string(TableCipher::kMinUnitSize) +
                                                    " bytes cannot be encrypted");
    cancel();
    password_ = std::string(password);
    rewriteWith(TableCipher::create(password));
}

void Table::decryptTable() {
    requireExclusive("Decrypting a table");
    if (!header_.encrypted) return;
    requireCipher();
    cancel();
    rewriteWith(std::nullopt);
}

void Table::rewriteWith(const std::optional<TableCipher>& newCipher) {
    reloadRecordCount();
    // The new header: the old bytes, with the cipher block added at or
    // removed from its end, so anything else a tool kept there survives.
    std::vector<unsigned char> head(header_.headerLength);
    dbf_->readExact(0, head.data(), head.size());
    if (newCipher) {
        const auto block = newCipher->headerBlock();
        head.insert(head.end(), block.begin(), block.end());
        head[dbf::kOffsetEncrypted] = 0x01;
    } else {
        head.resize(head.size() - TableCipher::kHeaderBlockSize);
        head[dbf::kOffsetEncrypted] = 0x00;
    }
    if (head.size() > 0xFFFF) throw Error(ErrorKind::InvalidArgument, name_ + ": the header would be too long");
    head[8] = static_cast<unsigned char>(head.size() & 0xFF);
    head[9] = static_cast<unsigned char>(head.size() >> 8);

    const std::string dbfNew = table_rewrite::stagedPath(path_);
    std::vector<table_rewrite::Replacement> files;
    std::unique_ptr<MemoFile> newMemo;
    if (memo_) {
        const std::string memoPath = memo_->file().path();
        MemoFile::create(*fs_, table_rewrite::stagedPath(memoPath), memo_->blockSize());
        newMemo = std::make_unique<MemoFile>(fs_->open(table_rewrite::stagedPath(memoPath), OpenMode::ReadWrite),
                                             MemoFile::Format::Fpt);
        files.push_back({memoPath, table_rewrite::stagedPath(memoPath)});
    }
    files.push_back({path_, dbfNew});

    try {
        auto out = fs_->open(dbfNew, OpenMode::CreateTruncate);
        out->writeAt(0, head.data(), head.size());
        const std::size_t len = header_.recordLength;
        std::vector<unsigned char> batch;
        uint64_t offset = head.size();
        std::vector<unsigned char> rec;
        for (uint32_t r = 1; r <= count_; ++r) {
            loadRecord(r, rec);
            for (const auto& f : header_.fields) {
                if (!f.isMemoLike() || field_codec::isBlank(f, rec.data())) continue;
                const std::string plain = readMemo(f, rec.data());
                const std::string stored = newCipher && !plain.empty() ? newCipher->sealMemo(plain) : plain;
                field_codec::setMemoBlock(f, rec.data(), newMemo->write(0, stored));
            }
            if (newCipher) newCipher->encryptRecord(r, rec.data() + 1, len - 1);
            batch.insert(batch.end(), rec.begin(), rec.end());
            if (batch.size() >= (1u << 20) || r == count_) {
                out->writeAt(offset, batch.data(), batch.size());
                offset += batch.size();
                batch.clear();
            }
        }
        const unsigned char eof = dbf::kEofMarker;
        out->writeAt(offset, &eof, 1);
        out->sync();
        if (newMemo) newMemo->sync();
    } catch (...) {
        newMemo.reset();
        for (const auto& f : files) fs_->remove(f.staged);
        throw;
    }
    newMemo.reset();
    // The index is written anew with the new cipher (or none): an encrypted
    // table's keys must not stay readable in its index.
    const std::vector<IndexTagSpec> tags = index_ ? index_->specs() : std::vector<IndexTagSpec>{};
    closeIndex();
    table_rewrite::commit(*fs_, folder_, path_, files);
    reopenAfterRewrite();
    rebuildSameIndex(tags);
}

void Table::reopenAfterRewrite() {
    const std::string password = password_;
    close();
    password_ = password;
    openFiles();
}

}  // namespace vv::db
