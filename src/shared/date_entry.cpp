#include "shared/date_entry.h"

#include <algorithm>
#include <string>

namespace vv::shared {

DateEntry::Parsed DateEntry::parse(std::string_view typed) {
    std::string text(typed);
    std::replace(text.begin(), text.end(), '_', ' ');
    Parsed parsed;
    const std::optional<db::Date> date = db::Date::fromDisplay(text);
    if (!date) {
        parsed.kind = Parsed::Kind::Invalid;
    } else if (!date->isEmpty()) {
        parsed.kind = Parsed::Kind::Valid;
        parsed.date = *date;
    }
    return parsed;
}

db::Date DateEntry::calendarStart(db::Date fieldDate, db::Date today) {
    return fieldDate.isEmpty() ? today : fieldDate;
}

}  // namespace vv::shared
