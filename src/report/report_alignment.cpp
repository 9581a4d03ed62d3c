#include "report/report_alignment.h"

#include "report/layout_tolerance.h"

#include <cmath>

namespace kv {

const QString LabelAlignmentTest::kCellText = QStringLiteral("Label %1");
const QString LabelAlignmentTest::kCellSource = QStringLiteral("AlignmentCells");

int LabelAlignmentTest::cellsPerSheet(const ReportTemplate &labels)
{
    const double pitch = labels.columns.rowPitch > 0 ? labels.columns.rowPitch : labels.detail.height;
    const double room = labels.printableSize().height() - labels.detail.height;
    // The same tolerance as the renderer's, so that the test shows exactly the rows a sheet gets.
    const int rows = room < -kLayoutEpsilon ? 1 : int(std::floor((room + kLayoutEpsilon) / pitch)) + 1;
    return rows * labels.columns.count;
}

ReportTemplate LabelAlignmentTest::sheet(const ReportTemplate &labels)
{
    ReportTemplate t = labels;
    t.title = labels.title.isEmpty() ? QStringLiteral("Alignment test") : labels.title + QStringLiteral(" - alignment test");
    t.dataSource = kCellSource;
    t.pageHeader = t.header = t.footer = t.pageFooter = ReportBand();
    t.detail.newPage = false;
    t.detail.alternateFill = QColor();
    t.detail.items.clear();
    const double width = labels.columns.width > 0 ? labels.columns.width : labels.printableSize().width() / labels.columns.count;

    ReportItem outline;
    outline.kind = ReportItem::Kind::Box;
    outline.width = width;
    outline.height = labels.detail.height;
    outline.thickness = 0.2;
    outline.path = QStringLiteral("detail.items[0]");
    t.detail.items << outline;

    ReportItem number;
    number.kind = ReportItem::Kind::Text;
    number.x = 2;
    number.y = 1;
    number.width = std::max(1.0, width - 4);
    number.height = std::max(1.0, labels.detail.height - 2);
    number.font.size = 9;
    number.align = Qt::AlignHCenter | Qt::AlignVCenter;
    number.fit = ReportItem::Fit::Shrink;
    number.minSize = 4;
    number.expr = ReportExpression::parse(QStringLiteral("'Label ' + Cell + '\n' + Size"), QStringLiteral("alignment"));
    number.path = QStringLiteral("detail.items[1]");
    t.detail.items << number;
    return t;
}

void LabelAlignmentTest::fillCells(const ReportTemplate &labels, TableReportSource &cells)
{
    cells.setFields(QStringList{QStringLiteral("Cell"), QStringLiteral("Size")});
    const double width = labels.columns.width > 0 ? labels.columns.width : labels.printableSize().width() / labels.columns.count;
    const QString size = QStringLiteral("%1 x %2 mm").arg(width, 0, 'f', 1).arg(labels.detail.height, 0, 'f', 1);
    for (int i = 1, n = cellsPerSheet(labels); i <= n; ++i)
        cells.addRow(QVector<QVariant>{i, size});
}

void LabelAlignmentTest::run(const ReportTemplate &labels, const Output &output)
{
    const ReportTemplate t = sheet(labels);
    TableReportSource cells;
    fillCells(labels, cells);
    ReportSources sources;
    sources.add(kCellSource, &cells);
    output(t, sources, ReportRun());
}

ReportOutcome LabelAlignmentTest::renderToPdf(const ReportTemplate &labels, const QString &pdfFileName)
{
    ReportOutcome outcome;
    run(labels, [&](const ReportTemplate &t, const ReportSources &sources, const ReportRun &r) {
        outcome = ReportRenderer::renderToPdf(t, sources, r, pdfFileName);
    });
    return outcome;
}

} // namespace kv
