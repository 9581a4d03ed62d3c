#include "report/page_flow.h"

#include "report/layout_tolerance.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace kv {

namespace {

DeviceScale scaleOf(const QPainter &p)
{
    const QPaintDevice *dev = p.device();
    return {dev->logicalDpiX() / 25.4, dev->logicalDpiY() / 25.4};
}

} // namespace

ReportPageFlow::ReportPageFlow(QPainter &painter, const ReportTemplate &tmpl, const ReportSources &sources,
                               const PageBreak &pageBreak, const ReportRecorder &recorder, ReportOutcome &outcome)
    : m_t(tmpl)
    , m_sources(sources)
    , m_pageBreak(pageBreak)
    , m_outcome(outcome)
    , m_scale(scaleOf(painter))
    , m_printable(tmpl.printableSize())
    , m_bands{&tmpl.pageHeader, &tmpl.header, &tmpl.detail, &tmpl.footer, &tmpl.pageFooter}
    , m_painter(painter, tmpl, m_scale, recorder)
{
    for (int i = 0; i < BandCount; ++i)
        m_prepared[i] = prepareItems(*m_bands[i], *painter.device());
}

double ReportPageFlow::bottomLimit() const
{
    return m_printable.height() - (m_t.pageFooter.present ? m_t.pageFooter.height : 0);
}

double ReportPageFlow::bodyTop() const
{
    return m_t.pageHeader.present ? m_t.pageHeader.height : 0;
}

BandLayout ReportPageFlow::layout(Band which, double width, bool tinted)
{
    BandLayout bl = layoutBand(*m_bands[which], m_prepared[which], m_sources, m_t.dataSource, vars, m_scale, width, tinted);
    for (const TextGroup &g : bl.groups)
        if (g.fit.cut && m_outcome.cutValues++ == 0)
            m_outcome.firstCut = QStringLiteral("page %1, %2").arg(m_page).arg(m_prepared[which][size_t(g.item)].item->path);
    return bl;
}

// A band at a fixed place: page headers and footers, label cells.
void ReportPageFlow::drawFixed(Band which, double x, double top, double width, bool tinted)
{
    const BandLayout bl = layout(which, width, tinted);
    m_painter.drawSlice(*m_bands[which], m_prepared[which], bl, x, top, 0, kUnbounded, m_page);
}

// A band in the flow of the page: it moves to the next page when it does
// not fit what is left and would fit an empty page; a taller one is split
// between lines and continues on the next pages. No line is cut or lost.
void ReportPageFlow::placeBand(Band which, double x, double width, bool tinted)
{
    const BandLayout bl = layout(which, width, tinted);
    const ReportBand &band = *m_bands[which];
    const std::vector<PreparedItem> &items = m_prepared[which];
    double from = 0;
    for (;;) {
        const double room = bottomLimit() - m_y;
        const double rest = bl.height - from;
        if (rest <= room + kLayoutEpsilon) {
            m_painter.drawSlice(band, items, bl, x, m_y, from, kUnbounded, m_page);
            m_y += rest;
            m_bodyOnPage = true;
            return;
        }
        if (from <= kLayoutEpsilon && m_bodyOnPage && bl.height <= bottomLimit() - bodyTop() + kLayoutEpsilon) {
            newPage();
            continue;
        }
        double cut = from + room;
        for (bool moved = true; moved;) {
            moved = false;
            for (const BandOp &op : bl.ops) {
                if (op.kind == BandOp::Kind::Text && op.rect.top() < cut - kLayoutEpsilon && op.rect.bottom() > cut + kLayoutEpsilon
                    && op.rect.top() >= from - kLayoutEpsilon) {
                    cut = op.rect.top();
                    moved = true;
                }
            }
        }
        if (cut <= from + kLayoutEpsilon) {
            if (m_bodyOnPage) {
                newPage();
                continue;
            }
            // Not even one line fits an empty page: drawn here, cut at the paper's edge, rather than never.
            m_painter.drawSlice(band, items, bl, x, m_y, from, kUnbounded, m_page);
            m_y += rest;
            m_bodyOnPage = true;
            return;
        }
        m_painter.drawSlice(band, items, bl, x, m_y, from, cut, m_page);
        m_bodyOnPage = true;
        from = cut;
        newPage();
    }
}

