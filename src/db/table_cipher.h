// Encryption of table contents with the table password. Records keep their
// size (AES-256-XTS, tweaked by record number, the disk-encryption answer to
// fixed-size units with no room for a nonce); memo texts and other variable
// data are sealed with an AEAD (nonce and tag stored with them); index pages
// are XTS-encrypted, tweaked by page offset, under a separate subkey. The key
// comes from the password through a memory-hard KDF with a random salt kept
// in the table's header block, together with a verifier so a wrong password
// is recognised before anything is decrypted.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace vv::db {

class TableCipher {
public:
    // Size of the block kept in the table header (magic, version, KDF
    // parameters, salt, verifier).
    static constexpr std::size_t kHeaderBlockSize = 96;
    // Smallest unit encryptRecord/encryptPage accept.
    static constexpr std::size_t kMinUnitSize = 16;
    // Bytes sealMemo adds to a text.
    static constexpr std::size_t kMemoOverhead = 28;

    // A new cipher with a fresh random salt.
    static TableCipher create(std::string_view password);
    // Rebuilds the cipher from a header block; throws WrongPassword when the
    // password does not match, CorruptFile when the block is malformed.
    static TableCipher open(std::span<const unsigned char> headerBlock, std::string_view password);
    // True when the bytes start like a header block (magic matches).
    static bool isHeaderBlock(std::span<const unsigned char> bytes);

    std::array<unsigned char, kHeaderBlockSize> headerBlock() const;

    // In place, length preserving; size must be >= kMinUnitSize (InvalidArgument otherwise).
    void encryptRecord(uint64_t recno, unsigned char* data, std::size_t size) const;
    void decryptRecord(uint64_t recno, unsigned char* data, std::size_t size) const;
    void encryptPage(uint64_t offset, unsigned char* data, std::size_t size) const;
    void decryptPage(uint64_t offset, unsigned char* data, std::size_t size) const;

    // Memo text: returns nonce || ciphertext || tag; openMemo throws
    // CorruptFile when the data was altered.
    std::string sealMemo(std::string_view plain) const;
    std::string openMemo(std::string_view sealed) const;

    TableCipher(const TableCipher&);
    TableCipher& operator=(const TableCipher&);
    TableCipher(TableCipher&&) noexcept;
    TableCipher& operator=(TableCipher&&) noexcept;
    ~TableCipher();

    // The derived keys, opaque outside table_cipher.cpp; copies of a cipher
    // share them, and they are wiped when the last one goes.
    struct Keys;

private:
    explicit TableCipher(std::shared_ptr<const Keys> keys);
    std::shared_ptr<const Keys> keys_;
};

}  // namespace vv::db
