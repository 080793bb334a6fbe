#include "shared/mdi_child.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include <algorithm>

namespace vv::shared {

QMdiSubWindow* showMdiChild(QMdiArea& area, QWidget* content, bool centred) {
    QMdiSubWindow* sub = area.addSubWindow(content);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (centred) {
        sub->adjustSize();
        const QSize size = sub->size();
        const QRect view = area.viewport()->rect();
        sub->move(std::max(0, (view.width() - size.width()) / 2), std::max(0, (view.height() - size.height()) / 2));
    }
    sub->show();
    return sub;
}

void closeWindowOf(QWidget* content) {
    for (QWidget* w = content; w; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
            sub->close();
            return;
        }
        if (w->isWindow()) break;
    }
    content->close();
}

}  // namespace vv::shared
