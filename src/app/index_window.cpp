#include "app/index_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/tool_window.h"
#include "data/index_rebuild.h"
#include "shared/error_box.h"

namespace vv::app {

namespace {

const char* const kFinished = "All Finished...Click Close...";

QLabel* label(const QString& text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// The hourglass while the rebuild holds the window, gone before an error box shows.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

TIndex::TIndex(std::string dataFolder, QWidget* parent)
    : TIndex(std::move(dataFolder), [](const std::string& folder, const data::ProgressFn& progress) {
          data::rebuildIndexes(folder, progress);
      }, parent) {}

TIndex::TIndex(std::string dataFolder, RebuildFn rebuild, QWidget* parent)
    : QWidget(parent), dataFolder_(std::move(dataFolder)), rebuild_(std::move(rebuild)) {
    setObjectName(QStringLiteral("Index"));
    setWindowTitle(QStringLiteral("Index Files"));
    makeToolWindow(this, TitleButtons::None);

    auto* heading = label(QStringLiteral("Index Files"), "Label1", this);
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    heading->setFont(big);
    heading->setAlignment(Qt::AlignCenter);

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(label(QStringLiteral("Please ensure everyone is logged out of the program."), "Label2", group));

    auto* instruction = label(QStringLiteral("Click OK to Index or Cancel to Abort."), "Label3", this);
    progress_ = label(QString(), "Label4", this);
    progress_->setMinimumWidth(progress_->fontMetrics().horizontalAdvance(QString::fromLatin1(kFinished)) + 40);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("BitBtn1"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &TIndex::okClicked);
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
    layout->addWidget(group);
    layout->addWidget(instruction);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
}

void TIndex::showProgress(const std::string& message) {
    progress_->setText(QString::fromStdString(message));
    // The rebuild keeps the event loop waiting: paint now or the user sees nothing.
    progress_->repaint();
}

void TIndex::okClicked() {
    const bool done = shared::runGuarded(this, [this] {
        BusyCursor busy;
        rebuild_(dataFolder_, [this](const std::string& message) { showProgress(message); });
    }, QStringLiteral("Index Files"));
    if (!done) return;  // the last message stays, and OK for another try
    showProgress(kFinished);
    ok_->setEnabled(false);
    cancel_->setText(QStringLiteral("Close"));
}

void openIndexWindow(QWidget* mainWindow, const std::string& dataFolder) {
    showCentred(new TIndex(dataFolder, mainWindow), mainWindow);
}

}  // namespace vv::app
