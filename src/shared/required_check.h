// OkToSave as the windows run it: the conditions in the window's order
// (RequiredFields), the focus on the failing field that comes last, a beep
// and "Please Fill In Fields". The quick call form uses it alone; the record
// windows through RecordWindow::okToSave.
#pragma once

#include <functional>
#include <vector>

class QWidget;

namespace vv::shared {

struct RequiredCheck {
    QWidget* focus = nullptr;       // the field the focus goes to when the condition fails
    std::function<bool()> missing;  // true when it fails
};

// True when every condition holds. Otherwise focuses, beeps, shows the box
// over `window` and returns false.
bool checkRequiredFields(QWidget* window, const std::vector<RequiredCheck>& checks);

}  // namespace vv::shared
