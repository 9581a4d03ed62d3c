#include "members/report_renderer.h"

#include "data/engine/db_error.h"

#include <QFontMetricsF>
#include <algorithm>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <vector>

namespace kv {

void ReportSources::add(const QString &name, ReportDataSource *source, const QString &master)
{
    if (!m_sources.contains(name.toLower()))
        m_names << name;
    m_sources.insert(name.toLower(), {source, master});
}

const ReportDataSource *ReportSources::source(const QString &name) const
{
    return mutableSource(name);
}

ReportDataSource *ReportSources::mutableSource(const QString &name) const
{
    const auto it = m_sources.constFind(name.toLower());
    return it == m_sources.constEnd() ? nullptr : it->source;
}

QString ReportSources::masterOf(const QString &name) const
{
    return m_sources.value(name.toLower()).master;
}

ReportRenderer::ReportRenderer(const ReportTemplate &tmpl, const ReportSources &sources, ReportRun run)
    : m_t(tmpl)
    , m_sources(sources)
    , m_run(std::move(run))
{
}

void ReportRenderer::check() const
{
    if (!m_sources.source(m_t.dataSource))
        throw Error(QStringLiteral("%1: dataSource: there is no data source \"%2\"").arg(m_t.fileName, m_t.dataSource));
    QHash<QString, QStringList> fieldsOf;
    for (const ReportBand *b : {&m_t.pageHeader, &m_t.header, &m_t.detail, &m_t.footer, &m_t.pageFooter}) {
        for (const ReportItem &item : b->items) {
            for (const auto &ref : item.expr.fieldRefs()) {
                const QString sourceName = ref.source.isEmpty() ? m_t.dataSource : ref.source;
                const ReportDataSource *src = m_sources.source(sourceName);
                if (!src)
                    throw Error(QStringLiteral("%1: %2.expr: there is no data source \"%3\"").arg(m_t.fileName, item.path, sourceName));
                auto it = fieldsOf.find(sourceName.toLower());
                if (it == fieldsOf.end())
                    it = fieldsOf.insert(sourceName.toLower(), src->fieldNames());
                if (!it->contains(ref.field, Qt::CaseInsensitive))
                    throw Error(QStringLiteral("%1: %2.expr: data source \"%3\" has no field \"%4\"")
                                    .arg(m_t.fileName, item.path, sourceName, ref.field));
            }
        }
    }
}

namespace {

// One item made ready for a device: its font and metrics resolved once.
struct PreparedItem
{
    const ReportItem *item = nullptr;
    QFont font;
    std::unique_ptr<QFontMetricsF> metrics;
};

} // namespace

struct ReportRenderer::Layout
{
    QPainter &p;
    const ReportTemplate &t;
    const ReportSources &sources;
    const PageBreak &pageBreak;
    ReportVariables vars;
    double sx = 1, sy = 1; // device units per millimetre
    QSizeF printable;
    std::vector<PreparedItem> prepared[5];
    int fontOf = -1;

    int page = 0;
    double y = 0; // millimetres from the top of the printable area
    bool bodyOnPage = false; // a band other than the page header is on this page
    int column = 0;
    double gridTop = 0; // down-first columns start here on each page
    double gridBottom = 0;

    Layout(QPainter &painter, const ReportTemplate &tmpl, const ReportSources &s, const PageBreak &pb)
        : p(painter)
        , t(tmpl)
        , sources(s)
        , pageBreak(pb)
    {
        const QPaintDevice *dev = p.device();
        sx = dev->logicalDpiX() / 25.4;
        sy = dev->logicalDpiY() / 25.4;
        printable = t.printableSize();
        const ReportBand *bands[5] = {&t.pageHeader, &t.header, &t.detail, &t.footer, &t.pageFooter};
        for (int i = 0; i < 5; ++i) {
            for (const ReportItem &item : bands[i]->items) {
                PreparedItem pi;
                pi.item = &item;
                if (item.kind == ReportItem::Kind::Text) {
                    pi.font = QFont(item.font.family);
                    pi.font.setPointSizeF(item.font.size);
                    pi.font.setBold(item.font.bold);
                    pi.font.setItalic(item.font.italic);
                    pi.font.setUnderline(item.font.underline);
                    pi.metrics = std::make_unique<QFontMetricsF>(pi.font, const_cast<QPaintDevice *>(dev));
                }
                prepared[i].push_back(std::move(pi));
            }
        }
    }

