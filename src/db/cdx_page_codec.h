// Transform applied to every 512-byte unit of an index file on its way to and
// from the disk: identity by default, page encryption for encrypted tables.
// Header pages (1024 bytes) go through as two units.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vv::db {

class CdxPageCodec {
public:
    virtual ~CdxPageCodec() = default;
    // In place, length preserving; `offset` is the unit's place in the file
    // and `size` is always 512. Called from the thread using the index.
    virtual void encode(uint64_t offset, unsigned char* page, std::size_t size) const = 0;
    virtual void decode(uint64_t offset, unsigned char* page, std::size_t size) const = 0;
};

}  // namespace vv::db
