// Acting on a modal dialog from inside the event loop it runs: the test
// arms the action before the code that opens the dialog, and the action runs
// as soon as a modal widget of the wanted type is active.
#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace vv::test {

// Runs `act` on the next active modal widget of type T. Looks every few
// milliseconds and gives up after `attempts` looks, so a dialog that never
// comes does not leave the check running into later tests.
template <typename T>
void whenModal(std::function<void(T*)> act, int attempts = 1000) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto left = std::make_shared<int>(attempts);
    QObject::connect(timer, &QTimer::timeout, [timer, act, left] {
        auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!widget && --*left > 0) return;
        timer->stop();
        timer->deleteLater();
        if (widget) act(widget);
    });
    timer->start();
}

}  // namespace vv::test
