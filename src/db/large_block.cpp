#include "db/large_block.h"

#include <new>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace vv::db {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

void offerHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    // Only advice: where it is refused the block still works, page by page.
    ::madvise(data, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
#endif
}

}  // namespace

LargeBlock::LargeBlock(std::size_t bytes) : aligned_(bytes >= kHugePage) {
    if (!aligned_) {
        data_ = ::operator new(bytes);
        return;
    }
    data_ = ::operator new(bytes, std::align_val_t{kHugePage});
    offerHugePages(data_, bytes);
}

LargeBlock::~LargeBlock() {
    if (!data_) return;
    if (aligned_) ::operator delete(data_, std::align_val_t{kHugePage});
    else ::operator delete(data_);
}

}  // namespace vv::db
