// Record keys of calls, traces and tracking records: a random number 0..99999
// padded to 6 digits, then hour, minute, second (2 digits each) and
// millisecond (3 digits) of the local time: 15 characters.
#pragma once

#include <functional>
#include <string>

namespace vv::db {

struct LocalTime {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct RecordKeySources {
    std::function<LocalTime()> clock;      // local time now
    std::function<int()> randomBelow100000;  // reseeded from the clock before each key
};

RecordKeySources systemRecordKeySources();
std::string makeRecordKey(const RecordKeySources& sources = systemRecordKeySources());

}  // namespace vv::db
