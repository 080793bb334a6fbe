// A small data folder with sample calls, for trying the program out.
#pragma once

#include <string>

namespace vv::cli {

void createDemoFolder(const std::string& folder);

}  // namespace vv::cli
