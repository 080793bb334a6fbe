// The preview of a window's report: a print preview that fills the screen
// (maximised when it is created) with its pages zoomed to the page width.
#pragma once

#include <functional>

class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace vv::shared {

// Paints the report's pages onto the printer it is given.
using ReportPainter = std::function<void(QPrinter*)>;

// The preview dialog, made but not shown; `printer` must outlive it.
QPrintPreviewDialog* makeReportPreview(QPrinter* printer, const ReportPainter& paint, QWidget* parent = nullptr);

// Shows the preview modally until the user closes it.
void showReportPreview(const ReportPainter& paint, QWidget* parent = nullptr);

}  // namespace vv::shared
