#include "db/cdx_pager.h"

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
    // Dropping everything is crude but cheap, and the few upper-level nodes come back at once.
    if (cache_.size() >= kCacheLimit && !cache_.count(offset)) cache_.clear();
    return cache_[offset];
}

CdxPager::Cached& CdxPager::fetch(uint32_t offset, bool header) {
    if (!header && offset < kHeaderSize) corrupt(offset, "a node pointer into the file header");
    if (auto it = cache_.find(offset); it != cache_.end()) return it->second;
    if (auto it = pending_.find(offset); it != pending_.end()) {
        const Page page = it->second;
        Cached& cached = slot(offset);
        cached.page = page;
        return cached;
    }
    checkOffset(offset, kPageSize);
    Page page;
    file_.readExact(offset, page.data(), kPageSize);
    decode(offset, page.data());
    Cached& cached = slot(offset);
    cached.page = page;
    return cached;
}

CdxPager::Page CdxPager::read(uint32_t offset) { return fetch(offset).page; }

CdxPager::Page CdxPager::readHeaderUnit(uint32_t offset) { return fetch(offset, true).page; }

void CdxPager::forget(uint32_t offset, std::size_t pages) {
    for (std::size_t i = 0; i < pages; ++i) cache_.erase(offset + static_cast<uint32_t>(i * kPageSize));
}

std::shared_ptr<const CdxNode> CdxPager::node(uint32_t offset, std::size_t keyLength, unsigned char filler) {
    Cached& cached = fetch(offset);
    if (!cached.node || cached.node->keyLength != keyLength || cached.filler != filler) {
        cached.node =
            std::make_shared<const CdxNode>(decodeCdxNode(cached.page.data(), keyLength, filler, where(offset)));
        cached.filler = filler;
    }
    return cached.node;
}

void CdxPager::write(uint32_t offset, const Page& page) {
    if (batch_) {
        pending_[offset] = page;
        grown(offset + uint64_t{kPageSize});
        Cached& cached = slot(offset);
        cached.page = page;
        cached.node.reset();
        ++generation_;
        return;
    }
    Page stored = page;
    encode(offset, stored.data());
    file_.writeAt(offset, stored.data(), kPageSize);
    grown(offset + uint64_t{kPageSize});
    Cached& cached = slot(offset);
    cached.page = page;
    cached.node.reset();
    ++generation_;
}

void CdxPager::readHeader(uint32_t offset, unsigned char* header) {
    checkOffset(offset, kHeaderSize);
    file_.readExact(offset, header, kHeaderSize);
    decode(offset, header);
    decode(offset + kPageSize, header + kPageSize);
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
    batch_ = true;
    counted_ = false;
}

void CdxPager::endBatch() {
    flushPending();
    batch_ = false;
    counted_ = false;
}

void CdxPager::flushPending() {
    if (pending_.empty()) return;
    std::vector<unsigned char> run;
    uint32_t runStart = 0;
    auto writeRunOut = [&] {
        if (!run.empty()) file_.writeAt(runStart, run.data(), run.size());
        run.clear();
    };
    for (auto& [offset, page] : pending_) {
        if (!run.empty() && offset != runStart + run.size()) writeRunOut();
        if (run.empty()) runStart = offset;
        Page stored = page;
        encode(offset, stored.data());
        run.insert(run.end(), stored.begin(), stored.end());
    }
    writeRunOut();
    pending_.clear();
}

void CdxPager::noteChange() {
    if (batch_ && counted_) return;
    counted_ = true;
    Page unit = readHeaderUnit(0);
    writeLe32(unit.data() + kHeaderCounter, readLe32(unit.data() + kHeaderCounter) + 1);
    write(0, unit);
}

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
