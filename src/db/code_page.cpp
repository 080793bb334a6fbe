#include "db/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "db/error.h"

namespace vv::db {
namespace {

struct DriverEntry {
    uint8_t ldid;
    int number;
};

// Language driver ids of the FoxPro family and their code pages.
constexpr DriverEntry kDrivers[] = {
    {0x01, 437}, {0x02, 850}, {0x03, 1252}, {0x57, 1252}, {0x58, 1252}, {0x59, 1252},
    {0x64, 852}, {0x65, 866}, {0x66, 865}, {0x67, 861}, {0x6A, 737}, {0x6B, 857},
    {0x78, 950}, {0x7D, 1255}, {0x7E, 1256}, {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254},
    {0xCB, 1253}, {0xCC, 1257},
};

std::string iconvName(int number) {
    return number >= 1250 ? "CP" + std::to_string(number) : "CP" + std::to_string(number);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; returns false on malformed input.
bool nextUtf8(std::string_view text, std::size_t& i, char32_t& out) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > text.size()) return false;
    char32_t c = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += len;
    out = c;
    return true;
}

std::string describe(char32_t c) {
    std::string s = "\"";
    appendUtf8(s, c);
    char buf[16];
    std::snprintf(buf, sizeof buf, "\" (U+%04X)", static_cast<unsigned>(c));
    return s + buf;
}

}  // namespace

CodePage::CodePage(int number, uint8_t ldid) : number_(number), ldid_(ldid) {
    for (int b = 0; b < 0x80; ++b) toUnicode_[b] = static_cast<char32_t>(b);
    iconv_t cd = iconv_open("UTF-32LE", iconvName(number).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-32LE", "CP1252");
    for (int b = 0x80; b < 0x100; ++b) {
        char in = static_cast<char>(b);
        char32_t out = 0;
        char* inp = &in;
        auto* outp = reinterpret_cast<char*>(&out);
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (cd != reinterpret_cast<iconv_t>(-1) &&
            iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) && outLeft == 0)
            toUnicode_[b] = out;
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);

    std::unordered_map<char32_t, unsigned char> fromUnicode;
    for (int b = 0; b < 0x100; ++b)
        if (b == 0 || toUnicode_[b] != 0) fromUnicode.emplace(toUnicode_[b], static_cast<unsigned char>(b));
    for (int b = 0; b < 0x100; ++b) {
        upper_[b] = lower_[b] = static_cast<unsigned char>(b);
        const char32_t u = toUnicode_[b];
        if (u == 0) continue;
        char32_t up, lo;
        if (u < 0x80) {
            up = (u >= 'a' && u <= 'z') ? u - 32 : u;
            lo = (u >= 'A' && u <= 'Z') ? u + 32 : u;
        } else {
            // Latin-1 supplement and the other alphabets of the single-byte pages;
            // towupper works on code points independent of the C locale for these.
            up = static_cast<char32_t>(std::towupper(static_cast<wint_t>(u)));
            lo = static_cast<char32_t>(std::towlower(static_cast<wint_t>(u)));
            // The C locale knows only ASCII; fall back to the Unicode rules of
            // the common Latin letters.
            if (up == u && ((u >= 0xE0 && u <= 0xFE && u != 0xF7) || u == 0x0161 || u == 0x0153 || u == 0x017E || u == 0xFF))
                up = u == 0x0161 ? 0x0160 : u == 0x0153 ? 0x0152 : u == 0x017E ? 0x017D : u == 0xFF ? 0x0178 : u - 32;
            if (lo == u && ((u >= 0xC0 && u <= 0xDE && u != 0xD7) || u == 0x0160 || u == 0x0152 || u == 0x017D || u == 0x0178))
                lo = u == 0x0160 ? 0x0161 : u == 0x0152 ? 0x0153 : u == 0x017D ? 0x017E : u == 0x0178 ? 0xFF : u + 32;
        }
        if (auto it = fromUnicode.find(up); it != fromUnicode.end()) upper_[b] = it->second;
        if (auto it = fromUnicode.find(lo); it != fromUnicode.end()) lower_[b] = it->second;
    }
}

const CodePage& CodePage::forLanguageDriver(uint8_t ldid) {
    int number = 1252;
    for (const auto& d : kDrivers)
        if (d.ldid == ldid) number = d.number;
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePage>> pages;  // lives for the whole program
    std::lock_guard lock(mutex);
    auto& slot = pages[number];
    if (!slot) slot = std::make_unique<CodePage>(number, number == 1252 ? 0x03 : ldid);
    return *slot;
}

const CodePage& CodePage::windows1252() { return forLanguageDriver(0x03); }

std::string CodePage::toUtf8(std::string_view bytes) const {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            const char32_t u = toUnicode_[b];
            appendUtf8(out, u != 0 ? u : 0xFFFD);
        }
    }
    return out;
}

std::string CodePage::fromUtf8(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        char32_t c;
        if (!nextUtf8(utf8, i, c))
            throw Error(ErrorKind::Encoding, "The text is not valid UTF-8 (byte " + std::to_string(i + 1) + ")");
        int found = -1;
        for (int k = 0x80; k < 0x100; ++k)
            if (toUnicode_[k] == c) { found = k; break; }
        if (found < 0)
            throw Error(ErrorKind::Encoding, "The character " + describe(c) +
                                                 " cannot be stored in code page " + std::to_string(number_));
        out += static_cast<char>(found);
    }
    return out;
}

bool CodePage::canEncode(std::string_view utf8) const {
    try {
        fromUtf8(utf8);
        return true;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace vv::db
