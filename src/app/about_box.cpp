#include "app/about_box.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "shared/product.h"

namespace vv::app {

namespace {

QLabel* centred(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

// The product logo: drawn, so the program carries no image files.
QPixmap productLogo() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 64, 64);
    fill.setColorAt(0, QColor(0x2a, 0x5d, 0xb0));
    fill.setColorAt(1, QColor(0x0b, 0x1f, 0x4d));
    p.setBrush(fill);
    p.setPen(QPen(QColor(0xd4, 0xaf, 0x37), 3));
    p.drawEllipse(QRectF(3, 3, 58, 58));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(24);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, QStringLiteral("VV"));
    return pixmap;
}

TAboutbox::TAboutbox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Aboutbox"));
    setWindowTitle(QStringLiteral("About"));

    auto* product = centred(QString::fromUtf8(shared::kProgramName), this, "ProductName");
    auto* version = centred(QString::fromUtf8(shared::kProgramVersion), this, "Version");
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(QFont(bold.family(), bold.pointSize() + 4, QFont::Bold));
    version->setFont(bold);

    auto* picture = centred(QString(), this, "ProgramIcon");
    picture->setPixmap(productLogo());

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(product);
    layout->addWidget(version);
    layout->addWidget(picture);
    layout->addWidget(rule);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    const char* notices[] = {"Copyright (c) the Vek Voro developers.",
                             "Licensed for the sales office of one hotel.",
                             "Provided as is, without warranty of any kind."};
    for (const char* notice : notices) {
        auto* line = centred(QString::fromUtf8(notice), this, "Notice");
        line->setFont(small);
        layout->addWidget(line);
    }
}

}  // namespace vv::app
