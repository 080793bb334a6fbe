#include "shared/enter_as_tab.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace vv::shared {

EnterAsTab* EnterAsTab::install(QWidget* form) { return new EnterAsTab(form); }

EnterAsTab::EnterAsTab(QWidget* form) : QObject(form), form_(form) {
    // Single-line edits leave Enter unhandled, so it reaches the form.
    form->installEventFilter(this);
}

bool EnterAsTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !form_->isAncestorOf(focus)) return false;
    if (!qobject_cast<QLineEdit*>(focus) && !qobject_cast<QAbstractSpinBox*>(focus)) return false;
    // As if Tab had been pressed: the focus chain decides where it goes.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focus, &tab);
    return true;
}

}  // namespace vv::shared
