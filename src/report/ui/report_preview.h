#pragma once

#include "report/report_renderer.h"

#include <functional>

class QPrinter;
class QWidget;

namespace kv {

// The screen preview of a report: the print preview window, maximised at
// page-width zoom, from which the user prints to a printer or to a PDF file.
class ReportPreview
{
public:
    using Output = std::function<void(const ReportTemplate &, const ReportSources &, const ReportRun &)>;

    // Shows the preview modally and returns when it closes. Throws kv::Error
    // when the report cannot be drawn.
    static void show(QWidget *parent, const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run);

    // Prints on a printer set up by the print dialog: the pages of its range
    // and, where the printer cannot make copies itself, its copies one after
    // the other. Answers the pages sent. Throws kv::Error like show().
    static int print(QPrinter &printer, const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run);

    // The size the preview has when it is not maximised: most of the screen,
    // so that a page can be read, and never more than the screen.
    static QSize normalSize(const QRect &available);

    // Tests put their own output in place of the window (empty: the window again).
    static void setOutputOverride(Output output);
    // The preview or, while one is set, the override.
    static Output output(QWidget *parent);
};

} // namespace kv
