// Connecting safely when other workstations share the data: the journal mode
// SQLite really runs, a PostgreSQL login without table ownership, and the local
// temporary database kept out of the shared temporary folder.

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/schema.h"
#include "members/add_members.h"
#include "shell/progress.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kv::Backend;

namespace {

QString journalMode(kv::Database &db)
{
    QSqlQuery q(db.connection());
    return q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() ? q.value(0).toString().toLower() : QString();
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

TEST(JournalMode, ALocalDiskRunsWalAndANetworkShareTheRollbackJournal)
{
    EXPECT_TRUE(kv::Database::isNetworkFileSystemType("nfs4"));
    EXPECT_TRUE(kv::Database::isNetworkFileSystemType("CIFS"));
    EXPECT_TRUE(kv::Database::isNetworkFileSystemType("fuse.sshfs"));
    EXPECT_FALSE(kv::Database::isNetworkFileSystemType("ext4"));
    EXPECT_FALSE(kv::Database::isNetworkFileSystemType("tmpfs"));

    TestDatabase tdb(Backend::SQLite);
    EXPECT_EQ(journalMode(tdb.db()), QStringLiteral("wal"));
    tdb.db().disconnect();

    kv::Database share(QStringLiteral("Brenquistal"));
    share.setSession(&tdb.session());
    share.setDirectory(tdb.directory());
    share.setTreatAsNetworkShare(true);
    share.connect();
    EXPECT_EQ(journalMode(share), QStringLiteral("delete"));
}

TEST(JournalMode, AShareHeldInWalByAnotherWorkstationIsRefusedAndNothingIsWritten)
{
    TestDatabase tdb(Backend::SQLite);
    ASSERT_EQ(journalMode(tdb.db()), QStringLiteral("wal"));
    tdb.addList(QStringLiteral("Holiday")); // the other workstation is working in WAL
    const QString path = tdb.db().filePath();
    const QByteArray before = digest(path);

    tdb.session().setLockWaitTime(10);
    kv::Database share(QStringLiteral("Brenquistal"));
    share.setSession(&tdb.session());
    share.setDirectory(tdb.directory());
    share.setTreatAsNetworkShare(true);
    try {
        share.connect();
        FAIL() << "a network share stayed in WAL";
    } catch (const kv::DbError &e) {
        EXPECT_TRUE(e.text().contains(kv::Database::kShareInWalMessage.arg(QDir::toNativeSeparators(path)))) << e.text().toStdString();
    }
    EXPECT_FALSE(share.isConnected());
    EXPECT_EQ(digest(path), before);
    EXPECT_EQ(journalMode(tdb.db()), QStringLiteral("wal"));
    EXPECT_EQ(tdb.count(QStringLiteral("Lists")), 1);
}

// A role that may read and write the tables but owns none of them (nor the
// schema) is how a careful site gives the plug-in's login its rights.
TEST(PostgresRights, ALoginWithDataRightsOnlyConnectsAndAddsMembers)
{
    KV_REQUIRE_BACKEND(Backend::PostgreSQL);
    TestDatabase tdb(Backend::PostgreSQL);
    const int listId = tdb.addList(QStringLiteral("Holiday"));
    tdb.addClient(1);
    tdb.addClient(2);
    tdb.db().disconnect();

    const PgTarget t = PgTarget::fromEnvironment();
    kv::Session adminSession(QStringLiteral("AdminSession"));
    adminSession.setSessionType(kv::SessionType::Remote);
    adminSession.setRemoteAddress(t.host);
    adminSession.setRemotePort(t.port);
    adminSession.setRemoteUser(QStringLiteral("postgres")); // the test cluster's superuser
    adminSession.setRemotePassword(QStringLiteral("postgres"));
    kv::Database admin(QStringLiteral("Admin"));
    admin.setRemoteDatabase(t.database);
    admin.setSession(&adminSession);
    admin.connect();
    // Schema text, sent as it is (the dialect would read "nocase" as an ordering).
    auto adminExec = [&](const QString &sql) {
        QSqlQuery q(admin.connection());
        if (!q.exec(sql))
            throw kv::DbError(QStringLiteral("Preparing the rights"), q.lastError().text(), sql);
    };
    const QString owner = QStringLiteral("kv_owner_%1").arg(QRandomGenerator::global()->generate() % 1000000);
    const QString s = tdb.schema();
    auto cleanup = qScopeGuard([&] {
        try {
            adminExec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(s));
            adminExec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(owner));
        } catch (...) {
        }
    });
    adminExec(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(owner));
    adminExec(QStringLiteral("ALTER SCHEMA %1 OWNER TO %2").arg(s, owner));
    for (const kv::TableDef &table : kv::Schema::tables())
        adminExec(QStringLiteral("ALTER TABLE %1.%2 OWNER TO %3").arg(s, table.name, owner));
    adminExec(QStringLiteral("ALTER COLLATION %1.nocase OWNER TO %2").arg(s, owner));
    adminExec(QStringLiteral("REVOKE ALL ON SCHEMA %1 FROM PUBLIC").arg(s));
    adminExec(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(s, TDataModuleLists::kRemoteUser));
    adminExec(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2").arg(s, TDataModuleLists::kRemoteUser));
    adminExec(QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA %1 TO %2").arg(s, TDataModuleLists::kRemoteUser));

    ScriptedPrompts prompts;
    TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
    ASSERT_NO_THROW(dm.DataModuleCreate());
    EXPECT_TRUE(prompts.texts().isEmpty()) << prompts.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(dm.QueryLists->isOpen());

    kv::NullProgress progress;
    kv::AddMembers op(*dm.DatabaseLists, prompts, progress);
    kv::AddMembersChoice c;
    c.method = kv::AddMembersChoice::ByStatus;
    c.statusIndex = 3;
    EXPECT_EQ(op.run(listId, c).added, 2);
    kv::Query count(dm.DatabaseLists, QStringLiteral("Count"));
    count.setSql(QStringLiteral("Select count(*) from List_Members where List_ID = :List_ID"));
    count.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    count.open();
    EXPECT_EQ(count.value(0).toInt(), 2);
}

// Whatever sits under the old fixed name in the shared temporary folder - a
// link to another user's database, a link to nowhere, a garbage file - is
// neither opened, followed nor in the way.
TEST(TemporaryDatabase, LivesInAPrivateFolderWhateverIsPlantedInTheSharedOne)
{
    QTemporaryDir shared;
    QTemporaryDir elsewhere;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", shared.path().toLocal8Bit());
    auto restore = qScopeGuard([&] { oldTmp.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp); });
    const QString planted = QDir(shared.path()).filePath(QStringLiteral("TempLocal.db"));

    TestDatabase victim(Backend::SQLite);
    victim.db().execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
    victim.db().disconnect();
    const QString victimPath = victim.db().filePath();
    const QString dangling = QDir(elsewhere.path()).filePath(QStringLiteral("created.db"));

    enum Plant { LinkToAnotherDatabase, DanglingLink, Garbage };
    for (Plant plant : {LinkToAnotherDatabase, DanglingLink, Garbage}) {
        SCOPED_TRACE(int(plant));
        QFile::remove(planted);
        if (plant == LinkToAnotherDatabase)
            ASSERT_TRUE(QFile::link(victimPath, planted));
        else if (plant == DanglingLink)
            ASSERT_TRUE(QFile::link(dangling, planted));
        else {
            QFile f(planted);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("garbage, not a database ").repeated(100));
        }
        const QByteArray victimBefore = digest(victimPath);
        const QByteArray plantedBefore = QFileInfo(planted).isSymLink() ? QByteArray() : digest(planted);

        TestDatabase tdb(Backend::SQLite);
        ScriptedPrompts prompts;
        QString tempFile;
        {
            TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
            ASSERT_NO_THROW(dm.DataModuleCreate());
            ASSERT_TRUE(dm.DatabaseTempLists->isConnected());
            tempFile = dm.DatabaseTempLists->filePath();
            const QFileInfo folder(QFileInfo(tempFile).absolutePath());
            EXPECT_NE(folder.absoluteFilePath(), QFileInfo(shared.path()).absoluteFilePath());
            EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), 0);
            EXPECT_TRUE(QFileInfo::exists(tempFile));
        }
        EXPECT_FALSE(QFileInfo::exists(tempFile)) << "the private folder outlived the data module";
        EXPECT_EQ(digest(victimPath), victimBefore);
        EXPECT_FALSE(QFileInfo::exists(victimPath + QStringLiteral("-wal")));
        EXPECT_FALSE(QFileInfo::exists(dangling));
        if (plant == Garbage) {
            EXPECT_EQ(digest(planted), plantedBefore);
        }
    }
}

} // namespace
