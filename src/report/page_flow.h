#pragma once

#include "report/band_layout.h"
#include "report/band_painter.h"
#include "report/report_run.h"
#include "report/report_sources.h"

#include <QSizeF>
#include <functional>
#include <vector>

class QPainter;

namespace kv {

// Puts a template's bands on pages as the rows come: page headers and
// footers in their fixed places, the flowing bands below each other and
// moved or split at a page break, label cells across or down their columns.
class ReportPageFlow
{
public:
    using PageBreak = std::function<void()>;
    enum Band { PageHeader, Header, Detail, Footer, PageFooter, BandCount };

    ReportPageFlow(QPainter &painter, const ReportTemplate &tmpl, const ReportSources &sources, const PageBreak &pageBreak,
                   const ReportRecorder &recorder, ReportOutcome &outcome);

    ReportVariables vars;

    void startPage();
    void finishPage();
    // A report header or footer across the page, below what came before.
    void wholeBand(Band which);
    // The detail band of the row numbered index (from 0).
    void detailRow(int index);
    int page() const { return m_page; }
    // Pages outside the range are laid out (their numbers and rows count) but not drawn.
    void setPageRange(int from, int to) { m_painter.setPageRange(from, to); }
    bool drawsPage(int page) const { return m_painter.drawsPage(page); }
    // Called as each page begins, its number already counted.
    void setPageStart(std::function<void()> pageStart) { m_pageStart = std::move(pageStart); }

private:
    BandLayout layout(Band which, double width, bool tinted);
    void drawFixed(Band which, double x, double top, double width, bool tinted);
    void placeBand(Band which, double x, double width, bool tinted);
    void newPage();
    void ensureRoom(double h);
    void closeColumns();
    double bottomLimit() const;
    double bodyTop() const;
    double rowPitch() const;
    double columnWidth() const;

    const ReportTemplate &m_t;
    const ReportSources &m_sources;
    const PageBreak &m_pageBreak;
    ReportOutcome &m_outcome;
    DeviceScale m_scale;
    QSizeF m_printable;
    const ReportBand *m_bands[BandCount];
    std::vector<PreparedItem> m_prepared[BandCount];
    BandPainter m_painter;
    std::function<void()> m_pageStart;

    int m_page = 0;
    double m_y = 0; // millimetres from the top of the printable area
    bool m_bodyOnPage = false; // a band other than the page header is on this page
    int m_column = 0;
    double m_gridTop = 0; // down-first columns start here on each page
    double m_gridBottom = 0;
};

} // namespace kv
