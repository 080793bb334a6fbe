// Default widths of grid columns, from the field each shows: its display
// width in characters of the grid's font, widened to fit the title.
#pragma once

#include <QString>

#include "db/field.h"

class QFontMetrics;

namespace vv::shared {

// Characters a field's values take on screen.
int displayChars(const db::FieldDef& field);

// Pixels for a column of `field` (null: a blank column) titled `title`.
int defaultColumnWidth(const QFontMetrics& metrics, const db::FieldDef* field, const QString& title);

}  // namespace vv::shared
