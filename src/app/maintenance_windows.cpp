#include "app/maintenance_windows.h"

#include "app/browse_file_window.h"
#include "app/index_window.h"
#include "app/table_encryption_menu.h"
#include "app/update_keys_window.h"
#include "shared/settings.h"

namespace vv::app {

void plugInMaintenanceWindows(WindowOpeners& openers) {
    auto dataFolder = [] { return shared::settings().DataFolder; };
    openers.indexFiles = [dataFolder](const WindowContext& c) { openIndexWindow(c.mainWindow, dataFolder()); };
    openers.updateKeys = [dataFolder](const WindowContext& c) { openUpdateKeysWindow(c.mainWindow, dataFolder()); };
    openers.browseFile = [dataFolder](const WindowContext& c) { openBrowseFileWindow(c.mainWindow, dataFolder()); };
    openers.encryptTables = [dataFolder](const WindowContext& c) { encryptTablesCommand(c.mainWindow, dataFolder()); };
    openers.decryptTables = [dataFolder](const WindowContext& c) { decryptTablesCommand(c.mainWindow, dataFolder()); };
}

}  // namespace vv::app
