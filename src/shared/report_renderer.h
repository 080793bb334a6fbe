// Lays a Report (report_document.h) out on pages and paints it onto any
// paged device: the print preview's printer, a printer, a PDF file.
//
//   previewReport(report, window);                  // Print command: preview, user prints from there
//   renderReportToPdf(report, folder + "/calls.pdf");
//   QPrinter printer; paintReport(report, &printer);
//   QPrinter p; applyReportPage(report, &p); makeReportPreview(&p, reportPainter(report), window);
//
// There is no RTF output, so there is no device-specific layout to adjust.
#pragma once

#include <QString>

#include "shared/report_document.h"
#include "shared/report_preview.h"

class QPagedPaintDevice;
class QWidget;

namespace vv::shared {

// Sets the report's paper, orientation and margins on the device.
void applyReportPage(const Report& report, QPagedPaintDevice* device);

// Paints every page on the device's page as it is set up. The rows are read
// once per call. Throws std::runtime_error when the device cannot be
// painted on.
void paintReportOnPage(const Report& report, QPagedPaintDevice* device);

// applyReportPage, then paintReportOnPage.
void paintReport(const Report& report, QPagedPaintDevice* device);

// The painter the preview (report_preview.h) asks for. It holds a copy of
// the report (the row source's own captures must stay valid) and paints on
// the page the preview's printer has: set it up with applyReportPage
// before the preview is made, so a paper the user then picks in the
// preview is kept. An error while painting prints its message on the page.
ReportPainter reportPainter(const Report& report);

// Shows the report in the maximised print preview, modally. Reads the rows
// once before the preview opens: an error doing so is thrown from here.
void previewReport(const Report& report, QWidget* parent = nullptr);

// Writes the report to a PDF file (replacing one there). Throws
// std::runtime_error naming the file when it cannot be written.
void renderReportToPdf(const Report& report, const QString& file);

// The number of pages the report takes on the report's paper (set on the device).
int reportPageCount(const Report& report, QPagedPaintDevice* device);

}  // namespace vv::shared
