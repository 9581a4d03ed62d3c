// The screen preview: the print preview window, maximised at page-width zoom,
// showing every page of the report.

#include "report_test_support.h"

#include "members/member_reports.h"
#include "report/ui/report_preview.h"
#include "support/modal_driver.h"

#include <QCoreApplication>
#include <QLabel>
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
