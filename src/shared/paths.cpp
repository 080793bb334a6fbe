#include "shared/paths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "db/file_system.h"

namespace vv::shared {

namespace {

bool hasDriveLetter(std::string_view text) {
    return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

#ifndef _WIN32
// `rest` of a text whose front stood for the home folder ("\vek\data" after "c:").
std::string underHome(std::string_view rest) {
    std::string out = homeFolder();
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    if (rest.empty()) return out;
    std::string tail(rest);
    for (char& c : tail)
        if (c == '\\') c = '/';
    if (tail.front() != '/') out += '/';
    else if (out == "/") out.clear();
    return out + tail;
}
#endif

}  // namespace

std::string homeFolder() {
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    return home && *home ? std::string(home) : std::string(1, kPathSeparator);
}

bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\';
#else
    return c == '\\' || c == '/';
#endif
}

bool endsWithSeparator(std::string_view path) { return !path.empty() && isPathSeparator(path.back()); }

std::string withTrailingSeparator(std::string_view path) {
    std::string s(path);
    if (endsWithSeparator(s)) return s;
#ifndef _WIN32
    // A Windows text typed or stored here keeps to its own separator.
    if (s.find('\\') != std::string::npos && s.find('/') == std::string::npos) return s + '\\';
#endif
    return s + kPathSeparator;
}

std::string toNativePath(std::string_view stored) {
#ifdef _WIN32
    return std::string(stored);
#else
    if (stored.empty()) return {};
    if (stored == "~" || stored.starts_with("~/") || stored.starts_with("~\\")) return underHome(stored.substr(1));
    if (hasDriveLetter(stored)) return underHome(stored.substr(2));
    std::string s(stored);
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
#endif
}

std::string exportFolder(std::string_view dataFolder) {
    return withTrailingSeparator(toNativePath(dataFolder)) + "Export" + kPathSeparator;
}

std::string defaultContractFolder(std::string_view dataFolder) {
#ifdef _WIN32
    return std::string(dataFolder.substr(0, 2)) + "\\vek\\contract\\";
#else
    // Only a drive letter can be translated; a native folder has no drive of
    // its own and lies on the one that the home folder stands for.
    const std::string_view drive = hasDriveLetter(dataFolder) ? dataFolder.substr(0, 2) : "c:";
    return toNativePath(std::string(drive) + "\\vek\\contract\\");
#endif
}

std::string defaultLettersFolder() { return toNativePath("c:\\vek\\letters\\"); }

std::string onDriveOf(std::string_view folder, std::string_view relative) {
#ifdef _WIN32
    return std::string(folder.substr(0, 1)) + ":\\" + std::string(relative);
#else
    // Every drive, and the one a native folder lies on, is the home folder here.
    (void)folder;
    return toNativePath("c:\\" + std::string(relative));
#endif
}

std::string folderOfFile(std::string_view filePath) {
    const std::filesystem::path p{std::string(filePath)};
    return withTrailingSeparator(p.parent_path().string());
}

bool fileExists(std::string_view path) {
    const std::string native = toNativePath(path);
    std::size_t cut = native.size();
    while (cut > 0 && !isPathSeparator(native[cut - 1])) --cut;
    const std::string name = native.substr(cut);
    if (name.empty()) return false;
    std::string folder = native.substr(0, cut);
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return false;
    const auto found = db::FileSystem::local().findIgnoringCase(folder, name);
    return found && std::filesystem::is_regular_file(*found, ec);
}

}  // namespace vv::shared
