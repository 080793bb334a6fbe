#include "exchange/import_files_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "data/exchange_state.h"
#include "data/import_run.h"
#include "shared/error_box.h"
#include "shared/paths.h"
#include "shared/settings.h"

namespace vv::exchange {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QLabel* line(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setStyleSheet(QStringLiteral("color: #000080;"));
    return label;
}

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TImportFiles::TImportFiles(shared::Settings& settings, const std::string& mode, QWidget* parent)
    : QDialog(parent), settings_(settings), mode_(mode) {
    setObjectName(QStringLiteral("ImportFiles"));
    setWindowTitle(QStringLiteral("Import Lookup Files"));

    auto* heading = line(QStringLiteral("Import Lookup Files"), this, "Label1");
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    heading->setFont(big);
    status_ = line(QStringLiteral("Click OK to Continue With Import"), this, "StatusLine");

    fileEdit_ = new QLineEdit(QString::fromLatin1(kDefaultImportArchive), this);
    fileEdit_->setObjectName(QStringLiteral("FileEdit"));
    fileButton_ = new QPushButton(this);
    fileButton_->setObjectName(QStringLiteral("FileButton"));
    fileButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    fileButton_->setToolTip(QStringLiteral("Click to select a file"));
    folderIconLine_ = line(QStringLiteral("Click the folder icon to locate the RADUVAVFILES.ZIP file."), this,
                           "FolderIconLine");
    driveALine_ = line(QStringLiteral("If you are importing from A drive, Insert Import disk into drive A"), this,
                       "DriveALine");
    auto* orLine = line(QStringLiteral("OR"), this, "OrLine");
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->hide();

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("BitBtn1"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("BitBtn2"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(status_);
    layout->addWidget(new QLabel(QStringLiteral("Import File:"), this));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(fileButton_);
    layout->addLayout(fileRow);
    layout->addWidget(folderIconLine_);
    layout->addWidget(driveALine_);
    layout->addWidget(orLine);
    layout->addWidget(progress_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    layout->addLayout(buttons);

    connect(fileButton_, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(okButton_, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    shared::runGuarded(
        this,
        [this] {
            const auto last = data::readLastExchange(shared::toNativePath(settings_.DataFolder));
            if (!last.importArchive.empty()) fileEdit_->setText(qs(last.importArchive));
        },
        QStringLiteral("ImportFiles.FormShow"));
}

void TImportFiles::chooseFile() {
    const QString current = qs(shared::toNativePath(fileEdit_->text().toStdString()));
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), current,
                                                        QStringLiteral("ZIP archives (*.zip *.ZIP);;All files (*)"));
    if (!chosen.isEmpty()) fileEdit_->setText(chosen);
}

void TImportFiles::okClicked() {
    fileEdit_->setEnabled(false);
    fileButton_->setEnabled(false);
    okButton_->setEnabled(false);
    cancelButton_->setEnabled(false);
    folderIconLine_->hide();
    driveALine_->hide();
    progress_->show();
    const bool restored = shared::runGuarded(this, [this] { restore(); }, QStringLiteral("BitBtn1Click"));
    if (restored) {
        status_->setText(QStringLiteral("Do Not Forget To Reindex Your Files!"));
        folderIconLine_->setText(QStringLiteral("Finished Restore!"));
    } else {
        // Nothing was replaced: the archive is checked in full first.
        status_->setText(QStringLiteral("Import Was Not Completed!"));
        folderIconLine_->setText(QStringLiteral("Your files were not changed."));
    }
    folderIconLine_->show();
    cancelButton_->setEnabled(true);
    cancelButton_->setText(QStringLiteral("Close"));
}

void TImportFiles::restore() {
    WaitCursor hourglass;
    data::ImportRequest request;
    request.dataFolder = shared::toNativePath(settings_.DataFolder);
    request.rememberAs = fileEdit_->text().trimmed().toStdString();
    request.archivePath = shared::toNativePath(request.rememberAs);
    data::ImportHooks hooks;
    hooks.fileStarting = [this](const std::string& name) {
        status_->setText(QStringLiteral("Restoring File ") + qs(name));
        status_->repaint();
    };
    hooks.percent = [this](int percent) {
        progress_->setValue(percent);
        progress_->repaint();
    };
    data::runImport(request, hooks);
}

void RunImportFiles(QWidget* parent, const std::string& mode, const std::function<void()>& closed) {
    auto* window = new TImportFiles(shared::settings(), mode, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &QDialog::finished, window, [closed] {
        if (closed) closed();
    });
    window->exec();
}

}  // namespace vv::exchange
