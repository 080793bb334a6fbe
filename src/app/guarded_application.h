// The program's QApplication: an error escaping any event handler ends that
// handler and is shown in the standard error box; the event loop goes on.
#pragma once

#include <QApplication>

namespace vv::app {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace vv::app
