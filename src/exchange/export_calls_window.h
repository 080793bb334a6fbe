// The Export Calls/Traces window (TExportCalls): where the archive goes,
// new or all records, and the counts when it is done. The run itself is
// vv::data::runExport; this window only asks, shows and reports. An MDI
// child that frees itself when closed; one export per window.
#pragma once

#include <QWidget>

#include "data/export_run.h"

class QLabel;
class QLineEdit;
class QMdiArea;
class QPushButton;
class QRadioButton;

namespace vv::shared {
struct Settings;
}

namespace vv::exchange {

// The two explanation lines under the option buttons.
struct ExplanationLines {
    const char* first;
    const char* second;
};
ExplanationLines explanationFor(data::ExportChoice choice);

// The location field's text when nothing was remembered.
inline constexpr const char* kDefaultExportLocation = "A:\\";

class TExportCalls : public QWidget {
    Q_OBJECT
public:
    explicit TExportCalls(shared::Settings& settings, QWidget* parent = nullptr);

    QLineEdit* locationEdit() const { return locationEdit_; }
    QRadioButton* newButton() const { return newButton_; }
    QRadioButton* allButton() const { return allButton_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QLabel* lastExportLine() const { return lastExportLine_; }
    QLabel* statusLine() const { return orLine_; }
    QLabel* explanationLine(int n) const { return n == 1 ? explain1_ : explain2_; }
    // The counts after an export: calls, traces, tracking.
    QLabel* countLabel(int n) const { return counts_[n]; }

private:
    void showChoice();
    void chooseFolder();
    void okClicked();  // BitBtn1Click
    void runExport();
    void showStatus(const QString& text);
    void finish(const data::ExportResult& result);

    shared::Settings& settings_;
    QLabel* lastExportLine_ = nullptr;
    QRadioButton* newButton_ = nullptr;
    QRadioButton* allButton_ = nullptr;
    QLabel* explain1_ = nullptr;
    QLabel* explain2_ = nullptr;
    QLineEdit* locationEdit_ = nullptr;
    QLabel* driveALine_ = nullptr;
    QLabel* orLine_ = nullptr;
    QLabel* folderIconLine_ = nullptr;
    QWidget* results_ = nullptr;
    QLabel* counts_[3] = {};
    QLabel* skippedLine_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// "Utilities" > "Export Calls/Traces": a new window in `area`.
TExportCalls* openExportCalls(QMdiArea& area);

}  // namespace vv::exchange
