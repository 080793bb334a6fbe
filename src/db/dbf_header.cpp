#include "db/dbf_header.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "db/byte_order.h"
#include "db/error.h"
#include "db/table_cipher.h"

namespace vv::db {

namespace dbf {
bool isVisualFoxPro(unsigned char version) {
    return version == kVersionVfp || version == kVersionVfpAutoinc || version == kVersionVfpVarchar;
}
bool isKnownVersion(unsigned char version) {
    switch (version) {
    case kVersionDbase3: case kVersionDbase3Memo: case kVersionFoxPro2Memo:
    case kVersionVfp: case kVersionVfpAutoinc: case kVersionVfpVarchar:
    case 0x04: case 0x8B: case 0x7B: case 0xFB:  // dBase IV / FoxBASE variants: fields read the same
        return true;
    default:
        return false;
    }
}
}  // namespace dbf

namespace {

[[noreturn]] void corrupt(const std::string& file, const std::string& what) {
    throw Error(ErrorKind::CorruptFile, file + ": " + what);
}

bool validFieldType(char t) {
    return std::strchr("CDNFLMIBYTGPWVQ", t) != nullptr && t != 0;
}

bool validFieldName(const std::string& name) {
    if (name.empty() || name.size() > 10) return false;
    if (!((name[0] >= 'A' && name[0] <= 'Z') || name[0] == '_')) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

}  // namespace

bool DbfHeader::hasMemoFields() const {
    return std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return f.isMemoLike(); });
}

uint16_t DbfHeader::headerLengthOf(const unsigned char* fixed32) { return readLe16(fixed32 + 8); }

DbfHeader DbfHeader::parse(const std::vector<unsigned char>& b, uint64_t fileSize, const std::string& file) {
    if (b.size() < dbf::kFixedHeaderSize || fileSize < dbf::kFixedHeaderSize)
        corrupt(file, "the file is too short to be a table");
    DbfHeader h;
    h.version = b[0];
    if (!dbf::isKnownVersion(h.version)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "unknown table version byte 0x%02X", h.version);
        corrupt(file, buf);
    }
    h.lastUpdate = Date::tryYmd(1900 + b[1], b[2], b[3]).value_or(Date{});
    h.recordCount = readLe32(&b[4]);
    h.headerLength = readLe16(&b[8]);
    h.recordLength = readLe16(&b[10]);
    h.encrypted = b[dbf::kOffsetEncrypted] == 0x01;
    h.tableFlags = b[dbf::kOffsetTableFlags];
    h.codePage = b[dbf::kOffsetCodePage];

    if (h.headerLength < dbf::kFixedHeaderSize + 1 || h.headerLength > b.size())
        corrupt(file, "the header length " + std::to_string(h.headerLength) + " is impossible");
    if (h.headerLength > fileSize) corrupt(file, "the header is longer than the file");
    if (h.recordLength < 1) corrupt(file, "the record length is zero");

    const bool vfp = dbf::isVisualFoxPro(h.version);
    uint32_t nextOffset = 1;
    std::set<std::string> names;
    std::size_t pos = dbf::kFixedHeaderSize;
    for (;;) {
        if (pos >= h.headerLength) corrupt(file, "the field list has no terminator");
        if (b[pos] == dbf::kHeaderTerminator) break;
        if (pos + dbf::kDescriptorSize > h.headerLength) corrupt(file, "a field descriptor runs past the header");
        const unsigned char* d = &b[pos];
        FieldDef f;
        std::size_t n = 0;
        while (n < 11 && d[n] != 0) ++n;
        f.name.assign(reinterpret_cast<const char*>(d), n);
        for (auto& c : f.name) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
        if (f.name.empty()) corrupt(file, "a field has no name");
        if (!validFieldType(static_cast<char>(d[11])))
            corrupt(file, "field " + f.name + " has an unknown type '" + std::string(1, static_cast<char>(d[11])) + "'");
        f.type = static_cast<FieldType>(d[11]);
        f.width = d[16];
        f.decimals = d[17];
        f.flags = vfp ? d[18] : 0;
        // Old dBase tools leave the displacement at zero; only VFP fills it in.
        const uint32_t displacement = readLe32(d + 12);
        f.offset = (vfp && displacement != 0) ? displacement : nextOffset;
        if (f.width == 0) corrupt(file, "field " + f.name + " has width 0");
        if (f.type == FieldType::Character && !vfp) {
            // Clipper/FoxBASE store character widths above 255 in the decimals byte.
            f.width = d[16];
        }
        if (f.offset < 1 || f.offset + f.width > h.recordLength)
            corrupt(file, "field " + f.name + " lies outside the record");
        if (!names.insert(f.name).second) corrupt(file, "field " + f.name + " appears twice");
        nextOffset = f.offset + f.width;
        h.fields.push_back(std::move(f));
        pos += dbf::kDescriptorSize;
    }
    if (h.fields.empty()) corrupt(file, "the table has no fields");
    // Fields may be listed in any order in VFP, but must not share bytes.
    std::vector<const FieldDef*> byOffset;
    for (const auto& f : h.fields) byOffset.push_back(&f);
    std::sort(byOffset.begin(), byOffset.end(), [](auto* a, auto* c) { return a->offset < c->offset; });
    for (std::size_t i = 1; i < byOffset.size(); ++i)
        if (byOffset[i - 1]->offset + byOffset[i - 1]->width > byOffset[i]->offset)
            corrupt(file, "fields " + byOffset[i - 1]->name + " and " + byOffset[i]->name + " overlap");

    const uint64_t needed = uint64_t{h.headerLength} + uint64_t{h.recordCount} * h.recordLength;
    if (needed > fileSize)
        corrupt(file, "the header counts " + std::to_string(h.recordCount) + " records but the file holds only " +
                          std::to_string((fileSize - h.headerLength) / h.recordLength));

    if (h.encrypted) {
        if (h.headerLength < pos + 1 + TableCipher::kHeaderBlockSize) corrupt(file, "the encryption block is missing");
        const auto* block = &b[h.headerLength - TableCipher::kHeaderBlockSize];
        if (!TableCipher::isHeaderBlock({block, TableCipher::kHeaderBlockSize}))
            corrupt(file, "the encryption block is damaged");
        h.cipherBlock.assign(block, block + TableCipher::kHeaderBlockSize);
    }
    return h;
}

