// The Locate Data dialog: asks for the data folder when start-up cannot find
// it. The rules are LocateData's; this window only shows them.
#pragma once

#include <QDialog>

#include "app/locate_data.h"

class QLineEdit;
class QPushButton;

namespace vv::app {

class TLocateData : public QDialog {
    Q_OBJECT
public:
    TLocateData(shared::Settings& settings, const std::string& programFolder, QWidget* parent = nullptr);

private:
    void chooseFolder();  // BitBtn1
    void okClicked();     // BitBtn2

    LocateData rules_;
    QLineEdit* edit_ = nullptr;  // Edit1
};

}  // namespace vv::app
