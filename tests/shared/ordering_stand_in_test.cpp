// Stand-ins, for this test program only, of the table object's ordering
// calls while the engine does not have them yet: weak definitions the
// engine's own replace as soon as it provides them. Each throws, so a test
// that needs ordering skips (see orderingAvailable) instead of failing.
// Remove this file once the engine orders by tags.
#include "db/error.h"
#include "db/table.h"

namespace vv::db {

namespace {

[[noreturn]] void notYet(const char* what) {
    throw Error(ErrorKind::InvalidState, std::string("ordering is not available in this build: ") + what);
}

}  // namespace

__attribute__((weak)) std::vector<Table::TagInfo> Table::tags() { notYet("tags"); }
__attribute__((weak)) void Table::setIndexName(std::string_view) { notYet("setIndexName"); }
__attribute__((weak)) void Table::setIndexFieldNames(std::string_view) { notYet("setIndexFieldNames"); }
__attribute__((weak)) void Table::addTag(std::string_view, std::string_view, bool) { notYet("addTag"); }
__attribute__((weak)) bool Table::locate(std::string_view, std::string_view) { notYet("locate"); }

}  // namespace vv::db