    QRectF deviceRect(double x, double yy, double w, double h) const
    {
        return QRectF((t.margins.left() + x) * sx, (t.margins.top() + yy) * sy, w * sx, h * sy);
    }

    double bottomLimit() const { return printable.height() - (t.pageFooter.present ? t.pageFooter.height : 0); }
    static constexpr double kEpsilon = 0.001;

    void drawBand(int which, const ReportBand &band, double x, double top, double width, bool tinted)
    {
        if (tinted && band.alternateFill.isValid())
            p.fillRect(deviceRect(x, top, width, band.height), band.alternateFill);
        for (PreparedItem &pi : prepared[which])
            drawItem(pi, x, top);
    }

    void drawItem(PreparedItem &pi, double bx, double by)
    {
        const ReportItem &item = *pi.item;
        const QRectF r = deviceRect(bx + item.x, by + item.y, item.width, item.height);
        switch (item.kind) {
        case ReportItem::Kind::Line: {
            QPen pen(item.color, std::max(item.thickness * sx, 1.0));
            p.setPen(pen);
            p.drawLine(r.topLeft(), r.bottomRight());
            return;
        }
        case ReportItem::Kind::Box:
            p.setPen(item.thickness > 0 ? QPen(item.color, item.thickness * sx) : QPen(Qt::NoPen));
            p.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
            p.drawRect(r);
            p.setBrush(Qt::NoBrush);
            return;
        case ReportItem::Kind::Text: break;
        }
        QString text = item.expr.evaluate(sources, t.dataSource, vars);
        if (text.isEmpty())
            return;
        p.setFont(pi.font);
        p.setPen(item.color);
        int flags = int(item.align);
        if (item.wordWrap) {
            flags |= Qt::TextWordWrap;
            const QRectF needed = pi.metrics->boundingRect(r, flags, text);
            if (needed.height() > r.height() + 0.5) {
                // Too long for its box: keep it inside rather than print over the next item.
                p.save();
                p.setClipRect(r);
                p.drawText(r, flags, text);
                p.restore();
                return;
            }
        } else {
            // A value wider than its box is cut with an ellipsis, line by line.
            QStringList lines = text.split(QLatin1Char('\n'));
            for (QString &line : lines)
                if (pi.metrics->horizontalAdvance(line) > r.width())
                    line = pi.metrics->elidedText(line, Qt::ElideRight, r.width());
            text = lines.join(QLatin1Char('\n'));
        }
        p.drawText(r, flags | Qt::TextDontClip, text);
    }

    void startPage()
    {
        if (page > 0)
            pageBreak();
        ++page;
        vars.pageNumber = page;
        y = 0;
        bodyOnPage = false;
        column = 0;
        if (t.pageHeader.present) {
            drawBand(0, t.pageHeader, 0, 0, printable.width(), false);
            y = t.pageHeader.height;
        }
        gridTop = gridBottom = y;
    }

    void finishPage()
    {
        if (t.pageFooter.present)
            drawBand(4, t.pageFooter, 0, printable.height() - t.pageFooter.height, printable.width(), false);
    }

    void newPage()
    {
        finishPage();
        startPage();
    }

    // Moves to a new page when a band of this height does not fit; a band
    // taller than an empty page is drawn anyway rather than looping.
    void ensureRoom(double h)
    {
        if (bodyOnPage && y + h > bottomLimit() + kEpsilon)
            newPage();
    }

    void wholeBand(int which, const ReportBand &band)
    {
        if (!band.present)
            return;
        closeColumns();
        ensureRoom(band.height);
        drawBand(which, band, 0, y, printable.width(), false);
        y += band.height;
        bodyOnPage = true;
    }

    double rowPitch() const { return t.columns.rowPitch > 0 ? t.columns.rowPitch : t.detail.height; }
    double columnWidth() const
    {
        return t.columns.width > 0 ? t.columns.width : printable.width() / t.columns.count;
    }

