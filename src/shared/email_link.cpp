#include "shared/email_link.h"

#include <QMouseEvent>
#include <QStyle>
#include <QUrl>

#include "shared/user_interaction.h"

namespace vv::shared {

EmailLink::EmailLink(std::function<QString()> address, QWidget* parent) : QLabel(parent), address_(std::move(address)) {
    setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(20, 20));
    setToolTip(QStringLiteral("Click To Send Email"));
    setCursor(Qt::PointingHandCursor);
}

void EmailLink::sendEmail() {
    userInteraction().openUrl(QUrl(QStringLiteral("mailto:") + address_(), QUrl::TolerantMode));
}

void EmailLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) sendEmail();
}

void EmailLink::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) sendEmail();
}

}  // namespace vv::shared
