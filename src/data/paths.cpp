#include "data/paths.h"

namespace vv::data {

std::string exportFolder(const std::string& dataFolder) {
    std::string folder = dataFolder;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder + "Export/";
}

}  // namespace vv::data
