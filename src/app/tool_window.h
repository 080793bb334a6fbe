// The maintenance windows (Index Files, Update Keys, Browse File) are
// ordinary windows over the main window rather than MDI children: shown
// without waiting, centred on the main window, freed when closed.
#pragma once

#include <Qt>

class QWidget;

namespace vv::app {

// Title-bar buttons of a maintenance window.
enum class TitleButtons {
    None,      // a window closed only by its own buttons
    CloseOnly  // the close box alone
};

// Makes `window` a top-level window with those title-bar buttons, freed on
// closing. Given the main window as parent, it stays over it.
void makeToolWindow(QWidget* window, TitleButtons buttons);

// Shows `window` centred on `over` (on the screen without one).
void showCentred(QWidget* window, QWidget* over);

}  // namespace vv::app
