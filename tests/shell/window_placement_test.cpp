// Placement texts, the settings file and the data folder rule.

#include "data/engine/db_error.h"
#include "lists/ui/form_lists.h"
#include "support/scripted_prompts.h"
#include "shell/ui/form_placement.h"
#include "shell/window_placement.h"
#include "support/test_database.h"

#include <QDir>
#include <QScreen>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using kv::PosRecToStr;
using kv::StrToPosRec;
using kv::TPosRec;

TEST(PosRecText, WritesStateTopLeftHeightWidth)
{
    EXPECT_EQ(PosRecToStr({120, 80, 600, 800, 0}), QStringLiteral("0 120 80 600 800"));
    EXPECT_EQ(PosRecToStr({-8, -8, 600, 800, 1}), QStringLiteral("1 -8 -8 600 800"));
    EXPECT_EQ(PosRecToStr({10, 20, 30, 40, 2}), QStringLiteral("2")); // maximised: nothing else
}

TEST(PosRecText, ReadsWhatItWrites)
{
    for (const TPosRec &r : {TPosRec{120, 80, 600, 800, 0}, TPosRec{-8, -8, 600, 800, 0}, TPosRec{0, 0, 1, 1, 1}})
        EXPECT_EQ(StrToPosRec(PosRecToStr(r)), r);
    const TPosRec heightFirst = StrToPosRec(QStringLiteral("0 1 2 300 400"));
    EXPECT_EQ(heightFirst.Height, 300);
    EXPECT_EQ(heightFirst.Width, 400);
}

TEST(PosRecText, MaximisedKeepsZeros)
{
    EXPECT_EQ(StrToPosRec(QStringLiteral("2")), (TPosRec{0, 0, 0, 0, 2}));
    EXPECT_EQ(StrToPosRec(QStringLiteral("2 10 10 10 10")), (TPosRec{0, 0, 0, 0, 2}));
}

TEST(PosRecText, UnparsableTextsAreConversionErrors)
{
    for (const char *bad : {"", "Default", "0", "1", "x 1 2 3 4", "0 1 2 3", "0 1 2 3 ", "0  1 2 3 4", "0 1 two 3 4",
                            "0 1 2 3 4.5", "0 1 2 3 4 5"})
        EXPECT_THROW(StrToPosRec(QString::fromLatin1(bad)), kv::Error) << bad;
}

TEST(PosRecText, UnknownStateNumberReadsAsNormal)
{
    EXPECT_EQ(kv::IntToWinState(7), kv::WinState::Normal);
    EXPECT_EQ(kv::IntToWinState(1), kv::WinState::Minimized);
    EXPECT_EQ(kv::IntToWinState(2), kv::WinState::Maximized);
}

// Placements stored on a 1920 x 1080 screen, opened on a 1366 x 768 laptop
// whose task bar takes 40 pixels, with and without a known frame.
TEST(PosRecFit, PlacementsFromALargerScreenOpenInsideTheSmallerOne)
{
    const QRect laptop(0, 0, 1366, 728);
    const QMargins frame(8, 31, 8, 8);
    struct Case
    {
        const char *stored;
        QMargins frame;
        const char *expected;
    } cases[] = {
        {"0 0 0 1080 1920", {}, "0 0 0 728 1366"},              // full size: reduced to the area
        {"0 100 200 900 1600", {}, "0 0 0 728 1366"},           // too large both ways: reduced and moved in
        {"0 100 200 900 1000", {}, "0 0 200 728 1000"},         // too tall only: moved up, left kept
        {"0 100 900 600 800", {}, "0 100 566 600 800"},         // right of the laptop's edge: moved across
        {"0 720 100 300 400", {}, "0 428 100 300 400"},         // title bar below the area: moved up
        {"0 -300 100 300 400", {}, "0 0 100 300 400"},          // title bar above it: moved down
        {"0 100 1500 400 400", {}, "0 100 966 400 400"},        // wholly off to the right
        {"0 0 0 1080 1920", frame, "0 0 0 689 1350"},           // the frame counts against the area
        {"0 -8 -8 600 800", {}, "0 -8 -8 600 800"},             // a maximised window's borders: as stored
        {"0 -8 -8 600 800", frame, "0 -8 -8 600 800"},
        {"0 120 80 600 800", {}, "0 120 80 600 800"},           // fits: untouched
        {"1 100 200 900 1600", {}, "1 0 0 728 1366"},           // minimised keeps its fitted bounds
        {"2", {}, "2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        const TPosRec fitted = kv::fitPosRec(StrToPosRec(QString::fromLatin1(c.stored)), laptop, c.frame);
        EXPECT_EQ(PosRecToStr(fitted), QString::fromLatin1(c.expected));
    }
}

class PlacementFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("Brenqui.ini")); }
    QString stored(const QString &key) const
    {
        QSettings ini(file(), QSettings::IniFormat);
        return ini.value(QStringLiteral("Form_Positions/") + key).toString();
    }
};

