#include "db/cdx_pager.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "db/byte_order.h"
#include "db/cdx_page_codec.h"
#include "db/error.h"

namespace vv::db {

using namespace cdx;

namespace {
uint64_t roundUpToPage(uint64_t size) { return (size + kPageSize - 1) / kPageSize * kPageSize; }

std::string hex(uint32_t offset) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", offset);
    return text;
}
}  // namespace

CdxPager::CdxPager(File& file, std::shared_ptr<const CdxPageCodec> codec) : file_(file), codec_(std::move(codec)) {
    invalidate();
}

CdxPager::~CdxPager() {
    try {
        flushPending();
    } catch (...) {
        // A destructor must not throw; the mark on disk tells the next user.
    }
}

std::string CdxPager::where(uint32_t offset) const { return file_.path() + ": node at " + hex(offset); }

void CdxPager::corrupt(uint32_t offset, const std::string& what) const {
    throw Error(ErrorKind::CorruptFile, file_.path() + ": " + what + " (offset " + hex(offset) + ")");
}

void CdxPager::invalidate() {
    flushPending();
    cache_.clear();
    size_ = file_.size();
    end_ = roundUpToPage(size_);
    freeLoaded_ = false;
    ++generation_;
}

void CdxPager::checkOffset(uint32_t offset, std::size_t bytes) {
    if (offset % kPageSize != 0) corrupt(offset, "a page pointer off the page boundary");
    if (offset + uint64_t{bytes} > size_) {
        // Another process may have grown the file since we last looked.
        size_ = file_.size();
        end_ = std::max(end_, roundUpToPage(size_));
        if (offset + uint64_t{bytes} > size_) corrupt(offset, "a page pointer past the end of the file");
    }
}

void CdxPager::grown(uint64_t end) {
    size_ = std::max(size_, end);
    end_ = std::max(end_, roundUpToPage(size_));
}

void CdxPager::encode(uint32_t offset, unsigned char* page) const {
    if (codec_) codec_->encode(offset, page, kPageSize);
}

void CdxPager::decode(uint32_t offset, unsigned char* page) const {
    if (codec_) codec_->decode(offset, page, kPageSize);
}

CdxPager::Cached& CdxPager::slot(uint32_t offset) {
    if (cache_.size() >= kCacheLimit && !cache_.find(offset)) cache_.dropHalf();
    return cache_.insert(offset);
}

CdxPager::Cached& CdxPager::fetch(uint32_t offset, bool header) {
    if (!header && offset < kHeaderSize) corrupt(offset, "a node pointer into the file header");
    if (Cached* cached = cache_.find(offset)) return *cached;
    if (cacheOnly_) throw CdxCacheMiss{};
    checkOffset(offset, kPageSize);
    readAround(offset);
    return *cache_.find(offset);
}

void CdxPager::readAround(uint32_t offset) {
    // One read brings the neighbouring pages of the same 4 KB block too: a
    // tag's leaves lie side by side after a build, and a read costs the same.
    constexpr uint64_t kBlock = 8 * kPageSize;
    const uint64_t start = offset / kBlock * kBlock;
    const uint64_t end = std::min(start + kBlock, size_ / kPageSize * kPageSize);
    if (cache_.size() + kBlock / kPageSize > kCacheLimit) cache_.dropHalf();  // not while filling
    unsigned char block[kBlock];
    // Pages allocated but still in memory lie past the file's end: read what is there.
    const std::size_t got = file_.readAt(start, block, end - start);
    if (got < offset - start + kPageSize) corrupt(offset, "a page pointer past the end of the file");
    for (uint64_t at = start; at + kPageSize <= start + got; at += kPageSize) {
        const auto page = static_cast<uint32_t>(at);
        if (page != offset && cache_.find(page)) continue;  // ours may be newer than the file's
        unsigned char* bytes = block + (at - start);
        decode(page, bytes);
        Cached& cached = cache_.insert(page);
        std::copy(bytes, bytes + kPageSize, cached.page.begin());
        cached.node.reset();
    }
}

CdxPager::Page CdxPager::read(uint32_t offset) { return fetch(offset).page; }

CdxPager::Page CdxPager::readHeaderUnit(uint32_t offset) { return fetch(offset, true).page; }

void CdxPager::forget(uint32_t offset, std::size_t pages) {
    for (std::size_t i = 0; i < pages; ++i) cache_.erase(offset + static_cast<uint32_t>(i * kPageSize));
}

