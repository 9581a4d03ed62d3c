#include "data/registry.h"
#include "data/ui/form_registry_editor.h"
#include "support/find_widget.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRect>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using kv::test::need;

// The controls a test reaches, by their object names.
struct Controls
{
    explicit Controls(TFormRegistryEditor &f)
        : mode(need<QGroupBox>(&f, QStringLiteral("RzRadioGroupMode")))
        , fileServer(need<QRadioButton>(mode, QStringLiteral("Item0")))
        , clientServer(need<QRadioButton>(mode, QStringLiteral("Item1")))
        , labelDataPath(need<QLabel>(&f, QStringLiteral("LabelDataPath")))
        , dataPath(need<QLineEdit>(&f, QStringLiteral("RzButtonEditDataPath")))
        , browse(need<QToolButton>(&f, QStringLiteral("RzButtonEditDataPathButton")))
        , address(need<QLineEdit>(&f, QStringLiteral("wwDBEditIPAddress")))
        , connection(need<QComboBox>(&f, QStringLiteral("RzComboBoxConnectionType")))
        , ok(need<QPushButton>(&f, QStringLiteral("BitBtnOK")))
        , cancel(need<QPushButton>(&f, QStringLiteral("BitBtnCancel")))
    {
    }
    QGroupBox *mode;
    QRadioButton *fileServer;
    QRadioButton *clientServer;
    QLabel *labelDataPath;
    QLineEdit *dataPath;
    QToolButton *browse;
    QLineEdit *address;
    QComboBox *connection;
    QPushButton *ok;
    QPushButton *cancel;
};

// The stored value, or an invalid QVariant when nothing was written.
QVariant stored(const QString &key)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DBIsam"));
    return s.value(key + QStringLiteral("/Brenquistal"));
}

