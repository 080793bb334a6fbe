// What the Clipboard and Letters commands take from the current call: its
// contact, address and salesperson as letter values (the texts themselves
// are built by shared/letter_values.h).
#pragma once

#include <QDate>

#include "shared/letter_values.h"

namespace vv::db {
class Table;
}

namespace vv::calls {

inline constexpr const char* kContactCopied = "Contact Copied To Clipboard!";

// The call's fields; the salesperson's name and title from `salespeople`
// (on its SALES_ID tag; may be null), empty when the call's SALES_ID is not there.
shared::LetterValues letterValuesOf(const db::Table& call, db::Table* salespeople, const QDate& today);

}  // namespace vv::calls
