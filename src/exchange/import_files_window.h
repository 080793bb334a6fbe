// The Import Lookup Files window (TImportFiles): which archive to restore,
// its progress, and the reminder to reindex. The restore itself is
// vv::data::runImport, into the data folder. A modal dialog that frees
// itself when closed; whenever it closes, with or without a restore, the
// caller's `closed` function runs (the program opens the index rebuild).
#pragma once

#include <functional>
#include <string>

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vv::shared {
struct Settings;
}

namespace vv::exchange {

// The file field's text when no import was remembered.
inline constexpr const char* kDefaultImportArchive = "A:\\RADUVAVFILES.ZIP";

class TImportFiles : public QDialog {
    Q_OBJECT
public:
    TImportFiles(shared::Settings& settings, const std::string& mode, QWidget* parent = nullptr);

    QLineEdit* fileEdit() const { return fileEdit_; }
    QLabel* statusLine() const { return status_; }
    QLabel* folderIconLine() const { return folderIconLine_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    const std::string& mode() const { return mode_; }

private:
    void chooseFile();
    void okClicked();  // BitBtn1Click
    void restore();

    shared::Settings& settings_;
    std::string mode_;
    QLabel* status_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QPushButton* fileButton_ = nullptr;
    QLabel* folderIconLine_ = nullptr;
    QLabel* driveALine_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// "Utilities" > "Import Lookup Files": shows the window modally over
// `parent` and returns when it has closed, after `closed` ran.
void RunImportFiles(QWidget* parent, const std::string& mode, const std::function<void()>& closed);

}  // namespace vv::exchange
