#pragma once

#include "report/table_report_source.h"
#include "report/report_renderer.h"
#include "report/report_template.h"

#include <functional>

namespace kv {

// The one-page alignment test of a label template: every cell of its sheet
// outlined and numbered where the labels would print, to hold against a sheet
// of labels before a list is printed on it.
class LabelAlignmentTest
{
public:
    static const QString kCellText; // "Label %1" with the cell's number
    static const QString kCellSource; // the test's own rows

    // Label cells on one sheet of the template.
    static int cellsPerSheet(const ReportTemplate &labels);
    // The template with its bands' items replaced by the outlines and numbers
    // (page headers and footers left out; the sheet's geometry kept).
    static ReportTemplate sheet(const ReportTemplate &labels);
    // Hands the test page of the template, with its rows, to output: the
    // command line's PDF and the members window's preview draw the same page.
    using Output = std::function<void(const ReportTemplate &, const ReportSources &, const ReportRun &)>;
    static void run(const ReportTemplate &labels, const Output &output);
    // Draws the test page of the template as a PDF file (as the reports are written).
    static ReportOutcome renderToPdf(const ReportTemplate &labels, const QString &pdfFileName);
    // The test's rows: one per cell, its number and the cell's size.
    static void fillCells(const ReportTemplate &labels, TableReportSource &cells);
};

} // namespace kv
