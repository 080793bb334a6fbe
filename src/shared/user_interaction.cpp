#include "shared/user_interaction.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace vv::shared {

namespace {

std::unique_ptr<UserInteraction>& current() {
    static std::unique_ptr<UserInteraction> instance = std::make_unique<UserInteraction>();
    return instance;
}

QString boxTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Information") : name;
}

}  // namespace

void UserInteraction::beep() { QApplication::beep(); }

void UserInteraction::information(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, boxTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool UserInteraction::askRetry(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, boxTitle(), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

bool UserInteraction::askYesNo(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool UserInteraction::confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, boxTitle(), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    return box.exec() == QMessageBox::Ok;
}

std::optional<QDate> UserInteraction::pickDate(QWidget* parent, const QDate& start) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Calendar"));
    dialog.setSizeGripEnabled(true);
    auto* calendar = new QCalendarWidget(&dialog);
    calendar->setSelectedDate(start);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(calendar, 1);
    layout->addWidget(buttons);
    dialog.adjustSize();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = dialog.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        dialog.move(frame.topLeft());
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return calendar->selectedDate();
}

void UserInteraction::openUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

UserInteraction& userInteraction() { return *current(); }

std::unique_ptr<UserInteraction> setUserInteraction(std::unique_ptr<UserInteraction> next) {
    std::unique_ptr<UserInteraction> previous = std::move(current());
    current() = next ? std::move(next) : std::make_unique<UserInteraction>();
    return previous;
}

}  // namespace vv::shared
