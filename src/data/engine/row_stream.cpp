#include "data/engine/row_stream.h"

#include "data/engine/db_error.h"
#include "data/engine/sqlite_backend.h"

#include <QSqlError>
#include <QScopeGuard>

#include <sqlite3.h>

namespace kv {

namespace {


QString driverText(sqlite3 *h)
{
    return QString::fromUtf8(sqlite3_errmsg(h));
}

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

// Values the query would have read, for backends without an in-place reader.
class VariantRow : public StreamRow
{
public:
    const Query *q = nullptr;
    int row = 0;
    mutable QVector<QString> scratch;

    bool isNull(int c) const override
    {
        const QVariant v = q->valueAt(row, c);
        return !v.isValid() || v.isNull();
    }
    qint64 integer(int c) const override { return q->valueAt(row, c).toLongLong(); }
    bool boolean(int c) const override { return q->valueAt(row, c).toBool(); }
    QStringView text(int c) const override
    {
        if (scratch.size() <= c)
            scratch.resize(c + 1);
        const QVariant v = q->valueAt(row, c);
        if (v.typeId() == QMetaType::QDate)
            scratch[c] = v.toDate().toString(Qt::ISODate);
        else if (v.typeId() == QMetaType::QDateTime)
            scratch[c] = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        else
            scratch[c] = v.toString();
        return scratch[c];
    }
    QVariant value(int c) const override { return q->valueAt(row, c); }
};

void bindSqlite(sqlite3_stmt *s, const Param &p)
{
    const QByteArray name = ':' + p.name().toUtf8();
    const int idx = sqlite3_bind_parameter_index(s, name.constData());
    if (idx == 0)
        return;
    const QVariant v = p.value();
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(s, idx);
        return;
    }
    auto bindText = [&](const QString &given) {
        const QString t = sqliteText16(given);
        if (t.isEmpty())
            sqlite3_bind_null(s, idx);
        else
            sqlite3_bind_text16(s, idx, t.utf16(), int(t.size() * 2), SQLITE_TRANSIENT);
    };
    switch (p.type()) {
    case FieldType::Integer: sqlite3_bind_int64(s, idx, v.toLongLong()); return;
    case FieldType::Boolean: sqlite3_bind_int(s, idx, v.toBool() ? 1 : 0); return;
    case FieldType::Float: sqlite3_bind_double(s, idx, v.toDouble()); return;
    case FieldType::Date: bindText(v.toDate().toString(QStringLiteral("yyyy-MM-dd"))); return;
    case FieldType::DateTime: bindText(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))); return;
    case FieldType::Text:
    case FieldType::Unknown: break;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong: sqlite3_bind_int64(s, idx, v.toLongLong()); return;
    case QMetaType::Bool: sqlite3_bind_int(s, idx, v.toBool() ? 1 : 0); return;
    case QMetaType::Double: sqlite3_bind_double(s, idx, v.toDouble()); return;
    default: bindText(v.toString()); return;
    }
}

} // namespace

void streamRows(Query &query, const std::function<void(const QVector<Field> &)> &onFields,
                const std::function<void(const StreamRow &)> &onRow)
{
    query.close();
    Database *db = query.database();
    if (!db || !db->isConnected())
        throw DbError(QStringLiteral("Preparing a statement"), QStringLiteral("The database is not connected."), query.sqlText());
    sqlite3 *h = db->engine().nativeHandle(db->connection());
    if (!h) {
        query.open();
        onFields(query.fields());
        VariantRow row;
        row.q = &query;
        for (row.row = 0; row.row < query.recordCount(); ++row.row)
            onRow(row);
        query.close();
        return;
    }

    const QString sql = db->translate(query.sqlText());
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare16_v2(h, sql.utf16(), int(sql.size() * 2), &s, nullptr) != SQLITE_OK)
        throw DbError(QStringLiteral("Preparing a statement"), driverText(h), sql);
    const auto finalize = qScopeGuard([s] { sqlite3_finalize(s); });
    for (const Param &p : query.params())
        bindSqlite(s, p);

    QVector<Field> fields(sqlite3_column_count(s));
    for (int c = 0; c < fields.size(); ++c) {
        fields[c].name = QString::fromUtf8(sqlite3_column_name(s, c));
        fields[c].type = fieldTypeFromDeclared(sqlite3_column_decltype(s, c));
    }
    onFields(fields);
    SqliteRow row;
    row.s = s;
    row.fields = &fields;
    for (;;) {
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            onRow(row);
            continue;
        }
        if (rc == SQLITE_DONE)
            break;
        throw DbError(QStringLiteral("Opening"), driverText(h), sql);
    }
}

} // namespace kv
