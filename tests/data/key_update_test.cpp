#include "data/key_update.h"

#include <gtest/gtest.h>

#include "data/catalogue.h"
#include "data/data_folder.h"
#include "db/table.h"
#include "support/temp_dir.h"

using namespace vv;

TEST(KeyUpdate, FillsOnlyEmptyKeysAndConsecutiveKeysDifferInTime) {
    test::TempDir dir;
    data::createDataFolder(dir.str(), {});
    {
        auto calls = db::Table::open(dir.str(), "SALECALL.DBF");
        for (const char* key : {"", "123456123456123", "", ""}) {
            calls->append();
            calls->setText("KEY", key);
            calls->post();
        }
    }
    // A fixed clock and random number: the run must wait for the clock to
    // move instead of giving two records the same time part.
    int tick = 0;
    db::RecordKeySources sources{[&] {
                                     const int ms = tick++ / 3;  // the clock moves every third reading
                                     return db::LocalTime{14, 5, 9, ms};
                                 },
                                 [] { return 4711; }};
    std::vector<std::string> messages;
    const auto result = data::updateKeys(dir.str(), [&](const std::string& m) { messages.push_back(m); }, sources);
    EXPECT_EQ(result.salesCalls, 3);
    EXPECT_EQ(result.traces, 0);
    EXPECT_EQ(messages, (std::vector<std::string>{"Updating Sales Calls...", "Updating Traces...", "All Finished..."}));
    auto calls = db::Table::open(dir.str(), "SALECALL.DBF");
    std::vector<std::string> keys;
    for (calls->first(); !calls->eof(); calls->next()) keys.push_back(calls->getText("KEY"));
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[1], "123456123456123");
    for (int i : {0, 2, 3}) {
        EXPECT_EQ(keys[i].size(), 15u);
        EXPECT_EQ(keys[i].substr(0, 12), "004711140509");
    }
    EXPECT_NE(keys[0].substr(6), keys[2].substr(6));
    EXPECT_NE(keys[2].substr(6), keys[3].substr(6));
}
