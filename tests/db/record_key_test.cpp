#include "db/record_key.h"

#include <gtest/gtest.h>

#include "db/error.h"

using namespace vv::db;

namespace {

RecordKeySources fixed(LocalTime time, int random) {
    return {[time] { return time; }, [random] { return random; }};
}

TEST(RecordKeyTest, RandomNumberThenTimeOfDay) {
    struct Case {
        LocalTime time;
        int random;
        const char* key;
    };
    for (const Case& c : {Case{{14, 5, 9, 42}, 4711, "004711140509042"},
                          Case{{0, 0, 0, 0}, 0, "000000000000000"},
                          Case{{23, 59, 59, 999}, 99999, "099999235959999"}}) {
        EXPECT_EQ(makeRecordKey(fixed(c.time, c.random)), c.key);
    }
}

TEST(RecordKeyTest, OutOfRangeSourcesAreRefused) {
    EXPECT_THROW(makeRecordKey(fixed({12, 0, 0, 0}, 100000)), Error);
    EXPECT_THROW(makeRecordKey(fixed({12, 0, 0, 0}, -1)), Error);
    EXPECT_THROW(makeRecordKey(fixed({24, 0, 0, 0}, 1)), Error);
    EXPECT_THROW(makeRecordKey(fixed({12, 0, 0, 1000}, 1)), Error);
}

TEST(RecordKeyTest, SystemSourcesGiveFifteenDigits) {
    const RecordKeySources system = systemRecordKeySources();
    for (int i = 0; i < 20; ++i) {
        const std::string key = makeRecordKey(system);
        ASSERT_EQ(key.size(), 15u) << key;
        EXPECT_EQ(key.find_first_not_of("0123456789"), std::string::npos) << key;
        EXPECT_EQ(key[0], '0') << "the random part stays below 100000: " << key;
        EXPECT_LE(std::stoi(key.substr(6, 2)), 23) << key;
        EXPECT_LE(std::stoi(key.substr(8, 2)), 59) << key;
    }
    EXPECT_EQ(makeRecordKey().size(), 15u);
}

}  // namespace
