#include "db/table_cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <optional>
#include <vector>

#include "db/error.h"

using namespace vv::db;

namespace {

using Bytes = std::vector<unsigned char>;
using Block = std::array<unsigned char, TableCipher::kHeaderBlockSize>;

constexpr const char* kPassword = "mebrankoz";

Bytes pattern(std::size_t size, unsigned char seed = 0) {
    Bytes b(size);
    std::iota(b.begin(), b.end(), seed);
    return b;
}

template <typename F>
ErrorKind kindOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error thrown";
    return ErrorKind::Io;
}

// Key derivation is deliberately slow, so the suite shares one cipher.
class TableCipherTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { cipher_ = TableCipher::create(kPassword); }
    static void TearDownTestSuite() { cipher_.reset(); }
    static const TableCipher& cipher() { return *cipher_; }
    static inline std::optional<TableCipher> cipher_;
};

TEST_F(TableCipherTest, RecordsAndPagesRoundTripWithTheirLength) {
    for (std::size_t size : {std::size_t{16}, std::size_t{17}, std::size_t{512}, std::size_t{1000}}) {
        SCOPED_TRACE(size);
        const Bytes plain = pattern(size);
        Bytes record = plain, page = plain;
        cipher().encryptRecord(3, record.data(), record.size());
        cipher().encryptPage(3, page.data(), page.size());
        EXPECT_NE(record, plain);
        EXPECT_NE(page, plain);
        EXPECT_NE(record, page) << "records and pages must use different keys";
        cipher().decryptRecord(3, record.data(), record.size());
        cipher().decryptPage(3, page.data(), page.size());
        EXPECT_EQ(record, plain);
        EXPECT_EQ(page, plain);
    }
}

TEST_F(TableCipherTest, MemosRoundTripWithNonceAndTag) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1000}}) {
        SCOPED_TRACE(size);
        const Bytes bytes = pattern(size, 'A');
        const std::string plain(bytes.begin(), bytes.end());
        const std::string sealed = cipher().sealMemo(plain);
        EXPECT_EQ(sealed.size(), plain.size() + TableCipher::kMemoOverhead);
        if (size >= 16) {  // shorter texts turn up in random bytes by chance
            EXPECT_EQ(sealed.find(plain), std::string::npos);
        }
        EXPECT_EQ(cipher().openMemo(sealed), plain);
        EXPECT_NE(cipher().sealMemo(plain), sealed) << "each seal takes a fresh nonce";
    }
}

TEST_F(TableCipherTest, TheUnitNumberIsTheTweak) {
    const Bytes plain = pattern(40);
    Bytes at1 = plain, at2 = plain, again1 = plain;
    cipher().encryptRecord(1, at1.data(), at1.size());
    cipher().encryptRecord(2, at2.data(), at2.size());
    cipher().encryptRecord(1, again1.data(), again1.size());
    EXPECT_NE(at1, at2);
    EXPECT_EQ(at1, again1) << "records are encrypted deterministically";

    Bytes page0 = plain, page512 = plain;
    cipher().encryptPage(0, page0.data(), page0.size());
    cipher().encryptPage(512, page512.data(), page512.size());
    EXPECT_NE(page0, page512);

    // Decrypting at the wrong record number does not give the text back.
    cipher().decryptRecord(2, at1.data(), at1.size());
    EXPECT_NE(at1, plain);
}

TEST_F(TableCipherTest, CiphersOfTwoTablesDoNotMix) {
    const TableCipher other = TableCipher::create("another password");
    const Bytes plain = pattern(64);
    Bytes mine = plain, theirs = plain;
    // Interleaved, as two tables read by one thread.
    cipher().encryptRecord(5, mine.data(), mine.size());
    other.encryptRecord(5, theirs.data(), theirs.size());
    EXPECT_NE(mine, theirs);
    other.decryptRecord(5, theirs.data(), theirs.size());
    cipher().decryptRecord(5, mine.data(), mine.size());
    EXPECT_EQ(mine, plain);
    EXPECT_EQ(theirs, plain);
    EXPECT_EQ(kindOf([&] { other.openMemo(cipher().sealMemo("text")); }), ErrorKind::CorruptFile);
}

TEST_F(TableCipherTest, UnitsShorterThanSixteenBytesAreRefused) {
    Bytes shortUnit = pattern(TableCipher::kMinUnitSize - 1);
    EXPECT_EQ(kindOf([&] { cipher().encryptRecord(1, shortUnit.data(), shortUnit.size()); }),
              ErrorKind::InvalidArgument);
    EXPECT_EQ(kindOf([&] { cipher().decryptRecord(1, shortUnit.data(), shortUnit.size()); }),
              ErrorKind::InvalidArgument);
    EXPECT_EQ(kindOf([&] { cipher().encryptPage(0, shortUnit.data(), 0); }), ErrorKind::InvalidArgument);
    EXPECT_EQ(shortUnit, pattern(TableCipher::kMinUnitSize - 1)) << "a refused unit is left alone";
    try {
        cipher().encryptRecord(1, shortUnit.data(), shortUnit.size());
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("15 bytes is too short"), std::string::npos) << e.what();
    }
}

