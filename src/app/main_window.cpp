#include "app/main_window.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "app/about_box.h"
#include "app/locate_data_dialog.h"
#include "app/program_config_window.h"
#include "db/table.h"
#include "shared/error_box.h"
#include "shared/mdi_child.h"
#include "shared/product.h"

namespace vv::app {

namespace {

// Runs a menu command: an error ends it in the standard error box.
template <typename Fn>
auto guarded(TMain* window, const char* where, Fn fn) {
    return [window, where, fn] { shared::runGuarded(window, [&] { fn(); }, QString::fromLatin1(where)); };
}

// The client area: a gradient from top to bottom over the whole area, made
// again for each size (a brush relative to each painted piece would band).
class GradientMdiArea : public QMdiArea {
public:
    using QMdiArea::QMdiArea;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QMdiArea::resizeEvent(event);
        QLinearGradient gradient(0, 0, 0, std::max(1, viewport()->height()));
        gradient.setColorAt(0, QColor(0x1c, 0x3f, 0x7a));
        gradient.setColorAt(1, QColor(0x9f, 0xbf, 0xe8));
        setBackground(gradient);
    }
};

}  // namespace

TMain::TMain(shared::StartupPlaces places, QWidget* parent) : QMainWindow(parent), places_(std::move(places)) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QString::fromUtf8(shared::kProgramName));
    // Records marked deleted stay out of sight everywhere unless a window asks for them.
    db::Table::setShowDeleted(false);

    mdiArea_ = new GradientMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("RzBackground1"));
    setCentralWidget(mdiArea_);

    buildMenu();
}

WindowContext TMain::windowContext() { return WindowContext{mdiArea_, this}; }

void TMain::buildMenu() {
    struct Item {
        const char* name;  // the component's name
        const char* caption;
        void (TMain::*handler)();
        bool hidden = false;
    };
    struct Menu {
        const char* name;
        const char* caption;
        std::vector<Item> items;
    };
    const std::vector<Menu> menus = {
        {"DailyTracking1", "Daily Tracking", {{"AddEdit2", "Add/Edit", &TMain::openTracking}}},
        {"SalesCalls1", "Sales Calls", {{"AddEditCalls1", "Add/Edit Calls", &TMain::openSalesCalls}}},
        {"Traces1", "Traces", {{"AddEdit1", "Add/Edit Traces", &TMain::openTraces}}},
        {"Utilities1",
         "Utilities",
         {{"About1", "About", &TMain::showAbout},
          {"IndexFiles1", "Index Files", &TMain::openIndexFiles},
          {"ConfigureProgram1", "Configure Program", &TMain::configureProgram},
          {"ExportCalls1", "Export Calls/Traces", &TMain::openExportCalls},
          {"EncryptTables1", "Encrypt Tables", &TMain::encryptTables, true},
          {"DecryptTables1", "Decrypt Tables", &TMain::decryptTables, true},
          {"ImportLookupFiles1", "Import Lookup Files", &TMain::importLookupFiles},
          {"BrowseFile1", "Browse File", &TMain::openBrowseFile},
          {"UpdateKeys1", "Update Keys", &TMain::openUpdateKeys}}},
        {"Quit1", "Quit", {{"QuitProgram1", "Quit Program", &TMain::quitProgram}}},
    };
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    for (const Menu& m : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        for (const Item& item : m.items) {
            QAction* action = menu->addAction(QString::fromLatin1(item.caption));
            action->setObjectName(QString::fromLatin1(item.name));
            action->setVisible(!item.hidden);
            connect(action, &QAction::triggered, this, guarded(this, item.name, [this, h = item.handler] { (this->*h)(); }));
        }
    }
}

void TMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (startupScheduled_) return;
    startupScheduled_ = true;
    // After the frame is on screen, so the dialogs of start-up appear over it.
    QTimer::singleShot(0, this, &TMain::runStartup);
}

void TMain::runStartup() {
    shared::Settings& s = shared::settings();
    shared::SettingsLoader loader(s, places_, [this] { locateData(); });
    loader.brand();
    setWindowTitle(QString::fromStdString(s.ProductTitle));
    QApplication::setApplicationDisplayName(QString::fromStdString(s.ProductTitle));

    const bool complete = shared::runGuarded(this, [&] { loader.load(); }, QStringLiteral("Start-up"));
    if (complete) showAbout();
    startupDone_ = true;
    emit startupFinished(complete);
}

void TMain::locateData() {
    TLocateData dialog(shared::settings(), places_.programFolder, this);
    dialog.exec();
}

void TMain::openTracking() {
    if (auto& open = windowOpeners().tracking) return open(windowContext());
    openPlaceholder(windowContext(), QStringLiteral("Daily Tracking"));
}

void TMain::openSalesCalls() {
    if (auto& open = windowOpeners().salesCalls) return open(windowContext(), "File_Code = ''");
    openPlaceholder(windowContext(), QStringLiteral("Sales Calls"));
}

void TMain::openTraces() {
    if (auto& open = windowOpeners().traces) return open(windowContext(), "", "SALES_ID");
    openPlaceholder(windowContext(), QStringLiteral("Traces"));
}

void TMain::showAbout() { shared::showMdiChild(*mdiArea_, new TAboutbox, true); }

void TMain::openIndexFiles() {
    if (auto& open = windowOpeners().indexFiles) return open(windowContext());
    openPlaceholder(windowContext(), QStringLiteral("Index Files"));
}

void TMain::configureProgram() { shared::showMdiChild(*mdiArea_, new TProgramConfig(shared::settings()), true); }

void TMain::openExportCalls() {
    if (auto& open = windowOpeners().exportCalls) return open(windowContext());
    openPlaceholder(windowContext(), QStringLiteral("Export Calls/Traces"));
}

void TMain::encryptTables() {
    if (auto& open = windowOpeners().encryptTables) return open(windowContext());
    openPlaceholder(windowContext(), QStringLiteral("Encrypt Tables"));
}

void TMain::decryptTables() {
    if (auto& open = windowOpeners().decryptTables) return open(windowContext());
    openPlaceholder(windowContext(), QStringLiteral("Decrypt Tables"));
}

void TMain::importLookupFiles() {
    if (auto& open = windowOpeners().importLookupFiles) return open(windowContext(), "Restore Files");
    openPlaceholder(windowContext(), QStringLiteral("Import Lookup Files"));
}

void TMain::openBrowseFile() {
    if (auto& open = windowOpeners().browseFile) return open(windowContext());
    openPlaceholder(windowContext(), QStringLiteral("Browse File"));
}

void TMain::openUpdateKeys() {
    if (auto& open = windowOpeners().updateKeys) return open(windowContext());
    openPlaceholder(windowContext(), QStringLiteral("Update Keys"));
}

// At once and without asking, as the menu promises.
void TMain::quitProgram() { QCoreApplication::exit(0); }

}  // namespace vv::app
