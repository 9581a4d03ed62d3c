// Connecting the data module from the registry: the fallbacks, the mode and
// connection values as the host writes them, and every way the data location
// can be wrong.

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/schema.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kv::Backend;

namespace {

// A data module that reads everything from the sandboxed registry; only the
// PostgreSQL port and schema of the test server are given directly.
struct Harness
{
    ScriptedPrompts prompts;
    int shutdowns = 0;
    std::unique_ptr<TDataModuleLists> dm;

    explicit Harness(const TDataModuleLists::Overrides &o = {})
    {
        dm = std::make_unique<TDataModuleLists>(prompts, [this] { ++shutdowns; }, nullptr, o);
    }
};

TDataModuleLists::Overrides pgServerOnly(const TestDatabase &tdb)
{
    TDataModuleLists::Overrides o;
    o.serverPort = PgTarget::fromEnvironment().port;
    o.pgSchema = tdb.schema();
    return o;
}

void useFileServer(SettingsSandbox &sb, const QString &dir, const QString &mode = QStringLiteral("F"))
{
    sb.setRegistry(QStringLiteral("Mode"), mode);
    sb.setRegistry(QStringLiteral("Alias"), dir);
}

TEST(DataModuleRegistry, FileServerFallsBackToTheSecondAliasValue)
{
    SettingsSandbox sb;
    TestDatabase tdb(Backend::SQLite);
    sb.setRegistry(QStringLiteral("Mode"), QStringLiteral("F"));
    sb.setRegistry(QStringLiteral("Alias"), QString());
    sb.setRegistry(QStringLiteral("Alias"), tdb.directory(), QStringLiteral("Bren Quistal"));
    Harness h;
    h.dm->DataModuleCreate();
    EXPECT_EQ(h.dm->dataDirectory(), tdb.directory());
    EXPECT_TRUE(h.dm->DatabaseLists->isConnected());
    EXPECT_TRUE(h.prompts.texts().isEmpty()) << h.prompts.texts().join(QLatin1Char('\n')).toStdString();
}

TEST(DataModuleRegistry, LowerCaseCAndNoModeAtAllMeanFileServer)
{
    for (const QString &mode : {QStringLiteral("c"), QString()}) {
        SettingsSandbox sb;
        TestDatabase tdb(Backend::SQLite);
        useFileServer(sb, tdb.directory(), mode);
        Harness h;
        h.dm->DataModuleCreate();
        EXPECT_EQ(h.dm->cMode, mode);
        EXPECT_EQ(h.dm->SessionLists->sessionType(), kv::SessionType::Local);
        EXPECT_EQ(h.dm->DatabaseLists->backend(), Backend::SQLite);
        EXPECT_TRUE(h.dm->QueryLists->isOpen());
    }
}

TEST(DataModuleRegistry, ClientServerFallsBackAndAcceptsAMissingLocalDirectory)
{
    KV_REQUIRE_BACKEND(Backend::PostgreSQL);
    SettingsSandbox sb;
    TestDatabase tdb(Backend::PostgreSQL);
    const QString missing = QDir(tdb.directory()).filePath(QStringLiteral("not/on/this/computer"));
    sb.setRegistry(QStringLiteral("Mode"), QStringLiteral("C"));
    sb.setRegistry(QStringLiteral("Server IP"), PgTarget::fromEnvironment().host);
    sb.setRegistry(QStringLiteral("Connection"), QStringLiteral("internet")); // not "Internet": LAN
    sb.setRegistry(QStringLiteral("Alias"), missing, QStringLiteral("Bren Quistal"));
    Harness h(pgServerOnly(tdb));
    h.dm->DataModuleCreate();
    EXPECT_TRUE(h.prompts.texts().isEmpty()) << h.prompts.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(h.shutdowns, 0);
    EXPECT_EQ(h.dm->SessionLists->sessionType(), kv::SessionType::Remote);
    EXPECT_EQ(h.dm->SessionLists->remoteType(), kv::RemoteType::Lan);
    EXPECT_EQ(h.dm->SessionLists->remoteUser(), TDataModuleLists::kRemoteUser);
    EXPECT_EQ(h.dm->DatabaseLists->remoteDatabase(), QStringLiteral("Brenquistal"));
    EXPECT_EQ(h.dm->dataDirectory(), missing);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(h.dm->QueryLists->isOpen());
}

TEST(DataModuleRegistry, OnlyTheExactWordInternetSelectsTheInternetTransport)
{
    SettingsSandbox sb;
    sb.setRegistry(QStringLiteral("Mode"), QStringLiteral("C"));
    sb.setRegistry(QStringLiteral("Server IP"), QStringLiteral("127.0.0.1"));
    sb.setRegistry(QStringLiteral("Alias"), QStringLiteral("/srv/brenquistal"));
    for (const auto &[value, expected] : {std::pair{QStringLiteral("Internet"), kv::RemoteType::Internet},
                                          std::pair{QStringLiteral("INTERNET"), kv::RemoteType::Lan},
                                          std::pair{QStringLiteral("LAN"), kv::RemoteType::Lan}}) {
        sb.setRegistry(QStringLiteral("Connection"), value);
        TDataModuleLists::Overrides o;
        o.serverPort = 1; // nothing listens: only the session's set-up matters here
        Harness h(o);
        EXPECT_THROW(h.dm->DataModuleCreate(), kv::DbError);
        EXPECT_EQ(h.dm->SessionLists->remoteType(), expected) << value.toStdString();
    }
}

TEST(DataModuleRegistry, AnEmptyServerIpIsRefusedNamingTheSettingAndNothingIsOpened)
{
    SettingsSandbox sb;
    sb.setRegistry(QStringLiteral("Mode"), QStringLiteral("C"));
    sb.setRegistry(QStringLiteral("Alias"), QStringLiteral("/srv/brenquistal"));
    for (const QString &ip : {QString(), QStringLiteral("  ")}) {
        sb.setRegistry(QStringLiteral("Server IP"), ip);
        Harness h;
        try {
            h.dm->DataModuleCreate();
            ADD_FAILURE() << "connected without a server";
        } catch (const kv::DbError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("\"Server IP\""))) << e.text().toStdString();
        }
        EXPECT_FALSE(h.dm->DatabaseLists->isConnected());
        EXPECT_EQ(h.shutdowns, 0);
    }
}

