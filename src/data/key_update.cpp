#include "data/key_update.h"

#include <chrono>
#include <thread>

#include "db/table.h"

namespace vv::data {
namespace {

// The time part of a key: hour, minute, second, millisecond.
std::string timePart(const std::string& key) { return key.substr(6); }

int fillKeys(const std::string& folder, const char* table, const db::RecordKeySources& sources,
             std::string& lastTime) {
    auto t = db::Table::open(folder, table);
    const int keyField = t->fieldIndex("KEY");
    if (keyField < 0) t->field("KEY");  // throws the engine's "has no field KEY"
    int written = 0;
    for (t->first(); !t->eof(); t->next()) {
        if (!t->isBlank(keyField) && !t->getText(keyField).empty()) continue;
        std::string key = db::makeRecordKey(sources);
        // Two keys of one run never share their time part: wait for the clock.
        for (int spins = 0; timePart(key) == lastTime && spins < 1000; ++spins) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            key = db::makeRecordKey(sources);
        }
        lastTime = timePart(key);
        t->edit();
        t->setText(keyField, key);
        t->post();
        ++written;
    }
    return written;
}

}  // namespace

KeyUpdateResult updateKeys(const std::string& dataFolder, const ProgressFn& progress,
                           const db::RecordKeySources& sources) {
    auto say = [&](const char* text) {
        if (progress) progress(text);
    };
    KeyUpdateResult result;
    std::string lastTime;
    say("Updating Sales Calls...");
    result.salesCalls = fillKeys(dataFolder, "SALECALL.DBF", sources, lastTime);
    say("Updating Traces...");
    result.traces = fillKeys(dataFolder, "TRACES.DBF", sources, lastTime);
    say("All Finished...");
    return result;
}

}  // namespace vv::data
