#include "shared/focus_highlight.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QPalette>
#include <QWidget>

namespace vv::shared {

FocusHighlight* FocusHighlight::instance() {
    static FocusHighlight* filter = new FocusHighlight(qApp);  // lives as long as the application
    return filter;
}

void FocusHighlight::attach(QWidget* editor) {
    editor->installEventFilter(instance());
    paint(editor, editor->hasFocus());
}

void FocusHighlight::paint(QWidget* editor, bool on) {
    QPalette palette = editor->palette();
    const QColor colour = on ? highlightColour() : QApplication::palette(editor).color(QPalette::Active, QPalette::Base);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Base, colour);
    editor->setPalette(palette);
}

bool FocusHighlight::isHighlighted(const QWidget* editor) {
    return editor->palette().color(QPalette::Active, QPalette::Base) == highlightColour();
}

bool FocusHighlight::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) return false;
    // Another window coming to the front is not the user leaving the control.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason)
        return false;
    // By where the focus is now, not by the event: a check run on leaving
    // may already have put the focus back.
    if (auto* editor = qobject_cast<QWidget*>(watched)) paint(editor, editor->hasFocus());
    return false;
}

}  // namespace vv::shared