TEST_F(PlacementFileTest, MissingEntryKeepsDesignPlacementAndWritesNothing)
{
    QWidget w;
    w.setGeometry(50, 60, 300, 200);
    kv::SetFormPos(&w, QStringLiteral("FormLists"), file());
    EXPECT_EQ(w.size(), QSize(300, 200));
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(PlacementFileTest, SaveThenRestoreRoundTrip)
{
    QWidget a;
    a.move(-8, -8);
    a.resize(800, 600);
    ASSERT_TRUE(kv::SaveFormPos(&a, QStringLiteral("FormLists"), file()));
    EXPECT_EQ(stored(QStringLiteral("FormLists")), QStringLiteral("0 -8 -8 600 800"));

    QWidget b;
    b.resize(100, 100);
    kv::SetFormPos(&b, QStringLiteral("FormLists"), file());
    EXPECT_EQ(b.pos(), QPoint(-8, -8));
    EXPECT_EQ(b.size(), QSize(800, 600));
}

TEST_F(PlacementFileTest, SavingChangesOnlyThePluginsKeysAndKeepsEveryOtherByte)
{
    const QByteArray host = "; written by the host\r\n"
                            "[Host Settings]\r\n"
                            "DataPath=C:\\Data\\Brenquistal\r\n"
                            "Agency=\"Meals, \"\"North\"\"\"\r\n"
                            "\r\n"
                            "[Form_Positions]\r\n"
                            "FormLists=0 1 2 3 4\r\n"
                            "# the host's note\r\n"
                            "\r\n"
                            "[Last]\r\n"
                            "Path=\\\\server\\share"; // no line end at the close
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(host);
    }
    ASSERT_TRUE(kv::LocalSettings::writePlacement(file(), QStringLiteral("FormLists"), QStringLiteral("0 10 20 300 400")));
    ASSERT_TRUE(kv::LocalSettings::writePlacement(file(), QStringLiteral("FormListMembers"), QStringLiteral("2")));
    // The grid layout: a list value in a section of its own.
    ASSERT_TRUE(kv::LocalSettings::updateKeys(file(), [](QSettings &s) {
        s.setValue(QStringLiteral("Grid/Columns"), QStringList{QStringLiteral("Last_Name;120"), QStringLiteral("City;80")});
    }));
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray expected = host;
    expected.replace("FormLists=0 1 2 3 4\r\n", "FormLists=0 10 20 300 400\r\n");
    expected.replace("# the host's note\r\n", "# the host's note\r\nFormListMembers=2\r\n");
    const QByteArray written = f.readAll();
    EXPECT_TRUE(written.startsWith(expected + "\r\n\r\n[Grid]\r\nColumns=")) << written.toStdString();
    EXPECT_EQ(written.count('\n'), expected.count('\n') + 4) << written.toStdString();
    EXPECT_EQ(stored(QStringLiteral("FormLists")), QStringLiteral("0 10 20 300 400"));
    EXPECT_EQ(stored(QStringLiteral("FormListMembers")), QStringLiteral("2"));
    QSettings ini(file(), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("Grid/Columns")).toStringList(), (QStringList{QStringLiteral("Last_Name;120"), QStringLiteral("City;80")}));
}

TEST_F(PlacementFileTest, AFittedPlacementIsWrittenBackAsStoredUntilTheUserMovesTheWindow)
{
    QWidget probe;
    const QRect area = probe.screen()->availableGeometry();
    const QString large = QStringLiteral("0 %1 %2 %3 %4").arg(area.top() + 40).arg(area.left() + 60).arg(area.height() + 500).arg(area.width() + 700);
    ASSERT_TRUE(kv::LocalSettings::writePlacement(file(), QStringLiteral("FormLists"), large));

    QWidget a;
    kv::SetFormPos(&a, QStringLiteral("FormLists"), file());
    EXPECT_TRUE(area.contains(QRect(a.pos(), a.size()))) << a.width() << "x" << a.height();
    ASSERT_TRUE(kv::SaveFormPos(&a, QStringLiteral("FormLists"), file()));
    EXPECT_EQ(stored(QStringLiteral("FormLists")), large);

    QWidget b;
    kv::SetFormPos(&b, QStringLiteral("FormLists"), file());
    b.move(b.pos() + QPoint(5, 5));
    ASSERT_TRUE(kv::SaveFormPos(&b, QStringLiteral("FormLists"), file()));
    EXPECT_EQ(stored(QStringLiteral("FormLists")), PosRecToStr(kv::posRecOf(&b)));
}

