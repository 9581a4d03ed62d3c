// Connecting safely when other workstations share the data: the journal mode
// SQLite really runs, a PostgreSQL login without table ownership, the local
// temporary database kept out of the shared temporary folder, connection
// options that a value cannot rewrite, and on a server of the test's own: what opening asks of it, "Internet" verifying it, and the
// server going away in the middle of an operation.

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/postgres_backend.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/private_temp_folder.h"
#include "data/schema.h"
#include "lists/fulfil_list.h"
#include "members/add_members.h"
#include "members/member_load_save.h"
#include "members/member_row_set.h"
#include "shell/progress.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// A schema name is one value however it is spelt: it reaches search_path
// quoted as an identifier and adds no connection option of its own.
TEST(ConnectionOptions, ASchemaThatLooksLikeOptionsStaysOneName)
{
    KV_REQUIRE_BACKEND(Backend::PostgreSQL);
    TestDatabase tdb(Backend::PostgreSQL);
    const QString schema = tdb.schema() + QStringLiteral(" \"x\" \\;dbname=postgres;sslmode=disable");
    QString quoted = schema;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    ASSERT_TRUE(QSqlQuery(tdb.db().connection()).exec(QStringLiteral("CREATE SCHEMA %1").arg(quoted)));
    const auto drop = qScopeGuard([&] { QSqlQuery(tdb.db().connection()).exec(QStringLiteral("DROP SCHEMA %1").arg(quoted)); });

    kv::Database db(QStringLiteral("Brenquistal"));
    db.setRemoteDatabase(PgTarget::fromEnvironment().database);
    db.setSession(&tdb.session());
    db.setSchema(schema);
    ASSERT_NO_THROW(db.connect());
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT current_database(), current_schema()")) && q.next()) << q.lastError().text().toStdString();
    EXPECT_EQ(q.value(0).toString(), PgTarget::fromEnvironment().database);
    EXPECT_EQ(q.value(1).toString(), schema);
}

// "Internet" never goes on unverified because a root certificate it was
// given is missing, and a server without TLS is named as such; a ';' in the
// certificate's path is part of the path (it once turned TLS off).
TEST(ConnectionOptions, InternetRefusesAMissingRootCertificateAndSaysWhenTheServerOffersNoTls)
{
    KV_REQUIRE_BACKEND(Backend::PostgreSQL);
    TestDatabase tdb(Backend::PostgreSQL); // the shared test server runs without TLS
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("root;sslmode=disable"));
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not read: the server offers no TLS to verify\n");
    }
    const QString missing = dir.filePath(QStringLiteral("missing.crt"));
    const QByteArray oldRoot = qgetenv("PGSSLROOTCERT"), oldHome = qgetenv("HOME");
    qputenv("HOME", dir.path().toLocal8Bit()); // no ~/.postgresql/root.crt
    const auto restore = qScopeGuard([&] {
        oldRoot.isNull() ? qunsetenv("PGSSLROOTCERT") : qputenv("PGSSLROOTCERT", oldRoot);
        qputenv("HOME", oldHome);
    });
    const QString refusedMissing = kv::PostgresBackend::kMissingRootCertificateMessage.arg(missing);
    const QString noTls = kv::PostgresBackend::kNoTlsMessage.section(QLatin1Char('\n'), 0, 0).arg(PgTarget::fromEnvironment().host);
    const struct
    {
        const char *what;
        QString setting, environment;
        QString expected;
    } cases[] = {
        {"missing, set in the session", missing, QString(), refusedMissing},
        {"missing, named by PGSSLROOTCERT", QString(), missing, refusedMissing},
        {"present, with a ';' in its path", existing, QString(), noTls},
        {"none at all", QString(), QString(), noTls},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.environment.isEmpty() ? qunsetenv("PGSSLROOTCERT") : qputenv("PGSSLROOTCERT", c.environment.toLocal8Bit());
        TDataModuleLists::Overrides o = tdb.overrides();
        o.connection = QStringLiteral("Internet");
        ScriptedPrompts prompts;
        TDataModuleLists dm(prompts, [] {}, nullptr, o);
        dm.SessionLists->setRootCertificate(c.setting);
        QString error;
        try {
            dm.connectDatabases();
        } catch (const kv::Error &e) {
            error = e.text();
        }
        EXPECT_FALSE(dm.DatabaseLists->isConnected());
        EXPECT_TRUE(error.startsWith(c.expected)) << error.toStdString();
    }
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

