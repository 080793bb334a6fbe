#include "app/qbe_prompts.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace vv::app {

namespace {

std::unique_ptr<QbePrompts>& current() {
    static std::unique_ptr<QbePrompts> instance = std::make_unique<QbePrompts>();
    return instance;
}

QString boxTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Information") : name;
}

}  // namespace

bool QbePrompts::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QbePrompts::inform(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, boxTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QbePrompts::askText(QWidget* parent, const QString& title, const QString& label,
                                           const QString& initial, bool multiLine) {
    bool ok = false;
    const QString text = multiLine ? QInputDialog::getMultiLineText(parent, title, label, initial, &ok)
                                   : QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<int> QbePrompts::chooseItem(QWidget* parent, const QString& title, const QStringList& items) {
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, title, title, items, 0, false, &ok);
    if (!ok) return std::nullopt;
    const int index = static_cast<int>(items.indexOf(chosen));
    if (index < 0) return std::nullopt;
    return index;
}

std::optional<QString> QbePrompts::chooseFile(QWidget* parent, const QString& title, const QString& start) {
    const QString file = QFileDialog::getOpenFileName(parent, title, start,
                                                      QStringLiteral("Filter files (*.qbe);;All files (*)"));
    if (file.isEmpty()) return std::nullopt;
    return file;
}

QbePrompts& qbePrompts() { return *current(); }

std::unique_ptr<QbePrompts> setQbePrompts(std::unique_ptr<QbePrompts> next) {
    std::unique_ptr<QbePrompts> previous = std::move(current());
    current() = next ? std::move(next) : std::make_unique<QbePrompts>();
    return previous;
}

}  // namespace vv::app