TEST_F(PlacementFileTest, MaximisedStoresTwoAndRestoresMaximisedWithDesignSize)
{
    QWidget a;
    a.resize(640, 480);
    a.setWindowState(Qt::WindowMaximized);
    kv::SaveFormPos(&a, QStringLiteral("FormListMembers"), file());
    EXPECT_EQ(stored(QStringLiteral("FormListMembers")), QStringLiteral("2"));

    QWidget b;
    b.resize(321, 123);
    kv::SetFormPos(&b, QStringLiteral("FormListMembers"), file());
    EXPECT_TRUE(b.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(b.size(), QSize(321, 123));
}

TEST_F(PlacementFileTest, MinimisedStoresStateOneAndTheBounds)
{
    {
        QSettings ini(file(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Form_Positions/FormLists"), QStringLiteral("1 20 30 400 500"));
    }
    QWidget b;
    kv::SetFormPos(&b, QStringLiteral("FormLists"), file());
    EXPECT_TRUE(b.windowState().testFlag(Qt::WindowMinimized));
    EXPECT_EQ(b.size(), QSize(500, 400));
    EXPECT_TRUE(kv::SaveFormPos(&b, QStringLiteral("FormLists"), file()));
    EXPECT_TRUE(stored(QStringLiteral("FormLists")).startsWith(QLatin1String("1 ")));
}

TEST_F(PlacementFileTest, BadEntryChangesNothingAndThrows)
{
    {
        QSettings ini(file(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Form_Positions/FormLists"), QStringLiteral("0 10 20 abc 40"));
    }
    QWidget b;
    b.setGeometry(5, 6, 70, 80);
    EXPECT_THROW(kv::SetFormPos(&b, QStringLiteral("FormLists"), file()), kv::Error);
    EXPECT_EQ(b.geometry(), QRect(5, 6, 70, 80));
}

TEST(AppDataFolder, CreatedOneLevelWithTrailingSeparator)
{
    SettingsSandbox sandbox;
    const QString folder = kv::LocalSettings::findAppDataFolder();
    EXPECT_EQ(folder, QDir::toNativeSeparators(sandbox.appDataDir() + QStringLiteral("/Brenquistal")) + QDir::separator());
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_EQ(kv::LocalSettings::filePath(folder), folder + QStringLiteral("Brenqui.ini"));
}

TEST(AppDataFolder, EmptyVariableMeansNoFolder)
{
    SettingsSandbox sandbox;
    qputenv("AppData", "");
    EXPECT_EQ(kv::LocalSettings::findAppDataFolder(), QString());
    EXPECT_TRUE(kv::LocalSettings::filePath(QString()).endsWith(QStringLiteral("Brenqui.ini")));
}

TEST(AppDataFolder, UncreatableFolderReportsCannotCreateDirectory)
{
    SettingsSandbox sandbox;
    const QString missingParent = sandbox.appDataDir() + QStringLiteral("/no/such");
    qputenv("AppData", QFile::encodeName(missingParent));
    try {
        kv::LocalSettings::findAppDataFolder();
        FAIL() << "no error";
    } catch (const kv::Error &e) {
        EXPECT_EQ(e.text(), QStringLiteral("Cannot create directory") + QDir::toNativeSeparators(missingParent + QStringLiteral("/Brenquistal")));
    }
}

TEST(ListsWindowPlacement, BadStoredPlacementIsReportedAndOverwrittenOnClose)
{
    SettingsSandbox sandbox;
    const QString folder = kv::LocalSettings::findAppDataFolder();
    const QString file = kv::LocalSettings::filePath(folder);
    {
        QSettings ini(file, QSettings::IniFormat);
        ini.setValue(QStringLiteral("Form_Positions/FormLists"), QStringLiteral("7"));
    }
    ScriptedPrompts prompts;
    TFormLists form(nullptr, &prompts);
    ASSERT_EQ(prompts.notices().size(), 1);
    EXPECT_EQ(form.size(), QSize(TFormLists::kWidth, TFormLists::kHeight)); // design placement kept
    EXPECT_EQ(form.cAppDataFolder, folder);
    ASSERT_TRUE(form.FormClose());
    QSettings ini(file, QSettings::IniFormat);
    EXPECT_EQ(StrToPosRec(ini.value(QStringLiteral("Form_Positions/FormLists")).toString()).Width, TFormLists::kWidth);
}

TEST(ListsWindowPlacement, UncreatableFolderIsReportedAndWindowStillMade)
{
    SettingsSandbox sandbox;
    qputenv("AppData", QFile::encodeName(sandbox.appDataDir() + QStringLiteral("/missing")));
    ScriptedPrompts prompts;
    TFormLists form(nullptr, &prompts);
    ASSERT_EQ(prompts.notices().size(), 1);
    EXPECT_TRUE(prompts.notices().first().startsWith(QStringLiteral("Cannot create directory")));
    EXPECT_EQ(form.cAppDataFolder, QString());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Lists Maintenance"));
}
