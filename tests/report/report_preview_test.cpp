// The screen preview: the print preview window, maximised at page-width zoom,
// showing every page of the report.

#include "report_test_support.h"

#include "members/member_reports.h"
#include "report/ui/report_preview.h"
#include "support/modal_driver.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <gtest/gtest.h>

TEST(ReportPreview, OpensMaximisedAtPageWidthWithEveryPage)
{
    reporttest::DemoMembers demo(70);
    const kv::ReportTemplate t = kv::ReportTemplate::load(
        kv::MemberReports::fullTemplateName(reporttest::templatesDir(), kv::MemberReports::Report::AddressLabels));
    kv::ReportRun run;
    run.listName = QStringLiteral("Holiday Dinner 2026");

    bool seen = false;
    bool maximised = false;
    QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
    int pages = 0;
    kv::ModalDriver::whenShown([&](QWidget *w) {
        seen = true;
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        maximised = dialog->windowState().testFlag(Qt::WindowMaximized);
        if (auto *view = dialog->findChild<QPrintPreviewWidget *>()) {
            zoom = view->zoomMode();
            pages = view->pageCount();
        }
        if (qEnvironmentVariableIsSet("KV_REPORT_PREVIEW_PNG")) {
            dialog->resize(1100, 800); // the offscreen screen does not maximise
            QCoreApplication::processEvents();
            dialog->grab().save(qEnvironmentVariable("KV_REPORT_PREVIEW_PNG"));
        }
        dialog->reject();
    });
    kv::ReportPreview::show(nullptr, t, demo.sources, run);
    kv::ModalDriver::cancelAll();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(maximised);
    EXPECT_EQ(zoom, QPrintPreviewWidget::FitToWidth);
    EXPECT_EQ(pages, 3);
}

TEST(ReportPreview, TestsCanPutTheirOwnOutputInPlaceOfTheWindow)
{
    int calls = 0;
    kv::ReportPreview::setOutputOverride([&](const kv::ReportTemplate &, const kv::ReportSources &, const kv::ReportRun &) { ++calls; });
    reporttest::DemoMembers demo(1);
    const kv::ReportTemplate t = kv::ReportTemplate::parse(
        R"J({"format": "kestrovan-report", "detail": {"height": 5}})J", QStringLiteral("x.rtm"));
    kv::ReportPreview::output(nullptr)(t, demo.sources, {});
    kv::ReportPreview::setOutputOverride({});
    EXPECT_EQ(calls, 1);
}

// What did not fit is said under the pages before the user prints.
TEST(ReportPreview, StatusCountsShortenedValues)
{
    kv::TableReportSource src(QStringList{QStringLiteral("Last_Name")});
    src.addRow(QVector<QVariant>{QStringLiteral("Featherstonehaugh-Wolfeschlegel Bartholomew")});
    src.addRow(QVector<QVariant>{QStringLiteral("Short")});
    kv::ReportSources sources;
    sources.add(QStringLiteral("DBPipelineListMembers"), &src);
    const kv::ReportTemplate t = kv::ReportTemplate::parse(
        R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 20, "expr": "Last_Name"}]}})J", QStringLiteral("x.rtm"));
    QString status;
    bool shown = false;
    kv::ModalDriver::whenShown([&](QWidget *w) {
        QCoreApplication::processEvents();
        if (auto *label = w->findChild<QLabel *>(QStringLiteral("ReportPreviewStatus"))) {
            status = label->text();
            shown = !label->isHidden();
        }
        w->close();
    });
    kv::ReportPreview::show(nullptr, t, sources, {});
    kv::ModalDriver::cancelAll();
    EXPECT_TRUE(shown);
    EXPECT_EQ(status, kv::ReportRenderer::kCutValues.arg(1).arg(QStringLiteral("page 1, detail.items[0]")));
}

namespace {

int pdfPages(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(f.readAll()).count(page));
}

} // namespace

// What the print dialog asks for reaches the paper: its page range, and its
// copies where the printer (a PDF file here) does not make them itself.
TEST(ReportPreview, PrintingHonoursThePageRangeAndTheCopies)
{
    reporttest::DemoMembers demo(400);
    const kv::ReportTemplate t = reporttest::shipped(kv::MemberReports::Report::PhoneList);
    reporttest::RecordingDevice whole;
    const int total = whole.render(t, demo.sources);
    ASSERT_GE(total, 5);
    QTemporaryDir dir;
    struct Case
    {
        int from, to, copies, expected;
    } cases[] = {
        {0, 0, 1, total}, {1, 3, 1, 3}, {2, 2, 1, 1}, {total - 1, total + 5, 1, 2}, {1, 3, 2, 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << "-" << c.to << " x" << c.copies);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString file = dir.filePath(QStringLiteral("out_%1_%2_%3.pdf").arg(c.from).arg(c.to).arg(c.copies));
        printer.setOutputFileName(file);
        if (c.from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(c.from, c.to);
        }
        printer.setCopyCount(c.copies);
        EXPECT_EQ(kv::ReportPreview::print(printer, t, demo.sources, {}), c.expected);
        EXPECT_EQ(pdfPages(file), c.expected);
    }
}

// Printing from the preview leaves it open, and it opens at a readable size on the screen.
TEST(ReportPreview, StaysOpenAfterPrintingAndOpensReadableOnTheScreen)
{
    reporttest::DemoMembers demo(70);
    const kv::ReportTemplate t = reporttest::shipped(kv::MemberReports::Report::AddressLabels);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    bool stillOpen = false;
    QSize normal;
    kv::ModalDriver::whenShown([&](QWidget *w) {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(w);
        ASSERT_NE(preview, nullptr);
        normal = preview->normalGeometry().size();
        preview->printer()->setOutputFormat(QPrinter::PdfFormat);
        preview->printer()->setOutputFileName(file);
        kv::ModalDriver::whenShown([](QWidget *ask) { qobject_cast<QDialog *>(ask)->accept(); }, QStringLiteral("QPrintDialog"));
        auto *print = preview->findChild<QAction *>(QStringLiteral("printAction"));
        ASSERT_NE(print, nullptr);
        print->trigger();
        stillOpen = preview->isVisible();
        preview->reject();
    });
    kv::ReportPreview::show(nullptr, t, demo.sources, {});
    kv::ModalDriver::cancelAll();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(pdfPages(file), 3);
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_TRUE(QRect(QPoint(), screen).contains(QRect(QPoint(), normal))) << normal.width() << "x" << normal.height();
    EXPECT_GE(normal.width(), screen.width() * 2 / 3);
    EXPECT_GE(normal.height(), screen.height() * 2 / 3);
}
