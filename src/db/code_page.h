// Single-byte code pages of DBF tables (header byte 29, the "language driver
// id"). The engine keeps text as the table's bytes; this is the one place
// that turns them into UTF-8 and back. Tables are built once per code page
// with iconv, so every conversion afterwards is a table lookup.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vv::db {

class CodePage {
public:
    // The code page a header byte names; 0 (unmarked) and unknown ids mean
    // Windows-1252. The returned object lives for the whole program.
    static const CodePage& forLanguageDriver(uint8_t ldid);
    static const CodePage& windows1252();

    int number() const { return number_; }          // 1252, 437, 850...
    uint8_t languageDriver() const { return ldid_; }

    std::string toUtf8(std::string_view bytes) const;
    // Throws Error(Encoding) naming the first character the code page cannot hold
    // (or invalid UTF-8).
    std::string fromUtf8(std::string_view utf8) const;
    bool canEncode(std::string_view utf8) const;

    // Case mapping of the code page's letters (é <-> É), used by UPPER/LOWER
    // and case-blind searches.
    unsigned char upper(unsigned char c) const { return upper_[c]; }
    unsigned char lower(unsigned char c) const { return lower_[c]; }

    CodePage(int number, uint8_t ldid);

private:
    int number_;
    uint8_t ldid_;
    std::array<char32_t, 256> toUnicode_{};   // 0 where the byte maps to nothing
    std::array<unsigned char, 256> upper_{};
    std::array<unsigned char, 256> lower_{};
};

}  // namespace vv::db
