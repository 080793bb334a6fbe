#include "support/fault_injection_file_system.h"

#include "db/error.h"

namespace vv::test {

using db::Error;
using db::ErrorKind;
using db::LockType;
using db::OpenMode;

namespace {

std::vector<unsigned char> readAll(db::File& file) {
    std::vector<unsigned char> bytes(file.size());
    bytes.resize(file.readAt(0, bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace

// What a crash would leave of one file.
struct FaultInjectionFileSystem::Tracked {
    bool known = false;    // durable state recorded yet (otherwise: as found on disk)
    bool existed = false;  // the file survives a crash
    std::vector<unsigned char> durable;
    bool changed = false;  // written since that state
};

class FaultInjectionFileSystem::TrackedFile final : public db::File {
public:
    TrackedFile(FaultInjectionFileSystem& fs, std::unique_ptr<db::File> inner, std::shared_ptr<Tracked> tracked)
        : fs_(fs), inner_(std::move(inner)), tracked_(std::move(tracked)) {}

    ~TrackedFile() override {
        std::lock_guard<std::mutex> guard(fs_.mutex_);
        fs_.openFiles_.erase(this);
    }

    std::size_t readAt(uint64_t offset, void* buffer, std::size_t size) override {
        return inner_->readAt(offset, buffer, size);
    }

    void writeAt(uint64_t offset, const void* data, std::size_t size) override {
        if (fs_.beforeChange(*this, true)) inner_->writeAt(offset, data, size);
    }

    uint64_t size() override { return inner_->size(); }

    void truncate(uint64_t size) override {
        if (fs_.beforeChange(*this, false)) inner_->truncate(size);
    }

    void sync() override {
        if (dead_) return;
        inner_->sync();
        fs_.synced(*this);
    }

    bool tryLock(uint64_t offset, uint64_t length, LockType type) override {
        return dead_ || inner_->tryLock(offset, length, type);
    }

    void lock(uint64_t offset, uint64_t length, LockType type) override {
        if (!dead_) inner_->lock(offset, length, type);
    }

    void unlock(uint64_t offset, uint64_t length) override {
        if (!dead_) inner_->unlock(offset, length);
    }

    const std::string& path() const override { return inner_->path(); }

private:
    friend class FaultInjectionFileSystem;
    FaultInjectionFileSystem& fs_;
    std::unique_ptr<db::File> inner_;
    std::shared_ptr<Tracked> tracked_;  // null when opened read only
    bool dead_ = false;
};

FaultInjectionFileSystem::FaultInjectionFileSystem(db::FileSystem& base) : base_(base) {}

FaultInjectionFileSystem::~FaultInjectionFileSystem() = default;

std::shared_ptr<FaultInjectionFileSystem::Tracked> FaultInjectionFileSystem::track(const std::string& path,
                                                                                    bool existedBefore) {
    auto& entry = tracked_[path];
    if (!entry) {
        entry = std::make_shared<Tracked>();
        if (!existedBefore) entry->known = true;  // a new file: gone after a crash until synced
    }
    return entry;
}

std::unique_ptr<db::File> FaultInjectionFileSystem::open(const std::string& path, OpenMode mode) {
    std::lock_guard<std::mutex> guard(mutex_);
    std::unique_ptr<db::File> inner;
    std::shared_ptr<Tracked> tracked;
    switch (mode) {
    case OpenMode::ReadOnly:
        inner = base_.open(path, mode);
        break;
    case OpenMode::ReadWrite:
        inner = base_.open(path, mode);
        tracked = track(path, true);
        break;
    case OpenMode::CreateNew:
        inner = base_.open(path, mode);
        tracked_.erase(path);
        tracked = track(path, false);
        tracked->changed = true;
        break;
    case OpenMode::CreateTruncate: {
        const bool existed = base_.exists(path);
        tracked = track(path, existed);
        if (!tracked->known) {  // keep what the truncation is about to destroy
            tracked->durable = readAll(*base_.open(path, OpenMode::ReadOnly));
            tracked->existed = tracked->known = true;
        }
        inner = base_.open(path, mode);
        tracked->changed = true;
        break;
    }
    }
    auto file = std::make_unique<TrackedFile>(*this, std::move(inner), std::move(tracked));
    openFiles_.insert(file.get());
    return file;
}

bool FaultInjectionFileSystem::beforeChange(TrackedFile& file, bool isWrite) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (file.dead_) return false;
    if (isWrite) {
        const uint64_t attempt = ++attempts_;
        if (failAt_ != 0 && (attempt == failAt_ || (failAfter_ && attempt > failAt_)))
            throw Error(ErrorKind::Io, file.path() + ": write failed: injected fault");
        ++writes_;
    }
    if (auto& t = file.tracked_) {
        if (!t->known) {
            t->durable = readAll(*file.inner_);
            t->existed = t->known = true;
        }
        t->changed = true;
    }
    return true;
}

void FaultInjectionFileSystem::synced(TrackedFile& file) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (file.dead_ || !file.tracked_) return;
    auto& t = *file.tracked_;
    t.durable = readAll(*file.inner_);
    t.existed = t.known = true;
    t.changed = false;
}

bool FaultInjectionFileSystem::exists(const std::string& path) { return base_.exists(path); }

void FaultInjectionFileSystem::remove(const std::string& path) {
    std::lock_guard<std::mutex> guard(mutex_);
    base_.remove(path);
    tracked_.erase(path);
}

void FaultInjectionFileSystem::rename(const std::string& from, const std::string& to) {
    std::lock_guard<std::mutex> guard(mutex_);
    base_.rename(from, to);
    if (from == to) return;
    auto it = tracked_.find(from);
    if (it == tracked_.end()) {
        tracked_.erase(to);
        return;
    }
    auto moved = it->second;
    tracked_.erase(it);
    tracked_[to] = std::move(moved);
}

std::vector<std::string> FaultInjectionFileSystem::list(const std::string& folder) { return base_.list(folder); }

void FaultInjectionFileSystem::syncFolder(const std::string& folder) { base_.syncFolder(folder); }

void FaultInjectionFileSystem::failNthWrite(uint64_t n, bool andAllAfter) {
    std::lock_guard<std::mutex> guard(mutex_);
    failAt_ = n == 0 ? 0 : attempts_ + n;
    failAfter_ = andAllAfter;
}

void FaultInjectionFileSystem::clearFaults() { failNthWrite(0); }

uint64_t FaultInjectionFileSystem::writeCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return writes_;
}

void FaultInjectionFileSystem::crash() {
    std::lock_guard<std::mutex> guard(mutex_);
    // The dead program's locks go first, as the kernel drops them with it.
    for (TrackedFile* file : openFiles_) {
        if (file->dead_) continue;
        file->dead_ = true;
        file->inner_->unlock(0, 0);
    }
    for (const auto& [path, t] : tracked_) {
        if (!t->changed || !t->known) continue;
        if (!t->existed) {
            base_.remove(path);
            continue;
        }
        auto restored = base_.open(path, OpenMode::CreateTruncate);
        if (!t->durable.empty()) restored->writeAt(0, t->durable.data(), t->durable.size());
        restored->sync();
    }
    tracked_.clear();
}

}  // namespace vv::test
