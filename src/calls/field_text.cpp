#include "calls/field_text.h"

#include "db/field.h"
#include "db/table.h"

namespace vv::calls {

namespace {

// The byte length of the first `chars` UTF-8 characters of `s`.
std::size_t utf8Prefix(std::string_view s, std::size_t chars) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < s.size() && n < chars; ++n) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

}  // namespace

void setFitted(db::Table& table, std::string_view field, std::string_view utf8) {
    const db::FieldDef& f = table.field(field);
    if (f.type == db::FieldType::Character) utf8 = utf8.substr(0, utf8Prefix(utf8, f.width));
    table.setText(field, utf8);
}

}  // namespace vv::calls
