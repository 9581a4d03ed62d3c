#include "report/band_layout.h"

#include "report/layout_tolerance.h"

#include <QPaintDevice>
#include <algorithm>

namespace kv {

namespace {

constexpr double kSizeStep = 0.5; // points between the sizes "shrink" tries

} // namespace

std::vector<PreparedItem> prepareItems(const ReportBand &band, const QPaintDevice &device)
{
    // QFontMetricsF takes the device by pointer but only reads its resolution.
    QPaintDevice *dev = const_cast<QPaintDevice *>(&device);
    std::vector<PreparedItem> prepared;
    for (const ReportItem &item : band.items) {
        PreparedItem pi;
        pi.item = &item;
        if (item.kind == ReportItem::Kind::Text) {
            std::vector<double> points{item.font.size};
            if (item.fit == ReportItem::Fit::Shrink) {
                for (double s = item.font.size - kSizeStep; s > item.minSize + kLayoutEpsilon; s -= kSizeStep)
                    points.push_back(s);
                if (item.minSize < item.font.size - kLayoutEpsilon)
                    points.push_back(item.minSize);
            }
            for (double pt : points) {
                QFont f(item.font.family);
                f.setPointSizeF(pt);
                f.setBold(item.font.bold);
                f.setItalic(item.font.italic);
                f.setUnderline(item.font.underline);
                pi.sizes.push_back({f, QtFontMeasure(QFontMetricsF(f, dev)), pt});
            }
            for (const SizedFont &s : pi.sizes)
                pi.measures.push_back(&s.measure);
        }
        prepared.push_back(std::move(pi));
    }
    return prepared;
}

BandLayout layoutBand(const ReportBand &band, const std::vector<PreparedItem> &items, const ReportSourceLookup &sources,
                      const QString &defaultSource, const ReportVariables &vars, DeviceScale scale, double width, bool tinted)
{
    const double sx = scale.sx;
    const double sy = scale.sy;
    BandLayout bl;
    bl.height = band.height;
    const size_t n = items.size();
    std::vector<int> groupOf(n, -1);
    std::vector<double> growth(n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const PreparedItem &pi = items[i];
        if (pi.item->kind != ReportItem::Kind::Text)
            continue;
        QString value = pi.item->expr.evaluate(sources, defaultSource, vars);
        if (value.isEmpty())
            continue;
        TextGroup g;
        g.item = int(i);
        const ReportItem &item = *pi.item;
        g.fit = fitText(pi.measures, value,
                        {item.width * sx, item.height * sy, item.wordWrap, item.stretch, item.fit == ReportItem::Fit::Shrink});
        g.value = std::move(value);
        if (pi.item->stretch) {
            const double lineMm = pi.sizes[size_t(g.fit.size)].measure.lineSpacing() / sy;
            growth[i] = std::max(0.0, g.fit.lines.size() * lineMm - pi.item->height);
        }
        groupOf[i] = int(bl.groups.size());
        bl.groups.push_back(std::move(g));
    }

    // Items below a grown item move down by its growth (and by what moved it).
    std::vector<double> shift(n, 0.0);
    if (band.stretches()) {
        std::vector<size_t> order(n);
        for (size_t i = 0; i < n; ++i)
            order[i] = i;
        auto top = [&](size_t i) { return items[i].item->y; };
        auto bottom = [&](size_t i) { return items[i].item->y + items[i].item->height; };
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return top(a) != top(b) ? top(a) < top(b) : bottom(a) < bottom(b); });
        double deepest = 0;
        for (size_t oi = 0; oi < n; ++oi) {
            const size_t i = order[oi];
            for (size_t oj = 0; oj < oi; ++oj) {
                const size_t j = order[oj];
                if (growth[j] > 0 && bottom(j) <= top(i) + kLayoutEpsilon)
                    shift[i] = std::max(shift[i], shift[j] + growth[j]);
            }
            deepest = std::max(deepest, shift[i] + growth[i]);
        }
        bl.height += deepest;
    }

    if (tinted && band.alternateFill.isValid()) {
        BandOp fill;
        fill.kind = BandOp::Kind::Fill;
        fill.rect = QRectF(0, 0, width, bl.height);
        bl.ops.push_back(fill);
    }
    for (size_t i = 0; i < n; ++i) {
        const ReportItem &item = *items[i].item;
        const QRectF box(item.x, item.y + shift[i], item.width, item.height + growth[i]);
        if (item.kind != ReportItem::Kind::Text) {
            BandOp op;
            op.kind = item.kind == ReportItem::Kind::Line ? BandOp::Kind::Line : BandOp::Kind::Box;
            op.item = int(i);
            op.rect = box;
            bl.ops.push_back(op);
            continue;
        }
        if (groupOf[i] < 0)
            continue;
        TextGroup &g = bl.groups[size_t(groupOf[i])];
        g.box = box;
        const SizedFont &f = items[i].sizes[size_t(g.fit.size)];
        const double lineMm = f.measure.lineSpacing() / sy;
        const double block = g.fit.lines.size() * lineMm;
        double top = box.top();
        if (block < box.height()) {
            if (item.align & Qt::AlignVCenter)
                top += (box.height() - block) / 2;
            else if (item.align & Qt::AlignBottom)
                top += box.height() - block;
        }
        for (int k = 0; k < g.fit.lines.size(); ++k) {
            BandOp op;
            op.kind = BandOp::Kind::Text;
            op.item = int(i);
            op.group = groupOf[i];
            op.rect = QRectF(box.left(), top + k * lineMm, box.width(), lineMm);
            op.text = g.fit.lines[k];
            if (item.align & (Qt::AlignHCenter | Qt::AlignRight)) {
                const double free = box.width() * sx - textWidth(f.measure, op.text);
                op.indent = std::max(0.0, item.align & Qt::AlignRight ? free : free / 2);
            }
            bl.ops.push_back(std::move(op));
        }
    }
    return bl;
}

} // namespace kv
