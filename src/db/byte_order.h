// Little- and big-endian integers inside file buffers (DBF headers are
// little-endian, FPT memo headers and CDX keys big-endian).
#pragma once

#include <cstdint>

namespace vv::db {

inline uint16_t readLe16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t readLe32(const unsigned char* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint64_t readLe64(const unsigned char* p) { return uint64_t{readLe32(p)} | (uint64_t{readLe32(p + 4)} << 32); }
inline uint32_t readBe32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}
inline uint16_t readBe16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

inline void writeLe16(unsigned char* p, uint16_t v) { p[0] = v & 0xFF; p[1] = v >> 8; }
inline void writeLe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void writeLe64(unsigned char* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void writeBe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * (3 - i)));
}
inline void writeBe16(unsigned char* p, uint16_t v) { p[0] = v >> 8; p[1] = v & 0xFF; }

}  // namespace vv::db
