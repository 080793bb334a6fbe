// A folder under the system's temporary directory that is removed with the object.
#pragma once

#include <filesystem>
#include <string>

namespace vv::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Path of a file below tests/data.
std::string fixturePath(const std::string& relative);

}  // namespace vv::test
