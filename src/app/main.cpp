// vekvoro: the program. It reads no settings from the command line; the only
// option, --screenshot FILE, starts normally, waits until start-up is done,
// saves a picture of the main window with its open windows and exits.
#include <cstdio>
#include <memory>

#include <QDir>
#include <QIcon>
#include <QMdiArea>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include "app/about_box.h"
#include "app/guarded_application.h"
#include "app/main_window.h"
#include "app/maintenance_windows.h"
#include "app/window_openers.h"
#include "calls/sales_calls_window.h"
#include "exchange/export_calls_window.h"
#include "exchange/import_files_window.h"
#include "traces/traces_window.h"
#include "tracking/tracking_window.h"

namespace {

// The windows of the other parts of the program are plugged in here, as
// they become available (see app/window_openers.h).
void plugInWindows(vv::app::WindowOpeners& openers) {
    vv::app::plugInMaintenanceWindows(openers);
    openers.salesCalls = [](const vv::app::WindowContext& context, const std::string& filter) {
        vv::calls::OpenSalesCalls(*context.mdiArea, filter);
    };
    openers.tracking = [](const vv::app::WindowContext& context) { vv::tracking::OpenTracking(*context.mdiArea); };
    openers.traces = [](const vv::app::WindowContext& context, const std::string& value, const std::string& mode) {
        vv::traces::OpenTraces(*context.mdiArea, value, mode);
    };
    openers.exportCalls = [](const vv::app::WindowContext& context) {
        vv::exchange::openExportCalls(*context.mdiArea);
    };
    // The import window, however it closes, hands over to the index rebuild.
    openers.importLookupFiles = [](const vv::app::WindowContext& context, const std::string& mode) {
        vv::exchange::RunImportFiles(context.mainWindow, mode, [context] {
            if (auto& open = vv::app::windowOpeners().indexFiles) return open(context);
            vv::app::openPlaceholder(context, QStringLiteral("Index Files"));
        });
    };
}

// How long --screenshot waits for start-up; a dialog waiting for the user
// (Locate Data, an error box) would otherwise keep it waiting for ever.
constexpr int kScreenshotPatienceMs = 60000;

bool savePicture(const QPixmap& picture, const QString& file) {
    if (!picture.isNull() && picture.save(file, "PNG")) return true;
    std::fprintf(stderr, "vekvoro: cannot write %s\n", qPrintable(file));
    return false;
}

// The whole screen when the platform can give it (a dialog waiting for the
// user is then in the picture), otherwise the main window.
QPixmap screenOrWindow(QWidget& window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPixmap picture = screen->grabWindow(0);
        if (!picture.isNull()) return picture;
    }
    return window.grab();
}

}  // namespace

int main(int argc, char** argv) {
    vv::app::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vekvoro"));
    QApplication::setWindowIcon(QIcon(vv::app::productLogo()));

    QString screenshot;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
            screenshot = args[++i];
        } else {
            std::fprintf(stderr, "usage: vekvoro [--screenshot FILE.png]\n");
            return 2;
        }
    }

    plugInWindows(vv::app::windowOpeners());

    vv::app::TMain window({QDir::currentPath().toStdString(), QCoreApplication::applicationDirPath().toStdString()});

    if (!screenshot.isEmpty()) {
        auto taken = std::make_shared<bool>(false);
        QObject::connect(&window, &vv::app::TMain::startupFinished, &window, [&window, screenshot, taken](bool complete) {
            if (*taken) return;
            if (!complete) std::fprintf(stderr, "vekvoro: start-up did not complete; taking the picture anyway\n");
            // Once the windows just opened have been laid out.
            QTimer::singleShot(100, &window, [&window, screenshot, taken] {
                *taken = true;
                QCoreApplication::exit(savePicture(window.grab(), screenshot) ? 0 : 1);
            });
        });
        QTimer::singleShot(kScreenshotPatienceMs, &window, [&window, screenshot, taken] {
            if (*taken || window.startupDone()) return;
            *taken = true;
            std::fprintf(stderr, "vekvoro: start-up is waiting for the user; taking the picture now\n");
            savePicture(screenOrWindow(window), screenshot);
            QCoreApplication::exit(3);
        });
    }

    if (QScreen* screen = QGuiApplication::primaryScreen()) window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}
