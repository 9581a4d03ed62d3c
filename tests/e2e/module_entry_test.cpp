// The module's entry points as the host's loader calls them.

#include "support/test_database.h"

#include <kestrovan/plugin_interfaces.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
QString modulePath()
{
    const QString build = qEnvironmentVariable("KESTROVAN_BUILD_DIR");
    return QDir(build.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/..") : build)
        .filePath(QStringLiteral("lib/libkestrovan.so"));
}
} // namespace

TEST(ModuleEntry, InitialisationRegistersTheClassAndFinalisationRemovesIt)
{
    SettingsSandbox sandbox;
    QLibrary lib(modulePath());
    ASSERT_TRUE(lib.load()) << lib.errorString().toStdString();
    auto init = reinterpret_cast<kestrovan::InitializeProc>(lib.resolve(kestrovan::InitializeEntry));
    auto fini = reinterpret_cast<kestrovan::FinalizeProc>(lib.resolve(kestrovan::FinalizeEntry));
    auto info = reinterpret_cast<kestrovan::GetPackageInfoTableProc>(lib.resolve(kestrovan::GetPackageInfoTableEntry));
    auto create = reinterpret_cast<kestrovan::CreateRegisteredObjectProc>(lib.resolve(kestrovan::CreateRegisteredObjectEntry));
    ASSERT_TRUE(init && fini && info && create);

    const kestrovan::PackageInfoTable *table = info();
    ASSERT_NE(table, nullptr);
    EXPECT_STREQ(table->description, "TFormLists");
    ASSERT_EQ(table->unitCount, 1);
    EXPECT_STREQ(table->units[0], "FrmLists");

    // Loading alone registers nothing.
    EXPECT_EQ(create("TFormLists", nullptr), nullptr);
    init();
    QWidget owner;
    QObject *object = create("TFormLists", &owner);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->parent(), &owner);
    EXPECT_EQ(create("TFormListMembers", &owner), nullptr); // only the one class is offered
    void *out = nullptr;
    ASSERT_EQ(kestrovan::unknownOf(object)->QueryInterface(kestrovan::IID_IPlugInModule, &out), kestrovan::S_Ok);
    EXPECT_TRUE(static_cast<kestrovan::IPlugInModule *>(out)->GetIsModuleInstalled(QStringLiteral("Kestrovan")));
    delete object;
    fini();
    EXPECT_EQ(create("TFormLists", nullptr), nullptr);
}
