// What the Letters command takes from the current trace: its contact,
// address and salesperson as letter values (the address block and the
// markers are built by shared/letter_values.h). Traces hold no contact title.
#pragma once

#include <QDate>

#include "shared/letter_values.h"

namespace vv::db {
class Table;
}

namespace vv::traces {

// The trace's fields; the salesperson's name ("SFIRST SLAST") and title from
// `salespeople` (on its SALES_ID tag; may be null), empty when not there.
shared::LetterValues traceLetterValues(const db::Table& trace, db::Table* salespeople, const QDate& today);

}  // namespace vv::traces
