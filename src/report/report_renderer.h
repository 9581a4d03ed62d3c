#pragma once

#include "report/report_run.h"
#include "report/report_sources.h"
#include "report/report_template.h"

#include <QPageLayout>
#include <functional>

class QPainter;
class QPagedPaintDevice;

namespace kv {

// Draws a template's bands over its data source, page by page as the rows are
// walked: nothing of a page is kept once the next one has begun, so memory does
// not grow with the length of the report (beyond what the output device keeps).
class ReportRenderer
{
public:
    using PageBreak = std::function<void()>;

    ReportRenderer(const ReportTemplate &tmpl, const ReportSources &sources, ReportRun run = {});

    // Every source and field the template names must exist; throws kv::Error
    // naming the template file and the item otherwise. render() checks first.
    void check() const;

    // Receives every text item as it is drawn (tests); none by default, so a
    // long report keeps nothing.
    void setRecorder(ReportRecorder recorder) { m_recorder = std::move(recorder); }

    // Draws on a painter that is already active on a device whose origin is
    // the paper's top left corner; newPage is called between pages. Draws the
    // run's pages and copies only; answers the number of pages drawn.
    int render(QPainter &painter, const PageBreak &newPage);
    // Sets the device's page layout from the template, then draws on it.
    int render(QPagedPaintDevice &device);

    // The paper of the template, without device margins (the template keeps its own).
    static QPageLayout pageLayout(const ReportTemplate &tmpl);
    // Renders to a PDF file (report_pdf.cpp); answers the number of pages and what was cut.
    // The file is replaced only when the whole report was written; otherwise
    // kv::Error "The report could not be written to FILE: reason" and a file
    // that was there keeps its bytes.
    static ReportOutcome renderToPdf(const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run,
                                     const QString &pdfFileName);

    // The outcome of the last render().
    const ReportOutcome &outcome() const { return m_outcome; }
    // "N value(s) did not fit ..." for the preview's status and the command line; empty when nothing was cut.
    static QString cutValuesText(const ReportOutcome &outcome);
    static const QString kCutValues;
    static const QString kNotWritten;

private:
    int renderCopy(QPainter &painter, const PageBreak &newPage, bool breakFirst);

    const ReportTemplate &m_t;
    const ReportSources &m_sources;
    ReportRun m_run;
    ReportRecorder m_recorder;
    ReportOutcome m_outcome;
};

} // namespace kv
