// The About box: the product name and version, the logo and a short legal
// notice. An MDI child without buttons, closed by its close box.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace vv::app {

// The product logo, also the program's window icon.
QPixmap productLogo();

class TAboutbox : public QWidget {
    Q_OBJECT
public:
    explicit TAboutbox(QWidget* parent = nullptr);
};

}  // namespace vv::app
