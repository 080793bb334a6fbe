// The rule behind OkToSave: a window lists the conditions a record must meet
// before it is stored, in a fixed order. Every condition is checked; the
// focus goes to the field of each failing one in turn, so it ends on the
// failing field that comes last in the list.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace vv::db {
class Table;
}

namespace vv::shared {

// The box shown when a record may not be stored yet.
inline constexpr const char* kFillInFields = "Please Fill In Fields";

class RequiredFields {
public:
    using Missing = std::function<bool()>;  // true when the condition fails

    // The index of the last failing condition, -1 when every one holds.
    static int lastMissing(const std::vector<Missing>& checks);

    // Emptiness as OkToSave tests it: a date field is empty without a date,
    // any other field when its text is blank.
    static bool fieldEmpty(const db::Table& table, std::string_view field);
};

}  // namespace vv::shared
