#include "data/engine/sql_backend.h"

#include "data/engine/query.h"
#include "data/engine/session.h"
#include "data/engine/sql_dates.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

#include <sqlite3.h>

namespace kv {

QVariant SqlBackend::bindable(const QVariant &v, FieldType type) const
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (type) {
    case FieldType::Integer: return v.toLongLong();
    case FieldType::Text: {
        const QString s = v.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Boolean: return bindBoolean(v.toBool());
    case FieldType::Date: {
        const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
        return d.isValid() ? bindDate(d) : QVariant();
    }
    case FieldType::DateTime: {
        const QDateTime dt = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
        if (!dt.isValid())
            return QVariant();
        // Text in both engines: PostgreSQL casts it to its timestamp without
        // moving it through a time zone.
        return QVariant(sqlDateTimeText(dt.date(), dt.time()));
    }
    case FieldType::Float: return v.toDouble();
    case FieldType::Unknown: break;
    }
    if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
        return QVariant();
    return v;
}

namespace {

// ---------------------------------------------------------------- SQLite

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

class SqliteBackend : public SqlBackend
{
public:
    Backend kind() const override { return Backend::SQLite; }

    FieldType columnType(QSqlQuery &result, int column) const override
    {
        // The declared type of the column the value comes from.
        const QVariant h = result.result()->handle();
        if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
            return FieldType::Unknown;
        sqlite3_stmt *stmt = *static_cast<sqlite3_stmt *const *>(h.constData());
        return stmt ? fieldTypeFromDeclared(sqlite3_column_decltype(stmt, column)) : FieldType::Unknown;
    }

    QString returningClause(const QString &) const override { return QString(); }

    QVariant insertedKey(QSqlQuery &insert, const QSqlDatabase &connection) const override
    {
        // The statement of this connection that just ran is ours; its key is
        // the connection's last row id, read without a statement of its own.
        if (sqlite3 *h = nativeHandle(connection))
            return qint64(sqlite3_last_insert_rowid(h));
        return insert.lastInsertId();
    }

    std::unique_ptr<ProgressWatch> watchProgress(const QSqlDatabase &connection, Session &session) const override
    {
        sqlite3 *h = nativeHandle(connection);
        return h ? std::make_unique<SqliteProgressWatch>(h, session) : nullptr;
    }

    void flush(const QSqlDatabase &connection) const override
    {
        // Every write is already committed; push the write-ahead log into the
        // file as well so that it is on disk at once.
        QSqlQuery q(connection);
        q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }

    sqlite3 *nativeHandle(const QSqlDatabase &connection) const override
    {
        const QVariant h = connection.driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            return *static_cast<sqlite3 *const *>(h.constData());
        return nullptr;
    }

protected:
    QVariant bindBoolean(bool v) const override { return v ? 1 : 0; }
    QVariant bindDate(const QDate &d) const override { return sqlDateText(d); }
};

// ---------------------------------------------------------------- PostgreSQL

class PostgresBackend : public SqlBackend
{
public:
    Backend kind() const override { return Backend::PostgreSQL; }

    FieldType columnType(QSqlQuery &result, int column) const override
    {
        return fieldTypeFromMeta(result.record().field(column).metaType().id());
    }

    QString returningClause(const QString &keyColumn) const override { return QStringLiteral(" RETURNING ") + keyColumn; }

    QVariant insertedKey(QSqlQuery &insert, const QSqlDatabase &) const override
    {
        return insert.next() ? insert.value(0) : QVariant();
    }

    // The server reports nothing while a statement runs; the callers show 0 and 100.
    std::unique_ptr<ProgressWatch> watchProgress(const QSqlDatabase &, Session &) const override { return nullptr; }

    // A committed transaction is on the server's disk already.
    void flush(const QSqlDatabase &) const override {}

    sqlite3 *nativeHandle(const QSqlDatabase &) const override { return nullptr; }

protected:
    QVariant bindBoolean(bool v) const override { return v; }
    QVariant bindDate(const QDate &d) const override { return d; }
};

} // namespace

std::unique_ptr<SqlBackend> SqlBackend::make(Backend kind)
{
    if (kind == Backend::PostgreSQL)
        return std::make_unique<PostgresBackend>();
    return std::make_unique<SqliteBackend>();
}

} // namespace kv
