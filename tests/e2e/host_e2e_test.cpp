// The stand-in host in-process: it loads the built plug-in module, the
// "Kestrovan" entry opens the lists window modally on a real database, and
// closing it leaves the placement in "Brenqui.ini".

#include "host_control.h"
#include "host_window.h"
#include "support/modal_driver.h"
#include "support/test_database.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString modulePath()
{
    const QString build = qEnvironmentVariable("KESTROVAN_BUILD_DIR");
    return QDir(build.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/..") : build)
        .filePath(QStringLiteral("lib/libkestrovan.so"));
}

QAction *entryNamed(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

class HostEndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tdb.addList(QStringLiteral("Holiday 2026"));
        tdb.addList(QStringLiteral("Birthday cakes"));
        sandbox.setRegistry(QStringLiteral("Mode"), QStringLiteral("F"));
        sandbox.setRegistry(QStringLiteral("Alias"), tdb.directory());
    }
    void TearDown() override
    {
        kv::ModalDriver::cancelAll();
        // The plug-in's data module lives with the application; each test
        // starts without one.
        delete qApp->findChild<QObject *>(QStringLiteral("DataModuleLists"), Qt::FindDirectChildrenOnly);
    }

    SettingsSandbox sandbox;
    TestDatabase tdb{kv::Backend::SQLite};
};

TEST_F(HostEndToEndTest, KestrovanEntryOpensTheListsWindowAndClosingStoresItsPlacement)
{
    HostWindow host({modulePath(), QStringLiteral("tester")});
    ASSERT_EQ(host.loadPlugin(), QString());
    EXPECT_EQ(host.loader().description(), QStringLiteral("TFormLists"));
    EXPECT_EQ(host.pluginsMenu()->title(), QStringLiteral("Plug-ins"));
    EXPECT_EQ(host.hostControl()->references(), 1); // the plug-in keeps the host interface
    QAction *entry = entryNamed(host.pluginsMenu(), QStringLiteral("Kestrovan"));
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(host.loader().plugin()->GetIsModuleInstalled(QStringLiteral("Kestrovan")));
    host.show();

    QString title;
    bool modal = false;
    int rows = -1;
    kv::ModalDriver::whenShown(
        [&](QWidget *w) {
            title = w->windowTitle();
            modal = w->isModal();
            if (auto *grid = w->findChild<QTableView *>(QStringLiteral("wwDBGridLists")))
                rows = grid->model()->rowCount();
            if (const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS"); !dir.isEmpty())
                w->grab().save(dir + QStringLiteral("/host_lists_window.png"));
            kv::ModalDriver::click(w, QStringLiteral("BitBtnClose"));
        },
        QStringLiteral("FormLists"));
    entry->trigger();
    EXPECT_EQ(title, QStringLiteral("Lists Maintenance"));
    EXPECT_TRUE(modal);
    EXPECT_EQ(rows, 2);

    const QString ini = QDir(sandbox.appDataDir()).filePath(QStringLiteral("Brenquistal/Brenqui.ini"));
    QSettings settings(ini, QSettings::IniFormat);
    const QString placement = settings.value(QStringLiteral("Form_Positions/FormLists")).toString();
    EXPECT_TRUE(placement == QStringLiteral("2") || placement.split(QLatin1Char(' ')).size() == 5) << placement.toStdString();

    host.unloadPlugin();
    EXPECT_EQ(host.hostControl()->references(), 0);
    EXPECT_TRUE(host.pluginsMenu()->actions().isEmpty()); // the entry went with the plug-in object
}

TEST_F(HostEndToEndTest, DataOptionsOpensThePlugInsSettingsDialog)
{
    HostWindow host({modulePath(), QString()});
    ASSERT_EQ(host.loadPlugin(), QString());
    QString title;
    kv::ModalDriver::whenShown([&](QWidget *w) {
        title = w->windowTitle();
        kv::ModalDriver::reject(w);
    });
    host.DataOptionsClick();
    EXPECT_EQ(title, QStringLiteral("Brenquistal Data Options"));
}

TEST_F(HostEndToEndTest, DataLocationErrorEndsTheHostInOrder)
{
    sandbox.setRegistry(QStringLiteral("Alias"), QString()); // no data location defined
    HostWindow host({modulePath(), QString()});
    ASSERT_EQ(host.loadPlugin(), QString());
    QAction *entry = entryNamed(host.pluginsMenu(), QStringLiteral("Kestrovan"));
    ASSERT_NE(entry, nullptr);
    QString message;
    kv::ModalDriver::whenShown([&](QWidget *box) {
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
            message = label->text();
        kv::ModalDriver::click(box, QStringLiteral("OK"));
    });
    QTimer::singleShot(0, entry, &QAction::trigger);
    QTimer guard; // a hang fails rather than blocks; stopped with the test
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0); // the plug-in's quit request ended the loop
    EXPECT_TRUE(message.startsWith(QStringLiteral("The Brenquistal database has not been defined."))) << message.toStdString();
    host.unloadPlugin();
}

TEST_F(HostEndToEndTest, MissingModuleIsReportedNotFatal)
{
    HostWindow host({QStringLiteral("/nonexistent/libkestrovan.so"), QString()});
    const QString error = host.loadPlugin();
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(host.pluginsMenu()->actions().isEmpty());
}