TEST(RegistryEditor, EmptyRegistryOpensWithDesignValuesAndOkWritesThemAll)
{
    SettingsSandbox sb;
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Brenquistal Data Options"));
    EXPECT_EQ(f.size(), QSize(393, 225));
    EXPECT_EQ(c.mode->title(), QStringLiteral("Operation Mode"));
    EXPECT_EQ(c.fileServer->text(), QStringLiteral("File Server"));
    EXPECT_EQ(c.clientServer->text(), QStringLiteral("Client-Server Engine"));
    EXPECT_EQ(f.modeIndex(), 0);
    EXPECT_EQ(c.labelDataPath->text(), QStringLiteral("Database location:"));
    EXPECT_EQ(need<QLabel>(&f, QStringLiteral("LabelServerIP"))->text(), QStringLiteral("Server IP Address:"));
    EXPECT_EQ(need<QLabel>(&f, QStringLiteral("LabelServerType"))->text(), QStringLiteral("ServerType:"));
    EXPECT_EQ(c.ok->text(), QStringLiteral("&OK"));
    EXPECT_EQ(c.cancel->text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(c.dataPath->isReadOnly());
    EXPECT_TRUE(c.dataPath->text().isEmpty());
    EXPECT_TRUE(f.ipAddressText().isEmpty());
    EXPECT_EQ(c.connection->currentText(), QStringLiteral("LAN"));
    if (const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS"); !dir.isEmpty())
        f.grab().save(dir + QStringLiteral("/registry_editor.png"));

    c.ok->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(stored(QStringLiteral("Mode")), QVariant(QStringLiteral("F")));
    EXPECT_EQ(stored(QStringLiteral("Alias")).toString(), QString());
    EXPECT_TRUE(stored(QStringLiteral("Alias")).isValid()) << "the empty location was not written";
    EXPECT_EQ(stored(QStringLiteral("Server IP")).toString(), QString());
    EXPECT_TRUE(stored(QStringLiteral("Server IP")).isValid());
    EXPECT_EQ(stored(QStringLiteral("Connection")), QVariant(QStringLiteral("LAN")));
    EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST(RegistryEditor, StoredSettingsRoundTripUnchanged)
{
    SettingsSandbox sb;
    sb.setRegistry(QStringLiteral("Mode"), QStringLiteral("C"));
    sb.setRegistry(QStringLiteral("Alias"), QStringLiteral("/srv/shared ini"));
    sb.setRegistry(QStringLiteral("Server IP"), QStringLiteral("192.168.10.5"));
    sb.setRegistry(QStringLiteral("Connection"), QStringLiteral("Internet"));
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    EXPECT_EQ(f.modeIndex(), 1);
    EXPECT_EQ(c.dataPath->text(), QStringLiteral("/srv/shared ini"));
    EXPECT_EQ(f.ipAddressText(), QStringLiteral("192.168.10.5"));
    EXPECT_EQ(c.connection->currentText(), QStringLiteral("Internet"));
    c.ok->click();
    EXPECT_EQ(stored(QStringLiteral("Mode")).toString(), QStringLiteral("C"));
    EXPECT_EQ(stored(QStringLiteral("Alias")).toString(), QStringLiteral("/srv/shared ini"));
    EXPECT_EQ(stored(QStringLiteral("Server IP")).toString(), QStringLiteral("192.168.10.5"));
    EXPECT_EQ(stored(QStringLiteral("Connection")).toString(), QStringLiteral("Internet"));
}

TEST(RegistryEditor, OtherConnectionAndModeSpellingsAreWrittenBackAsTheirMeaning)
{
    SettingsSandbox sb;
    sb.setRegistry(QStringLiteral("Mode"), QStringLiteral("c"));
    sb.setRegistry(QStringLiteral("Connection"), QStringLiteral("internet"));
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    EXPECT_EQ(f.modeIndex(), 0);
    EXPECT_EQ(c.connection->currentText(), QStringLiteral("LAN"));
    c.ok->click();
    EXPECT_EQ(stored(QStringLiteral("Mode")).toString(), QStringLiteral("F"));
    EXPECT_EQ(stored(QStringLiteral("Connection")).toString(), QStringLiteral("LAN"));
}

TEST(RegistryEditor, AStoredHostNameOrAddressIsShownWithoutBlanksAndWrittenBackWhole)
{
    const struct
    {
        QString storedValue;
        QString typed; // appended at the end
        QString written;
    } cases[] = {
        {QStringLiteral("127.0.0.1"), QString(), QStringLiteral("127.0.0.1")},
        {QStringLiteral("db-server.example.org"), QString(), QStringLiteral("db-server.example.org")},
        {QStringLiteral("[::1]"), QString(), QStringLiteral("[::1]")},
        // Blanks and other characters no host name has are not taken.
        {QString(), QStringLiteral("10.0.12.7 x!"), QStringLiteral("10.0.12.7x")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.storedValue.toStdString());
        SettingsSandbox sb;
        if (!c.storedValue.isEmpty())
            sb.setRegistry(QStringLiteral("Server IP"), c.storedValue);
        ScriptedPrompts prompts;
        TFormRegistryEditor f(prompts);
        const Controls w(f);
        EXPECT_EQ(w.address->text(), c.storedValue);
        EXPECT_EQ(w.address->displayText(), c.storedValue);
        w.address->setFocus();
        w.address->end(false);
        QTest::keyClicks(w.address, c.typed);
        w.ok->click();
        EXPECT_EQ(stored(QStringLiteral("Server IP")).toString(), c.written);
    }
}

TEST(RegistryEditor, LabelFollowsTheModeClicked)
{
    SettingsSandbox sb;
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    f.show();
    QTest::mouseClick(c.clientServer, Qt::LeftButton);
    EXPECT_EQ(f.modeIndex(), 1);
    EXPECT_EQ(c.labelDataPath->text(), QStringLiteral("Shared Ini Directory:"));
    QTest::mouseClick(c.fileServer, Qt::LeftButton);
    EXPECT_EQ(c.labelDataPath->text(), QStringLiteral("Data Location:"));
}

TEST(RegistryEditor, BrowsingReplacesTheLocationOnlyWhenAFolderIsChosen)
{
    SettingsSandbox sb;
    sb.setRegistry(QStringLiteral("Alias"), QStringLiteral("/old"));
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    QString title, start, answer = QStringLiteral("/new/place");
    f.setFolderChooser([&](QWidget *, const QString &t, const QString &s) {
        title = t;
        start = s;
        return answer;
    });
    c.browse->click();
    EXPECT_EQ(title, QStringLiteral("Locate Brenquistal Data Folder"));
    EXPECT_EQ(start, QStringLiteral("/old"));
    EXPECT_EQ(c.dataPath->text(), QStringLiteral("/new/place"));
    answer.clear(); // cancelled
    c.browse->click();
    EXPECT_EQ(c.dataPath->text(), QStringLiteral("/new/place"));
}

TEST(RegistryEditor, CancelWritesNothing)
{
    SettingsSandbox sb;
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    QTest::mouseClick(c.clientServer, Qt::LeftButton);
    c.cancel->click();
    EXPECT_EQ(f.result(), QDialog::Rejected);
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DBIsam"));
    EXPECT_TRUE(s.allKeys().isEmpty());
}

TEST(RegistryEditor, AKeyThatCannotBeOpenedIsReportedForEachValue)
{
    SettingsSandbox sb;
    // The settings file's place is taken by a folder: nothing can be written.
    const QString file = QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DBIsam")).fileName();
    ASSERT_TRUE(QDir().mkpath(file));
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    c.ok->click();
    EXPECT_EQ(prompts.texts(), QStringList(4, QString::fromLatin1(kv::ErrorOpeningKeyMessage)));
    EXPECT_EQ(f.result(), QDialog::Accepted);
}

TEST(RegistryEditor, AValueOfAnotherTypeIsReportedAndShownEmpty)
{
    SettingsSandbox sb;
    sb.setRawRegistry(QStringLiteral("Server IP"), QStringLiteral("Brenquistal"), QVariant(QRect(1, 2, 3, 4)));
    sb.setRegistry(QStringLiteral("Connection"), QStringLiteral("Internet"));
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    const Controls c(f);
    EXPECT_EQ(prompts.texts().size(), 1);
    EXPECT_TRUE(f.ipAddressText().isEmpty());
    EXPECT_EQ(c.connection->currentText(), QStringLiteral("Internet")) << "reading stopped at the bad value";
}

} // namespace