void CdxPager::decodePage(const Page& page, uint32_t offset, std::size_t keyLength, unsigned char filler,
                          CdxNode& node) const {
    try {
        decodeCdxNodeInto(page.data(), keyLength, filler, node);
    } catch (const Error& e) {
        throw Error(ErrorKind::CorruptFile, where(offset) + ": " + e.what());
    }
}

void CdxPager::decodeInto(uint32_t offset, std::size_t keyLength, unsigned char filler, CdxNode& node) {
    decodePage(fetch(offset).page, offset, keyLength, filler, node);
}

CdxPager::Cached& CdxPager::decoded(uint32_t offset, std::size_t keyLength, unsigned char filler) {
    Cached& cached = fetch(offset);
    if (!cached.node || cached.keyLength != keyLength || cached.filler != filler) {
        auto node = std::make_shared<CdxNode>();
        decodePage(cached.page, offset, keyLength, filler, *node);
        cached.node = std::move(node);
        cached.keyLength = static_cast<uint16_t>(keyLength);
        cached.filler = filler;
    }
    return cached;
}

std::shared_ptr<const CdxNode> CdxPager::node(uint32_t offset, std::size_t keyLength, unsigned char filler) {
    return decoded(offset, keyLength, filler).node;
}

CdxPager::Cached& CdxPager::store(uint32_t offset, const Page& page) {
    if (writeBehind_ && !marked_) markHalfWritten();
    grown(offset + uint64_t{kPageSize});
    ++generation_;
    Cached& cached = slot(offset);
    cached.page = page;
    cached.node.reset();
    if (offset == 0 && marked_) writeLe32(cached.page.data() + kHeaderHalfWritten, kHalfWrittenMark);
    if (batch_ || writeBehind_) {
        if (!cached.dirty) dirty_.push_back(offset);
        cached.dirty = true;
        return cached;
    }
    Page stored = page;
    encode(offset, stored.data());
    file_.writeAt(offset, stored.data(), kPageSize);
    return cached;
}

void CdxPager::write(uint32_t offset, const Page& page) { store(offset, page); }

void CdxPager::readHeader(uint32_t offset, unsigned char* header) {
    if (cacheOnly_) throw CdxCacheMiss{};
    checkOffset(offset, kHeaderSize);
    file_.readExact(offset, header, kHeaderSize);
    decode(offset, header);
    decode(offset + kPageSize, header + kPageSize);
    // A unit changed here but not yet written (the file header's counter
    // and free list) is newer than the file's.
    for (std::size_t unit = 0; unit < 2; ++unit)
        if (const Cached* cached = cache_.find(offset + static_cast<uint32_t>(unit * kPageSize)); cached && cached->dirty)
            std::copy(cached->page.begin(), cached->page.end(), header + unit * kPageSize);
}

void CdxPager::writeHeader(uint32_t offset, const unsigned char* header) {
    flushPending();  // what is on disk stays in write order
    unsigned char stored[kHeaderSize];
    std::copy(header, header + kHeaderSize, stored);
    encode(offset, stored);
    encode(offset + kPageSize, stored + kPageSize);
    file_.writeAt(offset, stored, kHeaderSize);
    grown(offset + uint64_t{kHeaderSize});
    forget(offset, 2);
    if (offset == 0) freeLoaded_ = false;
    ++generation_;
}

void CdxPager::writeRun(uint32_t offset, unsigned char* pages, std::size_t count) {
    flushPending();
    forget(offset, count);
    for (std::size_t i = 0; i < count; ++i)
        encode(offset + static_cast<uint32_t>(i * kPageSize), pages + i * kPageSize);
    file_.writeAt(offset, pages, count * kPageSize);
    grown(offset + uint64_t{count * kPageSize});
    ++generation_;
}

void CdxPager::loadFreeList() {
    if (freeLoaded_) return;
    freeHead_ = readLe32(readHeaderUnit(0).data() + kHeaderFreeList);
    if (freeHead_ == kNoPage) freeHead_ = 0;
    freeLoaded_ = true;
}

void CdxPager::storeFreeList(uint32_t head) {
    Page unit = readHeaderUnit(0);
    writeLe32(unit.data() + kHeaderFreeList, head);
    write(0, unit);
    freeHead_ = head;
    freeLoaded_ = true;
}

void CdxPager::beginBatch() {
    if (writeBehind_ && !marked_) markHalfWritten();
    batch_ = true;
    counted_ = false;
}

void CdxPager::endBatch() {
    batch_ = false;
    counted_ = false;
    if (!writeBehind_ || dirty_.size() >= kWriteBehindPages) flushPending();
}

