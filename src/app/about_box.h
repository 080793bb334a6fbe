// The About box: the product name and version, the logo and a short legal
// notice. An MDI child without buttons, closed by its close box.
#pragma once

#include <QWidget>

namespace vv::app {

class TAboutbox : public QWidget {
    Q_OBJECT
public:
    explicit TAboutbox(QWidget* parent = nullptr);
};

}  // namespace vv::app
