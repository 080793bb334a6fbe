// The Configure Program window: the hotel's location, the backup drive and
// the data and letters folders in one form. The rules are ProgramConfig's;
// this window only shows them. An MDI child that frees itself when closed.
#pragma once

#include <map>

#include <QWidget>

#include "app/program_config.h"

class QLineEdit;

namespace vv::app {

class TProgramConfig : public QWidget {
    Q_OBJECT
public:
    explicit TProgramConfig(shared::Settings& settings, QWidget* parent = nullptr);

    QLineEdit* editFor(ConfigField field) const { return edits_.at(field); }

private:
    void load();
    void chooseFolder(ConfigField field);
    void okClicked();  // OKButton

    ProgramConfig rules_;
    std::map<ConfigField, QLineEdit*> edits_;
};

}  // namespace vv::app
