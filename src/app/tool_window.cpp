#include "app/tool_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vv::app {

void makeToolWindow(QWidget* window, TitleButtons buttons) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (buttons == TitleButtons::CloseOnly) flags |= Qt::WindowCloseButtonHint;
    window->setWindowFlags(flags);
    window->setAttribute(Qt::WA_DeleteOnClose);
}

void showCentred(QWidget* window, QWidget* over) {
    window->adjustSize();
    QRect area;
    if (over) area = over->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
    window->show();
}

}  // namespace vv::app
