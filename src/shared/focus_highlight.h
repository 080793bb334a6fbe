// The aqua highlight of the control that has the focus: painted on when the
// focus enters, the system's window-background colour back when it leaves.
// There is no other highlight colour anywhere in the program.
#pragma once

#include <QColor>
#include <QObject>

class QWidget;

namespace vv::shared {

// Red 0, green 255, blue 255.
inline QColor highlightColour() { return QColor(0, 255, 255); }

class FocusHighlight : public QObject {
    Q_OBJECT
public:
    // Highlights `editor` while it has the focus.
    static void attach(QWidget* editor);
    // Paints `editor` aqua (on) or in the window colour (off).
    static void paint(QWidget* editor, bool on);
    static bool isHighlighted(const QWidget* editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
    static FocusHighlight* instance();
};

}  // namespace vv::shared
