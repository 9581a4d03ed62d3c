#pragma once

#include "report/report_data_source.h"
#include "report/report_template.h"

#include <QDateTime>
#include <QHash>
#include <QPageLayout>
#include <QRectF>
#include <functional>

class QPainter;
class QPagedPaintDevice;

namespace kv {

// The data sources of one report run by their user names; a detail source
// names its master and is moved along with it.
class ReportSources : public ReportSourceLookup
{
public:
    void add(const QString &name, ReportDataSource *source, const QString &master = QString());
    const ReportDataSource *source(const QString &name) const override;
    ReportDataSource *mutableSource(const QString &name) const;
    QString masterOf(const QString &name) const;
    QStringList names() const { return m_names; }

private:
    struct Entry
    {
        ReportDataSource *source = nullptr;
        QString master;
    };
    QHash<QString, Entry> m_sources; // keyed by lower-case name
    QStringList m_names;
};

// Figures of the run that the template can print.
struct ReportRun
{
    QString listName;
    QDateTime printTime = QDateTime::currentDateTime();
    // Called before every row and every new page; it may throw to stop the
    // run (the command line's Ctrl+C), and a PDF being written is then dropped.
    std::function<void()> checkpoint;
};

// One text item as the renderer drew it on one page: what tests read instead
// of pixels. A stretched item split by a page break gives one per page.
struct ReportDrawnText
{
    int page = 0; // from 1
    QString item; // the item's place in the template, e.g. "detail.items[3]"
    QString value; // the whole value the expression gave
    QStringList lines; // the lines drawn on this page, in order
    QRectF box; // the item's box on this page, millimetres from the paper's top left
    QRectF text; // the extent of the drawn lines, same units
    double pointSize = 0; // the size the lines were drawn at
    bool cut = false; // part of the value was left out ("…")
};

// What a finished run reports besides its pages.
struct ReportOutcome
{
    int pages = 0;
    int cutValues = 0; // values that did not fit even shrunk and wrapped
    QString firstCut; // "page 3, detail.items[0]" for the message
};

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
    void setRecorder(std::function<void(const ReportDrawnText &)> recorder) { m_recorder = std::move(recorder); }

    // Draws on a painter that is already active on a device whose origin is
    // the paper's top left corner; newPage is called between pages. Answers
    // the number of pages drawn.
    int render(QPainter &painter, const PageBreak &newPage);
    // Sets the device's page layout from the template, then draws on it.
    int render(QPagedPaintDevice &device);

    // The paper of the template, without device margins (the template keeps its own).
    static QPageLayout pageLayout(const ReportTemplate &tmpl);
    // Renders to a PDF file; answers the number of pages and what was cut.
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
    struct Layout;
    const ReportTemplate &m_t;
    const ReportSources &m_sources;
    ReportRun m_run;
    std::function<void(const ReportDrawnText &)> m_recorder;
    ReportOutcome m_outcome;
};

} // namespace kv
