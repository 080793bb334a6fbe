#include "shared/report_layout.h"

#include <algorithm>
#include <optional>
#include <set>
#include <stdexcept>

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextLayout>
#include <QTextOption>

#include "shared/report_number_format.h"

namespace vv::shared {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kEpsilon = 1e-6;

// A band laid out for one row: ops relative to the band's top.
struct LaidBand {
    double height = 0;
    std::vector<ReportOp> ops;
};

QString trimmedRight(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace()) --end;
    return text.left(end);
}

// Stored numbers may carry thousands separators or a currency sign; anything
// else that is not a number counts as nothing.
double numberOf(const QString& text) {
    QString plain = text.trimmed();
    plain.remove(u',');
    plain.remove(u'$');
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok ? value : 0.0;
}

class Layouter {
public:
    Layouter(const Report& report, QPaintDevice* device, QSizeF body)
        : report_(report), device_(device), body_(body),
          mmPerPxX_(kMmPerInch / device->logicalDpiX()), mmPerPxY_(kMmPerInch / device->logicalDpiY()) {}

    ReportPages run() {
        header_ = layBand(report_.pageHeader, nullptr, nullptr);
        footer_ = layBand(report_.pageFooter, nullptr, nullptr);
        bodyTop_ = header_.height;
        bodyBottom_ = body_.height() - footer_.height;
        if (bodyBottom_ - bodyTop_ < 1.0)
            throw std::runtime_error("The page header and footer of the report \"" + report_.title.toStdString() +
                                     "\" leave no room on the page for its rows.");
        collectSumFields();
        sums_.assign(report_.groups.size() + 1, {});
        newPage();

        if (report_.rows) report_.rows([this](const ReportRow& row) { addRow(row); });
        if (previous_) closeGroupsFrom(0);
        place(layBand(report_.summary, previous_ ? &*previous_ : nullptr, &sums_[0]));
        return std::move(out_);
    }

private:
    void addRow(const ReportRow& row) {
        std::size_t changed = report_.groups.size();
        if (previous_) {
            for (std::size_t i = 0; i < report_.groups.size(); ++i) {
                const QString& field = report_.groups[i].field;
                if (row.value(field) != previous_->value(field)) {
                    changed = i;
                    break;
                }
            }
            closeGroupsFrom(changed);
        } else {
            changed = 0;
        }
        std::vector<LaidBand> bands;
        for (std::size_t i = changed; i < report_.groups.size(); ++i)
            bands.push_back(layBand(report_.groups[i].header, &row, nullptr));
        for (const QString& field : sumFields_) {
            const double value = numberOf(row.value(field));
            for (auto& level : sums_) level[field] += value;
        }
        bands.push_back(layBand(report_.detail, &row, &sums_[0]));
        // A group's heading does not stay alone at the foot of a page.
        double together = 0;
        for (const LaidBand& band : bands) together += band.height;
        if (bands.size() > 1 && together > room() + kEpsilon && together <= bodyBottom_ - bodyTop_ + kEpsilon &&
            cursor_ > bodyTop_ + kEpsilon)
            newPage();
        for (LaidBand& band : bands) place(std::move(band));
        previous_ = row;
    }

    // Prints the footers of the groups from `level` inward, innermost first.
    void closeGroupsFrom(std::size_t level) {
        for (std::size_t i = report_.groups.size(); i > level; --i) {
            place(layBand(report_.groups[i - 1].footer, &*previous_, &sums_[i]));
            sums_[i].clear();
        }
    }

    void collectSumFields() {
        auto collect = [this](const ReportBand& band) {
            for (const ReportItem& item : band.items)
                if (item.kind == ReportItem::Kind::Sum) sumFields_.insert(item.field);
        };
        collect(report_.detail);
        collect(report_.summary);
        for (const ReportGroup& group : report_.groups) collect(group.footer);
    }

    QFont fontOf(const ReportFont& f) const {
        QFont font(f.family.isEmpty() ? report_.fontFamily : f.family);
        font.setPointSizeF(f.pointSize);
        font.setBold(f.bold);
        font.setUnderline(f.underline);
        return font;
    }

    QString valueOf(const ReportItem& item, const ReportRow* row, const QHash<QString, double>* sums) const {
        switch (item.kind) {
        case ReportItem::Kind::Text:
            return item.text;
        case ReportItem::Kind::Field:
            return row ? trimmedRight(row->value(item.field)) : QString();
        case ReportItem::Kind::Sum: {
            const double total = sums ? sums->value(item.field) : 0.0;
            return item.format ? item.format(total) : formatReportNumber(total, u"0.##");
        }
        case ReportItem::Kind::Line:
            break;
        }
        return {};
    }

    // The memo's lines, broken at words to its width; a word wider than the
    // memo is broken too rather than run into the next column.
    std::vector<ReportOp> wrapLines(const ReportItem& item, const QString& value, const QFont& font) const {
        QString text = value;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        text = trimmedRight(text);
        text.replace(u'\n', QChar::LineSeparator);
        std::vector<ReportOp> lines;
        if (text.isEmpty()) return lines;

        QTextLayout layout(text, font, device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        double y = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(item.width / mmPerPxX_);
            line.setPosition(QPointF(0, y));
            ReportOp op;
            op.text = trimmedRight(text.mid(line.textStart(), line.textLength()));
            op.text.remove(QChar::LineSeparator);
            op.font = font;
            op.x = item.left;
            op.y = y * mmPerPxY_;
            op.width = item.width;
            op.height = line.height() * mmPerPxY_;
            op.align = item.align;
            lines.push_back(op);
            y += line.height();
        }
        layout.endLayout();
        return lines;
    }

