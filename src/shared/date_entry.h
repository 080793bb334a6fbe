// How dates are typed and picked in the record windows: the picture
// "MM/DD/yy" with the century window of 1960 (60-99 are 1960-1999, 00-59 are
// 2000-2059), and the calendar button beside each date field.
#pragma once

#include <string_view>

#include "db/date.h"
#include "db/table.h"

namespace vv::shared {

class DateEntry {
public:
    static constexpr const char* kPicture = "MM/DD/yy";
    // The line-edit mask of the picture; '_' marks a place not typed yet.
    static constexpr const char* kInputMask = "99/99/99;_";

    struct Parsed {
        enum class Kind { Empty, Valid, Invalid };
        Kind kind = Kind::Empty;
        db::Date date;  // the empty date unless Valid

        bool usable() const { return kind != Kind::Invalid; }
    };

    // A date as typed (mask places '_' count as blanks): nothing typed is the
    // empty date, a partly typed or impossible date is Invalid.
    static Parsed parse(std::string_view typed);

    // The calendar starts on the field's date when it holds one, else on today.
    static db::Date calendarStart(db::Date fieldDate, db::Date today);

    // The calendar button acts only while a record is being added or edited.
    static bool calendarActs(db::Table::State state) { return state != db::Table::State::Browse; }
};

}  // namespace vv::shared