#ifdef Q_OS_UNIX
TEST(TemporaryDatabase, PrivateFolderFallsBackKeepsLongPathsAndClearsFoldersOfEndedProcesses)
{
    TestDatabase tdb(Backend::SQLite);
    QTemporaryDir root;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    auto restore = qScopeGuard([&] { oldTmp.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp); });

    const QString deep = root.path() + QStringLiteral("/") + QString(120, QLatin1Char('d')) + QStringLiteral("/") + QString(120, QLatin1Char('e'))
                         + QStringLiteral("/") + QString(40, QLatin1Char('f'));
    ASSERT_TRUE(QDir().mkpath(deep));
    // Folders a killed run left: one of a process that has ended, one of a
    // process that still runs (this one), a link by a stale name, and one
    // without a process id in its name.
    const QString stale = root.filePath(QStringLiteral("stale"));
    ASSERT_TRUE(QDir().mkpath(stale));
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    ASSERT_GT(ended, 0);
    waitpid(ended, nullptr, 0);
    const QString dead = QStringLiteral("%1/kestrovan-%2-aaaaaa").arg(stale).arg(ended);
    const QString alive = QStringLiteral("%1/kestrovan-%2-bbbbbb").arg(stale).arg(QCoreApplication::applicationPid());
    const QString unnamed = stale + QStringLiteral("/kestrovan-cccccc");
    const QString target = root.filePath(QStringLiteral("target"));
    for (const QString &d : {dead, alive, unnamed, target}) {
        ASSERT_TRUE(QDir().mkpath(d));
        QFile f(d + QStringLiteral("/TempLocal.db"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString link = QStringLiteral("%1/kestrovan-%2-link").arg(stale).arg(ended);
    ASSERT_TRUE(QFile::link(target, link));

    const struct
    {
        QString tmpdir;
        QString expectedBase;
    } cases[] = {
        {root.filePath(QStringLiteral("not/there")), QStringLiteral("/tmp")},
        {deep, deep},
        {stale, stale},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tmpdir.toStdString());
        qputenv("TMPDIR", QFile::encodeName(c.tmpdir));
        ScriptedPrompts prompts;
        TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
        ASSERT_NO_THROW(dm.DataModuleCreate());
        const QFileInfo folder(QFileInfo(dm.DatabaseTempLists->filePath()).absolutePath());
        EXPECT_EQ(folder.absolutePath(), c.expectedBase);
        EXPECT_TRUE(folder.fileName().startsWith(QStringLiteral("kestrovan-%1-").arg(QCoreApplication::applicationPid())))
            << folder.fileName().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dead));
    for (const QString &kept : {alive, unnamed, link, target + QStringLiteral("/TempLocal.db")})
        EXPECT_TRUE(QFileInfo::exists(kept)) << kept.toStdString();

    // Nowhere to make one: the message names every place tried.
    const QString file = root.filePath(QStringLiteral("a-file"));
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    try {
        kv::PrivateTempFolder::make({root.filePath(QStringLiteral("missing")), file});
        ADD_FAILURE() << "a private folder was made";
    } catch (const kv::Error &e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("No private temporary folder can be made"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("missing (not a folder)"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("a-file (not a folder)"))) << e.text().toStdString();
    }
}
#endif

} // namespace

namespace {

// Certificates made for the test: a root that signed the server's
// certificate (for 127.0.0.1), and another root that did not.
const char *const kMakeCertificates = R"sh(set -e
cd "$1"
key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
openssl req -x509 $key -keyout root.key -out root.crt -days 2 -subj /CN=kv-test-root 2>/dev/null
openssl req -x509 $key -keyout other.key -out other.crt -days 2 -subj /CN=kv-test-other 2>/dev/null
openssl req $key -keyout server.key -out server.csr -subj /CN=127.0.0.1 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\n' > san.ext
openssl x509 -req -in server.csr -CA root.crt -CAkey root.key -CAcreateserial -out server.crt -days 2 -extfile san.ext 2>/dev/null
chmod 600 server.key; chmod 755 .
if [ "$(id -u)" -eq 0 ]; then chown postgres server.key server.crt; fi
)sh";

