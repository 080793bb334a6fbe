#include "app/window_openers.h"

#include <QLabel>
#include <QMdiArea>

#include "shared/mdi_child.h"

namespace vv::app {

WindowOpeners& windowOpeners() {
    static WindowOpeners openers;
    return openers;
}

void openPlaceholder(const WindowContext& context, const QString& title) {
    if (!context.mdiArea) return;
    auto* label = new QLabel(QStringLiteral("The window \"%1\" is not available yet.").arg(title));
    label->setObjectName(QStringLiteral("Placeholder"));
    label->setAlignment(Qt::AlignCenter);
    label->setMargin(24);
    label->setWindowTitle(title);
    shared::showMdiChild(*context.mdiArea, label, true);
}

}  // namespace vv::app
