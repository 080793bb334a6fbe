#include "db/memo_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "db/error.h"
#include "support/temp_dir.h"

using namespace vv::db;

namespace {

std::unique_ptr<MemoFile> openMemo(const std::string& path, MemoFile::Format format = MemoFile::Format::Fpt) {
    return std::make_unique<MemoFile>(FileSystem::local().open(path, OpenMode::ReadWrite), format);
}

TEST(MemoFile, DecodesTheWorkedExample) {
    std::vector<unsigned char> bytes(0x240, 0);
    const unsigned char header[] = {0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x40};
    const unsigned char memo[] = {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x05, 0x68, 0x65, 0x6c, 0x6c, 0x6f};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    std::copy(std::begin(memo), std::end(memo), bytes.begin() + 0x200);
    vv::test::TempDir dir;
    std::ofstream(dir.file("M.FPT"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    auto m = openMemo(dir.file("M.FPT"));
    EXPECT_EQ(m->blockSize(), 64);
    EXPECT_EQ(m->read(8), "hello");
    EXPECT_EQ(m->read(0), "");
    // The next append goes to block 9, right after the example memo.
    EXPECT_EQ(m->write(0, "next"), 9u);
    EXPECT_THROW(m->read(100), Error);
}

TEST(MemoFile, RewriteInPlaceOnlyWhenItFits) {
    vv::test::TempDir dir;
    MemoFile::create(FileSystem::local(), dir.file("M.FPT"));
    auto m = openMemo(dir.file("M.FPT"));
    const uint32_t a = m->write(0, std::string(50, 'a'));   // 58 bytes: one block
    const uint32_t b = m->write(0, std::string(100, 'b'));  // two blocks
    EXPECT_EQ(a, 8u);
    EXPECT_EQ(b, 9u);
    EXPECT_EQ(m->write(a, std::string(56, 'c')), a);         // still one block
    EXPECT_EQ(m->write(a, std::string(57, 'd')), 11u);       // needs two: moves to the end
    EXPECT_EQ(m->read(b), std::string(100, 'b'));            // the neighbour is untouched
    EXPECT_EQ(m->read(11), std::string(57, 'd'));
    EXPECT_EQ(m->write(b, ""), 0u);
}

TEST(MemoFile, DbtTextEndsAtTheMarker) {
    vv::test::TempDir dir;
    std::vector<char> bytes(1024 + 600, 0);
    const std::string text = "dBase memo text\x1a\x1a";
    std::copy(text.begin(), text.end(), bytes.begin() + 512);
    std::string longText(600, 'x');
    std::copy(longText.begin(), longText.end(), bytes.begin() + 1024);  // runs to end of file unterminated
    std::ofstream(dir.file("M.DBT"), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    auto m = openMemo(dir.file("M.DBT"), MemoFile::Format::Dbt);
    EXPECT_EQ(m->read(1), "dBase memo text");
    EXPECT_EQ(m->read(2), longText);
    EXPECT_THROW(m->read(9), Error);
    EXPECT_THROW(m->write(0, "x"), Error);
}

}  // namespace
