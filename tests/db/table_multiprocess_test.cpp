// Several real processes on one folder: appends, record locks, exclusive use.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

using namespace vv::db;
using vv::test::TempDir;

namespace {

// Runs `body` in a child process; the child exits 0 when it returns normally.
pid_t spawn(const std::function<void()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int status = 0;
        try {
            body();
        } catch (const std::exception& e) {
            fprintf(stderr, "child: %s\n", e.what());
            status = 1;
        }
        _exit(status);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A pipe the parent waits on until the child says it is ready.
struct Signal {
    int fds[2];
    Signal() { EXPECT_EQ(pipe(fds), 0); }
    ~Signal() { close(fds[0]); close(fds[1]); }
    void raise() { EXPECT_EQ(write(fds[1], "x", 1), 1); }
    void wait() { char c; EXPECT_EQ(read(fds[0], &c, 1), 1); }
};

class MultiProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table::create(dir.str(), "LOG.DBF",
                      {{"WRITER", FieldType::Numeric, 3, 0, 0, 0}, {"SEQ", FieldType::Numeric, 6, 0, 0, 0},
                       {"NOTE", FieldType::Memo, 10, 0, 0, 0}});
        auto t = Table::open(dir.str(), "LOG.DBF");
        t->append();
        t->setText("NOTE", "first");
        t->post();
    }
    TempDir dir;
};

TEST_F(MultiProcessTest, ConcurrentAppendsLoseNothing) {
    constexpr int kWriters = 4, kEach = 300;
    std::vector<pid_t> children;
    for (int w = 1; w <= kWriters; ++w)
        children.push_back(spawn([&, w] {
            auto t = Table::open(dir.str(), "LOG.DBF");
            for (int i = 0; i < kEach; ++i) {
                t->append();
                t->setInt("WRITER", w);
                t->setInt("SEQ", i);
                t->setText("NOTE", "writer " + std::to_string(w) + " item " + std::to_string(i));
                t->post();
            }
        }));
    for (pid_t c : children) EXPECT_EQ(waitFor(c), 0);

    auto t = Table::open(dir.str(), "LOG.DBF");
    EXPECT_EQ(t->recordCount(), 1u + kWriters * kEach);
    std::set<std::pair<long long, long long>> seen;
    for (t->first(); !t->eof(); t->next()) {
        if (t->recno() == 1) continue;
        const auto w = t->getInt("WRITER"), i = t->getInt("SEQ");
        EXPECT_EQ(t->getText("NOTE"), "writer " + std::to_string(w) + " item " + std::to_string(i));
        seen.insert({w, i});
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kWriters * kEach));
}

TEST_F(MultiProcessTest, EveryProcessKeepsTheTagsUpToDate) {
    {
        auto t = Table::open(dir.str(), "LOG.DBF", {.exclusive = true});
        t->rebuildIndex({{"ORDER", "STR(SEQ,6)+STR(WRITER,3)", false, {}}, {"DESC", "SEQ", true, {}}});
    }
    constexpr int kWriters = 3, kEach = 150;
    std::vector<pid_t> children;
    for (int w = 1; w <= kWriters; ++w)
        children.push_back(spawn([&, w] {
            auto t = Table::open(dir.str(), "LOG.DBF");
            t->setIndexName("ORDER");
            for (int i = 0; i < kEach; ++i) {
                t->append();
                t->setInt("WRITER", w);
                t->setInt("SEQ", i);
                t->post();
                if (i % 10 == 0) {
                    // Edits move records in both tags while others append.
                    t->edit();
                    t->setInt("SEQ", i + 1000);
                    t->post();
                }
                t->next();  // and read in the order others are changing
            }
        }));
    for (pid_t c : children) EXPECT_EQ(waitFor(c), 0);
    auto t = Table::open(dir.str(), "LOG.DBF");
    EXPECT_TRUE(t->verifyIndex().empty());
    t->setIndexName("DESC");
    long long previous = 1 << 30;
    int n = 0;
    for (t->first(); !t->eof(); t->next(), ++n) {
        EXPECT_LE(t->getInt("SEQ"), previous);
        previous = t->getInt("SEQ");
    }
    EXPECT_EQ(n, 1 + kWriters * kEach);
}

