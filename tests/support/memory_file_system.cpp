#include "support/memory_file_system.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <set>

#include "db/error.h"

namespace vv::test {

using db::Error;
using db::ErrorKind;
using db::LockType;
using db::OpenMode;

namespace {

constexpr uint64_t kEndless = std::numeric_limits<uint64_t>::max();
// Lock offsets are off_t on the real system.
constexpr uint64_t kMaxOffset = std::numeric_limits<int64_t>::max();
// A real file that large would be sparse; here it would be allocated.
constexpr uint64_t kMaxFileSize = uint64_t{1} << 32;

struct LockRange {
    const void* owner;
    uint64_t begin, end;  // end exclusive; kEndless for "to the end and beyond"
    LockType type;
};

struct Node {
    std::vector<unsigned char> data;
    std::vector<LockRange> locks;
};

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string normalFolder(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

[[noreturn]] void fail(ErrorKind kind, const std::string& path, const std::string& what) {
    throw Error(kind, path + ": " + what);
}

}  // namespace

struct MemoryFileSystemState {
    std::mutex mutex;
    std::condition_variable lockReleased;
    std::map<std::string, std::shared_ptr<Node>> files;
    std::set<std::string> folders;

    void addFolderWithParents(std::string folder) {
        for (;;) {
            folders.insert(folder);
            if (folder.empty() || folder == "/") return;
            folder = parentOf(folder);
        }
    }

    bool isFolder(const std::string& path) const { return folders.count(normalFolder(path)) > 0; }
};

namespace {

// Mirrors the kernel's rules for open-file-description locks: a File never
// conflicts with itself, a new lock replaces the File's own locks in its
// range (which is how shared becomes exclusive and back), and unlocking part
// of a range splits it.
class LockTable {
public:
    static bool conflicts(const Node& node, const void* owner, uint64_t begin, uint64_t end, LockType type) {
        return std::any_of(node.locks.begin(), node.locks.end(), [&](const LockRange& l) {
            return l.owner != owner && l.begin < end && begin < l.end &&
                   (type == LockType::Exclusive || l.type == LockType::Exclusive);
        });
    }

    static void release(Node& node, const void* owner, uint64_t begin, uint64_t end) {
        std::vector<LockRange> kept;
        for (const LockRange& l : node.locks) {
            if (l.owner != owner || l.end <= begin || end <= l.begin) {
                kept.push_back(l);
                continue;
            }
            if (l.begin < begin) kept.push_back({owner, l.begin, begin, l.type});
            if (end < l.end) kept.push_back({owner, end, l.end, l.type});
        }
        node.locks.swap(kept);
    }

    static void grant(Node& node, const void* owner, uint64_t begin, uint64_t end, LockType type) {
        release(node, owner, begin, end);
        node.locks.push_back({owner, begin, end, type});
    }

    static void releaseAll(Node& node, const void* owner) {
        std::erase_if(node.locks, [owner](const LockRange& l) { return l.owner == owner; });
    }
};

class MemoryFile final : public db::File {
public:
    MemoryFile(std::shared_ptr<MemoryFileSystemState> state, std::shared_ptr<Node> node, std::string path,
               bool writable)
        : state_(std::move(state)), node_(std::move(node)), path_(std::move(path)), writable_(writable) {}

    ~MemoryFile() override {
        std::lock_guard<std::mutex> guard(state_->mutex);
        LockTable::releaseAll(*node_, this);
        state_->lockReleased.notify_all();
    }

    std::size_t readAt(uint64_t offset, void* buffer, std::size_t size) override {
        std::lock_guard<std::mutex> guard(state_->mutex);
        const auto& data = node_->data;
        if (offset >= data.size()) return 0;
        const std::size_t n = std::min<uint64_t>(size, data.size() - offset);
        std::memcpy(buffer, data.data() + offset, n);
        return n;
    }

    void writeAt(uint64_t offset, const void* data, std::size_t size) override {
        requireWritable("write");
        if (size == 0) return;
        std::lock_guard<std::mutex> guard(state_->mutex);
        requireSize(offset, size, "write");
        auto& bytes = node_->data;
        if (bytes.size() < offset + size) bytes.resize(offset + size);
        std::memcpy(bytes.data() + offset, data, size);
    }

    uint64_t size() override {
        std::lock_guard<std::mutex> guard(state_->mutex);
        return node_->data.size();
    }

    void truncate(uint64_t size) override {
        requireWritable("truncate");
        std::lock_guard<std::mutex> guard(state_->mutex);
        requireSize(size, 0, "truncate");
        node_->data.resize(size);
    }

    void sync() override {}

    bool tryLock(uint64_t offset, uint64_t length, LockType type) override {
        const auto [begin, end] = range(offset, length, type);
        std::lock_guard<std::mutex> guard(state_->mutex);
        if (LockTable::conflicts(*node_, this, begin, end, type)) return false;
        LockTable::grant(*node_, this, begin, end, type);
        return true;
    }

    void lock(uint64_t offset, uint64_t length, LockType type) override {
        const auto [begin, end] = range(offset, length, type);
        std::unique_lock<std::mutex> guard(state_->mutex);
        state_->lockReleased.wait(guard, [&] { return !LockTable::conflicts(*node_, this, begin, end, type); });
        LockTable::grant(*node_, this, begin, end, type);
    }

