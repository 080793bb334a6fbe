#include "db/memo_file.h"

#include <cstring>
#include <vector>

#include "db/byte_order.h"
#include "db/error.h"
#include "db/lock_layout.h"

namespace vv::db {
namespace {
constexpr std::size_t kFptHeaderSize = 512;
constexpr std::size_t kBlockHeaderSize = 8;
constexpr std::size_t kDbtBlockSize = 512;
// A memo larger than this is taken for a damaged length field.
constexpr uint32_t kMaxMemoLength = 256u * 1024 * 1024;
}  // namespace

MemoFile::MemoFile(std::unique_ptr<File> file, Format format) : file_(std::move(file)), format_(format) {
    unsigned char h[8];
    file_->readExact(0, h, sizeof h);
    if (format_ == Format::Dbt) {
        blockSize_ = kDbtBlockSize;
        return;
    }
    blockSize_ = readBe16(h + 6);
    if (blockSize_ == 0)
        throw Error(ErrorKind::CorruptFile, file_->path() + ": the memo block size is zero");
}

void MemoFile::create(FileSystem& fs, const std::string& path, uint16_t blockSize) {
    auto file = fs.open(path, OpenMode::CreateTruncate);
    std::vector<unsigned char> header(kFptHeaderSize, 0);
    const uint32_t firstFree = static_cast<uint32_t>((kFptHeaderSize + blockSize - 1) / blockSize);
    writeBe32(header.data(), firstFree);
    writeBe16(header.data() + 6, blockSize);
    file->writeAt(0, header.data(), header.size());
    file->sync();
}

uint32_t MemoFile::blocksFor(std::size_t bytes) const {
    return static_cast<uint32_t>((kBlockHeaderSize + bytes + blockSize_ - 1) / blockSize_);
}

std::string MemoFile::read(uint32_t block) {
    if (block == 0) return {};
    if (format_ == Format::Dbt) return readDbt(block);
    const uint64_t start = uint64_t{block} * blockSize_;
    const uint64_t size = file_->size();
    if (start < kFptHeaderSize || start + kBlockHeaderSize > size)
        throw Error(ErrorKind::CorruptFile,
                    file_->path() + ": memo block " + std::to_string(block) + " lies outside the memo file");
    unsigned char h[kBlockHeaderSize];
    file_->readExact(start, h, sizeof h);
    const uint32_t length = readBe32(h + 4);
    if (length > kMaxMemoLength || start + kBlockHeaderSize + length > size)
        throw Error(ErrorKind::CorruptFile,
                    file_->path() + ": memo at block " + std::to_string(block) + " runs past the end of the memo file");
    std::string data(length, '\0');
    file_->readExact(start + kBlockHeaderSize, data.data(), length);
    return data;
}

std::string MemoFile::readDbt(uint32_t block) {
    const uint64_t start = uint64_t{block} * kDbtBlockSize;
    const uint64_t size = file_->size();
    if (start >= size)
        throw Error(ErrorKind::CorruptFile,
                    file_->path() + ": memo block " + std::to_string(block) + " lies outside the memo file");
    std::string out;
    char buf[kDbtBlockSize];
    for (uint64_t pos = start; pos < size && out.size() < kMaxMemoLength; pos += kDbtBlockSize) {
        const std::size_t n = file_->readAt(pos, buf, sizeof buf);
        const void* end = std::memchr(buf, 0x1A, n);
        if (end) {
            out.append(buf, static_cast<const char*>(end) - buf);
            return out;
        }
        out.append(buf, n);
    }
    return out;
}

uint32_t MemoFile::write(uint32_t oldBlock, std::string_view data) {
    if (format_ == Format::Dbt)
        throw Error(ErrorKind::InvalidState, file_->path() + ": dBase III memo files are read only here");
    if (data.empty()) return 0;
    if (data.size() > kMaxMemoLength)
        throw Error(ErrorKind::InvalidArgument, file_->path() + ": a memo text may hold at most 256 MB");

    std::vector<unsigned char> bytes(kBlockHeaderSize + data.size());
    writeBe32(bytes.data(), kTextType);
    writeBe32(bytes.data() + 4, static_cast<uint32_t>(data.size()));
    std::memcpy(bytes.data() + kBlockHeaderSize, data.data(), data.size());

    if (oldBlock != 0) {
        // Rewrite in place when the new text needs no more blocks than the old one had.
        const uint64_t start = uint64_t{oldBlock} * blockSize_;
        unsigned char h[kBlockHeaderSize];
        if (start >= kFptHeaderSize && file_->readAt(start, h, sizeof h) == sizeof h) {
            const uint32_t oldLength = readBe32(h + 4);
            if (oldLength <= kMaxMemoLength && blocksFor(data.size()) <= blocksFor(oldLength)) {
                file_->writeAt(start, bytes.data(), bytes.size());
                return oldBlock;
            }
        }
    }

    // Append under the allocation lock, so two users never get the same blocks.
    file_->lock(lock_layout::kMemoAllocation, 1, LockType::Exclusive);
    try {
        unsigned char h[4];
        file_->readExact(0, h, sizeof h);
        uint32_t block = readBe32(h);
        const uint64_t endBlock = (file_->size() + blockSize_ - 1) / blockSize_;
        if (block < endBlock) block = static_cast<uint32_t>(endBlock);  // a stale pointer must never overwrite data
        const uint32_t next = block + blocksFor(data.size());
        // Pad the last block so the next memo starts on a block boundary.
        bytes.resize(uint64_t{next - block} * blockSize_, 0);
        file_->writeAt(uint64_t{block} * blockSize_, bytes.data(), bytes.size());
        writeBe32(h, next);
        file_->writeAt(0, h, sizeof h);
        file_->unlock(lock_layout::kMemoAllocation, 1);
        return block;
    } catch (...) {
        file_->unlock(lock_layout::kMemoAllocation, 1);
        throw;
    }
}

}  // namespace vv::db
