// Enter as Tab on a form: Enter (or Return) in a single-line edit moves the
// focus to the next control. Memos keep Enter for a new line, as they take
// the key themselves before the form sees it.
#pragma once

#include <QObject>

class QWidget;

namespace vv::shared {

class EnterAsTab : public QObject {
    Q_OBJECT
public:
    // Works on every single-line editor inside `form`, now or added later.
    static EnterAsTab* install(QWidget* form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit EnterAsTab(QWidget* form);
    QWidget* form_;
};

}  // namespace vv::shared
