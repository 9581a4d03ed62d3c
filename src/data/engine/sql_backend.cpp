#include "data/engine/sql_backend.h"

#include "data/engine/postgres_backend.h"
#include "data/engine/query.h"
#include "data/engine/sql_dates.h"
#include "data/engine/sqlite_backend.h"

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

std::unique_ptr<SqlBackend> SqlBackend::make(Backend kind)
{
    if (kind == Backend::PostgreSQL)
        return std::make_unique<PostgresBackend>();
    return std::make_unique<SqliteBackend>();
}

} // namespace kv
