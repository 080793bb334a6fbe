// The engine's only door to the operating system. Tables, memos and indexes
// read and write through File; locks go through File too, so tests can run
// the engine on an in-memory or fault-injecting file system and a Windows
// port needs only another implementation of this interface.
//
// Thread safety: a File is used by one thread at a time.
// Errors: every method throws vv::db::Error (kind Io, FileNotFound,
// LockConflict) with a message naming the file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vv::db {

enum class OpenMode {
    ReadWrite,      // existing file, read and write
    ReadOnly,       // existing file, read only
    CreateNew,      // create; fails if it exists
    CreateTruncate  // create or empty an existing file
};

enum class LockType { Shared, Exclusive };

class File {
public:
    virtual ~File() = default;

    // Reads up to size bytes at offset; returns the count read (short at end of file).
    virtual std::size_t readAt(uint64_t offset, void* buffer, std::size_t size) = 0;
    virtual void writeAt(uint64_t offset, const void* data, std::size_t size) = 0;
    virtual uint64_t size() = 0;
    virtual void truncate(uint64_t size) = 0;
    // Flushes written data to stable storage.
    virtual void sync() = 0;

    // Byte-range locks, owned by this File object (not by the process), so two
    // Files of one process conflict like two processes do. Ranges may lie
    // beyond the end of the file. tryLock never waits: it returns false when
    // someone else holds a conflicting lock.
    virtual bool tryLock(uint64_t offset, uint64_t length, LockType type) = 0;
    // Waits until the lock is granted.
    virtual void lock(uint64_t offset, uint64_t length, LockType type) = 0;
    virtual void unlock(uint64_t offset, uint64_t length) = 0;

    virtual const std::string& path() const = 0;

    // Reads exactly size bytes or throws CorruptFile ("unexpected end of file").
    void readExact(uint64_t offset, void* buffer, std::size_t size);
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual std::unique_ptr<File> open(const std::string& path, OpenMode mode) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual void remove(const std::string& path) = 0;
    // Atomically replaces `to` with `from`.
    virtual void rename(const std::string& from, const std::string& to) = 0;
    // Names (not paths) of the entries of a folder; throws FileNotFound if it is missing.
    virtual std::vector<std::string> list(const std::string& folder) = 0;
    // Makes a rename or creation inside the folder durable.
    virtual void syncFolder(const std::string& folder) = 0;

    // Finds the entry of `folder` whose name equals `name` ignoring ASCII
    // case; returns the full path of the existing entry, or nullopt.
    std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name);

    // The real operating system's file system.
    static FileSystem& local();
};

// Joins a folder and a file name with one separator.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace vv::db
