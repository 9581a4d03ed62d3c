#include "data/engine/sql_backend.h"

#include "data/engine/bulk_load.h"
#include "data/engine/db_error.h"
#include "data/engine/postgres_backend.h"
#include "data/engine/query.h"
#include "data/engine/sql_dates.h"
#include "data/engine/sqlite_backend.h"
#include "data/translate.h"

namespace kv {

const QString SqlBackend::kNoncharacterMessage = QString::fromUtf8(
    QT_TRANSLATE_NOOP("SqlBackend", "A text holding the character %1 cannot be stored: it is no character of any text, and the "
                                    "database would not give it back as written. Remove it from: %2"));

namespace {

const QString &checkedText(const QString &s)
{
    for (const QChar c : s)
        if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF) {
            const QString cut = s.size() > 60 ? s.left(57) + QStringLiteral("...") : s;
            throw Error(shown("SqlBackend", SqlBackend::kNoncharacterMessage)
                            .arg(QStringLiteral("U+%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0')).toUpper(), cut));
        }
    return s;
}

} // namespace

QVariant SqlBackend::bindable(const QVariant &v, FieldType type) const
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (type) {
    case FieldType::Integer: return v.toLongLong();
    case FieldType::Text: {
        const QString s = v.toString();
        return s.isEmpty() ? QVariant() : QVariant(checkedText(s));
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
    if (v.typeId() == QMetaType::QString)
        return v.toString().isEmpty() ? QVariant() : QVariant(checkedText(v.toString()));
    return v;
}

std::unique_ptr<BulkLoad> SqlBackend::prepareBulkLoad(Database &, const QString &, const QStringList &) const
{
    return nullptr;
}

std::unique_ptr<SqlBackend> SqlBackend::make(Backend kind)
{
    if (kind == Backend::PostgreSQL)
        return std::make_unique<PostgresBackend>();
    return std::make_unique<SqliteBackend>();
}

} // namespace kv
