// Conversions between a field's stored bytes and values. Text stays in the
// table's code page here; the table converts to and from UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/date.h"
#include "db/field.h"

namespace vv::db::field_codec {

// The stored bytes of a field inside a record.
inline std::string_view bytes(const FieldDef& f, const unsigned char* record) {
    return {reinterpret_cast<const char*>(record + f.offset), f.width};
}

bool isBlank(const FieldDef& f, const unsigned char* record);

// Character fields: bytes without trailing blanks (and NULs).
std::string_view text(const FieldDef& f, const unsigned char* record);
// Numeric-like fields (N, F, I, B, Y): the value, 0 when blank or unreadable.
double number(const FieldDef& f, const unsigned char* record);
// Date and date-time fields (the date part); empty when blank or impossible.
Date date(const FieldDef& f, const unsigned char* record);
// Date-time fields: milliseconds after midnight.
uint32_t milliseconds(const FieldDef& f, const unsigned char* record);
// Logical fields: true for T/t/Y/y.
bool logical(const FieldDef& f, const unsigned char* record);
// Memo-like fields: the block number, 0 when none. nullopt when the pointer
// bytes are not a number (a damaged record).
std::optional<uint32_t> memoBlock(const FieldDef& f, const unsigned char* record);

// Number as the field shows it ("12.50" for N 10,2), without padding.
std::string formatNumber(const FieldDef& f, const unsigned char* record);

// Writers. Each throws InvalidArgument naming the field when the value does
// not fit (text too long, number too wide, wrong field type).
void setText(const FieldDef& f, unsigned char* record, std::string_view codePageBytes);
void setNumber(const FieldDef& f, unsigned char* record, double value);
void setDate(const FieldDef& f, unsigned char* record, Date value);
void setLogical(const FieldDef& f, unsigned char* record, bool value);
void setMemoBlock(const FieldDef& f, unsigned char* record, uint32_t block);
void setBlank(const FieldDef& f, unsigned char* record);

}  // namespace vv::db::field_codec
