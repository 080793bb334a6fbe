// Showing a window as a child of the main window's MDI area: the child frees
// itself when closed, as every window of the program does, and is shown
// without waiting.
#pragma once

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace vv::shared {

// Adds `content` to `area` in a sub-window that deletes itself (and
// `content`) on closing, shows it and returns it. With `centred`, the
// sub-window is placed in the middle of the area at its size hint.
QMdiSubWindow* showMdiChild(QMdiArea& area, QWidget* content, bool centred = false);

// Closes the window `content` stands in: its MDI sub-window when it has one,
// otherwise `content` itself.
void closeWindowOf(QWidget* content);

}  // namespace vv::shared
