#include "data/zip_archive.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "db/error.h"
#include "support/temp_dir.h"

namespace vv::data {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "qmv472815";

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Output and exit status of a shell command.
std::pair<int, std::string> shell(const std::string& command) {
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    const int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// Every byte value, and a long repetitive run as tables have.
std::string sampleBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    for (int i = 0; i < 5000; ++i) s += "ACME      Harbour View Hotel   20260316";
    return s;
}

class ZipArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir.file("EXPCALLS.DBF"), sampleBytes());
        writeFile(dir.file("EXPCALLS.FPT"), "memo text");
        writeFile(dir.file("EMPTY.DBF"), "");
        sources = {{"EXPCALLS.DBF", dir.file("EXPCALLS.DBF")},
                   {"EXPCALLS.FPT", dir.file("EXPCALLS.FPT")},
                   {"EMPTY.DBF", dir.file("EMPTY.DBF")}};
        archive = dir.file("VEKEXPORT.ZIP");
    }
    test::TempDir dir;
    std::vector<ZipSource> sources;
    std::string archive;
};

TEST_F(ZipArchiveTest, StandardUnzipExtractsEveryEntryWithThePasswordOnly) {
    if (!fs::exists("/usr/bin/unzip")) GTEST_SKIP() << "unzip is not installed";
    writeEncryptedZip(archive, sources, kPassword);
    const std::string extracted = dir.file("x");
    auto [status, out] = shell("/usr/bin/unzip -P " + std::string(kPassword) + " -d " + extracted + " " + archive);
    ASSERT_EQ(status, 0) << out;
    for (const auto& s : sources)
        EXPECT_EQ(readFile(extracted + "/" + s.entryName), readFile(s.filePath)) << s.entryName;

    // Every entry is encrypted (zipinfo's first column starts lower case)
    // and deflated.
    auto [listed, listing] = shell("/usr/bin/zipinfo " + archive);
    ASSERT_EQ(listed, 0) << listing;
    EXPECT_NE(listing.find("-rw"), std::string::npos);
    for (const char* name : {"EXPCALLS.DBF", "EXPCALLS.FPT"}) {
        const auto line = listing.substr(listing.rfind('\n', listing.find(name)) + 1);
        EXPECT_NE(line.substr(0, line.find('\n')).find(" B"), std::string::npos) << "not encrypted: " << line;
    }
    EXPECT_LT(fs::file_size(archive), sampleBytes().size() / 10);

    auto [wrong, why] = shell("/usr/bin/unzip -P wrong -o -d " + dir.file("y") + " " + archive);
    EXPECT_NE(wrong, 0) << why;
}

TEST_F(ZipArchiveTest, ReaderGivesBackTheBytesAndRefusesAWrongPassword) {
    writeEncryptedZip(archive, sources, kPassword);
    EXPECT_EQ(verifyZip(archive, sources, kPassword), "");
    ZipReader reader(archive, kPassword);
    ASSERT_EQ(reader.entries().size(), 3u);
    EXPECT_EQ(reader.entries()[0].name, "EXPCALLS.DBF");
    reader.extract(0, dir.file("back"));
    EXPECT_EQ(readFile(dir.file("back")), sampleBytes());

    // The scheme's one check byte lets about one wrong password in 256
    // through the header; the data then fails to inflate or to match its
    // checksum. Either way nothing wrong comes out.
    for (const char* password : {"qmv472816", "wrong", ""}) {
        ZipReader wrong(archive, password);
        try {
            wrong.extract(0, dir.file("wrong"));
            FAIL() << "the password " << password << " was accepted";
        } catch (const db::Error& e) {
            EXPECT_TRUE(e.kind() == db::ErrorKind::WrongPassword || e.kind() == db::ErrorKind::CorruptFile)
                << e.what();
        }
    }
}

TEST_F(ZipArchiveTest, VerificationFindsMissingChangedAndDamagedEntries) {
    writeEncryptedZip(archive, sources, kPassword);
    auto extra = sources;
    extra.push_back({"EXPTRACE.DBF", dir.file("EXPCALLS.FPT")});
    EXPECT_NE(verifyZip(archive, extra, kPassword), "");

    auto renamed = sources;
    renamed[2].entryName = "EXPSALES.DBF";
    EXPECT_NE(verifyZip(archive, renamed, kPassword).find("EXPSALES.DBF is missing"), std::string::npos);

    writeFile(dir.file("EXPCALLS.FPT"), "memo texT");  // changed after packing
    EXPECT_NE(verifyZip(archive, sources, kPassword).find("does not match"), std::string::npos);
    writeFile(dir.file("EXPCALLS.FPT"), "memo text");

    // One byte of compressed data flipped: the checksum catches it.
    std::string bytes = readFile(archive);
    const auto at = bytes.find("EXPCALLS.DBF") + 12 + 12 + 200;  // inside the first entry's data
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    writeFile(archive, bytes);
    EXPECT_NE(verifyZip(archive, sources, kPassword), "");

    writeFile(archive, bytes.substr(0, bytes.size() / 2));  // cut short
    EXPECT_NE(verifyZip(archive, sources, kPassword), "");
    EXPECT_THROW(ZipReader(dir.file("none.zip"), kPassword), db::Error);
}

TEST_F(ZipArchiveTest, UnwritableArchiveIsAnErrorNamingIt) {
    fs::create_directories(archive + "/inside");
    try {
        writeEncryptedZip(archive, sources, kPassword);
        FAIL() << "wrote over a folder";
    } catch (const db::Error& e) {
        EXPECT_NE(std::string(e.what()).find("VEKEXPORT.ZIP"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace vv::data
