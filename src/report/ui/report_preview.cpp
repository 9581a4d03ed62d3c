#include "report/ui/report_preview.h"

#include "data/engine/db_error.h"
#include "shell/ui/busy_cursor.h"
#include "shell/ui/run_action.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace kv {

namespace {

ReportPreview::Output &overrideSlot()
{
    static ReportPreview::Output o;
    return o;
}

} // namespace

void ReportPreview::setOutputOverride(Output output)
{
    overrideSlot() = std::move(output);
}

ReportPreview::Output ReportPreview::output(QWidget *parent)
{
    if (overrideSlot())
        return overrideSlot();
    return [parent](const ReportTemplate &t, const ReportSources &s, const ReportRun &r) { show(parent, t, s, r); };
}

void ReportPreview::show(QWidget *parent, const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run)
{
    ReportRenderer renderer(tmpl, sources, run);
    renderer.check();

    QPrinter printer(QPrinter::HighResolution);
    // The template places everything from the paper's edge (labels need it exact).
    printer.setFullPage(true);
    printer.setPageLayout(ReportRenderer::pageLayout(tmpl));
    printer.setDocName(tmpl.title.isEmpty() ? run.listName : tmpl.title + QStringLiteral(" - ") + run.listName);

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(tmpl.title.isEmpty() ? QStringLiteral("Report") : tmpl.title);
    // What did not fit is said under the pages, where the user looks before printing.
    auto *status = new QLabel(&dialog);
    status->setObjectName(QStringLiteral("ReportPreviewStatus"));
    status->setVisible(false);
    if (dialog.layout())
        dialog.layout()->addWidget(status);
    QString failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *p) {
        // The preview and the print run both come here; an exception must not
        // cross Qt's event loop, so it is kept and raised once the window closes.
        // Drawing reads the rows: the busy cursor shows while it does.
        const CursorScope busy;
        QPainter painter;
        if (!painter.begin(p)) {
            failure = QStringLiteral("The report could not be started on the printer.");
            return;
        }
        try {
            renderer.render(painter, [p] { p->newPage(); });
            const QString cut = ReportRenderer::cutValuesText(renderer.outcome());
            status->setText(cut);
            status->setVisible(!cut.isEmpty());
        } catch (...) {
            failure = currentErrorText();
        }
        painter.end();
    });
    // Through the dialog's own action, so that its tool bar shows the zoom in force.
    if (auto *fitWidth = dialog.findChild<QAction *>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
    else if (auto *view = dialog.findChild<QPrintPreviewWidget *>())
        view->setZoomMode(QPrintPreviewWidget::FitToWidth);
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    {
        // The preview is looked at under the normal cursor, whatever the handler shows.
        const CursorScope normal(Qt::ArrowCursor);
        dialog.exec();
    }
    if (!failure.isEmpty())
        throw Error(failure);
}

} // namespace kv
