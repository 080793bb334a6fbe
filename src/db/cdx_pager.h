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
#include <memory>
#include <string>
#include <vector>

#include "db/cdx_format.h"
#include "db/cdx_node.h"
#include "db/cdx_page_cache.h"
#include "db/file_system.h"

namespace vv::db {

class CdxPageCodec;

// Thrown instead of reading the file while the pager is cache-only: the
// caller looked without the index lock and must look again under it.
struct CdxCacheMiss {};

class CdxPager {
public:
    using Page = std::array<unsigned char, cdx::kPageSize>;

    CdxPager(File& file, std::shared_ptr<const CdxPageCodec> codec);
    // Writes what is still held in memory; a failure leaves the file marked
    // half written (see setWriteBehind).
    ~CdxPager();
    CdxPager(const CdxPager&) = delete;
    CdxPager& operator=(const CdxPager&) = delete;

    // The page at `offset`; CorruptFile when it is not page aligned, lies in
    // the file header or runs past the end of the file.
    Page read(uint32_t offset);
    // The bytes of that page, valid until the next call on this pager.
    const unsigned char* bytes(uint32_t offset) { return fetch(offset).page.data(); }
    // The same once the page has been decoded as a node without fault
    // (CorruptFile as decodeCdxNode): decoded once, and again only after it changes.
    const unsigned char* checkedBytes(uint32_t offset, std::size_t keyLength, unsigned char filler) {
        return decoded(offset, keyLength, filler).page.data();
    }
    // The node at `offset`, decoded with the tag's key length and filler
    // (CorruptFile as decodeCdxNode). Shared and never changed: a write puts
    // a new node in its place.
    std::shared_ptr<const CdxNode> node(uint32_t offset, std::size_t keyLength, unsigned char filler);
    // The node at `offset` decoded into `node`, reusing its memory: for a
    // change, which works on its own copy and writes the page back.
    void decodeInto(uint32_t offset, std::size_t keyLength, unsigned char filler, CdxNode& node);
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
    // Writes every page held in memory (the file header last); the batch,
    // if any, stays open.
    void flushPending();
    bool inBatch() const { return batch_; }

    // Write-behind, for a user who has the file to itself: batches stay in
    // memory after endBatch() until about kWriteBehindPages pages are held,
    // flushPending() or invalidate(). Meanwhile the file header carries
    // kHalfWrittenMark on disk, so a program that stops before writing them
    // leaves an index that says it is incomplete instead of one that is
    // silently stale.
    void setWriteBehind(bool on);
    static bool halfWritten(const unsigned char* headerUnit);

    // Adds one to the change counter in the file header, once per change
    // (once per batch).
    void noteChange();
    // The change counter as it is on disk now (never from the cache).
    uint32_t changeCounterOnDisk();
    // The counter as this file object last set it: what the disk says once
    // the batch is written, while the caller still holds the lock.
    uint32_t changeCounterWritten();

    // While on, a page that is not in memory throws CdxCacheMiss instead of
    // being read: for a reader without the lock, which may use only what it
    // read under the lock before.
    void setCacheOnly(bool on) { cacheOnly_ = on; }

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

    using Cached = CdxCachedPage;
    Cached& fetch(uint32_t offset, bool header = false);
    Cached& decoded(uint32_t offset, std::size_t keyLength, unsigned char filler);
    Cached& slot(uint32_t offset);
    Cached& store(uint32_t offset, const Page& page);
    void readAround(uint32_t offset);
    void decodePage(const Page& page, uint32_t offset, std::size_t keyLength, unsigned char filler,
                    CdxNode& node) const;
    void markHalfWritten();

    // Pages (with their decoded nodes) kept per open index, about 1 KB
    // each: enough for every page of a million-record table's ten tags, so
    // scattered inserts and seeks do not go back to the file for each leaf.
    // Another process's write empties it anyway.
    static constexpr std::size_t kCacheLimit = 131072;

    File& file_;
    std::shared_ptr<const CdxPageCodec> codec_;
    CdxPageCache cache_;
    uint64_t size_ = 0;      // known file size; re-read before calling a page missing
    uint64_t end_ = 0;       // where the next appended page goes
    uint32_t freeHead_ = 0;  // first free page, 0 when none
    bool freeLoaded_ = false;
    uint64_t generation_ = 0;
    bool batch_ = false;
    bool cacheOnly_ = false;
    bool counted_ = false;                // the counter moved in this batch
    std::vector<uint32_t> dirty_;         // cached pages not yet in the file
    bool writeBehind_ = false;
    bool marked_ = false;                 // kHalfWrittenMark is on disk
    static constexpr std::size_t kWriteBehindPages = 32768;
    static constexpr std::size_t kBridgePages = 8;
};

}  // namespace vv::db
