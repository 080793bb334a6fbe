#include "db/record_key.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "db/error.h"

namespace vv::db {

RecordKeySources systemRecordKeySources() {
    RecordKeySources sources;
    sources.clock = [] {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        std::tm local{};
        localtime_r(&seconds, &local);
        const auto sinceEpoch = now.time_since_epoch();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            sinceEpoch - std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch))
                            .count();
        return LocalTime{local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms < 0 ? ms + 1000 : ms)};
    };
    sources.randomBelow100000 = [] {
        // Reseeded from the clock each time, as keys always were: two keys in
        // the same clock tick may share their random part, which the time
        // digits mostly tell apart. Nothing relies on keys being unique.
        const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
        std::mt19937 generator(static_cast<std::mt19937::result_type>(ticks ^ (ticks >> 32)));
        return std::uniform_int_distribution<int>(0, 99999)(generator);
    };
    return sources;
}

std::string makeRecordKey(const RecordKeySources& sources) {
    const LocalTime t = sources.clock();
    const int random = sources.randomBelow100000();
    if (random < 0 || random > 99999 || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
        t.second < 0 || t.second > 60 || t.millisecond < 0 || t.millisecond > 999)
        throw Error(ErrorKind::InvalidArgument, "A record key cannot be made from random number " +
                                                    std::to_string(random) + " at " + std::to_string(t.hour) + ":" +
                                                    std::to_string(t.minute) + ":" + std::to_string(t.second) + "." +
                                                    std::to_string(t.millisecond));
    char key[16];
    std::snprintf(key, sizeof key, "%06d%02d%02d%02d%03d", random, t.hour, t.minute, t.second, t.millisecond);
    return key;
}

}  // namespace vv::db
