// The "Letters" drop-down of a record window's main bar (calls, traces):
// the letter documents Letters.dbf in the data folder lists; choosing one
// runs the window's handler guarded.
#pragma once

#include <functional>
#include <vector>

#include <QString>

class QMenu;
class QToolBar;
class QWidget;

namespace vv::shared {

class LettersMenu {
public:
    // Adds the button to `bar`; `open` gets the chosen letter's file name.
    LettersMenu(QWidget* window, QToolBar* bar, std::function<void(const QString&)> open);
    // Lists the letters again; throws as the table engine does when
    // Letters.dbf cannot be read, leaving the old list.
    void load();
    const std::vector<QString>& letters() const { return letters_; }

private:
    QMenu* menu_;
    std::vector<QString> letters_;
};

}  // namespace vv::shared