class DataLocationMessages : public ::testing::TestWithParam<QString>
{
};

TEST_P(DataLocationMessages, NoAliasAtAllEndsTheApplicationWithTheNotDefinedMessage)
{
    SettingsSandbox sb;
    sb.setRegistry(QStringLiteral("Mode"), GetParam());
    Harness h;
    EXPECT_THROW(h.dm->DataModuleCreate(), kv::ApplicationEnding);
    ASSERT_EQ(h.prompts.shown().size(), 1);
    EXPECT_EQ(h.prompts.shown()[0].kind, kv::Prompts::Kind::Error);
    EXPECT_EQ(h.prompts.shown()[0].text, TDataModuleLists::kNotDefinedMessage);
    EXPECT_EQ(h.shutdowns, 1);
    EXPECT_FALSE(h.dm->DatabaseLists->isConnected());
}

INSTANTIATE_TEST_SUITE_P(BothModes, DataLocationMessages, ::testing::Values(QStringLiteral("F"), QStringLiteral("C")),
                         [](const auto &info) { return info.param == QLatin1String("C") ? "ClientServer" : "FileServer"; });

TEST(DataModuleLocation, AMissingDirectoryEndsTheApplicationAndCreatesNothing)
{
    SettingsSandbox sb;
    QTemporaryDir parent;
    const QString missing = QDir(parent.path()).filePath(QStringLiteral("gone"));
    useFileServer(sb, missing);
    Harness h;
    EXPECT_THROW(h.dm->DataModuleCreate(), kv::ApplicationEnding);
    ASSERT_EQ(h.prompts.texts().size(), 1);
    EXPECT_EQ(h.prompts.texts()[0], QStringLiteral("The Brenquistal database:\r\n") + missing
                                         + QStringLiteral("\r\ndoes not appear to be valid. Brenquistal will now terminate..."));
    EXPECT_EQ(h.shutdowns, 1);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST(DataModuleLocation, ALocationThatIsAFileIsNotValid)
{
    SettingsSandbox sb;
    QTemporaryDir parent;
    const QString file = QDir(parent.path()).filePath(QStringLiteral("Brenquistal.db"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a folder");
    }
    useFileServer(sb, file);
    Harness h;
    EXPECT_THROW(h.dm->DataModuleCreate(), kv::ApplicationEnding);
    EXPECT_EQ(h.prompts.texts(), QStringList{TDataModuleLists::invalidLocationMessage(file)});
    EXPECT_EQ(h.shutdowns, 1);
}

TEST(DataModuleLocation, ACorruptDatabaseFileIsReportedAndLeftAlone)
{
    SettingsSandbox sb;
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("Brenquistal.db"));
    const QByteArray garbage = QByteArray("this is no database at all ").repeated(200);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    useFileServer(sb, dir.path());
    Harness h;
    try {
        h.dm->DataModuleCreate();
        FAIL() << "a corrupt file was opened";
    } catch (const kv::DbError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("not a database"), Qt::CaseInsensitive)) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QDir::toNativeSeparators(path))) << e.text().toStdString();
    }
    EXPECT_EQ(h.shutdowns, 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage) << "the corrupt file was changed";
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-wal")));
}