    void unlock(uint64_t offset, uint64_t length) override {
        const auto [begin, end] = range(offset, length, LockType::Shared);
        std::lock_guard<std::mutex> guard(state_->mutex);
        LockTable::release(*node_, this, begin, end);
        state_->lockReleased.notify_all();
    }

    const std::string& path() const override { return path_; }

private:
    void requireWritable(const char* what) const {
        if (!writable_) fail(ErrorKind::Io, path_, std::string(what) + " failed: the file is open read only");
    }

    void requireSize(uint64_t offset, uint64_t size, const char* what) const {
        if (offset > kMaxFileSize || size > kMaxFileSize - offset)
            fail(ErrorKind::Io, path_, std::string(what) + " failed: too large for a file in memory");
    }

    // A length of 0 reaches to the end of the file and beyond, as with fcntl.
    std::pair<uint64_t, uint64_t> range(uint64_t offset, uint64_t length, LockType type) const {
        if (type == LockType::Exclusive && !writable_)
            fail(ErrorKind::Io, path_, "lock failed: an exclusive lock needs a file open for writing");
        if (offset > kMaxOffset || (length != 0 && length - 1 > kMaxOffset - offset))
            fail(ErrorKind::Io, path_, "lock failed: the range lies beyond the largest file offset");
        return {offset, length == 0 ? kEndless : offset + length};
    }

    std::shared_ptr<MemoryFileSystemState> state_;
    std::shared_ptr<Node> node_;
    std::string path_;
    bool writable_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() : state_(std::make_shared<MemoryFileSystemState>()) {
    state_->folders.insert("");
    state_->folders.insert("/");
}

MemoryFileSystem::~MemoryFileSystem() = default;

std::unique_ptr<db::File> MemoryFileSystem::open(const std::string& path, OpenMode mode) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (path.empty()) fail(ErrorKind::FileNotFound, path, "open failed: no file name");
    if (state_->isFolder(path)) fail(ErrorKind::Io, path, "is a folder, not a file");
    auto it = state_->files.find(path);
    std::shared_ptr<Node> node = it == state_->files.end() ? nullptr : it->second;
    switch (mode) {
    case OpenMode::ReadWrite:
    case OpenMode::ReadOnly:
        if (!node) fail(ErrorKind::FileNotFound, path, "open failed: no such file");
        break;
    case OpenMode::CreateNew:
        if (node) fail(ErrorKind::Io, path, "open failed: the file exists");
        break;
    case OpenMode::CreateTruncate:
        if (node) node->data.clear();  // the same file, so its locks stay
        break;
    }
    if (!node) {
        node = std::make_shared<Node>();
        state_->files[path] = node;
        state_->addFolderWithParents(parentOf(path));
    }
    return std::make_unique<MemoryFile>(state_, node, path, mode != OpenMode::ReadOnly);
}

bool MemoryFileSystem::exists(const std::string& path) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->files.count(path) > 0 || (!path.empty() && state_->isFolder(path));
}

void MemoryFileSystem::remove(const std::string& path) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (state_->files.erase(path) == 0 && !path.empty() && state_->isFolder(path))
        fail(ErrorKind::Io, path, "delete failed: is a folder");
}

void MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(from);
    if (it == state_->files.end()) fail(ErrorKind::FileNotFound, from, "rename failed: no such file");
    if (state_->isFolder(to)) fail(ErrorKind::Io, from, "rename failed: " + to + " is a folder");
    if (from == to) return;
    auto node = it->second;
    state_->files.erase(it);
    state_->files[to] = std::move(node);
    state_->addFolderWithParents(parentOf(to));
}

std::vector<std::string> MemoryFileSystem::list(const std::string& folder) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    const std::string f = normalFolder(folder);
    if (!state_->isFolder(f)) fail(ErrorKind::FileNotFound, folder, "list failed: no such folder");
    std::vector<std::string> names;
    for (const auto& [path, node] : state_->files)
        if (parentOf(path) == f) names.push_back(nameOf(path));
    for (const auto& sub : state_->folders)
        if (sub != f && !sub.empty() && parentOf(sub) == f) names.push_back(nameOf(sub));
    return names;
}

void MemoryFileSystem::syncFolder(const std::string& folder) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (!state_->isFolder(folder)) fail(ErrorKind::FileNotFound, folder, "open folder failed: no such folder");
}

void MemoryFileSystem::makeFolder(const std::string& folder) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (state_->files.count(folder)) fail(ErrorKind::Io, folder, "is a file, not a folder");
    state_->addFolderWithParents(normalFolder(folder));
}

std::string MemoryFileSystem::contents(const std::string& path) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(path);
    if (it == state_->files.end()) fail(ErrorKind::FileNotFound, path, "no such file");
    return std::string(it->second->data.begin(), it->second->data.end());
}

void MemoryFileSystem::setContents(const std::string& path, std::string_view bytes) {
    auto file = open(path, OpenMode::CreateTruncate);
    file->writeAt(0, bytes.data(), bytes.size());
}

}  // namespace vv::test
