// SqliteBackend's row loops: streaming a result and inserting row by row,
// both on a statement of SQLite's own interface.

#include "data/engine/sqlite_backend.h"

#include "data/engine/bulk_load.h"
#include "data/engine/database.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/row_stream.h"
#include "data/engine/sql_dates.h"
#include "data/engine/sqlite_statement.h"

#include <sqlite3.h>

namespace kv {

namespace {

class SqliteRow : public StreamRow
{
public:
    sqlite3_stmt *s = nullptr;
    const QVector<Field> *fields = nullptr;

    bool isNull(int c) const override { return sqlite3_column_type(s, c) == SQLITE_NULL; }
    qint64 integer(int c) const override { return sqlite3_column_int64(s, c); }
    bool boolean(int c) const override
    {
        if (sqlite3_column_type(s, c) == SQLITE_TEXT) {
            const QString t = text(c).trimmed().toString().toLower();
            return t == QLatin1String("1") || t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("y");
        }
        return sqlite3_column_int64(s, c) != 0;
    }
    QStringView text(int c) const override
    {
        const void *p = sqlite3_column_text16(s, c);
        if (!p)
            return QStringView();
        return QStringView(static_cast<const char16_t *>(p), sqlite3_column_bytes16(s, c) / 2);
    }
    QVariant value(int c) const override
    {
        if (isNull(c))
            return QVariant();
        switch ((*fields)[c].type) {
        case FieldType::Integer: return QVariant(integer(c));
        case FieldType::Boolean: return QVariant(boolean(c));
        case FieldType::Float: return QVariant(sqlite3_column_double(s, c));
        case FieldType::Date: return QVariant(QDate::fromString(text(c).left(10).toString(), Qt::ISODate));
        case FieldType::DateTime: {
            QString t = text(c).toString();
            t.replace(QLatin1Char(' '), QLatin1Char('T'));
            return QVariant(QDateTime::fromString(t, Qt::ISODate));
        }
        default: break;
        }
        switch (sqlite3_column_type(s, c)) {
        case SQLITE_INTEGER: return QVariant(integer(c));
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(s, c));
        default: return QVariant(text(c).toString());
        }
    }
};

class SqliteRowInsert : public RowInsert
{
public:
    SqliteRowInsert(sqlite3 *handle, Query &insert, const QString &text)
        : m_stmt(handle, insert, text, "Preparing a statement")
    {
    }
    void run() override { m_stmt.run(); }
    qint64 lastKey() const override { return sqlite3_last_insert_rowid(m_stmt.handle()); }

private:
    SqliteStatement m_stmt;
};

// Each column's value bound at the position its name holds, found once.
class SqliteBulkLoad : public BulkLoad
{
public:
    SqliteBulkLoad(sqlite3 *handle, const QString &text, const QStringList &columns)
        : m_handle(handle)
    {
        m_text = text;
        if (sqlite3_prepare16_v2(m_handle, m_text.utf16(), int(m_text.size() * 2), &m_stmt, nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_handle));
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            return;
        }
        for (const QString &c : columns)
            m_positions.push_back(sqlite3_bind_parameter_index(m_stmt, (QLatin1Char(':') + c).toUtf8().constData()));
    }
    ~SqliteBulkLoad() override { sqlite3_finalize(m_stmt); }

    void bind(int column, const QVariant &v) override
    {
        const int at = m_positions[size_t(column)];
        if (!m_stmt || at <= 0)
            return;
        if (!v.isValid()) {
            sqlite3_bind_null(m_stmt, at);
            return;
        }
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool: sqlite3_bind_int64(m_stmt, at, v.toLongLong()); break;
        case QMetaType::Double: sqlite3_bind_double(m_stmt, at, v.toDouble()); break;
        default: {
            const QString s = sqliteText16(v.toString());
            sqlite3_bind_text16(m_stmt, at, s.utf16(), int(s.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
            break;
        }
        }
    }

    bool run() override
    {
        if (!m_stmt)
            return false;
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        if (rc == SQLITE_DONE)
            return true;
        m_error = QString::fromUtf8(sqlite3_errmsg(m_handle));
        return false;
    }

    QVariant lastKey() override { return qint64(sqlite3_last_insert_rowid(m_handle)); }

private:
    sqlite3 *m_handle;
    sqlite3_stmt *m_stmt = nullptr;
    std::vector<int> m_positions; // by column
};

sqlite3 *handleOrFail(sqlite3 *h, const Query &query, const QString &text)
{
    if (!h)
        throw DbError(QStringLiteral("Preparing a statement (%1)").arg(query.objectName()), QStringLiteral("No SQLite connection."), text);
    return h;
}

} // namespace

void SqliteBackend::streamRows(Query &query, const std::function<void(const QVector<Field> &)> &onFields,
                               const std::function<void(const StreamRow &)> &onRow) const
{
    Database &db = *query.database();
    const QString sql = db.translate(query.sqlText());
    SqliteStatement stmt(handleOrFail(nativeHandle(db.connection()), query, sql), query, sql, "Preparing a statement");
    stmt.bind();
    sqlite3_stmt *s = stmt.get();
    QVector<Field> fields(sqlite3_column_count(s));
    for (int c = 0; c < fields.size(); ++c) {
        fields[c].name = QString::fromUtf8(sqlite3_column_name(s, c));
        fields[c].type = fieldTypeFromDeclared(sqlite3_column_decltype(s, c));
    }
    onFields(fields);
    SqliteRow row;
    row.s = s;
    row.fields = &fields;
    while (stmt.step("Opening"))
        onRow(row);
}

std::unique_ptr<RowInsert> SqliteBackend::prepareRowInsert(Database &db, Query &insert, const QString &text) const
{
    return std::make_unique<SqliteRowInsert>(handleOrFail(nativeHandle(db.connection()), insert, text), insert, text);
}

std::unique_ptr<BulkLoad> SqliteBackend::prepareBulkLoad(Database &db, const QString &text, const QStringList &columns) const
{
    sqlite3 *h = nativeHandle(db.connection());
    return h ? std::make_unique<SqliteBulkLoad>(h, text, columns) : nullptr;
}

} // namespace kv
