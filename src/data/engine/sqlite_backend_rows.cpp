// SqliteBackend's row loops: streaming a result and inserting row by row,
// both on a statement of SQLite's own interface.

#include "data/engine/sqlite_backend.h"

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

} // namespace kv
