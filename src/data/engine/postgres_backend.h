#pragma once

#include "data/engine/sql_backend.h"

#include <QDate>

namespace kv {

// Client-server mode: a PostgreSQL server through our own libpq driver, one
// round trip per statement.
class PostgresBackend : public SqlBackend
{
public:
    // Shown when "Internet" cannot prove the server is the one it claims to be.
    static const QString kUnverifiedServerMessage;
    // Shown when "Internet" finds a server that does not speak TLS at all.
    static const QString kNoTlsMessage;
    // Shown, before anything is sent, when the configured root certificate is missing.
    static const QString kMissingRootCertificateMessage;

    Backend kind() const override { return Backend::PostgreSQL; }
    const DialectTraits &dialect() const override;
    const SchemaTypes &schemaTypes() const override;
    void ensureCaseBlindCollation(Database &db) const override;
    void open(Database &db) const override;
    // lock_timeout travels with the connection's start-up; the id and the
    // process come back in BEGIN's own round trip.
    QString beginTransactionSql() const override
    {
        return QStringLiteral("BEGIN; SELECT pg_current_xact_id()::text, pg_backend_pid()");
    }
    CommitOutcome commitOutcome(const Database &db, const TransactionTicket &ticket) const override;
    QString rowLockSuffix() const override { return QStringLiteral(" for update"); }
    bool foldsNames() const override { return true; }
    bool paysRoundTrips() const override { return true; }
    QString catalogueSql() const override;
    QString tableExistsSql() const override;
    QString indexExistsSql() const override;
    FieldType columnType(QSqlQuery &result, int column) const override;
    QString returningClause(const QString &keyColumn) const override { return QStringLiteral(" RETURNING ") + keyColumn; }
    QVariant insertedKey(QSqlQuery &insert, const QSqlDatabase &) const override;
    void sendAhead(const Database &db, const QSqlQuery &statement) const override;
    // The server reports nothing while a statement runs; the callers show 0 and 100.
    std::unique_ptr<ProgressWatch> watchProgress(const QSqlDatabase &, Session &) const override { return nullptr; }
    // A committed transaction is on the server's disk already.
    void flush(const QSqlDatabase &) const override {}

    // The root certificate "Internet" verifies the server against, or empty
    // when none is configured and none lies in libpq's own place (then the
    // link is encrypted but not verified). A configured one (the session's,
    // else PGSSLROOTCERT) is answered whether it exists or not.
    static QString rootCertificateFor(const Session &session);

protected:
    QVariant bindBoolean(bool v) const override { return v; }
    QVariant bindDate(const QDate &d) const override { return d; }
};

} // namespace kv
