#include "shared/table_cursor.h"

namespace vv::shared {

bool TableCursor::first() {
    ++reads_;
    table_.first();
    return table_.recno() != 0;
}

bool TableCursor::last() {
    ++reads_;
    table_.last();
    return table_.recno() != 0;
}

bool TableCursor::next() {
    ++reads_;
    table_.next();
    return !table_.eof();
}

bool TableCursor::prior() {
    ++reads_;
    table_.prior();
    return !table_.bof();
}

void TableCursor::go(uint32_t recno) {
    ++reads_;
    table_.go(recno);
}

}  // namespace vv::shared
