// The test file systems against the real one: the lock and file cases run on
// both, so the in-memory one cannot drift from what the engine meets on disk.
#include "support/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "db/error.h"
#include "support/fault_injection_file_system.h"
#include "support/temp_dir.h"

using namespace vv::db;
using vv::test::FaultInjectionFileSystem;
using vv::test::MemoryFileSystem;
using vv::test::TempDir;

namespace {

template <typename F>
ErrorKind kindOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error thrown";
    return ErrorKind::InvalidState;
}

std::string readText(File& file) {
    std::string s(file.size(), '\0');
    s.resize(file.readAt(0, s.data(), s.size()));
    return s;
}

void writeText(File& file, uint64_t offset, std::string_view text) { file.writeAt(offset, text.data(), text.size()); }

enum class Kind { Memory, Posix };

class FileSystemConformanceTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        if (GetParam() == Kind::Posix) {
            fs_ = &FileSystem::local();
            folder_ = dir_.str();
        } else {
            fs_ = &memory_;
            folder_ = "/data";
            memory_.makeFolder(folder_);
        }
        path_ = joinPath(folder_, "TABLE.DBF");
        fs_->open(path_, OpenMode::CreateNew);
    }

    std::unique_ptr<File> openFile(OpenMode mode = OpenMode::ReadWrite) { return fs_->open(path_, mode); }

    TempDir dir_;
    MemoryFileSystem memory_;
    FileSystem* fs_ = nullptr;
    std::string folder_, path_;
};

struct Range {
    uint64_t offset, length;
    LockType type;
};

TEST_P(FileSystemConformanceTest, LocksOfTwoFilesConflictWhenTheyOverlapAndOneIsExclusive) {
    constexpr auto S = LockType::Shared;
    constexpr auto X = LockType::Exclusive;
    constexpr uint64_t kFar = uint64_t{1} << 40;  // far beyond the end of the (empty) file
    struct Case {
        Range held, wanted;
        bool granted;
    };
    const Case cases[] = {
        {{0, 10, S}, {5, 10, S}, true},     {{0, 10, S}, {5, 10, X}, false},
        {{0, 10, X}, {9, 1, S}, false},     {{0, 10, X}, {10, 10, X}, true},  // adjacent
        {{kFar, 1, X}, {kFar, 1, X}, false}, {{kFar, 1, S}, {kFar + 1, 1, X}, true},
        {{0, 0, X}, {kFar, 1, S}, false},   // length 0: to the end and beyond
        {{100, 0, S}, {0, 100, X}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "held " << c.held.offset << "+" << c.held.length << ", wanted "
                                        << c.wanted.offset << "+" << c.wanted.length);
        {
            auto a = openFile(), b = openFile();
            ASSERT_TRUE(a->tryLock(c.held.offset, c.held.length, c.held.type));
            EXPECT_EQ(b->tryLock(c.wanted.offset, c.wanted.length, c.wanted.type), c.granted);
        }
        // A file never conflicts with its own locks.
        auto self = openFile();
        ASSERT_TRUE(self->tryLock(c.held.offset, c.held.length, c.held.type));
        EXPECT_TRUE(self->tryLock(c.wanted.offset, c.wanted.length, c.wanted.type));
    }
}

TEST_P(FileSystemConformanceTest, ALockReplacesTheFilesOwnLocksInItsRange) {
    auto a = openFile(), b = openFile();
    ASSERT_TRUE(a->tryLock(0, 100, LockType::Shared));
    ASSERT_TRUE(b->tryLock(0, 100, LockType::Shared));
    EXPECT_FALSE(a->tryLock(0, 100, LockType::Exclusive)) << "upgrade while another shares";
    b->unlock(0, 100);
    EXPECT_FALSE(b->tryLock(50, 1, LockType::Exclusive)) << "the refused upgrade kept the shared lock";
    EXPECT_TRUE(a->tryLock(0, 100, LockType::Exclusive));
    EXPECT_FALSE(b->tryLock(50, 1, LockType::Shared));
    EXPECT_TRUE(a->tryLock(0, 100, LockType::Shared)) << "downgrade";
    EXPECT_TRUE(b->tryLock(50, 1, LockType::Shared));
}

TEST_P(FileSystemConformanceTest, UnlockingPartOfARangeSplitsIt) {
    auto a = openFile(), b = openFile();
    ASSERT_TRUE(a->tryLock(0, 100, LockType::Exclusive));
    a->unlock(40, 20);
    EXPECT_TRUE(b->tryLock(40, 20, LockType::Exclusive));
    EXPECT_FALSE(b->tryLock(39, 1, LockType::Exclusive));
    EXPECT_FALSE(b->tryLock(60, 1, LockType::Exclusive));
    a->unlock(0, 0);
    EXPECT_TRUE(b->tryLock(0, 100, LockType::Exclusive));
}

