#pragma once

#include "data/engine/sql_backend.h"

struct sqlite3;

namespace kv {

// File-server mode: one SQLite file in the data location, through Qt's driver.
class SqliteBackend : public SqlBackend
{
public:
    Backend kind() const override { return Backend::SQLite; }
    const DialectTraits &dialect() const override;
    const SchemaTypes &schemaTypes() const override;
    void open(Database &db) const override;
    // IMMEDIATE takes the write lock now, under the session's lock wait, so
    // two writers never deadlock upgrading a read lock.
    QString beginTransactionSql() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    // A local file has no answer to lose: a COMMIT that fails did not commit.
    CommitOutcome commitOutcome(const Database &, const TransactionTicket &) const override { return CommitOutcome::Aborted; }
    // The unit holds the write lock already: no reader can change the row.
    QString rowLockSuffix() const override { return QString(); }
    bool foldsNames() const override { return false; }
    bool paysRoundTrips() const override { return false; }
    QString catalogueSql() const override;
    QString tableExistsSql() const override;
    QString indexExistsSql() const override;
    FieldType columnType(QSqlQuery &result, int column) const override;
    QString returningClause(const QString &) const override { return QString(); }
    QVariant insertedKey(QSqlQuery &insert, const QSqlDatabase &connection) const override;
    std::unique_ptr<ProgressWatch> watchProgress(const QSqlDatabase &connection, Session &session) const override;
    void flush(const QSqlDatabase &connection) const override;
    QVariant driverValue(const QVariant &bindable) const override;
    // Both through SQLite's own interface: in place of Qt SQL's values and
    // binding by name, which cost more than the statement itself.
    void streamRows(Query &query, const std::function<void(const QVector<Field> &)> &onFields,
                    const std::function<void(const StreamRow &)> &onRow) const override;
    std::unique_ptr<RowInsert> prepareRowInsert(Database &db, Query &insert, const QString &text) const override;
    std::unique_ptr<BulkLoad> prepareBulkLoad(Database &db, const QString &text, const QStringList &columns) const override;

protected:
    QVariant bindBoolean(bool v) const override { return v ? 1 : 0; }
    QVariant bindDate(const QDate &d) const override;

public:
    // SQLite's own handle of the connection; null for another driver's. Only
    // for this backend's own row loops.
    static sqlite3 *nativeHandle(const QSqlDatabase &connection);
};

// A text as handed to SQLite's UTF-16 interface. SQLite takes a leading U+FEFF
// for a byte-order mark and drops it, and a leading U+FFFE for the mark of the
// other byte order (reading the rest with its bytes swapped); a mark of our
// own in front is what it takes off instead.
QString sqliteText16(const QString &text);

} // namespace kv
