// Registry values are text: the settings file's list syntax never changes them.

#include "data/registry.h"
#include "support/test_database.h"

#include <QFile>
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

} // namespace
