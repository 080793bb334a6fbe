// The POSIX side of the file-system seam. Locks are open-file-description
// locks (F_OFD_SETLK): they belong to the open file, not to the process, so
// two table objects of one program conflict with each other as two programs
// do, and closing one file does not drop the locks of another (the trap of
// classic fcntl locks). Linux maps them onto the network lock manager on NFS
// and onto byte-range locks on SMB mounts.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "db/error.h"
#include "db/file_system.h"

namespace vv::db {
namespace {

[[noreturn]] void fail(const std::string& path, const char* what, int err) {
    const ErrorKind kind = err == ENOENT ? ErrorKind::FileNotFound : ErrorKind::Io;
    throw Error(kind, path + ": " + what + " failed: " + std::strerror(err));
}

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override { ::close(fd_); }

    std::size_t readAt(uint64_t offset, void* buffer, std::size_t size) override {
        std::size_t done = 0;
        auto* out = static_cast<char*>(buffer);
        while (done < size) {
            const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(path_, "read", errno);
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    void writeAt(uint64_t offset, const void* data, std::size_t size) override {
        std::size_t done = 0;
        const auto* in = static_cast<const char*>(data);
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, in + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(path_, "write", errno);
            }
            done += static_cast<std::size_t>(n);
        }
    }

    uint64_t size() override {
        struct stat st{};
        if (::fstat(fd_, &st) != 0) fail(path_, "stat", errno);
        return static_cast<uint64_t>(st.st_size);
    }

    void truncate(uint64_t size) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail(path_, "truncate", errno);
    }

    void sync() override {
        if (::fdatasync(fd_) != 0) fail(path_, "sync", errno);
    }

    bool tryLock(uint64_t offset, uint64_t length, LockType type) override {
        return setLock(offset, length, type == LockType::Shared ? F_RDLCK : F_WRLCK, false);
    }

    void lock(uint64_t offset, uint64_t length, LockType type) override {
        setLock(offset, length, type == LockType::Shared ? F_RDLCK : F_WRLCK, true);
    }

    void unlock(uint64_t offset, uint64_t length) override { setLock(offset, length, F_UNLCK, false); }

    const std::string& path() const override { return path_; }

private:
    bool setLock(uint64_t offset, uint64_t length, short type, bool wait) {
        struct flock fl{};
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        fl.l_pid = 0;  // required for OFD locks
        for (;;) {
            if (::fcntl(fd_, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
            if (errno == EINTR) continue;
            if (!wait && (errno == EAGAIN || errno == EACCES)) return false;
            fail(path_, "lock", errno);
        }
    }

    int fd_;
    std::string path_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
        case OpenMode::ReadWrite: flags |= O_RDWR; break;
        case OpenMode::ReadOnly: flags |= O_RDONLY; break;
        case OpenMode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
        case OpenMode::CreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        }
        const int fd = ::open(path.c_str(), flags, 0666);
        if (fd < 0) fail(path, "open", errno);
        struct stat st{};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            throw Error(ErrorKind::Io, path + ": is a folder, not a file");
        }
        return std::make_unique<PosixFile>(fd, path);
    }

    bool exists(const std::string& path) override {
        struct stat st{};
        return ::stat(path.c_str(), &st) == 0;
    }

    void remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail(path, "delete", errno);
    }

    void rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) fail(from, "rename", errno);
    }

    std::vector<std::string> list(const std::string& folder) override {
        DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
        if (!dir) fail(folder, "list", errno);
        std::vector<std::string> names;
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    void syncFolder(const std::string& folder) override {
        const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) fail(folder, "open folder", errno);
        ::fsync(fd);
        ::close(fd);
    }
};

}  // namespace

FileSystem& FileSystem::local() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace vv::db
