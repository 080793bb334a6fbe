#include "app/update_keys_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/tool_window.h"
#include "data/key_update.h"
#include "shared/error_box.h"

namespace vv::app {

TUpdateKeys::TUpdateKeys(std::string dataFolder, QWidget* parent) : QWidget(parent), dataFolder_(std::move(dataFolder)) {
    setObjectName(QStringLiteral("UpdateKeys"));
    setWindowTitle(QStringLiteral("Update Keys"));
    makeToolWindow(this, TitleButtons::CloseOnly);

    auto* heading = new QLabel(QStringLiteral("Update Keys"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    heading->setFont(big);
    heading->setAlignment(Qt::AlignCenter);
    auto* explanation = new QLabel(QStringLiteral("This Function will Update the Unique Database Keys in each Table"), this);
    explanation->setObjectName(QStringLiteral("Label2"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Label3"));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("BitBtn1"));
    connect(ok_, &QPushButton::clicked, this, &TUpdateKeys::okClicked);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("BitBtn2"));
    connect(cancel_, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(explanation);
    layout->addWidget(status_);
    layout->addLayout(buttons);
}

void TUpdateKeys::showStatus(const std::string& message) {
    status_->setText(QString::fromStdString(message));
    status_->repaint();  // the run holds the event loop
}

void TUpdateKeys::okClicked() {
    ok_->setEnabled(false);
    cancel_->setEnabled(false);
    const bool done = shared::runGuarded(this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct Restore {
            ~Restore() { QApplication::restoreOverrideCursor(); }
        } restore;
        data::updateKeys(dataFolder_, [this](const std::string& message) { showStatus(message); });
    }, QStringLiteral("Update Keys"));
    cancel_->setEnabled(true);
    if (done) {
        cancel_->setText(QStringLiteral("Close"));
    } else {
        // The keys written so far stay; once the table is free the user may run it again.
        ok_->setEnabled(true);
    }
}

void openUpdateKeysWindow(QWidget* mainWindow, const std::string& dataFolder) {
    showCentred(new TUpdateKeys(dataFolder, mainWindow), mainWindow);
}

}  // namespace vv::app
