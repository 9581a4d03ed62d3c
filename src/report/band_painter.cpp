#include "report/band_painter.h"

#include "report/layout_tolerance.h"

#include <QPainter>
#include <algorithm>

namespace kv {

BandPainter::BandPainter(QPainter &painter, const ReportTemplate &tmpl, DeviceScale scale, const ReportRecorder &recorder)
    : m_p(painter)
    , m_t(tmpl)
    , m_scale(scale)
    , m_printableWidth(tmpl.printableSize().width())
    , m_recorder(recorder)
{
}

void BandPainter::setPageRange(int from, int to)
{
    m_fromPage = std::max(1, from);
    m_toPage = std::max(0, to);
}

QRectF BandPainter::deviceRect(double x, double y, double w, double h) const
{
    return QRectF((m_t.margins.left() + x) * m_scale.sx, (m_t.margins.top() + y) * m_scale.sy, w * m_scale.sx, h * m_scale.sy);
}

void BandPainter::drawSlice(const ReportBand &band, const std::vector<PreparedItem> &items, const BandLayout &bl, double x,
                            double top, double from, double to, int page)
{
    if (!drawsPage(page))
        return;
    const double sx = m_scale.sx;
    const double dy = top - from;
    const bool whole = from <= kLayoutEpsilon && to >= kUnbounded;
    std::vector<ReportDrawnText> records;
    if (m_recorder)
        records.resize(bl.groups.size());
    for (const BandOp &op : bl.ops) {
        if (op.kind == BandOp::Kind::Text) {
            if (op.rect.top() < from - kLayoutEpsilon || op.rect.top() >= to - kLayoutEpsilon)
                continue;
            const PreparedItem &pi = items[size_t(op.item)];
            const TextGroup &g = bl.groups[size_t(op.group)];
            const SizedFont &f = pi.sizes[size_t(g.fit.size)];
            const QRectF r = deviceRect(x + op.rect.left(), op.rect.top() + dy, op.rect.width(), op.rect.height());
            m_p.setFont(f.font);
            m_p.setPen(pi.item->color);
            m_p.drawText(QPointF(r.left() + op.indent, r.top() + f.measure.metrics().ascent()), op.text);
            if (m_recorder) {
                ReportDrawnText &rec = records[size_t(op.group)];
                const QRectF drawn(m_t.margins.left() + x + op.rect.left() + op.indent / sx, m_t.margins.top() + op.rect.top() + dy,
                                   textWidth(f.measure, op.text) / sx, op.rect.height());
                rec.text = rec.lines.isEmpty() ? drawn : rec.text.united(drawn);
                rec.lines << op.text;
            }
            continue;
        }
        if (op.rect.bottom() < from - kLayoutEpsilon || op.rect.top() > to + kLayoutEpsilon)
            continue;
        const bool clip = !whole && (op.rect.top() < from - kLayoutEpsilon || op.rect.bottom() > to + kLayoutEpsilon);
        if (clip) {
            m_p.save();
            m_p.setClipRect(deviceRect(x, from + dy, m_printableWidth, std::min(to, bl.height) - from));
        }
        const QRectF r = deviceRect(x + op.rect.left(), op.rect.top() + dy, op.rect.width(), op.rect.height());
        if (op.kind == BandOp::Kind::Fill) {
            m_p.fillRect(r, band.alternateFill);
        } else if (op.kind == BandOp::Kind::Line) {
            const ReportItem &item = *items[size_t(op.item)].item;
            m_p.setPen(QPen(item.color, std::max(item.thickness * sx, 1.0)));
            m_p.drawLine(r.topLeft(), r.bottomRight());
        } else {
            const ReportItem &item = *items[size_t(op.item)].item;
            m_p.setPen(item.thickness > 0 ? QPen(item.color, item.thickness * sx) : QPen(Qt::NoPen));
            m_p.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
            m_p.drawRect(r);
            m_p.setBrush(Qt::NoBrush);
        }
        if (clip)
            m_p.restore();
    }
    if (!m_recorder)
        return;
    for (size_t gi = 0; gi < records.size(); ++gi) {
        ReportDrawnText &rec = records[gi];
        if (rec.lines.isEmpty())
            continue;
        const TextGroup &g = bl.groups[gi];
        const PreparedItem &pi = items[size_t(g.item)];
        rec.page = page;
        rec.item = pi.item->path;
        rec.value = g.value;
        rec.pointSize = pi.sizes[size_t(g.fit.size)].pointSize;
        rec.cut = g.fit.cut;
        const double boxTop = std::max(g.box.top(), from);
        const double boxBottom = std::min(g.box.bottom(), to);
        rec.box = QRectF(m_t.margins.left() + x + g.box.left(), m_t.margins.top() + boxTop + dy, g.box.width(),
                         std::max(0.0, boxBottom - boxTop));
        m_recorder(rec);
    }
}

} // namespace kv
