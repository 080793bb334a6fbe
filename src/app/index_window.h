// The Index Files window: a warning to have everyone out of the program, OK
// to rebuild every index file of the data folder (and its export folder) at
// once, Cancel to leave. The work is vv::data::rebuildIndexes; the window
// shows its progress messages one after the other and reports an error in
// the standard error box, staying open with the last message shown so the
// user can see where it stopped and try again.
#pragma once

#include <functional>
#include <string>

#include <QWidget>

#include "data/progress.h"

class QLabel;
class QPushButton;

namespace vv::app {

class TIndex : public QWidget {
    Q_OBJECT
public:
    using RebuildFn = std::function<void(const std::string& dataFolder, const data::ProgressFn& progress)>;

    // `dataFolder`: the folder whose tables are rebuilt, fixed when the window opens.
    explicit TIndex(std::string dataFolder, QWidget* parent = nullptr);
    // With another rebuild (tests).
    TIndex(std::string dataFolder, RebuildFn rebuild, QWidget* parent = nullptr);

    void okClicked();  // BitBtn1Click

private:
    void showProgress(const std::string& message);

    std::string dataFolder_;
    RebuildFn rebuild_;
    QLabel* progress_ = nullptr;  // Label4
    QPushButton* ok_ = nullptr;   // BitBtn1
    QPushButton* cancel_ = nullptr;  // BitBtn2
};

// Opens a new Index Files window over `mainWindow` for the data folder.
void openIndexWindow(QWidget* mainWindow, const std::string& dataFolder);

}  // namespace vv::app
