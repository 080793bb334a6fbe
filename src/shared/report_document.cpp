#include "shared/report_document.h"

#include <memory>
#include <utility>

namespace vv::shared {

ReportRowSource reportRows(std::vector<ReportRow> rows) {
    auto held = std::make_shared<const std::vector<ReportRow>>(std::move(rows));
    return [held](const ReportRowSink& add) {
        for (const ReportRow& row : *held) add(row);
    };
}

ReportItem reportText(const QString& text, double left, double top, ReportFont font, double width,
                      Qt::Alignment align) {
    ReportItem item;
    item.kind = ReportItem::Kind::Text;
    item.text = text;
    item.left = left;
    item.top = top;
    item.width = width;
    item.font = std::move(font);
    item.align = align;
    return item;
}

ReportItem reportField(const QString& field, double left, double top, ReportFont font, double width,
                       Qt::Alignment align) {
    ReportItem item = reportText({}, left, top, std::move(font), width, align);
    item.kind = ReportItem::Kind::Field;
    item.field = field;
    return item;
}

ReportItem reportMemo(const QString& field, double left, double top, double width, double minHeight,
                      ReportFont font) {
    ReportItem item = reportField(field, left, top, std::move(font), width);
    item.height = minHeight;
    item.wrap = true;
    return item;
}

ReportItem reportSum(const QString& field, double left, double top, ReportFont font, double width,
                     Qt::Alignment align, std::function<QString(double)> format) {
    ReportItem item = reportField(field, left, top, std::move(font), width, align);
    item.kind = ReportItem::Kind::Sum;
    item.format = std::move(format);
    return item;
}

ReportItem reportLine(double left, double top, double width, double weight, bool shiftWithGrowth) {
    ReportItem item;
    item.kind = ReportItem::Kind::Line;
    item.left = left;
    item.top = top;
    item.width = width;
    item.lineWeight = weight;
    item.shiftWithGrowth = shiftWithGrowth;
    return item;
}

}  // namespace vv::shared
