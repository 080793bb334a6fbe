#include "exchange/export_calls_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "data/exchange_state.h"
#include "db/date.h"
#include "shared/error_box.h"
#include "shared/lock_retry.h"
#include "shared/mdi_child.h"
#include "shared/paths.h"
#include "shared/settings.h"
#include "shared/user_interaction.h"

namespace vv::exchange {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QLabel* line(const QString& text, QWidget* parent, const char* name, bool blue = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    if (blue) label->setStyleSheet(QStringLiteral("color: #000080;"));
    return label;
}

// The hourglass for as long as the run lasts, however it ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

ExplanationLines explanationFor(data::ExportChoice choice) {
    if (choice == data::ExportChoice::All)
        return {"Export All Calls will Re-Export All Calls/Traces",
                "These Calls/Traces will not be Duplicated when Imported into Vek"};
    return {"Export New Calls will only Export Calls/Traces", "Added or Modified since the last Export Date"};
}

TExportCalls::TExportCalls(shared::Settings& settings, QWidget* parent) : QWidget(parent), settings_(settings) {
    setObjectName(QStringLiteral("ExportCalls"));
    setWindowTitle(QStringLiteral("Export Sales Calls"));

    auto* heading = line(QStringLiteral("Export Calls/Traces"), this, "Label1", true);
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    heading->setFont(big);

    lastExportLine_ = line({}, this, "LastExportLabel");
    newButton_ = new QRadioButton(QStringLiteral("Export New Calls/Traces/Tracking"), this);
    newButton_->setObjectName(QStringLiteral("ExportNewButton"));
    allButton_ = new QRadioButton(QStringLiteral("Re-Export All Calls/Traces/Tracking"), this);
    allButton_->setObjectName(QStringLiteral("ReExportAllButton"));
    newButton_->setChecked(true);
    explain1_ = line({}, this, "ExplainLine1", true);
    explain2_ = line({}, this, "ExplainLine2", true);

    locationEdit_ = new QLineEdit(QString::fromLatin1(kDefaultExportLocation), this);
    locationEdit_->setObjectName(QStringLiteral("LocationEdit"));
    auto* folderButton = new QPushButton(this);
    folderButton->setObjectName(QStringLiteral("FolderButton"));
    folderButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    driveALine_ =
        line(QStringLiteral("If you are exporting to A drive, Insert disk into drive A"), this, "DriveALine", true);
    orLine_ = line(QStringLiteral("OR"), this, "OrLine", true);
    folderIconLine_ = line(QStringLiteral("Click the folder icon to identify the drive/folder you are exporting to."),
                           this, "FolderIconLine", true);

    results_ = new QWidget(this);
    results_->setObjectName(QStringLiteral("Results"));
    auto* grid = new QGridLayout(results_);
    grid->setContentsMargins(0, 0, 0, 0);
    const char* captions[] = {"Calls Exported:", "Traces Exported:", "Tracking Exported:"};
    const char* names[] = {"CallsCount", "TracesCount", "TrackingCount"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString::fromLatin1(captions[i]), results_), i, 0);
        counts_[i] = line({}, results_, names[i]);
        grid->addWidget(counts_[i], i, 1);
    }
    skippedLine_ = line({}, results_, "SkippedLine");
    skippedLine_->setWordWrap(true);
    grid->addWidget(skippedLine_, 3, 0, 1, 2);
    results_->hide();

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("BitBtn1"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("BitBtn2"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(lastExportLine_);
    layout->addWidget(newButton_);
    layout->addWidget(allButton_);
    layout->addWidget(explain1_);
    layout->addWidget(explain2_);
    layout->addWidget(new QLabel(QStringLiteral("Location To Export To:"), this));
    auto* locationRow = new QHBoxLayout;
    locationRow->addWidget(locationEdit_, 1);
    locationRow->addWidget(folderButton);
    layout->addLayout(locationRow);
    layout->addWidget(driveALine_);
    layout->addWidget(orLine_);
    layout->addWidget(folderIconLine_);
    layout->addWidget(results_);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    layout->addLayout(buttons);

    connect(newButton_, &QRadioButton::toggled, this, [this] { showChoice(); });
    connect(folderButton, &QPushButton::clicked, this, [this] { chooseFolder(); });
    connect(okButton_, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { shared::closeWindowOf(this); });
    showChoice();

    // FormShow: the remembered location and the date of the last export.
    shared::runGuarded(
        this,
        [this] {
            const std::string data = shared::toNativePath(settings_.DataFolder);
            const auto last = data::readLastExchange(data);
            if (!last.exportLocation.empty()) locationEdit_->setText(qs(last.exportLocation));
            lastExportLine_->setText(QStringLiteral("You Last Exported On:  ") +
                                     qs(data::lastExportDate(data).display()));
        },
        QStringLiteral("ExportCalls.FormShow"));
}

void TExportCalls::showChoice() {
    const auto lines = explanationFor(newButton_->isChecked() ? data::ExportChoice::New : data::ExportChoice::All);
    explain1_->setText(QString::fromLatin1(lines.first));
    explain2_->setText(QString::fromLatin1(lines.second));
}

void TExportCalls::chooseFolder() {
    const QString current = qs(shared::toNativePath(locationEdit_->text().toStdString()));
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Select a Folder"), current);
    if (!chosen.isEmpty()) locationEdit_->setText(chosen);
}

void TExportCalls::okClicked() { shared::runGuarded(this, [this] { runExport(); }, QStringLiteral("BitBtn1Click")); }

void TExportCalls::showStatus(const QString& text) {
    orLine_->setText(text);
    // The run holds the event loop; let the line be painted.
    orLine_->repaint();
}

void TExportCalls::runExport() {
    WaitCursor hourglass;
    explain1_->hide();
    explain2_->hide();
    driveALine_->hide();
    folderIconLine_->hide();

    data::ExportRequest request;
    request.dataFolder = shared::toNativePath(settings_.DataFolder);
    request.rememberAs = locationEdit_->text().trimmed().toStdString();
    request.location = shared::toNativePath(request.rememberAs);
    request.choice = newButton_->isChecked() ? data::ExportChoice::New : data::ExportChoice::All;
    request.today = db::Date::today();
    data::ExportHooks hooks;
    hooks.progress = [this](const std::string& message) { showStatus(qs(message)); };
    hooks.askRetry = [this](const db::Error&) {
        return shared::userInteraction().askRetry(this, QString::fromLatin1(shared::kLockRetryQuestion));
    };

    const data::ExportResult result = data::runExport(request, hooks);
    auto& ui = shared::userInteraction();
    switch (result.outcome) {
    case data::ExportOutcome::DestinationRefused:
        ui.information(this, QStringLiteral("Problem creating file"));
        ui.information(this, QStringLiteral("Can Not Perform Export Process!"));
        showStatus(QStringLiteral("OR"));
        return;  // ready for another try
    case data::ExportOutcome::ArchiveFailed:
        ui.information(this, QStringLiteral("Export Was Not Completed!\n\n") + qs(result.problem) +
                                 QStringLiteral("\n\nThe exported records stay in the export tables and go "
                                                "with the next export."));
        break;
    case data::ExportOutcome::Finished: break;
    }
    finish(result);
}

void TExportCalls::finish(const data::ExportResult& result) {
    showStatus(result.outcome == data::ExportOutcome::Finished ? QStringLiteral("Finished Export!")
                                                               : QStringLiteral("Export Was Not Completed!"));
    counts_[0]->setNum(result.counts.calls);
    counts_[1]->setNum(result.counts.traces);
    counts_[2]->setNum(result.counts.tracking);
    skippedLine_->setVisible(result.counts.skipped > 0);
    skippedLine_->setText(QString::number(result.counts.skipped) +
                          QStringLiteral(" records were locked and wait for the next export."));
    results_->show();
    okButton_->setEnabled(false);
    cancelButton_->setText(QStringLiteral("Close"));
}

TExportCalls* openExportCalls(QMdiArea& area) {
    auto* window = new TExportCalls(shared::settings());
    shared::showMdiChild(area, window, true);
    return window;
}

}  // namespace vv::exchange
