// Copying texts between tables whose fields differ in width (an account's
// 40-character address into a call's 30): the text is cut to the field, as
// the program has always stored such copies, instead of being refused.
#pragma once

#include <string>
#include <string_view>

namespace vv::db {
class Table;
}

namespace vv::calls {

// Writes `utf8` into `field` of the pending record, cut to a character
// field's width (in characters); other fields take it as it is.
void setFitted(db::Table& table, std::string_view field, std::string_view utf8);

}  // namespace vv::calls
