// Folders derived from the data folder.
#pragma once

#include <string>

namespace vv::data {

// The folder of the export tables: the data folder, one separator, then
// "Export/" — whether or not the data folder already ends in a separator
// ('/' or '\\'). An empty data folder gives "Export/".
std::string exportFolder(const std::string& dataFolder);

}  // namespace vv::data
