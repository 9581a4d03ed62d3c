#include "report/report_renderer.h"

#include "data/engine/db_error.h"
#include "report/page_flow.h"

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <vector>

namespace kv {

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
const QString ReportRenderer::kCutValues
    = QStringLiteral("%1 value(s) did not fit their space even in a smaller size and were shortened; the first on %2.");

QString ReportRenderer::cutValuesText(const ReportOutcome &outcome)
{
    if (outcome.cutValues == 0)
        return QString();
    return kCutValues.arg(outcome.cutValues).arg(outcome.firstCut);
}
int ReportRenderer::render(QPainter &painter, const PageBreak &newPage)
{
    check();
    int drawn = 0;
    ReportOutcome first;
    for (int copy = 0; copy < std::max(1, m_run.copies); ++copy) {
        drawn += renderCopy(painter, newPage, drawn > 0);
        if (copy == 0)
            first = m_outcome;
    }
    m_outcome = first;
    return drawn;
}

namespace {

// Thrown at the break after the last page asked for: nothing after it is laid out.
struct PastLastPage
{
};

} // namespace

int ReportRenderer::renderCopy(QPainter &painter, const PageBreak &newPage, bool breakFirst)
{
    m_outcome = ReportOutcome();
    ReportDataSource *main = m_sources.mutableSource(m_t.dataSource);
    // Only the details the template reads are moved along; the others would
    // cost a query per row for nothing.
    std::vector<ReportDataSource *> details;
    for (const QString &name : m_t.sourcesUsed())
        if (m_sources.masterOf(name).compare(m_t.dataSource, Qt::CaseInsensitive) == 0)
            details.push_back(m_sources.mutableSource(name));

    ReportPageFlow *flow = nullptr;
    int drawn = 0;
    bool breakPending = breakFirst;
    // The device turns a page only between two pages that are drawn.
    const auto pageDrawn = [&] {
        if (flow->drawsPage(flow->page())) {
            if (breakPending)
                newPage();
            breakPending = true;
            ++drawn;
        }
    };
    const PageBreak checkedNewPage = [&] {
        if (m_run.checkpoint)
            m_run.checkpoint();
        if (m_run.toPage > 0 && flow->page() >= m_run.toPage)
            throw PastLastPage();
    };
    ReportPageFlow l(painter, m_t, m_sources, checkedNewPage, m_recorder, m_outcome);
    flow = &l;
    l.setPageRange(m_run.fromPage, m_run.toPage);
    l.setPageStart(pageDrawn);
    l.vars.listName = m_run.listName;
    l.vars.printTime = m_run.printTime;
    l.vars.title = m_t.title;

    auto follow = [&] {
        for (ReportDataSource *d : details)
            d->masterMoved(*main);
    };

    try {
        main->first();
        follow();
        l.startPage();
        l.wholeBand(ReportPageFlow::Header);
        int index = 0;
        while (!main->eof()) {
            if (m_run.checkpoint)
                m_run.checkpoint();
            l.vars.rowNumber = index + 1;
            l.detailRow(index);
            ++index;
            main->next();
            if (!main->eof())
                follow();
        }
        // Footers speak of the last row: the count and the run's figures.
        l.wholeBand(ReportPageFlow::Footer);
        l.finishPage();
    } catch (const PastLastPage &) {
    }
    m_outcome.pages = l.page();
    return drawn;
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

} // namespace kv
