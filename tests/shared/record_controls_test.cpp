#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "shared/email_link.h"
#include "shared/focus_highlight.h"
#include "shared/report_preview.h"
#include "shared_fixture.h"

namespace vv::shared {
namespace {

TEST(EmailLinkTest, AClickOrADoubleClickOpensMailtoWithTheFieldAsShown) {
    test::RecordedInteraction recorded;
    QLineEdit email(QStringLiteral("ann.bolt@example.com"));
    EmailLink link([&] { return email.text(); });
    EXPECT_EQ(link.toolTip(), QStringLiteral("Click To Send Email"));
    QTest::mouseClick(&link, Qt::LeftButton);
    email.setText(QStringLiteral("not an address"));  // not checked
    QTest::mouseDClick(&link, Qt::LeftButton);
    ASSERT_EQ(recorded.ui->urls.size(), 2u);
    EXPECT_EQ(recorded.ui->urls[0].toString(), QStringLiteral("mailto:ann.bolt@example.com"));
    EXPECT_EQ(recorded.ui->urls[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(recorded.ui->urls[1].path(), QStringLiteral("not an address"));
    EXPECT_TRUE(recorded.errors.empty());
}

TEST(FocusHighlightTest, TheFocusedEditIsAquaAndGoesBackToTheWindowColour) {
    QWidget form;
    auto* first = new QLineEdit(&form);
    auto* second = new QLineEdit(&form);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(first);
    layout->addWidget(second);
    FocusHighlight::attach(first);
    FocusHighlight::attach(second);
    const QColor normal = first->palette().color(QPalette::Base);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    first->setFocus();
    EXPECT_EQ(first->palette().color(QPalette::Base), QColor(0, 255, 255));
    EXPECT_EQ(second->palette().color(QPalette::Base), normal);
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(first->palette().color(QPalette::Base), normal);
    EXPECT_TRUE(FocusHighlight::isHighlighted(second));
}

TEST(ReportPreviewTest, ThePreviewIsMaximisedAndZoomedToThePageWidth) {
    QPrinter printer;
    int pagesPainted = 0;
    std::unique_ptr<QPrintPreviewDialog> preview(makeReportPreview(&printer, [&](QPrinter* p) {
        QPainter painter(p);
        painter.drawText(100, 100, QStringLiteral("Sales Calls"));
        ++pagesPainted;
    }));
    preview->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(preview->isMaximized());
    auto* view = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->zoomMode(), QPrintPreviewWidget::FitToWidth);
    EXPECT_GE(pagesPainted, 1);
    preview->close();
}

}  // namespace
}  // namespace vv::shared