    // Finishes a partly filled row (across) or column set (down) so that
    // what follows starts below the grid.
    void closeColumns()
    {
        if (t.columns.count <= 1)
            return;
        if (t.columns.acrossFirst) {
            if (column > 0) {
                y += rowPitch();
                column = 0;
            }
        } else if (column > 0 || y > gridTop) {
            y = std::max(y, gridBottom);
            column = 0;
            gridTop = gridBottom = y;
        }
    }

    void detailRow(int index)
    {
        const ReportBand &band = t.detail;
        const bool tinted = index % 2 == 1;
        if (band.newPage && index > 0 && bodyOnPage) {
            closeColumns();
            newPage();
        }
        if (t.columns.count <= 1) {
            ensureRoom(band.height);
            drawBand(2, band, t.columns.positions.value(0), y, columnWidth(), tinted);
            y += band.height;
            bodyOnPage = true;
            return;
        }
        const double pitch = rowPitch();
        if (t.columns.acrossFirst) {
            if (column == 0)
                ensureRoom(band.height);
            drawBand(2, band, t.columns.positions[column], y, columnWidth(), tinted);
            bodyOnPage = true;
            if (++column == t.columns.count) {
                column = 0;
                y += pitch;
            }
            return;
        }
        if (y + band.height > bottomLimit() + kEpsilon && (bodyOnPage || y > gridTop)) {
            if (column + 1 < t.columns.count) {
                ++column;
                y = gridTop;
            } else {
                newPage();
            }
        }
        if (!bodyOnPage)
            gridTop = y;
        drawBand(2, band, t.columns.positions[column], y, columnWidth(), tinted);
        bodyOnPage = true;
        y += pitch;
        gridBottom = std::max(gridBottom, y);
    }
};

int ReportRenderer::render(QPainter &painter, const PageBreak &newPage)
{
    check();
    ReportDataSource *main = m_sources.mutableSource(m_t.dataSource);
    // Only the details the template reads are moved along; the others would
    // cost a query per row for nothing.
    std::vector<ReportDataSource *> details;
    for (const QString &name : m_t.sourcesUsed())
        if (m_sources.masterOf(name).compare(m_t.dataSource, Qt::CaseInsensitive) == 0)
            details.push_back(m_sources.mutableSource(name));

    Layout l(painter, m_t, m_sources, newPage);
    l.vars.listName = m_run.listName;
    l.vars.printTime = m_run.printTime;
    l.vars.title = m_t.title;

    auto follow = [&] {
        for (ReportDataSource *d : details)
            d->masterMoved(*main);
    };

    main->first();
    follow();
    l.startPage();
    l.wholeBand(1, m_t.header);
    int index = 0;
    while (!main->eof()) {
        l.vars.rowNumber = index + 1;
        l.detailRow(index);
        ++index;
        main->next();
        if (!main->eof())
            follow();
    }
    // Footers speak of the last row: the count and the run's figures.
    l.wholeBand(3, m_t.footer);
    l.finishPage();
    return l.page;
}

QPageLayout ReportRenderer::pageLayout(const ReportTemplate &tmpl)
{
    QPageLayout layout(QPageSize(tmpl.pageSize, QPageSize::Millimeter),
                       tmpl.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

int ReportRenderer::render(QPagedPaintDevice &device)
{
    check();
    device.setPageLayout(pageLayout(m_t));
    QPainter painter;
    if (!painter.begin(&device))
        throw Error(QStringLiteral("The report \"%1\" could not be started on its output device.").arg(m_t.fileName));
    int pages = 0;
    try {
        pages = render(painter, [&device] { device.newPage(); });
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
    return pages;
}

int ReportRenderer::renderToPdf(const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run,
                                const QString &pdfFileName)
{
    ReportRenderer r(tmpl, sources, run);
    r.check(); // before the file is created
    QPdfWriter pdf(pdfFileName);
    pdf.setTitle(tmpl.title);
    pdf.setCreator(QStringLiteral("Kestrovan"));
    pdf.setResolution(600);
    return r.render(pdf);
}

} // namespace kv