// A PostgreSQL server of the suite's own (the shared one must stay up for the
// other suites): TLS on with the test's certificate, every statement logged.
class OwnServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_certs = std::make_unique<QTemporaryDir>();
        s_cluster = std::make_unique<QTemporaryDir>();
        ASSERT_EQ(QProcess::execute(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromLatin1(kMakeCertificates),
                                                             QStringLiteral("certs"), s_certs->path()}),
                  0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KESTROVAN_PG_OPTIONS"),
                   QStringLiteral("-c ssl=on -c ssl_cert_file=%1/server.crt -c ssl_key_file=%1/server.key -c log_statement=all")
                       .arg(s_certs->path()));
        // Suites run side by side: each looks for a free port from a place of its own.
        env.insert(QStringLiteral("KESTROVAN_PG_FIRST_PORT"), QString::number(20000 + QCoreApplication::applicationPid() % 20000));
        QString error;
        for (int attempt = 0; attempt < 3 && s_port <= 0; ++attempt) {
            QProcess start;
            start.setProcessEnvironment(env);
            start.start(script(), {QStringLiteral("start"), s_cluster->path()});
            start.waitForFinished(120000);
            error = QString::fromLocal8Bit(start.readAllStandardError());
            s_port = QString::fromLatin1(start.readAllStandardOutput()).trimmed().toInt();
            if (s_port <= 0)
                cluster(QStringLiteral("stop"));
        }
        ASSERT_GT(s_port, 0) << error.toStdString();
    }
    static void TearDownTestSuite()
    {
        if (s_cluster)
            cluster(QStringLiteral("stop"));
        s_cluster.reset();
        s_certs.reset();
    }
    void SetUp() override
    {
        if (s_port <= 0) {
            if (PgTarget::required())
                FAIL() << "KESTROVAN_REQUIRE_PG=1 but the suite's own server did not start";
            GTEST_SKIP() << "the suite's own server did not start";
        }
        // TestDatabase and the data module's overrides read the port here.
        m_oldPort = qgetenv("KESTROVAN_PG_PORT");
        qputenv("KESTROVAN_PG_PORT", QByteArray::number(s_port));
    }
    void TearDown() override { qputenv("KESTROVAN_PG_PORT", m_oldPort); }

    static QString script() { return QStringLiteral(KESTROVAN_SOURCE_DIR "/scripts/pg-cluster"); }
    static void cluster(const QString &command) { QProcess::execute(script(), {command, s_cluster->path()}); }
    static QString certificate(const QString &name) { return s_certs->filePath(name + QStringLiteral(".crt")); }

    // Statements the server ran since the log had `from` bytes.
    static qint64 logSize() { return QFileInfo(s_cluster->filePath(QStringLiteral("server.log"))).size(); }
    static int statementsSince(qint64 from)
    {
        QFile log(s_cluster->filePath(QStringLiteral("server.log")));
        if (!log.open(QIODevice::ReadOnly) || !log.seek(from))
            return -1;
        const QByteArray text = log.readAll();
        return int(text.count("LOG:  statement: ") + text.count("LOG:  execute "));
    }

    static std::unique_ptr<QTemporaryDir> s_certs, s_cluster;
    static int s_port;
    QByteArray m_oldPort;
};

std::unique_ptr<QTemporaryDir> OwnServer::s_certs, OwnServer::s_cluster;
int OwnServer::s_port = 0;

// A workstation far from the server pays a round trip for each statement:
// opening asks the catalogue once and sends its settings with the start-up
// message; what is read right after travels with the catalogue query, so
// that opening costs one round trip after the start-up, whatever it reads.
TEST_F(OwnServer, OpeningAsksTheCatalogueOnceAndWhatItReadsFirstTravelsWithIt)
{
    TestDatabase tdb(Backend::PostgreSQL);
    ScriptedPrompts prompts;
    using Open = std::function<void(TDataModuleLists &)>;
    const struct
    {
        const char *what;
        Open open;
        int statements;
    } cases[] = {
        {"command line, connecting", [](TDataModuleLists &dm) { dm.connectDatabases(); }, 1},
        {"kestrovan lists",
         [](TDataModuleLists &dm) {
             dm.connectDatabases({dm.QueryServices, dm.QueryLists});
             dm.QueryServices->open();
             dm.QueryLists->open();
         },
         3},
        {"windows", [](TDataModuleLists &dm) { dm.DataModuleCreate(); }, 6},
        // The lists window's first showing reads its lookups and the lists again.
        {"the lists window's opening",
         [](TDataModuleLists &dm) {
             dm.DataModuleCreate({dm.QueryItems, dm.QueryServices, dm.QueryLists});
             for (kv::Query *q : {dm.QueryItems, dm.QueryServices}) {
                 q->close();
                 q->open();
             }
             dm.QueryLists->refresh();
             dm.DatabaseLists->dropReadAhead();
         },
         9},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
        const qint64 from = logSize();
        c.open(dm);
        EXPECT_EQ(statementsSince(from), c.statements);
        EXPECT_EQ(dm.DatabaseLists->roundTrips(), 1);
    }
    EXPECT_TRUE(prompts.texts().isEmpty()) << prompts.texts().join(QLatin1Char('\n')).toStdString();
}

