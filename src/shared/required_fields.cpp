#include "shared/required_fields.h"

#include "db/table.h"

namespace vv::shared {

int RequiredFields::lastMissing(const std::vector<Missing>& checks) {
    int last = -1;
    for (std::size_t i = 0; i < checks.size(); ++i)
        if (checks[i]()) last = static_cast<int>(i);
    return last;
}

bool RequiredFields::fieldEmpty(const db::Table& table, std::string_view field) {
    if (table.field(field).type == db::FieldType::Date) return table.getDate(field).isEmpty();
    return table.getText(field).find_first_not_of(" \t") == std::string::npos;
}

}  // namespace vv::shared