TEST(DataModuleLocation, AFolderWithoutADatabaseIsAnErrorAndNoFileIsCreated)
{
    SettingsSandbox sb;
    QTemporaryDir dir;
    useFileServer(sb, dir.path());
    Harness h;
    EXPECT_THROW(h.dm->DataModuleCreate(), kv::DbError);
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << QDir(dir.path()).entryList().join(QLatin1Char(' ')).toStdString();
}

class DataModuleTables : public ::testing::TestWithParam<Backend>
{
};

TEST_P(DataModuleTables, AMissingHostTableIsNamedAndOurTablesAreNotCreated)
{
    KV_REQUIRE_BACKEND(GetParam());
    TestDatabase tdb(GetParam(), false);
    for (const kv::TableDef &t : kv::Schema::tables())
        if (t.hostTable && t.name != QLatin1String("DefDels"))
            tdb.db().execute(kv::Schema::createTableSql(t, tdb.db().engine()));
    ScriptedPrompts prompts;
    TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
    try {
        dm.DataModuleCreate();
        FAIL() << "connected without DefDels";
    } catch (const kv::DbError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("DefDels"))) << e.text().toStdString();
    }
    EXPECT_FALSE(tdb.db().tableExists(QStringLiteral("Lists")));
    EXPECT_FALSE(tdb.db().tableExists(QStringLiteral("List_Members")));
}

TEST_P(DataModuleTables, OurOwnTablesAreCreatedWhenMissing)
{
    KV_REQUIRE_BACKEND(GetParam());
    TestDatabase tdb(GetParam(), false);
    for (const kv::TableDef &t : kv::Schema::tables())
        if (t.hostTable)
            tdb.db().execute(kv::Schema::createTableSql(t, tdb.db().engine()));
    ScriptedPrompts prompts;
    TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
    dm.DataModuleCreate();
    EXPECT_TRUE(tdb.db().tableExists(QStringLiteral("Lists")));
    EXPECT_TRUE(tdb.db().tableExists(QStringLiteral("List_Members")));
    EXPECT_TRUE(dm.QueryLists->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Backends, DataModuleTables, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL"; });

TEST(DataModuleRegistry, AValueOfAnotherTypeIsShownAndTheConnectionIsStillAttempted)
{
    SettingsSandbox sb;
    TestDatabase tdb(Backend::SQLite);
    sb.setRegistry(QStringLiteral("Mode"), QStringLiteral("F"));
    // A value the settings file holds as another type than text (a comma alone keeps it text).
    sb.setRawRegistry(QStringLiteral("Alias"), QStringLiteral("Brenquistal"), QVariant(QRect(1, 2, 3, 4)));
    Harness h;
    // With the location unread the engine has nowhere to connect to.
    EXPECT_THROW(h.dm->DataModuleCreate(), kv::DbError);
    ASSERT_EQ(h.prompts.shown().size(), 1);
    EXPECT_FALSE(h.prompts.shown()[0].text.isEmpty());
    EXPECT_EQ(h.shutdowns, 0) << "a registry read error must not end the application";
}

} // namespace