// A read sent ahead answers the one open that asks for it next, and only
// while nothing could have changed what it read: a write on the connection,
// a dropped read-ahead, or a second run read again. One that fails fails
// with the words it would have without travelling ahead.
TEST_F(OwnServer, AReadSentAheadAnswersOnceAndNeverAfterAWrite)
{
    TestDatabase tdb(Backend::PostgreSQL);
    tdb.addList(QStringLiteral("Before"));
    ScriptedPrompts prompts;
    auto hasAfter = [](kv::Query &q) { return q.locate({QStringLiteral("List_Name")}, {QStringLiteral("After")}); };
    const struct
    {
        const char *what;
        std::function<void(TDataModuleLists &)> between;
        bool refresh; // the open taken from the read-ahead, then read again
    } cases[] = {
        {"written on the same connection",
         [](TDataModuleLists &dm) {
             kv::UnitOfWork::run(*dm.DatabaseLists, [&] {
                 dm.DatabaseLists->execute(QStringLiteral("Insert into Lists (List_Name, Reason) values ('After', 'LST')"));
             });
         },
         false},
        {"dropped", [&](TDataModuleLists &dm) { tdb.addList(QStringLiteral("After")); dm.DatabaseLists->dropReadAhead(); }, false},
        {"read a second time", [&](TDataModuleLists &) { tdb.addList(QStringLiteral("After")); }, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        tdb.exec(QStringLiteral("Delete from Lists where List_Name = 'After'"));
        TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
        dm.connectDatabases({dm.QueryLists});
        if (c.refresh) {
            dm.QueryLists->open();
            EXPECT_FALSE(hasAfter(*dm.QueryLists));
            c.between(dm);
            dm.QueryLists->refresh();
        } else {
            c.between(dm);
            dm.QueryLists->open();
        }
        EXPECT_TRUE(hasAfter(*dm.QueryLists));
    }

    QStringList errors;
    for (const bool ahead : {true, false}) {
        TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
        kv::Query missing(dm.DatabaseLists, QStringLiteral("QueryMissing"));
        missing.setSql(QStringLiteral("Select * from Nowhere"));
        dm.connectDatabases(ahead ? QList<kv::Query *>{&missing} : QList<kv::Query *>{});
        try {
            missing.open();
        } catch (const kv::DbError &e) {
            errors << e.text();
        }
    }
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors.first(), errors.last());
}

// "Internet" with a root certificate connects only to the server that
// certificate vouches for; any other is refused before anything is sent.
TEST_F(OwnServer, InternetVerifiesTheServerAgainstTheRootCertificate)
{
    TestDatabase tdb(Backend::PostgreSQL);
    const int listId = tdb.addList(QStringLiteral("Holiday"));
    const struct
    {
        const char *root;
        bool connects;
    } cases[] = {{"other", false}, {"root", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.root);
        TDataModuleLists::Overrides o = tdb.overrides();
        o.connection = QStringLiteral("Internet");
        ScriptedPrompts prompts;
        TDataModuleLists dm(prompts, [] {}, nullptr, o);
        dm.SessionLists->setRootCertificate(certificate(QString::fromLatin1(c.root)));
        const qint64 from = logSize();
        QString error;
        try {
            dm.DataModuleCreate();
        } catch (const kv::Error &e) {
            error = e.text();
        }
        EXPECT_EQ(dm.DatabaseLists->isConnected(), c.connects) << error.toStdString();
        if (c.connects) {
            EXPECT_TRUE(error.isEmpty());
            EXPECT_TRUE(dm.QueryLists->locate({QStringLiteral("Record_ID")}, {listId}));
        } else {
            EXPECT_TRUE(error.startsWith(kv::PostgresBackend::kUnverifiedServerMessage.section(QLatin1Char(':'), 0, 0)
                                             .arg(QStringLiteral("127.0.0.1"))))
                << error.toStdString();
            EXPECT_EQ(statementsSince(from), 0) << "nothing reached the server";
        }
    }
}

