#include "db/file_system.h"

#include <algorithm>

#include "db/error.h"

namespace vv::db {

void File::readExact(uint64_t offset, void* buffer, std::size_t size) {
    if (readAt(offset, buffer, size) != size)
        throw Error(ErrorKind::CorruptFile, path() + ": unexpected end of file at offset " + std::to_string(offset));
}

namespace {
bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
               auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
               return lx == ly;
           });
}
}  // namespace

std::optional<std::string> FileSystem::findIgnoringCase(const std::string& folder, const std::string& name) {
    const std::string exact = joinPath(folder, name);
    if (exists(exact)) return exact;
    std::vector<std::string> names;
    try {
        names = list(folder);
    } catch (const Error&) {
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());  // the same pick every time when several differ only in case
    for (const auto& entry : names)
        if (equalsIgnoringCase(entry, name)) return joinPath(folder, entry);
    return std::nullopt;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace vv::db