TEST_P(FileSystemConformanceTest, LocksGoWithTheFileThatTookThem) {
    auto a = openFile(), b = openFile();
    ASSERT_TRUE(a->tryLock(0, 10, LockType::Exclusive));
    openFile().reset();  // closing another File of the same file drops nothing
    EXPECT_FALSE(b->tryLock(0, 10, LockType::Shared));
    a.reset();
    EXPECT_TRUE(b->tryLock(0, 10, LockType::Exclusive));
}

TEST_P(FileSystemConformanceTest, LockWaitsUntilTheHolderLetsGo) {
    auto a = openFile(), b = openFile();
    ASSERT_TRUE(a->tryLock(0, 10, LockType::Exclusive));
    std::atomic<bool> granted{false};
    std::thread waiter([&] {
        b->lock(5, 1, LockType::Exclusive);
        granted = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(granted);
    a->unlock(0, 10);
    waiter.join();
    EXPECT_TRUE(granted);
    EXPECT_FALSE(a->tryLock(5, 1, LockType::Shared));
}

TEST_P(FileSystemConformanceTest, ReadOnlyFilesRefuseWritesAndExclusiveLocks) {
    auto r = openFile(OpenMode::ReadOnly);
    EXPECT_EQ(kindOf([&] { writeText(*r, 0, "x"); }), ErrorKind::Io);
    EXPECT_EQ(kindOf([&] { r->truncate(0); }), ErrorKind::Io);
    EXPECT_EQ(kindOf([&] { r->tryLock(0, 1, LockType::Exclusive); }), ErrorKind::Io);
    EXPECT_TRUE(r->tryLock(0, 1, LockType::Shared));
}

TEST_P(FileSystemConformanceTest, FilesGrowWithZerosAndReadShortAtTheEnd) {
    auto f = openFile();
    writeText(*f, 4, "abc");
    EXPECT_EQ(f->size(), 7u);
    EXPECT_EQ(readText(*f), std::string("\0\0\0\0abc", 7));
    char buf[10];
    EXPECT_EQ(f->readAt(5, buf, sizeof buf), 2u);
    EXPECT_EQ(f->readAt(100, buf, sizeof buf), 0u);
    f->truncate(5);
    EXPECT_EQ(readText(*f), std::string("\0\0\0\0a", 5));
    f->truncate(6);
    EXPECT_EQ(readText(*f), std::string("\0\0\0\0a\0", 6));
    f->sync();
    EXPECT_EQ(kindOf([&] { f->readExact(2, buf, 5); }), ErrorKind::CorruptFile);
}

TEST_P(FileSystemConformanceTest, OpenModes) {
    writeText(*openFile(), 0, "content");
    const std::string missing = joinPath(folder_, "MISSING.DBF");
    EXPECT_EQ(kindOf([&] { fs_->open(missing, OpenMode::ReadWrite); }), ErrorKind::FileNotFound);
    EXPECT_EQ(kindOf([&] { fs_->open(missing, OpenMode::ReadOnly); }), ErrorKind::FileNotFound);
    EXPECT_EQ(kindOf([&] { fs_->open(path_, OpenMode::CreateNew); }), ErrorKind::Io);
    EXPECT_EQ(kindOf([&] { fs_->open(folder_, OpenMode::ReadOnly); }), ErrorKind::Io);
    EXPECT_EQ(readText(*openFile(OpenMode::ReadOnly)), "content");
    EXPECT_EQ(fs_->open(path_, OpenMode::CreateTruncate)->size(), 0u);
    EXPECT_EQ(fs_->open(missing, OpenMode::CreateTruncate)->size(), 0u);
    EXPECT_TRUE(fs_->exists(missing));
}

TEST_P(FileSystemConformanceTest, FolderOperations) {
    const std::string other = joinPath(folder_, "Other.tmp");
    writeText(*fs_->open(other, OpenMode::CreateNew), 0, "new");
    writeText(*openFile(), 0, "old");
    auto stillOpen = openFile(OpenMode::ReadOnly);

    fs_->rename(other, path_);
    fs_->syncFolder(folder_);
    EXPECT_FALSE(fs_->exists(other));
    EXPECT_EQ(readText(*openFile()), "new");
    EXPECT_EQ(readText(*stillOpen), "old") << "an open file keeps the replaced content";

    auto names = fs_->list(folder_);
    EXPECT_EQ(names, std::vector<std::string>{"TABLE.DBF"});
    EXPECT_EQ(fs_->findIgnoringCase(folder_, "table.dbf"), path_);
    EXPECT_TRUE(fs_->exists(folder_));

    fs_->remove(path_);
    fs_->remove(path_);  // already gone: no error
    EXPECT_FALSE(fs_->exists(path_));
    EXPECT_TRUE(fs_->list(folder_).empty());
    EXPECT_EQ(kindOf([&] { fs_->rename(path_, other); }), ErrorKind::FileNotFound);
    const std::string noFolder = joinPath(folder_, "nowhere");
    EXPECT_EQ(kindOf([&] { fs_->list(noFolder); }), ErrorKind::FileNotFound);
    EXPECT_EQ(kindOf([&] { fs_->syncFolder(noFolder); }), ErrorKind::FileNotFound);
}

INSTANTIATE_TEST_SUITE_P(Both, FileSystemConformanceTest, ::testing::Values(Kind::Memory, Kind::Posix),
                         [](const auto& info) { return info.param == Kind::Memory ? "Memory" : "Posix"; });

TEST(MemoryFileSystemTest, FoldersComeWithTheirFiles) {
    MemoryFileSystem fs;
    fs.setContents("/a/b/c.dbf", "x");
    fs.makeFolder("/a/empty/");
    auto names = fs.list("/a");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"b", "empty"}));
    EXPECT_TRUE(fs.exists("/a/empty"));
    EXPECT_EQ(fs.contents("/a/b/c.dbf"), "x");
    EXPECT_EQ(kindOf([&] { fs.contents("/a/b/d.dbf"); }), ErrorKind::FileNotFound);
}

