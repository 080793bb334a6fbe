// Small helpers for the names of a table's files.
#pragma once

#include <string>
#include <string_view>

namespace vv::db {

inline std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
    return out;
}

// `name` with `ext` (".DBF") added when it has no extension of its own.
inline std::string withExtension(const std::string& name, const char* ext) {
    const auto slash = name.find_last_of('/');
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return name;
    return name + ext;
}

// `name` with its extension replaced by `ext`; the case of the rest is kept.
inline std::string replaceExtension(const std::string& name, const char* ext) {
    const auto dot = name.find_last_of('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ext;
}

}  // namespace vv::db
