#include "data/engine/postgres_backend.h"

#include "data/engine/database.h"
#include "data/engine/db_error.h"
#include "data/engine/pg_driver.h"
#include "data/engine/query.h"
#include "data/engine/session.h"
#include "data/trace.h"
#include "data/translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kv {

const QString PostgresBackend::kUnverifiedServerMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "PostgresBackend",
    "The server at %1 could not prove that it is the database server: its certificate does not verify against the "
    "root certificate %2. The connection was refused.\n\n%3"));
const QString PostgresBackend::kNoTlsMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "PostgresBackend",
    "The server at %1 offers no TLS, and \"Internet\" talks to a server only over TLS. The connection was refused.\n\n%2"));
const QString PostgresBackend::kMissingRootCertificateMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "PostgresBackend",
    "The root certificate %1, which \"Internet\" verifies the server against, does not exist. The connection was "
    "refused: without it the server cannot be told from one that merely poses as it."));

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

// Where "Internet" was told to find its root certificate, or empty.
QString configuredRootCertificate(const Session &session)
{
    const QString path = session.rootCertificate();
    return path.isEmpty() ? qEnvironmentVariable("PGSSLROOTCERT") : path;
}

bool offersNoTls(const QString &error)
{
    return error.contains(QLatin1String("does not support SSL"), Qt::CaseInsensitive);
}

} // namespace

QString PostgresBackend::rootCertificateFor(const Session &session)
{
    const QString configured = configuredRootCertificate(session);
    if (!configured.isEmpty())
        return configured;
#ifdef Q_OS_WIN
    const QString path = QDir(qEnvironmentVariable("APPDATA")).filePath(QStringLiteral("postgresql/root.crt"));
#else
    const QString path = QDir::home().filePath(QStringLiteral(".postgresql/root.crt"));
#endif
    return QFileInfo(path).isFile() ? path : QString();
}