TEST_F(MultiProcessTest, RecordLockIsRefusedUntilPostOrDeath) {
    Signal locked, release;
    const pid_t holder = spawn([&] {
        auto t = Table::open(dir.str(), "LOG.DBF");
        t->edit();
        t->setText("NOTE", "from the child");
        locked.raise();
        release.wait();
        t->post();
    });
    locked.wait();
    auto t = Table::open(dir.str(), "LOG.DBF");
    try {
        t->edit();
        FAIL() << "locked record was edited";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::LockConflict);
    }
    release.raise();
    EXPECT_EQ(waitFor(holder), 0);
    t->edit();
    EXPECT_EQ(t->getText("NOTE"), "from the child");
    t->cancel();

    // A process killed while holding the lock releases it with its death.
    Signal locked2;
    const pid_t victim = spawn([&] {
        auto t2 = Table::open(dir.str(), "LOG.DBF");
        t2->edit();
        locked2.raise();
        pause();
    });
    locked2.wait();
    EXPECT_THROW(t->edit(), Error);
    kill(victim, SIGKILL);
    waitFor(victim);
    t->edit();
    t->post();
}

TEST_F(MultiProcessTest, ExclusiveOpenWaitsForEveryoneElse) {
    Signal opened, release;
    const pid_t child = spawn([&] {
        auto t = Table::open(dir.str(), "LOG.DBF");
        opened.raise();
        release.wait();
    });
    opened.wait();
    OpenOptions exclusive;
    exclusive.exclusive = true;
    EXPECT_THROW(Table::open(dir.str(), "LOG.DBF", exclusive), Error);
    release.raise();
    EXPECT_EQ(waitFor(child), 0);
    auto mine = Table::open(dir.str(), "LOG.DBF", exclusive);
    const pid_t shared = spawn([&] {
        try {
            Table::open(dir.str(), "LOG.DBF");
        } catch (const Error& e) {
            _exit(e.kind() == ErrorKind::ExclusiveConflict ? 7 : 1);
        }
    });
    EXPECT_EQ(waitFor(shared), 7);
}

}  // namespace

// An exclusive user keeps index pages in memory between posts. One that is
// killed before writing them must leave an index that says so, never one
// that silently lacks its last records; one that closes leaves a whole index.
TEST_F(MultiProcessTest, ExclusiveWriterKilledLeavesAnIndexThatSaysSo) {
    {
        auto t = Table::open(dir.str(), "LOG.DBF", {.exclusive = true});
        t->rebuildIndex({{"SEQ", "SEQ", false, {}}});
    }
    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed" : "closed");
        Signal posted;
        const pid_t child = spawn([&] {
            auto t = Table::open(dir.str(), "LOG.DBF", {.exclusive = true});
            for (int i = 0; i < 200; ++i) {
                t->append();
                t->setInt("SEQ", i);
                t->post();
            }
            if (!killed) return;
            posted.raise();
            pause();  // until killed: nothing after the last post reaches the index
        });
        if (killed) {
            posted.wait();
            kill(child, SIGKILL);
            EXPECT_EQ(waitFor(child), 128 + SIGKILL);
        } else {
            EXPECT_EQ(waitFor(child), 0);
        }
        auto t = Table::open(dir.str(), "LOG.DBF");
        if (killed) {
            try {
                t->setIndexName("SEQ");
                FAIL() << "the half-written index was used";
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find("\"Index Files\""), std::string::npos) << e.what();
            }
            t->close();
            t = Table::open(dir.str(), "LOG.DBF", {.exclusive = true});
            t->rebuildIndex({{"SEQ", "SEQ", false, {}}});
        } else {
            EXPECT_TRUE(t->verifyIndex().empty());
            t->setIndexName("SEQ");
            EXPECT_EQ(t->recordCount(), 401u);
        }
    }
}
