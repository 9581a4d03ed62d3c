#include "data/registry.h"
#include "data/ui/form_registry_editor.h"
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
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Brenquistal Data Options"));
    EXPECT_EQ(f.size(), QSize(393, 225));
    EXPECT_EQ(f.RzRadioGroupMode->title(), QStringLiteral("Operation Mode"));
    EXPECT_EQ(f.modeItem(0)->text(), QStringLiteral("File Server"));
    EXPECT_EQ(f.modeItem(1)->text(), QStringLiteral("Client-Server Engine"));
    EXPECT_EQ(f.modeIndex(), 0);
    EXPECT_EQ(f.LabelDataPath->text(), QStringLiteral("Database location:"));
    EXPECT_EQ(f.LabelServerIP->text(), QStringLiteral("Server IP Address:"));
    EXPECT_EQ(f.LabelServerType->text(), QStringLiteral("ServerType:"));
    EXPECT_EQ(f.BitBtnOK->text(), QStringLiteral("&OK"));
    EXPECT_EQ(f.BitBtnCancel->text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(f.RzButtonEditDataPath->isReadOnly());
    EXPECT_TRUE(f.RzButtonEditDataPath->text().isEmpty());
    EXPECT_TRUE(f.ipAddressText().isEmpty());
    EXPECT_EQ(f.RzComboBoxConnectionType->currentText(), QStringLiteral("LAN"));
    if (const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS"); !dir.isEmpty())
        f.grab().save(dir + QStringLiteral("/registry_editor.png"));

    f.BitBtnOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(stored(QStringLiteral("Mode")), QVariant(QStringLiteral("F")));
    EXPECT_EQ(stored(QStringLiteral("Alias")).toString(), QString());
    EXPECT_TRUE(stored(QStringLiteral("Alias")).isValid()) << "the empty location was not written";
    EXPECT_EQ(stored(QStringLiteral("Server IP")).toString(), QString()) << "the mask's dots were written as an address";
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
    EXPECT_EQ(f.modeIndex(), 1);
    EXPECT_EQ(f.RzButtonEditDataPath->text(), QStringLiteral("/srv/shared ini"));
    EXPECT_EQ(f.ipAddressText(), QStringLiteral("192.168.10.5"));
    EXPECT_EQ(f.RzComboBoxConnectionType->currentText(), QStringLiteral("Internet"));
    f.BitBtnOK->click();
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
    EXPECT_EQ(f.modeIndex(), 0);
    EXPECT_EQ(f.RzComboBoxConnectionType->currentText(), QStringLiteral("LAN"));
    f.BitBtnOK->click();
    EXPECT_EQ(stored(QStringLiteral("Mode")).toString(), QStringLiteral("F"));
    EXPECT_EQ(stored(QStringLiteral("Connection")).toString(), QStringLiteral("LAN"));
}

TEST(RegistryEditor, TypedAddressIsMaskedToDigitsAndDots)
{
    SettingsSandbox sb;
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    EXPECT_EQ(f.wwDBEditIPAddress->inputMask(), QStringLiteral("900.900.900.900"));
    f.wwDBEditIPAddress->setFocus();
    f.wwDBEditIPAddress->setCursorPosition(0);
    QTest::keyClicks(f.wwDBEditIPAddress, QStringLiteral("10x.0.12.7"));
    EXPECT_EQ(f.ipAddressText(), QStringLiteral("10.0.12.7"));
    f.BitBtnOK->click();
    EXPECT_EQ(stored(QStringLiteral("Server IP")).toString(), QStringLiteral("10.0.12.7"));
}

TEST(RegistryEditor, LabelFollowsTheModeClicked)
{
    SettingsSandbox sb;
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    f.show();
    QTest::mouseClick(f.modeItem(1), Qt::LeftButton);
    EXPECT_EQ(f.modeIndex(), 1);
    EXPECT_EQ(f.LabelDataPath->text(), QStringLiteral("Shared Ini Directory:"));
    QTest::mouseClick(f.modeItem(0), Qt::LeftButton);
    EXPECT_EQ(f.LabelDataPath->text(), QStringLiteral("Data Location:"));
}

TEST(RegistryEditor, BrowsingReplacesTheLocationOnlyWhenAFolderIsChosen)
{
    SettingsSandbox sb;
    sb.setRegistry(QStringLiteral("Alias"), QStringLiteral("/old"));
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    QString title, start, answer = QStringLiteral("/new/place");
    f.setFolderChooser([&](QWidget *, const QString &t, const QString &s) {
        title = t;
        start = s;
        return answer;
    });
    f.RzButtonEditDataPathButton->click();
    EXPECT_EQ(title, QStringLiteral("Locate Brenquistal Data Folder"));
    EXPECT_EQ(start, QStringLiteral("/old"));
    EXPECT_EQ(f.RzButtonEditDataPath->text(), QStringLiteral("/new/place"));
    answer.clear(); // cancelled
    f.RzButtonEditDataPathButton->click();
    EXPECT_EQ(f.RzButtonEditDataPath->text(), QStringLiteral("/new/place"));
}

TEST(RegistryEditor, CancelWritesNothing)
{
    SettingsSandbox sb;
    ScriptedPrompts prompts;
    TFormRegistryEditor f(prompts);
    QTest::mouseClick(f.modeItem(1), Qt::LeftButton);
    f.BitBtnCancel->click();
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
    f.BitBtnOK->click();
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
    EXPECT_EQ(prompts.texts().size(), 1);
    EXPECT_TRUE(f.ipAddressText().isEmpty());
    EXPECT_EQ(f.RzComboBoxConnectionType->currentText(), QStringLiteral("Internet")) << "reading stopped at the bad value";
}

} // namespace
