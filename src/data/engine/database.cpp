#include "data/engine/database.h"

#include "data/engine/db_error.h"
#include "data/engine/pg_driver.h"
#include "data/engine/query.h"
#include "data/trace.h"
#include "data/engine/write_guard.h"
#include "data/translate.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QUrl>
#include <QVariant>

#include <atomic>
#include <utility>

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

const QString Database::kShareInWalMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "Database",
    "The database file %1 is on a network share, and another workstation has it open in WAL mode, which "
    "SQLite cannot use safely over a network. Nothing was written.\n\nClose the program on the workstation "
    "that opened this data location from its local disk (or give every workstation the same network path), "
    "then try again."));

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

void Database::connect(const QList<Query *> &firstReads)
{
    if (m_connected)
        return;
    m_firstReads.clear();
    for (Query *q : firstReads)
        m_firstReads << q;
    const auto forget = qScopeGuard([this] { m_firstReads.clear(); });
    if (!m_session)
        throw DbError(QStringLiteral("Connecting database \"%1\"").arg(m_name), QStringLiteral("The database has no session."));
    m_session->start();
    if (m_beforeConnect)
        m_beforeConnect(*this);
    engine().open(*this);
    m_connected = true;
}

void Database::notice(const QString &text) const
{
    if (m_notice)
        m_notice(text);
    else
        Trace::message(text);
}

QString Database::claimConnectionName()
{
    m_connectionName = uniqueConnectionName(m_name);
    return m_connectionName;
}

void Database::dropConnection()
{
    m_connected = false;
    m_catalogue.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
}

void Database::readCatalogue()
{
    m_catalogue.clear();
    for (const QPointer<Query> &first : std::exchange(m_firstReads, {}))
        if (first)
            first->sendAhead();
    QSqlQuery q(connection());
    const QString sql = engine().catalogueSql();
    if (!q.exec(sql))
        throw DbError(QStringLiteral("Reading the catalogue of the %1 database").arg(m_name), q.lastError().text(), sql);
    while (q.next())
        m_catalogue.insert(q.value(0).toString() + QLatin1Char(':') + q.value(1).toString().toLower());
}

bool Database::hadAtConnect(const QString &kind, const QString &name) const
{
    return m_catalogue.contains(kind + QLatin1Char(':') + name.toLower());
}

namespace {
QHash<QString, QString> &columnSpellings()
{
    static QHash<QString, QString> names;
    return names;
}
} // namespace

QString Database::columnSpelling(const QString &name)
{
    return columnSpellings().value(name.toLower(), name);
}

void Database::addColumnSpellings(const QStringList &names)
{
    for (const QString &n : names)
        columnSpellings().insert(n.toLower(), n);
}

qint64 Database::roundTrips() const
{
    const QSqlDatabase db = connection();
    if (!db.isValid() || !db.driver())
        return 0;
    const auto *pg = qobject_cast<const PgDriver *>(db.driver());
    return pg ? pg->roundTrips() : 0;
}

void Database::dropReadAhead()
{
    const QSqlDatabase db = connection();
    if (auto *pg = db.isValid() ? qobject_cast<PgDriver *>(db.driver()) : nullptr)
        pg->dropReadAhead();
}

void Database::checkRequiredTables()
{
    for (const QString &table : std::as_const(m_requiredTables)) {
        if (!hadAtConnect(QStringLiteral("table"), table))
            throw DbError(shown("Database", "Checking the %1 database").arg(m_name),
                          shown("Database", "The table %1 is missing from the %2 database.").arg(table, m_name));
    }
}

void Database::disconnect()
{
    if (m_connectionName.isEmpty())
        return;
    dropConnection();
}

void Database::retire(std::unique_ptr<QSqlQuery> statement)
{
    statement.reset();
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
    WriteGuard::checkStatement(*this, text);
    if (!q.exec(text))
        throw DbError(QStringLiteral("Running a statement on the %1 database").arg(m_name), q.lastError().text(), text);
}

bool Database::tableExists(const QString &table) const
{
    QSqlQuery q(connection());
    q.prepare(engine().tableExistsSql());
    q.bindValue(QStringLiteral(":name"), table);
    if (!q.exec())
        throw DbError(QStringLiteral("Looking for the table %1").arg(table), q.lastError().text());
    return q.next();
}

bool Database::indexExists(const QString &index) const
{
    QSqlQuery q(connection());
    q.prepare(engine().indexExistsSql());
    q.bindValue(QStringLiteral(":name"), index);
    if (!q.exec())
        throw DbError(QStringLiteral("Looking for the index %1").arg(index), q.lastError().text());
    return q.next();
}

} // namespace kv
