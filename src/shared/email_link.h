// The small picture beside an e-mail field: a click (or a double click) has
// the desktop open "mailto:" followed by the field's text as shown, which
// starts the user's mail program. The address is not checked and nothing is
// reported.
#pragma once

#include <functional>

#include <QLabel>

namespace vv::shared {

class EmailLink : public QLabel {
    Q_OBJECT
public:
    // `address` gives the e-mail field's text at the moment of the click.
    explicit EmailLink(std::function<QString()> address, QWidget* parent = nullptr);

    // Image1Click / Image1DblClick.
    void sendEmail();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::function<QString()> address_;
};

}  // namespace vv::shared