uint16_t DbfHeader::requiredHeaderLength() const {
    std::size_t len = dbf::kFixedHeaderSize + fields.size() * dbf::kDescriptorSize + 1;
    if (dbf::isVisualFoxPro(version)) len += dbf::kVfpBacklinkSize;
    if (encrypted) len += TableCipher::kHeaderBlockSize;
    return static_cast<uint16_t>(len);
}

std::vector<unsigned char> DbfHeader::serialize() const {
    std::vector<unsigned char> b(headerLength, 0);
    b[0] = version;
    if (!lastUpdate.isEmpty()) {
        b[1] = static_cast<unsigned char>(std::clamp(lastUpdate.year() - 1900, 0, 255));
        b[2] = static_cast<unsigned char>(lastUpdate.month());
        b[3] = static_cast<unsigned char>(lastUpdate.day());
    }
    writeLe32(&b[4], recordCount);
    writeLe16(&b[8], headerLength);
    writeLe16(&b[10], recordLength);
    b[dbf::kOffsetEncrypted] = encrypted ? 0x01 : 0x00;
    b[dbf::kOffsetTableFlags] = tableFlags;
    b[dbf::kOffsetCodePage] = codePage;
    const bool vfp = dbf::isVisualFoxPro(version);
    std::size_t pos = dbf::kFixedHeaderSize;
    for (const auto& f : fields) {
        unsigned char* d = &b[pos];
        std::memcpy(d, f.name.data(), std::min<std::size_t>(f.name.size(), 10));
        d[11] = static_cast<unsigned char>(f.type);
        if (vfp) writeLe32(d + 12, f.offset);
        d[16] = f.width;
        d[17] = f.decimals;
        d[18] = vfp ? f.flags : 0;
        pos += dbf::kDescriptorSize;
    }
    b[pos] = dbf::kHeaderTerminator;
    if (encrypted && cipherBlock.size() == TableCipher::kHeaderBlockSize)
        std::memcpy(&b[headerLength - TableCipher::kHeaderBlockSize], cipherBlock.data(), cipherBlock.size());
    return b;
}

DbfHeader DbfHeader::forNewTable(const FieldList& fields, unsigned char version, unsigned char codePage) {
    if (fields.empty()) throw Error(ErrorKind::InvalidArgument, "A table needs at least one field");
    if (fields.size() > 255) throw Error(ErrorKind::InvalidArgument, "A table can have at most 255 fields");
    DbfHeader h;
    h.version = version;
    h.codePage = codePage;
    h.lastUpdate = Date::today();
    const bool vfp = dbf::isVisualFoxPro(version);
    std::set<std::string> names;
    uint32_t offset = 1;
    for (FieldDef f : fields) {
        for (auto& c : f.name) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
        auto bad = [&](const std::string& why) {
            throw Error(ErrorKind::InvalidArgument, "Field " + f.name + ": " + why);
        };
        if (!validFieldName(f.name)) bad("the name must be 1 to 10 letters, digits or _ and start with a letter");
        if (!names.insert(f.name).second) bad("the name is used twice");
        switch (f.type) {
        case FieldType::Character:
            if (f.width < 1 || f.width > 254) bad("a character field is 1 to 254 wide");
            f.decimals = 0;
            break;
        case FieldType::Numeric:
        case FieldType::Float:
            if (f.width < 1 || f.width > 20) bad("a numeric field is 1 to 20 wide");
            if (f.decimals > 0 && f.decimals > f.width - 2) bad("too many decimals for the width");
            break;
        case FieldType::Date: f.width = 8; f.decimals = 0; break;
        case FieldType::Logical: f.width = 1; f.decimals = 0; break;
        case FieldType::Memo:
        case FieldType::General:
        case FieldType::Picture:
        case FieldType::Blob:
            f.width = vfp ? 4 : 10;
            f.decimals = 0;
            break;
        case FieldType::Integer: f.width = 4; f.decimals = 0; break;
        case FieldType::Double: f.width = 8; break;
        case FieldType::Currency:
        case FieldType::DateTime: f.width = 8; f.decimals = 0; break;
        default: bad("this field type cannot be created");
        }
        if (!vfp && (f.type == FieldType::Integer || f.type == FieldType::Double || f.type == FieldType::Currency ||
                     f.type == FieldType::DateTime || f.type == FieldType::Blob))
            bad("this field type needs a Visual FoxPro table");
        f.offset = offset;
        offset += f.width;
        h.fields.push_back(std::move(f));
    }
    if (offset > 65535) throw Error(ErrorKind::InvalidArgument, "The record is longer than 65,535 bytes");
    h.recordLength = static_cast<uint16_t>(offset);
    h.headerLength = h.requiredHeaderLength();
    if (h.hasMemoFields() && vfp) h.tableFlags |= dbf::kFlagMemo;
    return h;
}

}  // namespace vv::db
