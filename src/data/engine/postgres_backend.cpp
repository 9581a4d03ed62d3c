#include "data/engine/postgres_backend.h"

#include "data/engine/database.h"
#include "data/engine/db_error.h"
#include "data/engine/pg_driver.h"
#include "data/engine/query.h"
#include "data/engine/session.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kv {

const QString PostgresBackend::kUnverifiedServerMessage = QStringLiteral(
    "The server at %1 could not prove that it is the database server: its certificate does not verify against the "
    "root certificate %2. The connection was refused.\n\n%3");

namespace {

// The server reads "options" as command-line words; a space or backslash
// inside a value is escaped.
QString optionWord(const QString &setting, const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char(' '), QStringLiteral("\\ "));
    return QStringLiteral("-c %1=%2").arg(setting, v);
}

QString quoteIdent(const QString &s)
{
    QString q = s;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

QString PostgresBackend::rootCertificateFor(const Session &session)
{
    QString path = session.rootCertificate();
    if (path.isEmpty())
        path = qEnvironmentVariable("PGSSLROOTCERT");
    if (path.isEmpty()) {
#ifdef Q_OS_WIN
        path = QDir(qEnvironmentVariable("APPDATA")).filePath(QStringLiteral("postgresql/root.crt"));
#else
        path = QDir::home().filePath(QStringLiteral(".postgresql/root.crt"));
#endif
    }
    return QFileInfo(path).isFile() ? path : QString();
}

void PostgresBackend::open(Database &d) const
{
    PgDriver::registerDriver();
    const Session &session = *d.session();
    const QString where = QStringLiteral("Connecting to the %1 database on %2:%3")
                              .arg(d.remoteDatabase(), session.remoteAddress())
                              .arg(session.remotePort());
    // The settings travel with the start-up message: no statement of their own.
    QStringList settings = {optionWord(QStringLiteral("client_min_messages"), QStringLiteral("warning")),
                            optionWord(QStringLiteral("lock_timeout"), QString::number(session.lockTimeoutMs())),
                            optionWord(QStringLiteral("datestyle"), QStringLiteral("ISO"))};
    if (!d.schema().isEmpty())
        settings << optionWord(QStringLiteral("search_path"), quoteIdent(d.schema()));
    // "Internet" must not talk to a machine that merely poses as the server:
    // with a root certificate it verifies the server's certificate and name.
    const bool internet = session.remoteType() == RemoteType::Internet;
    const QString root = internet ? rootCertificateFor(session) : QString();
    QStringList options = {QStringLiteral("connect_timeout=10"), QStringLiteral("options=") + settings.join(QLatin1Char(' '))};
    if (!root.isEmpty())
        options << QStringLiteral("sslmode=verify-full") << QStringLiteral("sslrootcert=") + root;
    else
        options << (internet ? QStringLiteral("sslmode=require") : QStringLiteral("sslmode=prefer"));

    const QString name = d.claimConnectionName();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(PgDriver::kName, name);
        db.setHostName(session.remoteAddress());
        db.setPort(session.remotePort());
        db.setDatabaseName(d.remoteDatabase());
        db.setUserName(session.remoteUser());
        db.setPassword(session.remotePassword());
        db.setConnectOptions(options.join(QLatin1Char(';')));
        if (!db.open())
            error = db.lastError().text();
    }
    if (!error.isEmpty()) {
        d.dropConnection();
        const bool unverified = !root.isEmpty() && (error.contains(QLatin1String("certificate"), Qt::CaseInsensitive)
                                                    || error.contains(QLatin1String("SSL")));
        throw DbError(where, unverified ? kUnverifiedServerMessage.arg(session.remoteAddress(), QDir::toNativeSeparators(root), error)
                                        : error);
    }
    try {
        d.readCatalogue();
        d.checkRequiredTables();
    } catch (...) {
        d.dropConnection();
        throw;
    }
}

QString PostgresBackend::catalogueSql() const
{
    return QStringLiteral(
        "SELECT CASE WHEN c.relkind = 'i' THEN 'index' ELSE 'table' END, lower(c.relname) FROM pg_class c "
        "WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind IN ('r', 'p', 'v', 'm', 'f', 'i') "
        "UNION ALL SELECT 'collation', lower(collname) FROM pg_collation WHERE collnamespace = current_schema()::regnamespace");
}

QString PostgresBackend::tableExistsSql() const
{
    return QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() AND "
                          "lower(table_name) = lower(:name)");
}

QString PostgresBackend::indexExistsSql() const
{
    return QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = current_schema() AND lower(indexname) = lower(:name)");
}

FieldType PostgresBackend::columnType(QSqlQuery &result, int column) const
{
    return fieldTypeFromMeta(result.record().field(column).metaType().id());
}

QVariant PostgresBackend::insertedKey(QSqlQuery &insert, const QSqlDatabase &) const
{
    return insert.next() ? insert.value(0) : QVariant();
}

} // namespace kv
