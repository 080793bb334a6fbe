// The compact notation the catalogue writes its field layouts in, so that a
// layout reads like the table's documentation: "NAME TYPE" entries separated
// by ";", where TYPE is C n (character, n wide), D (date), L (logical),
// M (memo), N w (numeric, w wide, no decimals; N4 is the four-digit whole
// number) or N w,d (numeric with d decimals). Example:
//   "LOCCODE C5; DATE D; ROOMS N5; RATE N8,2; MEMO M"
#pragma once

#include <string_view>

#include "db/field.h"

namespace vv::data {

// Throws vv::db::Error (InvalidArgument) quoting the entry it cannot read.
db::FieldList parseLayout(std::string_view text);

// The fields named in `names` (separated by ","), in that order, copied with
// type and width from `source`; `tableName` names the source in the error
// (FieldNotFound) thrown for a name it lacks.
db::FieldList pickFields(const db::FieldList& source, std::string_view names, std::string_view tableName);

}  // namespace vv::data
