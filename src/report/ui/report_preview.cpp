#include "report/ui/report_preview.h"

#include "data/engine/db_error.h"
#include "shell/ui/busy_cursor.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

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

QSize ReportPreview::normalSize(const QRect &available)
{
    // A letter page at page-width zoom wants a window about as tall as it is wide.
    const QSize readable(1100, 900);
    return readable.boundedTo(available.size() * 9 / 10).expandedTo(available.size() * 2 / 3).boundedTo(available.size());
}

int ReportPreview::print(QPrinter &printer, const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run)
{
    ReportRun ranged = run;
    if (printer.printRange() == QPrinter::PageRange) {
        ranged.fromPage = printer.fromPage();
        ranged.toPage = printer.toPage();
    }
    // A printer that makes its copies itself is asked once (its driver collates);
    // a file, or a printer that cannot, gets each copy in turn.
    const bool driverCopies = printer.outputFormat() == QPrinter::NativeFormat && printer.supportsMultipleCopies();
    ranged.copies = driverCopies ? 1 : qMax(1, printer.copyCount());
    ReportRenderer renderer(tmpl, sources, ranged);
    renderer.check();
    const CursorScope busy;
    QPainter painter;
    if (!painter.begin(&printer))
        throw Error(QStringLiteral("The report could not be started on the printer."));
    int pages = 0;
    try {
        pages = renderer.render(painter, [&printer] { printer.newPage(); });
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
    return pages;
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
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *p) {
        // Only the preview comes here (printing is ours, below); an exception must
        // not cross Qt's event loop, so it is kept and raised once the window closes.
        // Drawing reads the rows: the busy cursor shows while it does.
        const CursorScope busy;
        QPainter painter;
        if (!painter.begin(p)) {
            failure = std::make_exception_ptr(Error(QStringLiteral("The report could not be started on the printer.")));
            return;
        }
        try {
            renderer.render(painter, [p] { p->newPage(); });
            const QString cut = ReportRenderer::cutValuesText(renderer.outcome());
            status->setText(cut);
            status->setVisible(!cut.isEmpty());
        } catch (...) {
            failure = std::current_exception();
        }
        painter.end();
    });
    // The dialog's own print step draws every page and closes the preview; ours
    // honours the page range and the copies, and the preview stays open for
    // another run or another printer.
    const QString printText = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction *action : dialog.findChildren<QAction *>()) {
        if (action->text() != printText)
            continue;
        action->setObjectName(QStringLiteral("printAction"));
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        QObject::connect(action, &QAction::triggered, &dialog, [&] {
            QPrintDialog ask(&printer, &dialog);
            ask.setOption(QAbstractPrintDialog::PrintPageRange, true);
            ask.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
            if (ask.exec() != QDialog::Accepted)
                return;
            try {
                print(printer, tmpl, sources, run);
            } catch (...) {
                failure = std::current_exception();
                dialog.reject();
            }
            // The next run starts from every page again.
            printer.setPrintRange(QPrinter::AllPages);
        });
    }
    // Through the dialog's own action, so that its tool bar shows the zoom in force.
    if (auto *fitWidth = dialog.findChild<QAction *>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
    else if (auto *view = dialog.findChild<QPrintPreviewWidget *>())
        view->setZoomMode(QPrintPreviewWidget::FitToWidth);
    // Maximised as described; restored (or where the window manager does not
    // maximise dialogs) it is still a readable size on the screen.
    if (const QScreen *screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect normal(QPoint(), normalSize(area));
        normal.moveCenter(area.center());
        dialog.setGeometry(normal);
    }
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    {
        // The preview is looked at under the normal cursor, whatever the handler shows.
        const CursorScope normal(Qt::ArrowCursor);
        dialog.exec();
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace kv
