// The progress window's contract and the about box's content.

#include "data/engine/unit_of_work.h"
#include "shell/ui/form_about_kestrovan.h"
#include "shell/ui/form_message_box.h"
#include "support/find_widget.h"
#include "support/modal_driver.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
using kv::test::need;

QString pngPath(const char *name)
{
    const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS");
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + QLatin1String(name);
}
} // namespace

TEST(ProgressWindow, DesignValues)
{
    TFormMessageBox box;
    auto *message = need<QLabel>(&box, QStringLiteral("Label1"));
    auto *count = need<QLabel>(&box, QStringLiteral("LabelRecordCount"));
    auto *bar = need<QProgressBar>(&box, QStringLiteral("RzProgressBarSaveStatus"));
    auto *cancel = need<QPushButton>(&box, QStringLiteral("BitBtnCancel"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Brenquistal"));
    EXPECT_EQ(box.size(), QSize(303, 131));
    EXPECT_EQ(message->text(), QStringLiteral("Saving data. Please do not interrupt!"));
    EXPECT_EQ(count->text(), QStringLiteral("Total Clients:"));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_FALSE(box.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(box.isVisible()); // hidden until the work starts
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(cancel->isVisibleTo(&box)); // shown with the bar when the work starts
}

TEST(ProgressWindow, ShownWithoutModalityAndPaintedAsTheWorkGoes)
{
    QWidget owner;
    auto *box = new TFormMessageBox(&owner);
    auto *message = need<QLabel>(box, QStringLiteral("Label1"));
    auto *count = need<QLabel>(box, QStringLiteral("LabelRecordCount"));
    auto *bar = need<QProgressBar>(box, QStringLiteral("RzProgressBarSaveStatus"));
    auto *cancel = need<QPushButton>(box, QStringLiteral("BitBtnCancel"));
    kv::Progress &progress = *box;
    progress.begin(QStringLiteral("Scheduling Deliveries..."), QStringLiteral("Total Deliveries: 3"));
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("Scheduling Deliveries..."));
    EXPECT_EQ(count->text(), QStringLiteral("Total Deliveries: 3"));
    EXPECT_TRUE(count->isVisible());
    EXPECT_TRUE(bar->isVisible());

    // Pending events are handled after each unit of work.
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    progress.setPercent(kv::percentOf(2, 3));
    EXPECT_TRUE(handled);
    EXPECT_EQ(bar->value(), 66);
    progress.setPercent(100);
    if (const QString png = pngPath("progress_window.png"); !png.isEmpty())
        box->grab().save(png);
    // Cancel stops the work at the next step, once.
    EXPECT_TRUE(cancel->isVisible());
    QTimer::singleShot(0, cancel, &QPushButton::click);
    EXPECT_THROW(progress.setPercent(100), kv::Cancelled);
    EXPECT_NO_THROW(progress.setPercent(100));
    progress.end();
    EXPECT_FALSE(box->isVisible());
    delete box;
}

TEST(AboutBox, Content)
{
    TFormAboutKestrovan about;
    auto *image = need<QLabel>(&about, QStringLiteral("ImageLogo"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(about.size(), QSize(472, 303));
    EXPECT_EQ(need<QLabel>(&about, QStringLiteral("LabelProgramName"))->text(), QStringLiteral("Brenquistal Kestrovan Plug-In"));
    EXPECT_EQ(need<QLabel>(&about, QStringLiteral("LabelVersion"))->text(), QStringLiteral("Version 1.0.1.045"));
    EXPECT_EQ(image->size(), QSize(100, 58));
    EXPECT_EQ(need<QPushButton>(&about, QStringLiteral("BitBtnClose"))->text(), QStringLiteral("&Close"));
    about.show();
    // The picture sits at the lower left.
    const QPoint logo = image->mapTo(&about, QPoint(0, 0));
    EXPECT_LT(logo.x(), about.width() / 4);
    EXPECT_GT(logo.y(), about.height() / 2);
    if (const QString png = pngPath("about_box.png"); !png.isEmpty())
        about.grab().save(png);
}

TEST(AboutBox, CloseButtonEndsTheModalBox)
{
    TFormAboutKestrovan about;
    kv::ModalDriver::whenShown([](QWidget *dialog) { kv::ModalDriver::click(dialog, QStringLiteral("BitBtnClose")); },
                               QStringLiteral("FormAboutKestrovan"));
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}
