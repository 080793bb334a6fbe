// The main window: an MDI frame with the program's menu. When first shown it
// runs start-up (branding, the folders and settings, the Locate Data dialog
// when needed, the About box); after that every menu command opens a new
// window. Windows of other parts are reached through windowOpeners().
#pragma once

#include <QMainWindow>

#include "app/window_openers.h"
#include "shared/settings_loader.h"

class QMdiArea;

namespace vv::app {

class TMain : public QMainWindow {
    Q_OBJECT
public:
    // `places`: the working folder (branding marker) and the program file's folder (SYSPATH.DBF).
    explicit TMain(shared::StartupPlaces places, QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return mdiArea_; }
    WindowContext windowContext();
    bool startupDone() const { return startupDone_; }

signals:
    // Start-up has ended; `complete` when the settings were all read and the About box shown.
    void startupFinished(bool complete);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenu();
    void runStartup();  // once, when the window is first shown
    void locateData();  // the Locate Data dialog, modal

    // Menu commands.
    void openTracking();
    void openSalesCalls();
    void openTraces();
    void showAbout();
    void openIndexFiles();
    void configureProgram();
    void openExportCalls();
    void encryptTables();
    void decryptTables();
    void importLookupFiles();
    void openBrowseFile();
    void openUpdateKeys();
    void quitProgram();

    shared::StartupPlaces places_;
    QMdiArea* mdiArea_ = nullptr;
    bool startupScheduled_ = false;
    bool startupDone_ = false;
};

}  // namespace vv::app
