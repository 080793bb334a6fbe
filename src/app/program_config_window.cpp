#include "app/program_config_window.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shared/error_box.h"
#include "shared/mdi_child.h"
#include "shared/paths.h"

namespace vv::app {

namespace {

const char* editName(ConfigField field) {
    switch (field) {
    case ConfigField::LocCode: return "LocCodeEdit";
    case ConfigField::LocName: return "LocNameEdit";
    case ConfigField::LocAddr: return "LocAddrEdit";
    case ConfigField::LocCity: return "LocCityEdit";
    case ConfigField::LocState: return "LocStateEdit";
    case ConfigField::LocZip: return "LocZipEdit";
    case ConfigField::BackupTo: return "BackupToEdit";
    case ConfigField::DataFolder: return "DataDirectoryEdit";
    case ConfigField::LettersFolder: return "LetterDirectoryEdit";
    }
    return "";
}

}  // namespace

TProgramConfig::TProgramConfig(shared::Settings& settings, QWidget* parent) : QWidget(parent), rules_(settings) {
    setObjectName(QStringLiteral("ProgramConfig"));
    setWindowTitle(QStringLiteral("ProgramConfig"));

    for (ConfigField f : {ConfigField::LocCode, ConfigField::LocName, ConfigField::LocAddr, ConfigField::LocCity,
                          ConfigField::LocState, ConfigField::LocZip, ConfigField::BackupTo, ConfigField::DataFolder,
                          ConfigField::LettersFolder}) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(editName(f)));
        if (configFieldInfo(f).upperCase) {
            connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
                const int cursor = edit->cursorPosition();
                edit->setText(text.toUpper());
                edit->setCursorPosition(cursor);
            });
        }
        edits_[f] = edit;
    }

    auto folderRow = [this](ConfigField field, const char* buttonName) {
        auto* row = new QHBoxLayout;
        row->addWidget(edits_[field], 1);
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(buttonName));
        button->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
        connect(button, &QPushButton::clicked, this, [this, field] { chooseFolder(field); });
        row->addWidget(button);
        return row;
    };

    auto* group = new QGroupBox(this);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Location Code:"), edits_[ConfigField::LocCode]);
    form->addRow(QStringLiteral("Location Name:"), edits_[ConfigField::LocName]);
    form->addRow(QStringLiteral("Address:"), edits_[ConfigField::LocAddr]);
    auto* cityRow = new QHBoxLayout;
    cityRow->addWidget(edits_[ConfigField::LocCity], 3);
    cityRow->addWidget(new QLabel(QStringLiteral("State:"), group));
    cityRow->addWidget(edits_[ConfigField::LocState], 1);
    cityRow->addWidget(new QLabel(QStringLiteral("Zip:"), group));
    cityRow->addWidget(edits_[ConfigField::LocZip], 2);
    form->addRow(QStringLiteral("City:"), cityRow);
    form->addRow(QStringLiteral("Backup To Drive:"), edits_[ConfigField::BackupTo]);
    form->addRow(QStringLiteral("Data Directory:"), folderRow(ConfigField::DataFolder, "DataDirectoryButton"));
    form->addRow(QStringLiteral("Letter Directory:"), folderRow(ConfigField::LettersFolder, "LetterDirectoryButton"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    connect(ok, &QPushButton::clicked, this, &TProgramConfig::okClicked);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(cancel, &QPushButton::clicked, this, [this] { shared::closeWindowOf(this); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    load();
}

void TProgramConfig::load() {
    shared::runGuarded(parentWidget() ? parentWidget() : this, [this] {
        rules_.open();
        for (auto& [field, edit] : edits_) {
            edit->setMaxLength(rules_.width(field));
            edit->setText(QString::fromStdString(rules_.value(field)));
        }
    }, QStringLiteral("Configure Program"));
}

void TProgramConfig::chooseFolder(ConfigField field) {
    const QString start = QString::fromStdString(shared::toNativePath("c:\\vek\\"));
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select a Folder"), start);
    if (!folder.isEmpty()) edits_[field]->setText(folder);
}

void TProgramConfig::okClicked() {
    const bool saved = shared::runGuarded(this, [this] {
        for (auto& [field, edit] : edits_) rules_.setValue(field, edit->text().toStdString());
        rules_.save();
    }, QStringLiteral("Configure Program OK"));
    if (saved) shared::closeWindowOf(this);
}

}  // namespace vv::app
