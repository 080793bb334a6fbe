// The Update Keys window: OK gives every sales call and trace without a
// record key a new one (vv::data::updateKeys), showing which table it is
// on; Cancel, "Close" once done, closes the window.
#pragma once

#include <functional>
#include <string>

#include <QWidget>

#include "data/progress.h"

class QLabel;
class QPushButton;

namespace vv::app {

class TUpdateKeys : public QWidget {
    Q_OBJECT
public:
    explicit TUpdateKeys(std::string dataFolder, QWidget* parent = nullptr);

    void okClicked();  // BitBtn1Click

private:
    void showStatus(const std::string& message);

    std::string dataFolder_;
    QLabel* status_ = nullptr;       // Label3
    QPushButton* ok_ = nullptr;      // BitBtn1
    QPushButton* cancel_ = nullptr;  // BitBtn2
};

// Opens a new Update Keys window over `mainWindow` for the data folder.
void openUpdateKeysWindow(QWidget* mainWindow, const std::string& dataFolder);

}  // namespace vv::app
