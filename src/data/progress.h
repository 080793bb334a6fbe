// How long-running maintenance work (creating a data folder, rebuilding
// indexes, exporting) tells its caller what it is doing: one message per
// step, e.g. "Indexing Sales Calls...". The windows show it in a label, the
// command-line tool prints it.
#pragma once

#include <functional>
#include <string>

namespace vv::data {

using ProgressFn = std::function<void(const std::string&)>;

}  // namespace vv::data
