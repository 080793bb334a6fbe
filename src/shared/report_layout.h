// The renderer's first pass: turns a Report and its rows into pages of
// positioned texts and lines, measured with the device's fonts. Painting
// (report_renderer.cpp) then only draws, so the page count is known before
// the first page header prints ("Page 1 of 3").
#pragma once

#include <vector>

#include <QFont>
#include <QSizeF>
#include <QString>

#include "shared/report_document.h"

class QPaintDevice;

namespace vv::shared {

// One text or line, in millimetres from the top-left of the page's printable
// area (after the margins).
struct ReportOp {
    enum class Kind { Text, Line };
    Kind kind = Kind::Text;
    QString text;      // may still hold "{page}" and "{pages}"
    QFont font;
    double x = 0;
    double y = 0;      // top of the text's line
    double width = 0;  // Text: 0 for its natural width; Line: its length
    double height = 0; // Text: the line's height; Line: 0
    Qt::Alignment align = Qt::AlignLeft;
    double weight = 0;  // Line: points
};

struct ReportPage {
    std::vector<ReportOp> ops;
};

struct ReportPages {
    std::vector<ReportPage> pages;  // at least one
};

// `body` is the printable area in millimetres; `metrics` the device whose
// fonts measure the text.
ReportPages layoutReport(const Report& report, QPaintDevice* metrics, QSizeF body);

}  // namespace vv::shared
