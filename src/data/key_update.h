// The key update: every sales call and trace without a record key gets one.
#pragma once

#include <string>

#include "data/progress.h"
#include "db/record_key.h"

namespace vv::data {

struct KeyUpdateResult {
    int salesCalls = 0;  // keys written
    int traces = 0;
};

// Walks SALECALL.DBF and then TRACES.DBF of the data folder in record order
// and gives each record whose KEY is empty a new key. Reports "Updating Sales
// Calls...", "Updating Traces..." and "All Finished...". Consecutive keys of
// one run differ in their time part: instead of a fixed pause the run waits
// only until the clock's millisecond has moved on. Errors (a table that
// cannot be opened, a record locked by another user) stop the run; the keys
// written so far stay.
KeyUpdateResult updateKeys(const std::string& dataFolder, const ProgressFn& progress,
                           const db::RecordKeySources& sources = db::systemRecordKeySources());

}  // namespace vv::data
