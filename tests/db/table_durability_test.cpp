// Failures half-way through a write: a failed post or a crashed encryption
// never leaves a table that cannot be opened or that lost what was stored.
#include <gtest/gtest.h>

#include "db/error.h"
#include "db/table.h"
#include "support/fault_injection_file_system.h"
#include "support/memory_file_system.h"

using namespace vv::db;
using vv::test::FaultInjectionFileSystem;
using vv::test::MemoryFileSystem;

namespace {

const std::string kFolder = "/data";

struct Folder {
    MemoryFileSystem memory;
    FaultInjectionFileSystem faults{memory};

    Folder() {
        memory.makeFolder(kFolder);
        CreateOptions co;
        co.fileSystem = &faults;
        Table::create(kFolder, "CALLS.DBF",
                      {{"CODE", FieldType::Character, 20, 0, 0, 0}, {"NOTES", FieldType::Memo, 10, 0, 0, 0}}, co);
        auto t = open();
        for (int i = 0; i < 5; ++i) add(*t, i);
    }
    std::unique_ptr<Table> open(bool exclusive = false) {
        OpenOptions o;
        o.fileSystem = &faults;
        o.exclusive = exclusive;
        return Table::open(kFolder, "CALLS.DBF", o);
    }
    static void add(Table& t, int i) {
        t.append();
        t.setText("CODE", "record " + std::to_string(i));
        t.setText("NOTES", "notes of record " + std::to_string(i));
        t.post();
    }
    // Every record before `upTo` is there with its memo; returns the count.
    uint32_t expectIntact(int upTo, const char* password = nullptr) {
        auto t = open();
        if (password) t->enableEncryption(password);
        for (int i = 0; i < upTo; ++i) {
            t->go(static_cast<uint32_t>(i + 1));
            EXPECT_EQ(t->getText("CODE"), "record " + std::to_string(i));
            EXPECT_EQ(t->getText("NOTES"), "notes of record " + std::to_string(i));
        }
        return t->recordCount();
    }
};

TEST(TableDurability, AFailedWriteDuringPostLeavesEveryEarlierRecordIntact) {
    // A post writes the memo, the record and the count; fail each in turn.
    for (uint64_t n = 1; n <= 4; ++n) {
        Folder f;
        {
            auto t = f.open();
            f.faults.failNthWrite(n);
            try {
                Folder::add(*t, 5);
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), ErrorKind::Io) << "write " << n;
            }
            f.faults.clearFaults();
        }
        const uint32_t count = f.expectIntact(5);
        EXPECT_TRUE(count == 5 || count == 6) << "write " << n << " left " << count << " records";
        // The table takes new records afterwards.
        auto t = f.open();
        Folder::add(*t, 6);
        EXPECT_EQ(t->recordCount(), count + 1);
    }
}

TEST(TableDurability, EncryptionInterruptedAtAnyWriteLeavesOldOrNewTable) {
    uint64_t total = 0;
    {
        Folder f;
        const uint64_t before = f.faults.writeCount();
        auto t = f.open(true);
        t->encryptTable("pw");
        total = f.faults.writeCount() - before;
    }
    ASSERT_GT(total, 3u);
    for (uint64_t n = 1; n <= total; ++n) {
        Folder f;
        {
            auto t = f.open(true);
            f.faults.failNthWrite(n, true);
            EXPECT_THROW(t->encryptTable("pw"), Error) << "write " << n;
        }
        f.faults.clearFaults();
        f.faults.crash();
        bool encrypted;
        {
            auto probe = f.open();
            encrypted = probe->isEncrypted();
        }
        EXPECT_EQ(f.expectIntact(5, encrypted ? "pw" : nullptr), 5u) << "write " << n;
    }
}

}  // namespace
