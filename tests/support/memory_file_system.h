// A file system held in memory, for engine tests that need no disk: files
// are byte vectors, and byte-range locks behave as the POSIX implementation's
// open-file-description locks do, so lock protocols can be tested with
// several File objects (or threads) in one process.
//
// Folders exist implicitly: creating a file creates its folder, and every
// folder above a file or above a makeFolder() folder exists. Paths are
// compared as written ("a//b" and "a/b" are different files).
//
// Thread safety: the file system and Files on it may be used from several
// threads; each File by one thread at a time, as with the real one.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/file_system.h"

namespace vv::test {

struct MemoryFileSystemState;

class MemoryFileSystem final : public vv::db::FileSystem {
public:
    MemoryFileSystem();
    ~MemoryFileSystem() override;
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    std::unique_ptr<vv::db::File> open(const std::string& path, vv::db::OpenMode mode) override;
    bool exists(const std::string& path) override;
    void remove(const std::string& path) override;
    void rename(const std::string& from, const std::string& to) override;
    std::vector<std::string> list(const std::string& folder) override;
    void syncFolder(const std::string& folder) override;

    // Test helpers.
    void makeFolder(const std::string& folder);
    // Whole content of a file; throws FileNotFound.
    std::string contents(const std::string& path);
    // Creates or replaces a file.
    void setContents(const std::string& path, std::string_view bytes);

private:
    // Shared with the open Files, which may outlive the file system.
    std::shared_ptr<MemoryFileSystemState> state_;
};

}  // namespace vv::test
