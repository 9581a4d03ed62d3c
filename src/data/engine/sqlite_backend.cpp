#include "data/engine/sqlite_backend.h"

#include "data/engine/database.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/session.h"
#include "data/engine/sql_dates.h"
#include "data/translate.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QUrl>

#include <sqlite3.h>

namespace kv {

namespace {

thread_local Session *t_progressSession = nullptr;
thread_local int t_progressCalls = 0;
thread_local int t_progressLast = -1;

int sqliteProgress(void *)
{
    // We cannot know how much work a statement has left, so the reported
    // share approaches 100 and reaches it only when the statement is done.
    if (!t_progressSession)
        return 0;
    ++t_progressCalls;
    const int steps = qMax(1, t_progressSession->progressSteps());
    const double share = 1.0 - 1.0 / (1.0 + t_progressCalls / 40.0);
    int step = int(share * steps);
    if (step >= steps)
        step = steps - 1;
    const int percent = step * 100 / steps;
    if (percent != t_progressLast) {
        t_progressLast = percent;
        t_progressSession->reportProgress(percent);
    }
    return 0;
}

class SqliteProgressWatch : public SqlBackend::ProgressWatch
{
public:
    SqliteProgressWatch(sqlite3 *handle, Session &session)
        : m_handle(handle)
    {
        t_progressSession = &session;
        t_progressCalls = 0;
        t_progressLast = 0;
        sqlite3_progress_handler(m_handle, 1000, &sqliteProgress, nullptr);
    }
    ~SqliteProgressWatch() override
    {
        sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
        t_progressSession = nullptr;
    }

private:
    sqlite3 *m_handle;
};

} // namespace

const DialectTraits &SqliteBackend::dialect() const
{
    static const DialectTraits traits{QStringLiteral("NOCASE"), {}, true};
    return traits;
}

const SchemaTypes &SqliteBackend::schemaTypes() const
{
    static const SchemaTypes types{QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT"), QStringLiteral("DATETIME"),
                                   QStringLiteral("REAL")};
    return types;
}

void SqliteBackend::open(Database &d) const
{
    const QString path = d.filePath();
    const QString where = shown("SqliteBackend", "Opening the %1 database at %2").arg(d.databaseName(), QDir::toNativeSeparators(path));
    if (d.directory().isEmpty())
        throw DbError(where, shown("SqliteBackend", "No directory is set for the database."));
    const QFileInfo dirInfo(d.directory());
    if (!dirInfo.isDir())
        throw DbError(where, shown("SqliteBackend", "The directory %1 does not exist.").arg(QDir::toNativeSeparators(d.directory())));
    const QFileInfo fileInfo(path);
    if (fileInfo.exists() && !fileInfo.isFile())
        throw DbError(where, shown("SqliteBackend", "%1 is not a database file.").arg(QDir::toNativeSeparators(path)));
    if (!fileInfo.exists() && !d.m_createIfMissing)
        throw DbError(where, shown("SqliteBackend", "The database file %1 does not exist.").arg(QDir::toNativeSeparators(path)));

    const QString name = d.claimConnectionName();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // The URI form lets us refuse to create a file that is not there.
        QString uri = QUrl::fromLocalFile(fileInfo.absoluteFilePath()).toString(QUrl::FullyEncoded);
        uri += d.m_createIfMissing ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw");
        db.setDatabaseName(uri);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(d.session()->lockTimeoutMs()));
        if (!db.open())
            error = db.lastError().text();
    }
    auto fail = [&](const QString &text) {
        d.dropConnection();
        throw DbError(where, text);
    };
    if (!error.isEmpty())
        fail(error);
    try {
        // Reading the schema is what tells a corrupt or foreign file apart.
        d.readCatalogue();
        d.checkRequiredTables();
    } catch (const DbError &e) {
        fail(e.driverText());
    }
    // WAL needs shared memory on one host; a network share keeps the rollback journal.
    // SQLite keeps the mode it runs when it cannot switch (another connection
    // holds the file in WAL), so what counts is the mode read back.
    const bool network = d.onNetworkFileSystem();
    QString mode;
    {
        QSqlQuery q(d.connection());
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
        fail(shown("Database", Database::kShareInWalMessage).arg(QDir::toNativeSeparators(path)));
}

QString SqliteBackend::catalogueSql() const
{
    return QStringLiteral("SELECT CASE type WHEN 'index' THEN 'index' ELSE 'table' END, lower(name) FROM sqlite_master "
                          "WHERE type IN ('table', 'view', 'index')");
}

QString SqliteBackend::tableExistsSql() const
{
    return QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :name COLLATE NOCASE");
}

QString SqliteBackend::indexExistsSql() const
{
    return QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = :name COLLATE NOCASE");
}

FieldType SqliteBackend::columnType(QSqlQuery &result, int column) const
{
    // The declared type of the column the value comes from.
    const QVariant h = result.result()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
        return FieldType::Unknown;
    sqlite3_stmt *stmt = *static_cast<sqlite3_stmt *const *>(h.constData());
    return stmt ? fieldTypeFromDeclared(sqlite3_column_decltype(stmt, column)) : FieldType::Unknown;
}

QVariant SqliteBackend::insertedKey(QSqlQuery &insert, const QSqlDatabase &connection) const
{
    // The statement of this connection that just ran is ours; its key is
    // the connection's last row id, read without a statement of its own.
    if (sqlite3 *h = nativeHandle(connection))
        return qint64(sqlite3_last_insert_rowid(h));
    return insert.lastInsertId();
}

std::unique_ptr<SqlBackend::ProgressWatch> SqliteBackend::watchProgress(const QSqlDatabase &connection, Session &session) const
{
    sqlite3 *h = nativeHandle(connection);
    return h ? std::make_unique<SqliteProgressWatch>(h, session) : nullptr;
}

void SqliteBackend::flush(const QSqlDatabase &connection) const
{
    // Every write is already committed; push the write-ahead log into the
    // file as well so that it is on disk at once.
    QSqlQuery q(connection);
    q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

sqlite3 *SqliteBackend::nativeHandle(const QSqlDatabase &connection)
{
    const QVariant h = connection.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(h.constData());
    return nullptr;
}

QString sqliteText16(const QString &text)
{
    if (!text.isEmpty() && (text.front().unicode() == 0xFEFF || text.front().unicode() == 0xFFFE))
        return QChar(0xFEFF) + text;
    return text;
}

QVariant SqliteBackend::driverValue(const QVariant &bindable) const
{
    // Qt's driver binds every text through SQLite's UTF-16 interface.
    if (bindable.typeId() == QMetaType::QString)
        return sqliteText16(bindable.toString());
    return bindable;
}

QVariant SqliteBackend::bindDate(const QDate &d) const
{
    return sqlDateText(d);
}

} // namespace kv
