// Scratch memory for bulk work over a whole table (keys of a million
// records, their sort order). Blocks of 2 MiB or more start on a 2 MiB
// boundary and are offered to the system for huge pages, so fresh memory
// costs one fault per 2 MiB rather than one per 4 KiB: on a virtual machine
// those faults were over a third of an index rebuild. Contents start
// undefined.
#pragma once

#include <cstddef>
#include <utility>

namespace vv::db {

class LargeBlock {
public:
    LargeBlock() = default;
    explicit LargeBlock(std::size_t bytes);
    LargeBlock(LargeBlock&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), aligned_(other.aligned_) {}
    LargeBlock& operator=(LargeBlock&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(aligned_, other.aligned_);
        return *this;
    }
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;
    ~LargeBlock();

    // T must be a trivial type: objects begin to live when first assigned.
    template <class T>
    T* as() const {
        return static_cast<T*>(data_);
    }

private:
    void* data_ = nullptr;
    bool aligned_ = false;
};

}  // namespace vv::db