    LaidBand layBand(const ReportBand& band, const ReportRow* row, const QHash<QString, double>* sums) const {
        LaidBand laid;
        if (!band.visible) return laid;

        // Memos first: how far they grow decides where the shifting items go.
        double growth = 0;
        std::vector<std::vector<ReportOp>> memos;
        for (const ReportItem& item : band.items) {
            if (!item.visible || !item.wrap || item.kind == ReportItem::Kind::Line) continue;
            memos.push_back(wrapLines(item, valueOf(item, row, sums), fontOf(item.font)));
            const double textHeight = memos.back().empty() ? 0.0 : memos.back().back().y + memos.back().back().height;
            growth = std::max(growth, textHeight - item.height);
        }
        laid.height = band.height + growth;

        std::size_t memo = 0;
        for (const ReportItem& item : band.items) {
            if (!item.visible) continue;
            const double top = item.top + (item.shiftWithGrowth ? growth : 0.0);
            if (item.kind == ReportItem::Kind::Line) {
                ReportOp op;
                op.kind = ReportOp::Kind::Line;
                op.x = item.left;
                op.y = top;
                op.width = item.width;
                op.weight = item.lineWeight;
                laid.ops.push_back(op);
            } else if (item.wrap) {
                for (ReportOp op : memos[memo]) {
                    op.y += top;
                    laid.ops.push_back(op);
                }
                ++memo;
            } else {
                ReportOp op;
                op.text = valueOf(item, row, sums);
                op.text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
                op.text.replace(u'\n', u' ');
                if (op.text.isEmpty()) continue;
                op.font = fontOf(item.font);
                op.x = item.left;
                op.y = top;
                op.width = item.width;
                op.height = QFontMetricsF(op.font, device_).height() * mmPerPxY_;
                op.align = item.align;
                laid.ops.push_back(op);
            }
        }
        for (const ReportOp& op : laid.ops) laid.height = std::max(laid.height, op.y + op.height);
        return laid;
    }

    double room() const { return bodyBottom_ - cursor_; }

    void newPage() {
        out_.pages.emplace_back();
        addOps(header_.ops, 0);
        addOps(footer_.ops, bodyBottom_);
        cursor_ = bodyTop_;
    }

    void addOps(const std::vector<ReportOp>& ops, double top) {
        for (ReportOp op : ops) {
            op.y += top;
            out_.pages.back().ops.push_back(std::move(op));
        }
    }

    // The lowest place at most `limit` down the band where no text line is
    // cut in two; 0 when there is none.
    static double findCut(const LaidBand& band, double limit) {
        std::vector<double> candidates{limit};
        for (const ReportOp& op : band.ops) {
            candidates.push_back(op.y);
            candidates.push_back(op.y + op.height);
        }
        double best = 0;
        for (double c : candidates) {
            if (c <= best || c > limit + kEpsilon) continue;
            const bool cutsAnOp = std::any_of(band.ops.begin(), band.ops.end(), [c](const ReportOp& op) {
                return op.y < c - kEpsilon && op.y + op.height > c + kEpsilon;
            });
            if (!cutsAnOp) best = c;
        }
        return best;
    }

    // A band goes whole onto this page or the next; only a band taller than
    // a whole page is split, between its text lines.
    void place(LaidBand band) {
        if (band.ops.empty() && band.height <= 0) return;
        if (band.height > room() + kEpsilon) {
            if (band.height <= bodyBottom_ - bodyTop_ + kEpsilon) {
                newPage();
            } else {
                while (band.height > room() + kEpsilon) {
                    double cut = findCut(band, room());
                    if (cut <= 0) {
                        if (cursor_ > bodyTop_ + kEpsilon) {
                            newPage();
                            continue;
                        }
                        cut = room();  // one line taller than a page: it overflows, but the rest goes on
                    }
                    LaidBand rest;
                    rest.height = band.height - cut;
                    std::vector<ReportOp> here;
                    for (ReportOp& op : band.ops) {
                        if (op.y < cut - kEpsilon) {
                            here.push_back(std::move(op));
                        } else {
                            op.y -= cut;
                            rest.ops.push_back(std::move(op));
                        }
                    }
                    addOps(here, cursor_);
                    newPage();
                    band = std::move(rest);
                }
            }
        }
        addOps(band.ops, cursor_);
        cursor_ += band.height;
    }

    const Report& report_;
    QPaintDevice* device_;
    QSizeF body_;
    double mmPerPxX_;
    double mmPerPxY_;
    LaidBand header_;
    LaidBand footer_;
    double bodyTop_ = 0;
    double bodyBottom_ = 0;
    double cursor_ = 0;
    std::set<QString> sumFields_;
    std::vector<QHash<QString, double>> sums_;  // [0] the whole report, [i + 1] group i
    std::optional<ReportRow> previous_;
    ReportPages out_;
};

}  // namespace

ReportPages layoutReport(const Report& report, QPaintDevice* metrics, QSizeF body) {
    return Layouter(report, metrics, body).run();
}

}  // namespace vv::shared
