// The header of a DBF file: the fixed 32 bytes, the field descriptors and,
// for encrypted tables, the cipher block at the end of the header. See
// doc/dbf_format.md for the byte layout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/date.h"
#include "db/field.h"

namespace vv::db {

namespace dbf {
constexpr std::size_t kFixedHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr unsigned char kHeaderTerminator = 0x0D;
constexpr unsigned char kEofMarker = 0x1A;
constexpr unsigned char kDeletedFlag = '*';
constexpr unsigned char kActiveFlag = ' ';
constexpr std::size_t kVfpBacklinkSize = 263;

constexpr unsigned char kVersionDbase3 = 0x03;
constexpr unsigned char kVersionDbase3Memo = 0x83;
constexpr unsigned char kVersionFoxPro2Memo = 0xF5;
constexpr unsigned char kVersionVfp = 0x30;
constexpr unsigned char kVersionVfpAutoinc = 0x31;
constexpr unsigned char kVersionVfpVarchar = 0x32;

constexpr std::size_t kOffsetRecordCount = 4;
constexpr std::size_t kOffsetEncrypted = 15;   // dBase's "encrypted" flag byte
constexpr std::size_t kOffsetTableFlags = 28;
constexpr std::size_t kOffsetCodePage = 29;

constexpr unsigned char kFlagStructuralIndex = 0x01;
constexpr unsigned char kFlagMemo = 0x02;

bool isVisualFoxPro(unsigned char version);
bool isKnownVersion(unsigned char version);
}  // namespace dbf

struct DbfHeader {
    unsigned char version = dbf::kVersionFoxPro2Memo;
    Date lastUpdate;
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    unsigned char tableFlags = 0;
    unsigned char codePage = 0x03;
    bool encrypted = false;
    FieldList fields;
    // The cipher's block (TableCipher::kHeaderBlockSize bytes) when encrypted.
    std::vector<unsigned char> cipherBlock;

    bool hasMemoFields() const;

    // Parses and checks a header read from `fileName`; `fileSize` bounds the
    // record count. Throws CorruptFile naming the file and the fault.
    static DbfHeader parse(const std::vector<unsigned char>& bytes, uint64_t fileSize, const std::string& fileName);
    // Number of bytes parse() needs: reads the 32 fixed bytes first.
    static uint16_t headerLengthOf(const unsigned char* fixed32);

    std::vector<unsigned char> serialize() const;

    // A header for a new table: checks names, types and widths, computes
    // offsets and lengths. Throws InvalidArgument with the offending field.
    static DbfHeader forNewTable(const FieldList& fields, unsigned char version, unsigned char codePage);
    // Header length needed for the descriptors (plus backlink, plus cipher block).
    uint16_t requiredHeaderLength() const;
};

}  // namespace vv::db
