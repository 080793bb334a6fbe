#include "shared/report_preview.h"

#include <memory>

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace vv::shared {

QPrintPreviewDialog* makeReportPreview(QPrinter* printer, const ReportPainter& paint, QWidget* parent) {
    auto* dialog = new QPrintPreviewDialog(printer, parent);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog, [paint](QPrinter* p) { paint(p); });
    dialog->setWindowState(dialog->windowState() | Qt::WindowMaximized);
    if (auto* view = dialog->findChild<QPrintPreviewWidget*>()) view->fitToWidth();
    return dialog;
}

void showReportPreview(const ReportPainter& paint, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    std::unique_ptr<QPrintPreviewDialog> dialog(makeReportPreview(&printer, paint, parent));
    dialog->exec();
}

}  // namespace vv::shared
