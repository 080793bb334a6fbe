// Page access for one compound index file: reads and writes 512-byte pages
// through the optional page codec, keeps a small cache of pages and of the
// nodes decoded from them,
// hands out new pages (free list first, then the end of the file) and takes
// freed ones back. Internal to the CDX classes.
//
// The cache holds only what was read since the last invalidate(); another
// process may change the file at any time, so callers drop it whenever they
// take a lock or refresh (CdxFile::invalidate()).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "db/cdx_format.h"
#include "db/cdx_node.h"
#include "db/file_system.h"

namespace vv::db {

class CdxPageCodec;

class CdxPager {
public:
    using Page = std::array<unsigned char, cdx::kPageSize>;

    CdxPager(File& file, std::shared_ptr<const CdxPageCodec> codec);

    // The page at `offset`; CorruptFile when it is not page aligned, lies in
    // the file header or runs past the end of the file.
    Page read(uint32_t offset);
    // The node at `offset`, decoded with the tag's key length and filler
    // (CorruptFile as decodeCdxNode). Shared and never changed: a write puts
    // a new node in its place.
    std::shared_ptr<const CdxNode> node(uint32_t offset, std::size_t keyLength, unsigned char filler);
    void write(uint32_t offset, const Page& page);
    // The first half of a header page (the file header at 0 included).
    Page readHeaderUnit(uint32_t offset);
    // Header pages (1024 bytes) of the file or of a tag.
    void readHeader(uint32_t offset, unsigned char* header);
    void writeHeader(uint32_t offset, const unsigned char* header);
    // Writes `count` contiguous plain pages (bulk builds).
    void writeRun(uint32_t offset, unsigned char* pages, std::size_t count);

    uint32_t allocate();                     // one page, reusing freed ones
    uint32_t allocateAtEnd(std::size_t pages);  // a contiguous run after the last page
    void release(uint32_t offset);

    // Batches: between beginBatch() and endBatch() page writes stay in
    // memory (reads see them) and go to the file at endBatch() in offset
    // order, contiguous pages in one write; the change counter moves once
    // per batch. A caller holds the index lock for the whole batch, or has
    // the file to itself.
    void beginBatch();
    void endBatch();
    // Writes what a batch holds so far; the batch stays open.
    void flushPending();
    bool inBatch() const { return batch_; }

    // Adds one to the change counter in the file header, once per change
    // (once per batch).
    void noteChange();
    // The change counter as it is on disk now (never from the cache).
    uint32_t changeCounterOnDisk();

    // Forgets cached pages, the file size and the free list head.
    void invalidate();
    // Changes with every write and invalidate(): cursors re-find their place when it moved.
    uint64_t generation() const { return generation_; }

    // Pages in the file, an upper bound for any walk over its nodes.
    uint64_t pageCount() const { return end_ / cdx::kPageSize; }
    const std::string& path() const { return file_.path(); }
    std::string where(uint32_t offset) const;
    [[noreturn]] void corrupt(uint32_t offset, const std::string& what) const;

private:
    void checkOffset(uint32_t offset, std::size_t bytes);
    void grown(uint64_t end);
    void loadFreeList();
    void storeFreeList(uint32_t head);
    void forget(uint32_t offset, std::size_t pages);
    void encode(uint32_t offset, unsigned char* page) const;
    void decode(uint32_t offset, unsigned char* page) const;

    struct Cached {
        Page page;
        std::shared_ptr<const CdxNode> node;  // decoded on first use
        unsigned char filler = 0;
    };
    Cached& fetch(uint32_t offset, bool header = false);
    Cached& slot(uint32_t offset);

    // Up to about 40 MB per open index (page and decoded node): enough to
    // hold the working set of a million-record tag, so random seeks read
    // the disk once per leaf and not once per seek. Another process's write
    // empties it anyway.
    static constexpr std::size_t kCacheLimit = 32768;

    File& file_;
    std::shared_ptr<const CdxPageCodec> codec_;
    std::unordered_map<uint32_t, Cached> cache_;
    uint64_t size_ = 0;      // known file size; re-read before calling a page missing
    uint64_t end_ = 0;       // where the next appended page goes
    uint32_t freeHead_ = 0;  // first free page, 0 when none
    bool freeLoaded_ = false;
    uint64_t generation_ = 0;
    bool batch_ = false;
    bool counted_ = false;                // the counter moved in this batch
    std::map<uint32_t, Page> pending_;    // plain pages written in this batch
};

}  // namespace vv::db
