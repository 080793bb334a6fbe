#include "app/locate_data_dialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shared/error_box.h"
#include "shared/paths.h"

namespace vv::app {

namespace {

QLabel* blueLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setStyleSheet(QStringLiteral("color: blue;"));
    label->setWordWrap(true);
    return label;
}

}  // namespace

TLocateData::TLocateData(shared::Settings& settings, const std::string& programFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      rules_(settings, programFolder) {
    setObjectName(QStringLiteral("LocateData"));
    setWindowTitle(QStringLiteral("Locate Data"));
    setModal(true);

    auto* heading = blueLabel(QStringLiteral("Locate Data"), "Label1", this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    heading->setFont(bold);

    auto* caption = new QLabel(QStringLiteral("Data Directory:"), this);
    caption->setObjectName(QStringLiteral("Label25"));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setMinimumWidth(320);
    if (shared::kFileNamesIgnoreCase) {
        connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
            const int cursor = edit_->cursorPosition();
            edit_->setText(text.toLower());
            edit_->setCursorPosition(cursor);
        });
    }
    auto* folderButton = new QPushButton(this);
    folderButton->setObjectName(QStringLiteral("BitBtn1"));
    folderButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    folderButton->setAutoDefault(false);
    connect(folderButton, &QPushButton::clicked, this, &TLocateData::chooseFolder);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn2"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TLocateData::okClicked);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtn3"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(caption);
    folderRow->addWidget(edit_, 1);
    folderRow->addWidget(folderButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(folderRow);
    layout->addWidget(blueLabel(QStringLiteral("The program could not locate it's data files."), "Label2", this));
    layout->addWidget(blueLabel(
        QStringLiteral("Please enter the correct path or click the folder button above to locate the correct path."),
        "Label3", this));
    layout->addLayout(buttons);

    // What the dialog does when it appears; an error leaves it open for the user to cancel.
    edit_->setText(QString::fromStdString(shared::toNativePath("c:\\vek\\data")));
    shared::runGuarded(this, [this] { edit_->setText(QString::fromStdString(rules_.prepare())); },
                       QStringLiteral("Locate Data"));
}

void TLocateData::chooseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select a Folder"), edit_->text());
    if (!folder.isEmpty()) edit_->setText(shared::kFileNamesIgnoreCase ? folder.toLower() : folder);
}

void TLocateData::okClicked() {
    shared::runGuarded(this, [this] {
        std::string folder = edit_->text().toStdString();
        const LocateData::Result result = rules_.accept(folder);
        edit_->setText(QString::fromStdString(folder));
        if (result == LocateData::Result::Accepted) {
            accept();
            return;
        }
        QMessageBox::warning(this, QStringLiteral("Error"), QStringLiteral("Path Not Found!"));
        edit_->setFocus();
    }, QStringLiteral("Locate Data OK"));
}

}  // namespace vv::app
