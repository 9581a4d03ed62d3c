// Registry values are text: the settings file's list syntax never changes them.

#include "data/registry.h"
#include "support/test_database.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(RegistryText, AValueWithACommaIsReadAsTheTextItIs)
{
    SettingsSandbox sandbox;
    QFile file(sandbox.configDir() + QStringLiteral("/DBIsam.conf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Alias]\nBrenquistal=Smith, John\n[Server%20IP]\nBrenquistal=10.0.0.5\n");
    file.close();
    EXPECT_EQ(kv::Registry::readValue(QStringLiteral("Alias"), QStringLiteral("Brenquistal")), QStringLiteral("Smith, John"));
    EXPECT_EQ(kv::Registry::readValue(QStringLiteral("Server IP"), QStringLiteral("Brenquistal")), QStringLiteral("10.0.0.5"));
}

TEST(RegistryText, OnlyTheCurrentUsersSettingsAreRead)
{
    SettingsSandbox sandbox;
    QTemporaryDir system;
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, system.path());
    QFile file(system.path() + QStringLiteral("/DBIsam.conf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Mode]\nBrenquistal=C\n[Server%20IP]\nBrenquistal=10.9.9.9\n");
    file.close();
    kv::Registry::writeValue(QStringLiteral("Alias"), QStringLiteral("Brenquistal"), QStringLiteral("/srv/data"));
    EXPECT_EQ(kv::Registry::readValue(QStringLiteral("Mode"), QStringLiteral("Brenquistal")), QString());
    EXPECT_EQ(kv::Registry::readValue(QStringLiteral("Server IP"), QStringLiteral("Brenquistal")), QString());
    EXPECT_EQ(kv::Registry::readValue(QStringLiteral("Alias"), QStringLiteral("Brenquistal")), QStringLiteral("/srv/data"));
}

} // namespace
