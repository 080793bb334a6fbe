#include "shared/settings.h"

#include "db/table.h"
#include "shared/paths.h"

namespace vv::shared {

Settings& settings() {
    static Settings instance;
    return instance;
}

std::string ExportFolder() { return exportFolder(settings().DataFolder); }

std::string ConnectionTypeName(const db::Table& table) {
    // The engine names its connection itself; anything it may report other
    // than the three known kinds counts as unknown.
    const std::string type = table.connectionType();
    if (type == "Local" || type == "Remote" || type == "AIS") return type;
    return "UnKnown";
}

}  // namespace vv::shared