void CdxPager::setWriteBehind(bool on) {
    if (!on) flushPending();
    writeBehind_ = on;
}

bool CdxPager::halfWritten(const unsigned char* headerUnit) {
    return readLe32(headerUnit + kHeaderHalfWritten) == kHalfWrittenMark;
}

void CdxPager::markHalfWritten() {
    Cached& unit = fetch(0, true);
    writeLe32(unit.page.data() + kHeaderHalfWritten, kHalfWrittenMark);
    Page stored = unit.page;
    encode(0, stored.data());
    file_.writeAt(0, stored.data(), kPageSize);
    marked_ = true;
}

void CdxPager::flushPending() {
    // Outside a batch nothing half done is left once these pages are out.
    const bool settled = marked_ && !batch_;
    if (settled) {
        Cached& unit = fetch(0, true);
        writeLe32(unit.page.data() + kHeaderHalfWritten, 0);
        if (!unit.dirty) dirty_.push_back(0);
        unit.dirty = true;
    }
    if (dirty_.empty()) return;
    std::sort(dirty_.begin(), dirty_.end());
    std::vector<unsigned char> run;
    uint32_t runStart = 0;
    auto writeRunOut = [&] {
        if (!run.empty()) file_.writeAt(runStart, run.data(), run.size());
        run.clear();
    };
    auto append = [&](uint32_t offset, const Page& page) {
        run.insert(run.end(), page.begin(), page.end());
        encode(offset, run.data() + run.size() - kPageSize);
    };
    // A short gap of pages we hold unchanged is written along with its
    // neighbours: one long write costs less than several short ones.
    auto bridge = [&](uint32_t to) {
        const uint64_t from = runStart + run.size();
        if (to < from || to - from > kBridgePages * kPageSize) return false;
        for (uint64_t at = from; at < to; at += kPageSize)
            if (!cache_.find(static_cast<uint32_t>(at))) return false;
        for (uint64_t at = from; at < to; at += kPageSize)
            append(static_cast<uint32_t>(at), cache_.find(static_cast<uint32_t>(at))->page);
        return true;
    };
    auto add = [&](uint32_t offset) {
        if (!run.empty() && offset != runStart + run.size() && !bridge(offset)) writeRunOut();
        if (run.empty()) runStart = offset;
        append(offset, cache_.find(offset)->page);
    };
    // The file header (change counter, free list) goes last, after the
    // pages it speaks for.
    const bool header = dirty_.front() == 0;
    for (std::size_t i = header ? 1 : 0; i < dirty_.size(); ++i) add(dirty_[i]);
    writeRunOut();
    if (header) {
        add(0);
        writeRunOut();
    }
    for (const uint32_t offset : dirty_) cache_.find(offset)->dirty = false;
    dirty_.clear();
    if (settled) marked_ = false;
}

void CdxPager::noteChange() {
    if (batch_ && counted_) return;
    counted_ = true;
    Page unit = readHeaderUnit(0);
    writeLe32(unit.data() + kHeaderCounter, readLe32(unit.data() + kHeaderCounter) + 1);
    write(0, unit);
}

uint32_t CdxPager::changeCounterWritten() { return readLe32(fetch(0, true).page.data() + kHeaderCounter); }

uint32_t CdxPager::changeCounterOnDisk() {
    Page unit;
    file_.readExact(0, unit.data(), kPageSize);
    decode(0, unit.data());
    return readLe32(unit.data() + kHeaderCounter);
}

uint32_t CdxPager::allocate() {
    loadFreeList();
    if (freeHead_ == 0) return allocateAtEnd(1);
    const uint32_t offset = freeHead_;
    const Page page = read(offset);
    const uint32_t next = readLe32(page.data());
    if (next != 0 && (next % kPageSize != 0 || next < kHeaderSize || next + uint64_t{kPageSize} > end_))
        corrupt(offset, "a broken free page list");
    storeFreeList(next);
    return offset;
}

uint32_t CdxPager::allocateAtEnd(std::size_t pages) {
    if (end_ + pages * kPageSize > kNoPage)
        throw Error(ErrorKind::Io, file_.path() + ": the index file would grow past 4 GB");
    const auto offset = static_cast<uint32_t>(end_);
    end_ += pages * kPageSize;
    return offset;
}

void CdxPager::release(uint32_t offset) {
    loadFreeList();
    Page page{};
    writeLe32(page.data(), freeHead_);
    write(offset, page);
    storeFreeList(offset);
}

}  // namespace vv::db
