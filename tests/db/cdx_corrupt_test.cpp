// Damaged index files: each case below breaks one thing in a copy of the
// peer engine's EVENTS.cdx, and opening, walking every tag both ways,
// seeking and changing it must end in CorruptFile, never a crash, an
// out-of-bounds read or a hang.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "db/byte_order.h"
#include "db/cdx_file.h"
#include "db/error.h"
#include "support/memory_file_system.h"
#include "support/temp_dir.h"

using namespace vv::db;

namespace {

// Offsets inside tests/data/cdx-peer/EVENTS.cdx.
constexpr uint32_t kDirectoryRoot = 0x400;
constexpr uint32_t kFileCodeHeader = 0x600;  // FILE_CODE, key length 16
constexpr uint32_t kFileCodeRoot = 0x3A00;   // interior, children 0xE00 and 0x3800
constexpr uint32_t kFirstLeaf = 0xA00;       // the leftmost leaf of FILE_CODE
constexpr uint32_t kSecondLeaf = 0xC00;

std::string peerBytes() {
    std::ifstream in(vv::test::fixturePath("cdx-peer/EVENTS.cdx"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void putLe16(std::string& b, std::size_t at, uint16_t v) { writeLe16(reinterpret_cast<unsigned char*>(&b[at]), v); }
void putLe32(std::string& b, std::size_t at, uint32_t v) { writeLe32(reinterpret_cast<unsigned char*>(&b[at]), v); }
void putBe32(std::string& b, std::size_t at, uint32_t v) { writeBe32(reinterpret_cast<unsigned char*>(&b[at]), v); }

// Everything a caller might do with an index; a walk that does not end is a failure too.
void useEverything(CdxFile& cdx) {
    for (CdxTag* tag : cdx.tags()) {
        CdxCursor cursor(*tag);
        std::size_t steps = 0;
        for (bool ok = cursor.first(); ok; ok = cursor.next())
            if (++steps > 100000) FAIL() << tag->name() << ": the walk forward does not end";
        for (bool ok = cursor.last(); ok; ok = cursor.prior())
            if (++steps > 200000) FAIL() << tag->name() << ": the walk backward does not end";
        cursor.seek("AC00100");
        tag->verify();
        tag->insert(std::string(tag->keyLength(), 'Q'), 4000);
    }
}

struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
};

const Case kCases[] = {
    {"shorter than a header", [](std::string& b) { b.resize(1000); }},
    {"cut before the last tag's header", [](std::string& b) { b.resize(0x1D000); }},
    {"cut inside the last tag's tree", [](std::string& b) { b.resize(0x21000); }},
    {"not a compound index", [](std::string& b) { b[cdx::kHeaderOptions] = 0; }},
    {"directory pointing into the file header",
     [](std::string& b) { b[kDirectoryRoot + 24 + 1] = 0x02; }},  // ARRIVAL's header at 0x200
    {"tag with key length 0", [](std::string& b) { putLe16(b, kFileCodeHeader + 12, 0); }},
    {"tag with key length 300", [](std::string& b) { putLe16(b, kFileCodeHeader + 12, 300); }},
    {"tag announcing 1024-byte pages", [](std::string& b) { putLe16(b, kFileCodeHeader + 18, 1024); }},
    {"tag root past the end", [](std::string& b) { putLe32(b, kFileCodeHeader, 0x00FFFE00); }},
    {"tag root off the page grid", [](std::string& b) { putLe32(b, kFileCodeHeader, kFileCodeRoot + 1); }},
    {"tag root inside the file header", [](std::string& b) { putLe32(b, kFileCodeHeader, 0x200); }},
    {"unknown node attributes", [](std::string& b) { putLe16(b, kFirstLeaf, 0x10); }},
    {"leaf claiming 65535 keys", [](std::string& b) { putLe16(b, kFirstLeaf + 2, 0xFFFF); }},
    {"leaf claiming more keys than bytes", [](std::string& b) { putLe16(b, kFirstLeaf + 2, 100); }},
    {"leaf entries of 0 bytes", [](std::string& b) { b[kFirstLeaf + 23] = 0; }},
    {"leaf record numbers of 60 bits", [](std::string& b) { b[kFirstLeaf + 20] = 60; }},
    {"first leaf key sharing bytes with nothing", [](std::string& b) { b[kFirstLeaf + 24 + 1] |= 0x40; }},
    {"leaf keys out of order", [](std::string& b) { b[kFirstLeaf + 509] = '9'; }},
    {"interior node claiming 500 keys", [](std::string& b) { putLe16(b, kFileCodeRoot + 2, 500); }},
    {"interior node without keys", [](std::string& b) { putLe16(b, kFileCodeRoot + 2, 0); }},
    {"child past the end", [](std::string& b) { putBe32(b, kFileCodeRoot + 12 + 16 + 4, 0x7FFFFE00); }},
    {"child pointing back at the root", [](std::string& b) { putBe32(b, kFileCodeRoot + 12 + 16 + 4, kFileCodeRoot); }},
    {"right sibling pointing back", [](std::string& b) { putLe32(b, kSecondLeaf + 8, kFirstLeaf); }},
    {"two leaves in a ring",
     [](std::string& b) {
         putLe32(b, kSecondLeaf + 8, kFirstLeaf);
         putLe32(b, kFirstLeaf + 4, kSecondLeaf);
     }},
    {"left sibling pointing at a header", [](std::string& b) { putLe32(b, kSecondLeaf + 4, kFileCodeHeader); }},
};

TEST(CdxCorrupt, EveryDamageIsReportedAsCorruptFile) {
    const std::string good = peerBytes();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        vv::test::MemoryFileSystem fs;
        std::string bytes = good;
        c.damage(bytes);
        fs.setContents("/d/EVENTS.cdx", bytes);
        try {
            auto cdx = CdxFile::open(fs.open("/d/EVENTS.cdx", OpenMode::ReadWrite));
            useEverything(*cdx);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::CorruptFile) << e.what();
            EXPECT_NE(std::string(e.what()).find("EVENTS.cdx"), std::string::npos) << e.what();
        }
    }
}

// An insert or a seek goes down through the interior pages' bytes: each
// page is still checked in full before it is trusted.
TEST(CdxCorrupt, InteriorKeysOutOfOrderStopAnInsertAndASeek) {
    std::string bytes = peerBytes();
    bytes[kFileCodeRoot + 12] = '\xFF';  // the first separator now sorts after the second
    for (bool seek : {false, true}) {
        vv::test::MemoryFileSystem fs;
        fs.setContents("/d/EVENTS.cdx", bytes);
        auto cdx = CdxFile::open(fs.open("/d/EVENTS.cdx", OpenMode::ReadWrite));
        CdxTag& tag = cdx->tag("FILE_CODE");
        try {
            if (seek) CdxCursor(tag).seek("AC00100");
            else tag.insert(std::string(tag.keyLength(), 'Q'), 4000);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::CorruptFile) << e.what();
            EXPECT_NE(std::string(e.what()).find("out of order"), std::string::npos) << e.what();
        }
    }
}

// The undamaged copy goes through the same paces without complaint.
TEST(CdxCorrupt, UndamagedCopyPassesTheSameWalk) {
    vv::test::MemoryFileSystem fs;
    fs.setContents("/d/EVENTS.cdx", peerBytes());
    auto cdx = CdxFile::open(fs.open("/d/EVENTS.cdx", OpenMode::ReadWrite));
    cdx->tag("ARRIVAL").setKeyType(CdxKeyType::Date);
    cdx->tag("RATE").setKeyType(CdxKeyType::Numeric);
    useEverything(*cdx);
    for (CdxTag* tag : cdx->tags()) EXPECT_EQ(tag->verify(), 2001u) << tag->name();
}

}  // namespace