void ReportPageFlow::startPage()
{
    if (m_page > 0)
        m_pageBreak();
    ++m_page;
    if (m_pageStart)
        m_pageStart();
    vars.pageNumber = m_page;
    m_y = 0;
    m_bodyOnPage = false;
    m_column = 0;
    if (m_t.pageHeader.present) {
        drawFixed(PageHeader, 0, 0, m_printable.width(), false);
        m_y = m_t.pageHeader.height;
    }
    m_gridTop = m_gridBottom = m_y;
}

void ReportPageFlow::finishPage()
{
    if (m_t.pageFooter.present)
        drawFixed(PageFooter, 0, m_printable.height() - m_t.pageFooter.height, m_printable.width(), false);
}

void ReportPageFlow::newPage()
{
    finishPage();
    startPage();
}

// Moves to a new page when a cell of this height does not fit.
void ReportPageFlow::ensureRoom(double h)
{
    if (m_bodyOnPage && m_y + h > bottomLimit() + kLayoutEpsilon)
        newPage();
}

void ReportPageFlow::wholeBand(Band which)
{
    if (!m_bands[which]->present)
        return;
    closeColumns();
    placeBand(which, 0, m_printable.width(), false);
}

double ReportPageFlow::rowPitch() const
{
    return m_t.columns.rowPitch > 0 ? m_t.columns.rowPitch : m_t.detail.height;
}

double ReportPageFlow::columnWidth() const
{
    return m_t.columns.width > 0 ? m_t.columns.width : m_printable.width() / m_t.columns.count;
}

// Finishes a partly filled row (across) or column set (down) so that
// what follows starts below the grid.
void ReportPageFlow::closeColumns()
{
    if (m_t.columns.count <= 1)
        return;
    if (m_t.columns.acrossFirst) {
        if (m_column > 0) {
            m_y += rowPitch();
            m_column = 0;
        }
    } else if (m_column > 0 || m_y > m_gridTop) {
        m_y = std::max(m_y, m_gridBottom);
        m_column = 0;
        m_gridTop = m_gridBottom = m_y;
    }
}

void ReportPageFlow::detailRow(int index)
{
    const ReportBand &band = m_t.detail;
    const bool tinted = index % 2 == 1;
    if (band.newPage && index > 0 && m_bodyOnPage) {
        closeColumns();
        newPage();
    }
    if (m_t.columns.count <= 1) {
        placeBand(Detail, m_t.columns.positions.value(0), columnWidth(), tinted);
        return;
    }
    const double pitch = rowPitch();
    if (m_t.columns.acrossFirst) {
        if (m_column == 0)
            ensureRoom(band.height);
        drawFixed(Detail, m_t.columns.positions[m_column], m_y, columnWidth(), tinted);
        m_bodyOnPage = true;
        if (++m_column == m_t.columns.count) {
            m_column = 0;
            m_y += pitch;
        }
        return;
    }
    if (m_y + band.height > bottomLimit() + kLayoutEpsilon && (m_bodyOnPage || m_y > m_gridTop)) {
        if (m_column + 1 < m_t.columns.count) {
            ++m_column;
            m_y = m_gridTop;
        } else {
            newPage();
        }
    }
    if (!m_bodyOnPage)
        m_gridTop = m_y;
    drawFixed(Detail, m_t.columns.positions[m_column], m_y, columnWidth(), tinted);
    m_bodyOnPage = true;
    m_y += pitch;
    m_gridBottom = std::max(m_gridBottom, m_y);
}

} // namespace kv
