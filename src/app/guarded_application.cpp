#include "app/guarded_application.h"

#include "shared/error_box.h"

namespace vv::app {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString where = receiver ? QString::fromLatin1(receiver->metaObject()->className()) + QLatin1Char(' ') +
                                             receiver->objectName()
                                       : QString();
        shared::showCurrentError(activeWindow(), where.trimmed());
        return false;
    }
}

}  // namespace vv::app
