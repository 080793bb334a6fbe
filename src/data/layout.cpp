#include "data/layout.h"

#include <charconv>
#include <string>

#include "db/error.h"

namespace vv::data {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\n' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

template <typename Fn>
void forEachItem(std::string_view text, char separator, Fn fn) {
    while (!text.empty()) {
        const auto end = text.find(separator);
        const auto item = trim(text.substr(0, end));
        if (!item.empty()) fn(item);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

bool parseNumber(std::string_view s, int& out) {
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && out >= 0 && out <= 255;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

db::FieldDef parseEntry(std::string_view entry) {
    auto bad = [&] { throw db::Error(db::ErrorKind::InvalidArgument, "Bad field layout entry \"" + std::string(entry) + "\""); };
    const auto space = entry.find(' ');
    if (space == std::string_view::npos) bad();
    db::FieldDef f;
    f.name = std::string(entry.substr(0, space));
    const auto type = trim(entry.substr(space + 1));
    if (type.empty()) bad();
    const auto size = type.substr(1);
    int width = 0, decimals = 0;
    switch (type.front()) {
    case 'C':
        f.type = db::FieldType::Character;
        if (!parseNumber(size, width) || width == 0) bad();
        break;
    case 'N': {
        f.type = db::FieldType::Numeric;
        const auto comma = size.find(',');
        if (!parseNumber(size.substr(0, comma), width) || width == 0) bad();
        if (comma != std::string_view::npos && !parseNumber(size.substr(comma + 1), decimals)) bad();
        break;
    }
    case 'D': f.type = db::FieldType::Date; width = 8; break;
    case 'L': f.type = db::FieldType::Logical; width = 1; break;
    case 'M': f.type = db::FieldType::Memo; width = 10; break;
    default: bad();
    }
    if ((f.type == db::FieldType::Date || f.type == db::FieldType::Logical || f.type == db::FieldType::Memo) &&
        !size.empty())
        bad();
    f.width = static_cast<uint8_t>(width);
    f.decimals = static_cast<uint8_t>(decimals);
    return f;
}

}  // namespace

db::FieldList parseLayout(std::string_view text) {
    db::FieldList fields;
    forEachItem(text, ';', [&](std::string_view entry) { fields.push_back(parseEntry(entry)); });
    return fields;
}

db::FieldList pickFields(const db::FieldList& source, std::string_view names, std::string_view tableName) {
    db::FieldList fields;
    forEachItem(names, ',', [&](std::string_view name) {
        for (const auto& f : source) {
            if (sameName(f.name, name)) {
                fields.push_back(f);
                return;
            }
        }
        throw db::Error(db::ErrorKind::FieldNotFound,
                        std::string(tableName) + " has no field " + std::string(name));
    });
    return fields;
}

}  // namespace vv::data