// Fault injection.

class FaultInjectionTest : public ::testing::Test {
protected:
    std::string contentOf(const std::string& path) { return memory.contents(path); }

    MemoryFileSystem memory;
    FaultInjectionFileSystem fs{memory};
};

TEST_F(FaultInjectionTest, FailsTheNthWrite) {
    struct Case {
        uint64_t n;
        bool andAllAfter;
        const char* outcome;  // per write: w written, F failed
        const char* content;
    };
    for (const Case& c : {Case{3, false, "wwFww", "ab-de"}, Case{2, true, "wFFFF", "a----"},
                          Case{1, false, "Fwwww", "-bcde"}}) {
        SCOPED_TRACE(c.outcome);
        auto f = fs.open("/d/file", OpenMode::CreateTruncate);
        writeText(*f, 0, "-----");
        fs.failNthWrite(c.n, c.andAllAfter);
        const uint64_t before = fs.writeCount();
        std::string outcome;
        for (int i = 0; i < 5; ++i) {
            try {
                writeText(*f, i, std::string(1, static_cast<char>('a' + i)));
                outcome += 'w';
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), ErrorKind::Io);
                outcome += 'F';
            }
        }
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(contentOf("/d/file"), c.content);
        EXPECT_EQ(fs.writeCount() - before, static_cast<uint64_t>(std::count(outcome.begin(), outcome.end(), 'w')));
        fs.clearFaults();
    }
}

TEST_F(FaultInjectionTest, CrashKeepsWhatWasSynced) {
    memory.setContents("/d/untouched", "as found");
    memory.setContents("/d/found", "as found");
    memory.setContents("/d/replaced", "as found");
    memory.setContents("/d/final", "old final");

    auto synced = fs.open("/d/synced", OpenMode::CreateNew);
    writeText(*synced, 0, "synced");
    synced->sync();
    writeText(*synced, 0, "XX");
    writeText(*synced, 6, "more");

    writeText(*fs.open("/d/never-synced", OpenMode::CreateNew), 0, "lost");

    auto cut = fs.open("/d/cut", OpenMode::CreateNew);
    writeText(*cut, 0, "abcdef");
    cut->sync();
    cut->truncate(2);

    writeText(*fs.open("/d/found", OpenMode::ReadWrite), 0, "changed");
    writeText(*fs.open("/d/replaced", OpenMode::CreateTruncate), 0, "new");

    auto staged = fs.open("/d/staged", OpenMode::CreateNew);
    writeText(*staged, 0, "staged");
    staged->sync();
    fs.rename("/d/staged", "/d/final");

    fs.crash();

    EXPECT_EQ(contentOf("/d/synced"), "synced");
    EXPECT_FALSE(memory.exists("/d/never-synced"));
    EXPECT_EQ(contentOf("/d/cut"), "abcdef");
    EXPECT_EQ(contentOf("/d/found"), "as found");
    EXPECT_EQ(contentOf("/d/replaced"), "as found");
    EXPECT_EQ(contentOf("/d/untouched"), "as found");
    EXPECT_EQ(contentOf("/d/final"), "staged");
    EXPECT_FALSE(memory.exists("/d/staged"));
}

TEST_F(FaultInjectionTest, FilesOfTheCrashedProgramAreDead) {
    auto dead = fs.open("/d/table", OpenMode::CreateNew);
    writeText(*dead, 0, "row1");
    dead->sync();
    ASSERT_TRUE(dead->tryLock(0, 0, LockType::Exclusive));

    fs.crash();

    auto alive = fs.open("/d/table", OpenMode::ReadWrite);
    EXPECT_TRUE(alive->tryLock(0, 0, LockType::Exclusive)) << "the crash released the dead file's locks";
    writeText(*dead, 0, "late");
    dead->truncate(0);
    dead->sync();
    EXPECT_EQ(contentOf("/d/table"), "row1");

    // Life goes on after the crash: the next one keeps what was synced since.
    writeText(*alive, 4, "row2");
    alive->sync();
    writeText(*alive, 8, "row3");
    dead.reset();
    fs.crash();
    EXPECT_EQ(contentOf("/d/table"), "row1row2");
}

}  // namespace
