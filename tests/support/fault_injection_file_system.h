// A wrapper around any FileSystem that fails writes on request and acts out
// power cuts, to test what the engine leaves behind when the disk gives up
// half way or the machine stops before data reached stable storage.
//
// Durability model: file contents are durable as of each file's last sync();
// creating, renaming and deleting files are durable at once (the journaled
// file systems tables live on order metadata that way). A file first written
// through the wrapper counts as durable as it was found.
//
// Thread safety: like the wrapped file system, except that crash() must not
// run while another thread is using a file of this wrapper.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "db/file_system.h"

namespace vv::test {

class FaultInjectionFileSystem final : public vv::db::FileSystem {
public:
    // The wrapped file system must outlive this object, and this object the
    // files opened through it.
    explicit FaultInjectionFileSystem(vv::db::FileSystem& base);
    ~FaultInjectionFileSystem() override;
    FaultInjectionFileSystem(const FaultInjectionFileSystem&) = delete;
    FaultInjectionFileSystem& operator=(const FaultInjectionFileSystem&) = delete;

    std::unique_ptr<vv::db::File> open(const std::string& path, vv::db::OpenMode mode) override;
    bool exists(const std::string& path) override;
    void remove(const std::string& path) override;
    void rename(const std::string& from, const std::string& to) override;
    std::vector<std::string> list(const std::string& folder) override;
    void syncFolder(const std::string& folder) override;

    // The nth writeAt from now (1: the next one) throws Error(Io) and writes
    // nothing. With andAllAfter, every later write fails too, as on a full or
    // broken disk.
    void failNthWrite(uint64_t n, bool andAllAfter = false);
    // Lets writes succeed again.
    void clearFaults();
    // Writes that reached the wrapped file system since construction.
    uint64_t writeCount() const;

    // The power cut: every file written since its last sync() gets back its
    // content as of that sync, and files created since then and never synced
    // are deleted. Files opened before the crash belong to a dead program:
    // their locks are released now, later writes, truncations and syncs are
    // dropped, and new locks are granted without effect.
    void crash();

private:
    struct Tracked;
    class TrackedFile;

    std::shared_ptr<Tracked> track(const std::string& path, bool existedBefore);
    // Called by a file about to change: counts and fails writes, notes the change.
    bool beforeChange(TrackedFile& file, bool isWrite);
    void synced(TrackedFile& file);

    vv::db::FileSystem& base_;
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<Tracked>> tracked_;
    std::set<TrackedFile*> openFiles_;
    uint64_t attempts_ = 0;  // writeAt calls of live files
    uint64_t writes_ = 0;    // of which passed on
    uint64_t failAt_ = 0;    // the attempt that fails; 0 for none
    bool failAfter_ = false;
};

}  // namespace vv::test