TEST_F(TableCipherTest, AlteredMemosAreCorrupt) {
    const std::string sealed = cipher().sealMemo("Confidential memo");
    // One byte flipped in the nonce, the text and the tag; then cut short.
    for (std::size_t at : {std::size_t{0}, std::size_t{12}, sealed.size() - 1}) {
        SCOPED_TRACE(at);
        std::string altered = sealed;
        altered[at] = static_cast<char>(altered[at] ^ 0x01);
        EXPECT_EQ(kindOf([&] { cipher().openMemo(altered); }), ErrorKind::CorruptFile);
    }
    EXPECT_EQ(kindOf([&] { cipher().openMemo(sealed.substr(0, sealed.size() - 1)); }), ErrorKind::CorruptFile);
    EXPECT_EQ(kindOf([&] { cipher().openMemo(sealed.substr(0, TableCipher::kMemoOverhead - 1)); }),
              ErrorKind::CorruptFile);
}

TEST_F(TableCipherTest, NewBlocksFollowTheLayout) {
    const Block block = cipher().headerBlock();
    EXPECT_TRUE(TableCipher::isHeaderBlock(block));
    EXPECT_EQ(std::memcmp(block.data(), "VVCRYPT1", 8), 0);
    EXPECT_EQ(block[8], 1);   // version
    EXPECT_EQ(block[9], 15);  // log2 N
    EXPECT_EQ(block[10], 8);  // r
    EXPECT_EQ(block[11], 1);  // p
    for (std::size_t i = 60; i < block.size(); ++i) EXPECT_EQ(block[i], 0) << "reserved byte " << i;
    const Block other = TableCipher::create(kPassword).headerBlock();
    EXPECT_FALSE(std::equal(block.begin() + 12, block.begin() + 28, other.begin() + 12)) << "salts must differ";
}

TEST_F(TableCipherTest, OpeningTheBlockRecoversTheKeys) {
    Bytes record = pattern(30), page = pattern(512);
    cipher().encryptRecord(9, record.data(), record.size());
    cipher().encryptPage(1024, page.data(), page.size());
    const std::string sealed = cipher().sealMemo("memo text");

    const Block block = cipher().headerBlock();
    const TableCipher reopened = TableCipher::open(block, kPassword);
    EXPECT_EQ(reopened.headerBlock(), block);
    reopened.decryptRecord(9, record.data(), record.size());
    reopened.decryptPage(1024, page.data(), page.size());
    EXPECT_EQ(record, pattern(30));
    EXPECT_EQ(page, pattern(512));
    EXPECT_EQ(reopened.openMemo(sealed), "memo text");
}

TEST_F(TableCipherTest, WrongPasswordsAreRecognised) {
    const Block block = cipher().headerBlock();
    for (const char* wrong : {"Mebrankoz", "", "mebrankoz "}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(kindOf([&] { TableCipher::open(block, wrong); }), ErrorKind::WrongPassword);
    }
    // The right password with a damaged verifier: keys come from the cache
    // here, and must still be checked against the block.
    Block altered = block;
    altered[40] ^= 0x80;
    EXPECT_EQ(kindOf([&] { TableCipher::open(altered, kPassword); }), ErrorKind::WrongPassword);
}

TEST(TableCipherBlockTest, MalformedBlocksAreCorrupt) {
    const Block good = TableCipher::create("x").headerBlock();
    struct Case {
        const char* what;
        std::size_t offset;
        unsigned char value;
    };
    for (const Case& c : {Case{"magic", 0, 'W'}, Case{"version", 8, 2}, Case{"log2 N of 40", 9, 40},
                          Case{"zero r", 10, 0}, Case{"zero p", 11, 0}, Case{"r of 64, 256 MB", 10, 64},
                          Case{"p of 255", 11, 255}}) {
        SCOPED_TRACE(c.what);
        Block bad = good;
        bad[c.offset] = c.value;
        EXPECT_EQ(kindOf([&] { TableCipher::open(bad, "x"); }), ErrorKind::CorruptFile);
    }
    EXPECT_EQ(kindOf([&] { TableCipher::open(std::span(good).first(95), "x"); }), ErrorKind::CorruptFile);
    EXPECT_EQ(kindOf([&] { TableCipher::open(std::span(good).first(4), "x"); }), ErrorKind::CorruptFile);
    EXPECT_FALSE(TableCipher::isHeaderBlock(std::span(good).first(7)));
    EXPECT_FALSE(TableCipher::isHeaderBlock(pattern(96)));
}

// The worked example of doc/encryption.md, computed with another scrypt and
// HMAC implementation: password "secret", salt 00 01 .. 0f.
TEST(TableCipherBlockTest, TheDocumentedExampleOpens) {
    const Block example = {
        0x56, 0x56, 0x43, 0x52, 0x59, 0x50, 0x54, 0x31, 0x01, 0x0f, 0x08, 0x01, 0x00, 0x01, 0x02, 0x03,
        0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x7a, 0xc6, 0xd0, 0x49,
        0x75, 0xc7, 0x8c, 0x03, 0x20, 0x20, 0x53, 0x3b, 0xfa, 0x23, 0x54, 0x87, 0x5b, 0xa9, 0xcf, 0xee,
        0xf2, 0xd6, 0x9a, 0xe3, 0x99, 0x27, 0xda, 0xfd, 0x64, 0xc0, 0x91, 0x8f, 0x00, 0x00, 0x00, 0x00,
    };  // the remaining 32 bytes are zero
    const TableCipher cipher = TableCipher::open(example, "secret");
    EXPECT_EQ(cipher.headerBlock(), example);
    EXPECT_EQ(kindOf([&] { TableCipher::open(example, "Secret"); }), ErrorKind::WrongPassword);
}

}  // namespace
