#include "shared/type_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vv::shared {

namespace {

struct Stroke {
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

bool typedWithShift(QChar c) {
    static const QString shifted = QStringLiteral("~!@#$%^&*()_+{}|:\"<>?");
    return c.isUpper() || shifted.contains(c);
}

// The key that produces `c`; false when it has none.
bool strokeFor(QChar c, Stroke& out) {
    if (c == u'\t') {
        out = {Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t")};
        return true;
    }
    if (c == u'\r' || c == u'\n') {
        out = {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")};
        return true;
    }
    if (c.category() == QChar::Other_Control || c.isSurrogate()) return false;
    // Qt's key codes for Latin letters are their upper-case code points; other
    // printable characters use their own code point.
    const int key = c.isLetter() && c.unicode() < 0x80 ? c.toUpper().unicode() : c.unicode();
    out = {key, typedWithShift(c) ? Qt::ShiftModifier : Qt::NoModifier, QString(c)};
    return true;
}

}  // namespace

void TypeKeys(const QString& text) {
    for (const QChar c : text) {
        Stroke s;
        if (!strokeFor(c, s)) continue;
        QWidget* target = QApplication::focusWidget();
        if (!target) return;
        QKeyEvent press(QEvent::KeyPress, s.key, s.modifiers, s.text);
        QApplication::sendEvent(target, &press);
        // The press may have moved the focus (Tab, Return in a dialog).
        if (QWidget* now = QApplication::focusWidget()) target = now;
        QKeyEvent release(QEvent::KeyRelease, s.key, s.modifiers, s.text);
        QApplication::sendEvent(target, &release);
    }
}

}  // namespace vv::shared
