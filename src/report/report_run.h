#pragma once

#include <QDateTime>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>

namespace kv {

// Figures of the run that the template can print.
struct ReportRun
{
    QString listName;
    QDateTime printTime = QDateTime::currentDateTime();
    // Called before every row and every new page; it may throw to stop the
    // run (the command line's Ctrl+C), and a PDF being written is then dropped.
    std::function<void()> checkpoint;
    // The pages drawn, counted from 1, as a print dialog gives them: 0 for
    // either end means from the first or to the last page.
    int fromPage = 0;
    int toPage = 0;
    // Copies drawn one after the other, each whole (for a printer that cannot
    // make copies itself).
    int copies = 1;
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

using ReportRecorder = std::function<void(const ReportDrawnText &)>;

} // namespace kv
