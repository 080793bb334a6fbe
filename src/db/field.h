// Field descriptors of a DBF table as the engine sees them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vv::db {

enum class FieldType : char {
    Character = 'C',
    Date = 'D',        // 8 ASCII digits yyyymmdd, blanks when empty
    Numeric = 'N',     // right-aligned ASCII number
    Float = 'F',       // same storage as Numeric
    Logical = 'L',     // 'T','t','Y','y' true; 'F','f','N','n' false; '?' or ' ' unset
    Memo = 'M',        // block number into the FPT (4-byte binary in VFP, 10 ASCII digits in dBase III)
    Integer = 'I',     // 4-byte little-endian signed
    Double = 'B',      // 8-byte little-endian IEEE double (VFP)
    Currency = 'Y',    // 8-byte little-endian integer, 4 implied decimals
    DateTime = 'T',    // 4-byte julian day + 4-byte milliseconds since midnight
    General = 'G',     // memo block number, OLE object
    Picture = 'P',     // memo block number, picture
    Blob = 'W',        // memo block number, binary
    Varchar = 'V',
    Varbinary = 'Q',
};

struct FieldDef {
    std::string name;       // upper case, at most 10 characters
    FieldType type = FieldType::Character;
    uint8_t width = 0;
    uint8_t decimals = 0;
    uint32_t offset = 0;    // byte offset inside the record; 0 is the deletion flag
    uint8_t flags = 0;      // VFP field flags (system, nullable, binary)

    bool isMemoLike() const {
        return type == FieldType::Memo || type == FieldType::General ||
               type == FieldType::Picture || type == FieldType::Blob;
    }
};

using FieldList = std::vector<FieldDef>;

}  // namespace vv::db
