// The windows the main menu opens that belong to other parts of the program
// (sales calls, traces, tracking, exchange, maintenance). The menu calls
// these slots; the program's main() plugs the real windows in, so a new
// window needs no change to the menu. A slot left empty opens a placeholder
// MDI child saying the window is not available yet.
//
// Every opener creates a new window each time it is called and shows it
// without waiting (the import window alone is modal); it never looks for
// one already open.
#pragma once

#include <functional>
#include <string>

#include <QString>

class QMdiArea;
class QWidget;

namespace vv::app {

// Where a window opened from the menu goes.
struct WindowContext {
    QMdiArea* mdiArea = nullptr;    // the main window's MDI area, parent of MDI children
    QWidget* mainWindow = nullptr;  // parent of dialogs and ordinary windows
};

using OpenWindowFn = std::function<void(const WindowContext&)>;

struct WindowOpeners {
    OpenWindowFn tracking;  // "Daily Tracking" > "Add/Edit": a new TTracking
    // "Sales Calls" > "Add/Edit Calls": OpenSalesCalls(filter), called with "File_Code = ''".
    std::function<void(const WindowContext&, const std::string& filter)> salesCalls;
    // "Traces" > "Add/Edit Traces": OpenTraces(value, mode), called with "" and "SALES_ID".
    std::function<void(const WindowContext&, const std::string& value, const std::string& mode)> traces;
    OpenWindowFn indexFiles;     // "Utilities" > "Index Files": TIndex
    OpenWindowFn exportCalls;    // "Utilities" > "Export Calls/Traces": TExportCalls
    OpenWindowFn encryptTables;  // hidden "Utilities" > "Encrypt Tables"
    OpenWindowFn decryptTables;  // hidden "Utilities" > "Decrypt Tables"
    // "Utilities" > "Import Lookup Files": RunImportFiles(mode), modal, called with "Restore Files".
    std::function<void(const WindowContext&, const std::string& mode)> importLookupFiles;
    OpenWindowFn browseFile;  // "Utilities" > "Browse File": TBrowsefile
    OpenWindowFn updateKeys;  // "Utilities" > "Update Keys": TUpdateKeys
};

// The program's one set of openers; empty slots until main() fills them.
WindowOpeners& windowOpeners();

// Opens the placeholder MDI child titled `title`.
void openPlaceholder(const WindowContext& context, const QString& title);

}  // namespace vv::app
