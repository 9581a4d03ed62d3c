#include "data/engine/database.h"

#include "data/engine/db_error.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QUrl>
#include <QVariant>

#include <atomic>

namespace kv {

namespace {

QString uniqueConnectionName(const QString &base)
{
    static std::atomic<int> counter{0};
    if (!QSqlDatabase::contains(base))
        return base;
    QString name;
    do {
        name = base + QLatin1Char('-') + QString::number(++counter);
    } while (QSqlDatabase::contains(name));
    return name;
}

QString quoteIdent(const QString &s)
{
    QString q = s;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

Database::Database(const QString &databaseName, QObject *parent)
    : QObject(parent)
    , m_name(databaseName)
    , m_remoteDatabase(databaseName)
{
    setObjectName(databaseName);
}

Database::~Database()
{
    disconnect();
}

const SqlBackend &Database::engine() const
{
    // Chosen on first use and again only if the session's kind were changed.
    if (!m_engine || m_engine->kind() != backend())
        m_engine = SqlBackend::make(backend());
    return *m_engine;
}

Backend Database::backend() const
{
    return (m_session && m_session->sessionType() == SessionType::Remote) ? Backend::PostgreSQL : Backend::SQLite;
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QString Database::filePath() const
{
    return QDir(m_directory).filePath(fileNameFor(m_name));
}

const QString Database::kShareInWalMessage = QStringLiteral(
    "The database file %1 is on a network share, and another workstation has it open in WAL mode, which "
    "SQLite cannot use safely over a network. Nothing was written.\n\nClose the program on the workstation "
    "that opened this data location from its local disk (or give every workstation the same network path), "
    "then try again.");

bool Database::isNetworkFileSystemType(const QByteArray &type)
{
    // WAL needs memory shared between every process that opens the file, which
    // only one machine's kernel can give; these file systems reach other machines.
    static const QByteArrayList network = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "smb2", "ncpfs", "9p", "afs",
                                           "ceph", "glusterfs", "lustre", "gpfs", "fuse.sshfs", "fuse.glusterfs",
                                           "fuse.rclone", "fuse.davfs", "davfs", "fuse.s3fs"};
    const QByteArray t = type.toLower();
    return network.contains(t) || (t.startsWith("fuse.") && t.contains("sshfs"));
}

bool Database::onNetworkFileSystem() const
{
    if (m_treatAsNetworkShare)
        return true;
    const QStorageInfo storage(m_directory.isEmpty() ? QStringLiteral(".") : m_directory);
    return storage.isValid() && isNetworkFileSystemType(storage.fileSystemType());
}

void Database::connect()
{
    if (m_connected)
        return;
    if (!m_session)
        throw DbError(QStringLiteral("Connecting database \"%1\"").arg(m_name), QStringLiteral("The database has no session."));
    m_session->start();
    if (m_beforeConnect)
        m_beforeConnect(*this);
    if (backend() == Backend::PostgreSQL)
        openPostgres();
    else
        openSqlite();
    m_connected = true;
}

void Database::openSqlite()
{
    const QString path = filePath();
    const QString where = QStringLiteral("Opening the %1 database at %2").arg(m_name, QDir::toNativeSeparators(path));
    if (m_directory.isEmpty())
        throw DbError(where, QStringLiteral("No directory is set for the database."));
    const QFileInfo dirInfo(m_directory);
    if (!dirInfo.isDir())
        throw DbError(where, QStringLiteral("The directory %1 does not exist.").arg(QDir::toNativeSeparators(m_directory)));
    const QFileInfo fileInfo(path);
    if (fileInfo.exists() && !fileInfo.isFile())
        throw DbError(where, QStringLiteral("%1 is not a database file.").arg(QDir::toNativeSeparators(path)));
    if (!fileInfo.exists() && !m_createIfMissing)
        throw DbError(where, QStringLiteral("The database file %1 does not exist.").arg(QDir::toNativeSeparators(path)));

    m_connectionName = uniqueConnectionName(m_name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    // The URI form lets us refuse to create a file that is not there.
    QString uri = QUrl::fromLocalFile(fileInfo.absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += m_createIfMissing ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw");
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(m_session->lockTimeoutMs()));
    if (!db.open()) {
        const QString text = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw DbError(where, text);
    }
    auto fail = [&](const QString &text) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw DbError(where, text);
    };
    {
        // Reading the schema is what tells a corrupt or foreign file apart.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            fail(q.lastError().text());
    }
    m_connected = true;
    try {
        checkRequiredTables();
    } catch (const DbError &e) {
        m_connected = false;
        fail(e.driverText());
    }
    m_connected = false;
    // WAL needs shared memory on one host; a network share keeps the rollback journal.
    // SQLite keeps the mode it runs when it cannot switch (another connection
    // holds the file in WAL), so what counts is the mode read back.
    const bool network = onNetworkFileSystem();
    QString mode, error;
    {
        QSqlQuery q(db);
        q.exec(network ? QStringLiteral("PRAGMA journal_mode=DELETE") : QStringLiteral("PRAGMA journal_mode=WAL"));
        q.finish();
        if (q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next())
            mode = q.value(0).toString().toLower();
        else
            error = q.lastError().text();
        q.finish();
        // Every operation commits once, so a flush per commit is cheap and a power
        // cut cannot undo what the user saw written.
        q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    }
    if (mode.isEmpty())
        fail(error);
    if (network && mode == QLatin1String("wal"))
        fail(kShareInWalMessage.arg(QDir::toNativeSeparators(path)));
}

void Database::openPostgres()
{
    const QString where = QStringLiteral("Connecting to the %1 database on %2:%3")
                              .arg(m_remoteDatabase, m_session->remoteAddress())
                              .arg(m_session->remotePort());
    m_connectionName = uniqueConnectionName(m_name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    db.setHostName(m_session->remoteAddress());
    db.setPort(m_session->remotePort());
    db.setDatabaseName(m_remoteDatabase);
    db.setUserName(m_session->remoteUser());
    db.setPassword(m_session->remotePassword());
    const bool internet = m_session->remoteType() == RemoteType::Internet;
    db.setConnectOptions(QStringLiteral("connect_timeout=10;sslmode=%1").arg(internet ? QStringLiteral("require") : QStringLiteral("prefer")));
    if (!db.open()) {
        const QString text = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw DbError(where, text);
    }
    QSqlQuery q(db);
    auto run = [&](const QString &sql) {
        if (!q.exec(sql)) {
            const QString text = q.lastError().text();
            q = QSqlQuery();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            throw DbError(where, text, sql);
        }
    };
    run(QStringLiteral("SET client_min_messages TO warning"));
    run(QStringLiteral("SET lock_timeout = %1").arg(m_session->lockTimeoutMs()));
    if (!m_schema.isEmpty())
        run(QStringLiteral("SET search_path TO %1").arg(quoteIdent(m_schema)));
    m_connected = true;
    try {
        checkRequiredTables();
    } catch (...) {
        m_connected = false;
        q = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
    m_connected = false;
}

void Database::checkRequiredTables()
{
    for (const QString &table : std::as_const(m_requiredTables)) {
        if (!tableExists(table))
            throw DbError(QStringLiteral("Checking the %1 database").arg(m_name),
                          QStringLiteral("The table %1 is missing from the %2 database.").arg(table, m_name));
    }
}

void Database::disconnect()
{
    if (m_connectionName.isEmpty())
        return;
    releaseRetired();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
    m_connected = false;
}

void Database::retire(std::unique_ptr<QSqlQuery> statement)
{
    if (!statement)
        return;
    if (m_txnDepth == 0 || !m_connected || backend() != Backend::PostgreSQL)
        return;
    m_retired.push_back(std::move(statement));
    // A long unit (a loop of posts) must not pile statements up on the server:
    // now and then ask whether the transaction still runs, and if it does,
    // drop them now.
    if (m_retired.size() >= 64) {
        QSqlQuery probe(connection());
        if (probe.exec(QStringLiteral("SELECT 1")))
            releaseRetired();
    }
}

void Database::releaseRetired()
{
    m_retired.clear();
}

ScopedStatement::ScopedStatement(Database &db)
    : m_db(db)
    , m_stmt(std::make_unique<QSqlQuery>(db.connection()))
{
}

ScopedStatement::~ScopedStatement()
{
    m_db.retire(std::move(m_stmt));
}

void Database::execute(const QString &sql)
{
    QSqlQuery q(connection());
    const QString text = translate(sql);
    if (!q.exec(text))
        throw DbError(QStringLiteral("Running a statement on the %1 database").arg(m_name), q.lastError().text(), text);
}

bool Database::tableExists(const QString &table) const
{
    QSqlQuery q(connection());
    if (backend() == Backend::SQLite) {
        q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :name COLLATE NOCASE"));
        q.bindValue(QStringLiteral(":name"), table);
    } else {
        q.prepare(QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() AND lower(table_name) = lower(:name)"));
        q.bindValue(QStringLiteral(":name"), table);
    }
    if (!q.exec())
        throw DbError(QStringLiteral("Looking for the table %1").arg(table), q.lastError().text());
    return q.next();
}

bool Database::indexExists(const QString &index) const
{
    QSqlQuery q(connection());
    if (backend() == Backend::SQLite)
        q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = :name COLLATE NOCASE"));
    else
        q.prepare(QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = current_schema() AND lower(indexname) = lower(:name)"));
    q.bindValue(QStringLiteral(":name"), index);
    if (!q.exec())
        throw DbError(QStringLiteral("Looking for the index %1").arg(index), q.lastError().text());
    return q.next();
}

} // namespace kv