void PostgresBackend::open(Database &d) const
{
    PgDriver::registerDriver();
    const Session &session = *d.session();
    const QString where = shown("PostgresBackend", "Connecting to the %1 database on %2:%3")
                              .arg(d.remoteDatabase(), session.remoteAddress())
                              .arg(session.remotePort());
    // "Internet" must not talk to a machine that merely poses as the server:
    // with a root certificate it verifies the server's certificate and name.
    // A root certificate that was asked for and is missing is no reason to
    // go on unverified.
    const bool internet = session.remoteType() == RemoteType::Internet;
    const QString root = internet ? rootCertificateFor(session) : QString();
    if (!root.isEmpty() && !QFileInfo(root).isFile())
        throw DbError(where, shown("PostgresBackend", kMissingRootCertificateMessage).arg(QDir::toNativeSeparators(root)));

    // The settings travel with the start-up message: no statement of their own.
    QStringList settings = {optionWord(QStringLiteral("client_min_messages"), QStringLiteral("warning")),
                            optionWord(QStringLiteral("lock_timeout"), QString::number(session.lockTimeoutMs())),
                            optionWord(QStringLiteral("datestyle"), QStringLiteral("ISO"))};
    if (!d.schema().isEmpty())
        settings << optionWord(QStringLiteral("search_path"), quoteIdent(d.schema()));
    // Each a keyword and its value, as libpq takes them: no value is read as
    // more options, whatever characters it holds.
    PgDriver::Parameters parameters = {{"connect_timeout", "10"}, {"options", settings.join(QLatin1Char(' ')).toUtf8()}};
    if (!root.isEmpty()) {
        parameters.push_back({"sslmode", "verify-full"});
        parameters.push_back({"sslrootcert", QFile::encodeName(root)});
    } else {
        parameters.push_back({"sslmode", internet ? "require" : "prefer"});
    }

    const QString name = d.claimConnectionName();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(PgDriver::kName, name);
        db.setHostName(session.remoteAddress());
        db.setPort(session.remotePort());
        db.setDatabaseName(d.remoteDatabase());
        db.setUserName(session.remoteUser());
        db.setPassword(session.remotePassword());
        if (auto *driver = qobject_cast<PgDriver *>(db.driver()))
            driver->setParameters(parameters);
        if (!db.open())
            error = db.lastError().text();
    }
    if (!error.isEmpty()) {
        d.dropConnection();
        if (internet && offersNoTls(error))
            throw DbError(where, shown("PostgresBackend", kNoTlsMessage).arg(session.remoteAddress(), error));
        const bool unverified = !root.isEmpty() && (error.contains(QLatin1String("certificate"), Qt::CaseInsensitive)
                                                    || error.contains(QLatin1String("SSL")));
        throw DbError(where, unverified ? shown("PostgresBackend", kUnverifiedServerMessage)
                                              .arg(session.remoteAddress(), QDir::toNativeSeparators(root), error)
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

CommitOutcome PostgresBackend::commitOutcome(const Database &d, const TransactionTicket &ticket) const
{
    if (ticket.isEmpty())
        return CommitOutcome::Unknown;
    Database probe(d.databaseName() + QStringLiteral("Outcome"));
    probe.setSession(d.session());
    probe.setRemoteDatabase(d.remoteDatabase());
    auto ask = [&](const QString &sql, const QVariantMap &values) {
        QSqlQuery q(probe.connection());
        q.prepare(sql);
        for (auto it = values.begin(); it != values.end(); ++it)
            q.bindValue(it.key(), it.value());
        if (!q.exec())
            throw DbError(QStringLiteral("Asking how a commit ended"), q.lastError().text(), sql);
        return q.next() ? q.value(0) : QVariant();
    };
    try {
        probe.connect();
        const QVariantMap xid{{QStringLiteral(":xid"), ticket.id}};
        const QString statusSql = QStringLiteral("SELECT pg_xact_status(CAST(:xid AS xid8))");
        QString status = ask(statusSql, xid).toString();
        if (status == QLatin1String("in progress")) {
            // The server has not noticed yet that the connection is gone (a
            // broken link can stay unnoticed for hours), and the transaction
            // holds its locks meanwhile. It is ours: ending its process makes
            // the answer final, committed or not.
            ask(QStringLiteral("SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity "
                               "WHERE pid = :pid AND backend_xid = xid(CAST(:xid AS xid8))"),
                {{QStringLiteral(":pid"), ticket.serverProcess}, {QStringLiteral(":xid"), ticket.id}});
            status = ask(statusSql, xid).toString();
        }
        Trace::value(QStringLiteral("Transaction %1 after a lost COMMIT").arg(ticket.id), status);
        if (status == QLatin1String("committed"))
            return CommitOutcome::Committed;
        if (status == QLatin1String("aborted"))
            return CommitOutcome::Aborted;
    } catch (const Error &e) {
        // Decides: a server that cannot be asked leaves the outcome unknown.
        Trace::message(e.text());
    }
    return CommitOutcome::Unknown;
}

QString PostgresBackend::catalogueSql() const
{
    // The schema's name quoted again: read bare, one that needs quotes (a
    // capital, a blank, a semicolon) is not found or not even parsed.
    return QStringLiteral(
        "SELECT CASE WHEN c.relkind = 'i' THEN 'index' ELSE 'table' END, lower(c.relname) FROM pg_class c "
        "WHERE c.relnamespace = quote_ident(current_schema())::regnamespace AND c.relkind IN ('r', 'p', 'v', 'm', 'f', 'i') "
        "UNION ALL SELECT 'collation', lower(collname) FROM pg_collation WHERE collnamespace = quote_ident(current_schema())::regnamespace");
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

void PostgresBackend::sendAhead(const Database &d, const QSqlQuery &statement) const
{
    if (auto *driver = qobject_cast<PgDriver *>(d.connection().driver()))
        driver->sendAlong(statement);
}

QVariant PostgresBackend::insertedKey(QSqlQuery &insert, const QSqlDatabase &) const
{
    return insert.next() ? insert.value(0) : QVariant();
}

} // namespace kv