// The server stopped at once in the middle of a fulfilment and of a members
// window's save: one message, nothing half written once it is back, and the
// same data module goes on with the next operation.
TEST_F(OwnServer, AServerThatGoesAwayMidOperationLeavesNothingAndTheNextOperationReconnects)
{
    TestDatabase tdb(Backend::PostgreSQL);
    tdb.insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 7}, {QStringLiteral("Service_Desc"), QStringLiteral("Holiday")},
                                            {QStringLiteral("Service_Type"), QStringLiteral("D")}});
    const int listId = tdb.addList(QStringLiteral("Alpha"));
    for (int person = 1; person <= 3; ++person) {
        tdb.addClient(person, {{QStringLiteral("Svcs_Used"), 7}, {QStringLiteral("Status"), QStringLiteral("A")}});
        tdb.addMember(listId, person, {{QStringLiteral("Quantity"), 1}, {QStringLiteral("RecVisible"), true}});
    }
    ScriptedPrompts prompts;
    auto errors = [&] {
        QStringList out;
        for (const ScriptedPrompts::Shown &s : prompts.shown())
            if (s.kind == kv::Prompts::Kind::Error)
                out << s.text;
        return out;
    };
    TDataModuleLists dm(prompts, [] {}, nullptr, tdb.overrides());
    dm.DataModuleCreate();
    kv::MemberLoadSave loadSave(dm, prompts);
    kv::MemberRowSet rows;
    kv::NullProgress progress;

    auto fulfil = [&] {
        kv::FulfilmentOptions o;
        o.deliveryDate = QDate(2026, 12, 9);
        o.confirmedIndex = kv::FulfilmentOptions::ConfirmedIrrelevant;
        o.serviceIndex = kv::FulfilmentOptions::ClientsOwnService;
        o.itemsIndex = kv::FulfilmentOptions::ServiceDefaults;
        o.listName = QStringLiteral("Alpha");
        kv::ListFulfilment f(dm, prompts, progress, [] { return QStringLiteral("Ann"); });
        f.run(listId, o);
        f.finish();
    };
    auto save = [&] {
        // The window's save: edits pending, then the list is loaded again.
        for (int r = 0; r < rows.recordCount(); ++r) {
            rows.setRecNo(r);
            rows.edit();
            rows.setFieldValue(kv::MemberRowSet::Quantity, 5);
            rows.post();
        }
        loadSave.load(rows, QStringLiteral("Alpha"));
    };
    const struct
    {
        const char *what;
        const char *table;
        std::function<void()> run;
        QString written;
    } cases[] = {{"fulfilment", "EpisodicDeliveries", fulfil, QStringLiteral("Select count(*) from EpisodicDeliveries")},
                 {"save", "List_Members", save, QStringLiteral("Select count(*) from List_Members where Quantity = 5")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        loadSave.load(rows, QStringLiteral("Alpha"));
        ASSERT_EQ(rows.recordCount(), 3);
        prompts.clear();
        // The writing statement waits on the server; the server goes away meanwhile.
        const QString pause = QStringLiteral("CREATE FUNCTION kv_pause() RETURNS trigger LANGUAGE plpgsql AS "
                                             "'BEGIN PERFORM pg_sleep(5); RETURN NULL; END'; "
                                             "CREATE TRIGGER kv_pause BEFORE INSERT OR UPDATE ON %1 EXECUTE FUNCTION kv_pause()");
        ASSERT_TRUE(QSqlQuery(tdb.db().connection()).exec(pause.arg(QString::fromLatin1(c.table))));
        std::thread crash([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            cluster(QStringLiteral("kill"));
        });
        QStringList shown;
        try {
            c.run();
        } catch (const kv::Error &e) {
            shown << e.text();
        }
        crash.join();
        shown << errors();
        ASSERT_EQ(shown.size(), 1) << shown.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(shown.first().contains(QStringLiteral("connection to the database server was lost"))) << shown.first().toStdString();
        EXPECT_TRUE(shown.first().contains(kv::UnitOfWork::kNothingWritten)) << shown.first().toStdString();

        cluster(QStringLiteral("restart"));
        EXPECT_EQ(tdb.exec(c.written).toInt(), 0);
        ASSERT_TRUE(QSqlQuery(tdb.db().connection())
                        .exec(QStringLiteral("DROP TRIGGER kv_pause ON %1; DROP FUNCTION kv_pause()").arg(QString::fromLatin1(c.table))));
        prompts.clear();
        c.run();
        EXPECT_TRUE(errors().isEmpty()) << errors().join(QLatin1Char('\n')).toStdString();
        EXPECT_GT(tdb.exec(c.written).toInt(), 0);
    }
}

} // namespace
