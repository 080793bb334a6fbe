#include "shared/report_renderer.h"

#include <memory>
#include <stdexcept>

#include <QFile>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "shared/report_layout.h"

namespace vv::shared {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;

ReportPages layOut(const Report& report, QPagedPaintDevice* device) {
    const QSizeF body = device->pageLayout().paintRect(QPageLayout::Millimeter).size();
    return layoutReport(report, device, body);
}

QString withPageNumbers(QString text, int page, int pages) {
    text.replace(QStringLiteral("{page}"), QString::number(page));
    text.replace(QStringLiteral("{pages}"), QString::number(pages));
    return text;
}

class PagePainter {
public:
    PagePainter(QPainter& painter, QPaintDevice* device)
        : painter_(painter), pxPerMmX_(device->logicalDpiX() / kMmPerInch),
          pxPerMmY_(device->logicalDpiY() / kMmPerInch), pxPerPoint_(device->logicalDpiY() / kPointsPerInch) {}

    void draw(const ReportOp& op, int page, int pages) {
        if (op.kind == ReportOp::Kind::Line) {
            QPen pen(Qt::black);
            pen.setWidthF(op.weight * pxPerPoint_);
            painter_.setPen(pen);
            const double y = op.y * pxPerMmY_;
            painter_.drawLine(QPointF(op.x * pxPerMmX_, y), QPointF((op.x + op.width) * pxPerMmX_, y));
            return;
        }
        painter_.setPen(Qt::black);
        painter_.setFont(op.font);
        const QString text = withPageNumbers(op.text, page, pages);
        const double height = op.height * pxPerMmY_;
        if (op.width <= 0) {
            const QRectF box(op.x * pxPerMmX_, op.y * pxPerMmY_, 0, height);
            painter_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, text);
            return;
        }
        // A text wider than its box is cut at the box's sides, as a column
        // must not run into the next one.
        const QRectF box(op.x * pxPerMmX_, op.y * pxPerMmY_, op.width * pxPerMmX_, height);
        painter_.save();
        painter_.setClipRect(box.adjusted(0, -height, 0, height));
        painter_.drawText(box, int(op.align) | Qt::AlignTop | Qt::TextSingleLine, text);
        painter_.restore();
    }

private:
    QPainter& painter_;
    double pxPerMmX_;
    double pxPerMmY_;
    double pxPerPoint_;
};

}  // namespace

void applyReportPage(const Report& report, QPagedPaintDevice* device) {
    if (device->setPageLayout(QPageLayout(report.pageSize, report.orientation, report.margins, QPageLayout::Millimeter)))
        return;
    // A printer that cannot print that close to the edge keeps its own
    // least margins but still gets the paper.
    device->setPageSize(report.pageSize);
    device->setPageOrientation(report.orientation);
    device->setPageMargins(report.margins, QPageLayout::Millimeter);
}

void paintReportOnPage(const Report& report, QPagedPaintDevice* device) {
    const ReportPages laid = layOut(report, device);
    QPainter painter;
    if (!painter.begin(device))
        throw std::runtime_error("The report \"" + report.title.toStdString() + "\" cannot be printed on this device.");
    painter.setRenderHint(QPainter::Antialiasing);
    PagePainter pagePainter(painter, device);
    const int pages = int(laid.pages.size());
    for (int i = 0; i < pages; ++i) {
        if (i > 0) device->newPage();
        for (const ReportOp& op : laid.pages[std::size_t(i)].ops) pagePainter.draw(op, i + 1, pages);
    }
    painter.end();
}

void paintReport(const Report& report, QPagedPaintDevice* device) {
    applyReportPage(report, device);
    paintReportOnPage(report, device);
}

ReportPainter reportPainter(const Report& report) {
    // Called from inside Qt's signal delivery, where no exception may pass:
    // a failure reading the rows prints its message instead of the report.
    return [report](QPrinter* printer) {
        try {
            paintReportOnPage(report, printer);
        } catch (const std::exception& error) {
            QPainter painter;
            if (!painter.begin(printer)) return;
            painter.setFont(QFont(report.fontFamily, 10));
            painter.drawText(painter.viewport(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                             QStringLiteral("The report could not be made:\n") + QString::fromStdString(error.what()));
        }
    };
}

void previewReport(const Report& report, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report.title);
    // Laid out once before the preview opens, so an error reading the rows
    // reaches the caller rather than the preview.
    reportPageCount(report, &printer);
    std::unique_ptr<QPrintPreviewDialog> dialog(makeReportPreview(&printer, reportPainter(report), parent));
    dialog->exec();
}

void renderReportToPdf(const Report& report, const QString& file) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("Cannot write the report file " + file.toStdString() + ": " +
                                 out.errorString().toStdString());
    {
        QPdfWriter writer(&out);
        writer.setTitle(report.title);
        writer.setCreator(QStringLiteral("Vek Voro"));
        paintReport(report, &writer);
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        throw std::runtime_error("Cannot write the report file " + file.toStdString() + ": " +
                                 out.errorString().toStdString());
}

int reportPageCount(const Report& report, QPagedPaintDevice* device) {
    applyReportPage(report, device);
    return int(layOut(report, device).pages.size());
}

}  // namespace vv::shared
