// FPT memo files (FoxPro), and read-only DBT memo files (dBase III).
// See doc/fpt_format.md. The memo file hands out and takes the stored bytes;
// text conversion and encryption happen in the table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "db/file_system.h"

namespace vv::db {

class MemoFile {
public:
    enum class Format { Fpt, Dbt };

    static constexpr uint16_t kDefaultBlockSize = 64;
    static constexpr uint32_t kTextType = 1;

    // Opens an existing memo file; throws CorruptFile when its header is unusable.
    MemoFile(std::unique_ptr<File> file, Format format);
    static void create(FileSystem& fs, const std::string& path, uint16_t blockSize = kDefaultBlockSize);

    // The bytes of the memo starting at `block`; block 0 is the empty memo.
    // A pointer outside the file or a length running past it is CorruptFile.
    std::string read(uint32_t block);
    // Stores `data`, reusing the blocks of `oldBlock` when it fits there,
    // otherwise appending; returns the block to store in the record (0 for an
    // empty memo). Takes the memo file's allocation lock while appending.
    uint32_t write(uint32_t oldBlock, std::string_view data);

    uint16_t blockSize() const { return blockSize_; }
    Format format() const { return format_; }
    File& file() { return *file_; }
    void sync() { file_->sync(); }

private:
    uint32_t blocksFor(std::size_t bytes) const;
    std::string readDbt(uint32_t block);

    std::unique_ptr<File> file_;
    Format format_;
    uint16_t blockSize_ = kDefaultBlockSize;
};

}  // namespace vv::db
