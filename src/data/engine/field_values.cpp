#include "data/engine/field_values.h"

#include "data/engine/query.h"
#include "data/engine/sql_dates.h"

#include <limits>

namespace kv {

// ---------------------------------------------------------------- Param

void Param::setAsInteger(qint64 v)
{
    m_type = FieldType::Integer;
    m_value = v;
}

void Param::setAsString(const QString &v)
{
    m_type = FieldType::Text;
    m_value = v.isEmpty() ? QVariant() : QVariant(v);
}

void Param::setAsBoolean(bool v)
{
    m_type = FieldType::Boolean;
    m_value = v;
}

void Param::setAsDate(const QDate &v)
{
    m_type = FieldType::Date;
    m_value = v.isValid() ? QVariant(v) : QVariant();
}

void Param::setAsDateTime(const QDateTime &v)
{
    m_type = FieldType::DateTime;
    m_value = v.isValid() ? QVariant(v) : QVariant();
}

void Param::setAsFloat(double v)
{
    m_type = FieldType::Float;
    m_value = v;
}

void Param::setValue(const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        m_value = QVariant();
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        setAsInteger(v.toLongLong());
        break;
    case QMetaType::Bool:
        setAsBoolean(v.toBool());
        break;
    case QMetaType::QDate:
        setAsDate(v.toDate());
        break;
    case QMetaType::QDateTime:
        setAsDateTime(v.toDateTime());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        setAsFloat(v.toDouble());
        break;
    default:
        setAsString(v.toString());
        break;
    }
}

void Param::clear()
{
    m_value = QVariant();
}

QString fieldTypeName(FieldType t)
{
    switch (t) {
    case FieldType::Integer: return QStringLiteral("integer");
    case FieldType::Text: return QStringLiteral("text");
    case FieldType::Boolean: return QStringLiteral("boolean");
    case FieldType::Date: return QStringLiteral("date");
    case FieldType::DateTime: return QStringLiteral("date-time");
    case FieldType::Float: return QStringLiteral("float");
    case FieldType::Unknown: break;
    }
    return QStringLiteral("unknown");
}

FieldType fieldTypeFromDeclared(const char *decl)
{
    if (!decl)
        return FieldType::Unknown;
    const QByteArray d = QByteArray(decl).toUpper();
    if (d.contains("BOOL"))
        return FieldType::Boolean;
    if (d.contains("DATETIME") || d.contains("TIMESTAMP"))
        return FieldType::DateTime;
    if (d.contains("DATE"))
        return FieldType::Date;
    if (d.contains("INT"))
        return FieldType::Integer;
    if (d.contains("CHAR") || d.contains("TEXT") || d.contains("CLOB") || d.contains("MEMO"))
        return FieldType::Text;
    if (d.contains("REAL") || d.contains("FLOA") || d.contains("DOUB") || d.contains("NUMERIC") || d.contains("DECIMAL")
        || d.contains("CURRENCY") || d.contains("MONEY"))
        return FieldType::Float;
    return FieldType::Unknown;
}

// ---------------------------------------------------------------- value forms

FieldType fieldTypeFromMeta(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return FieldType::Integer;
    case QMetaType::Bool:
        return FieldType::Boolean;
    case QMetaType::QDate:
        return FieldType::Date;
    case QMetaType::QDateTime:
        return FieldType::DateTime;
    case QMetaType::Double:
    case QMetaType::Float:
        return FieldType::Float;
    case QMetaType::QString:
        return FieldType::Text;
    default:
        return FieldType::Unknown;
    }
}


QVariant typedValue(const QVariant &raw, FieldType type)
{
    if (!raw.isValid() || raw.isNull())
        return QVariant();
    switch (type) {
    case FieldType::Integer: {
        const qint64 v = raw.toLongLong();
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return QVariant(int(v));
        return QVariant(v);
    }
    case FieldType::Text:
        return raw.typeId() == QMetaType::QString ? raw : QVariant(raw.toString());
    case FieldType::Boolean:
        if (raw.typeId() == QMetaType::QString) {
            const QString s = raw.toString().trimmed().toLower();
            return QVariant(s == QLatin1String("1") || s == QLatin1String("true") || s == QLatin1String("t") || s == QLatin1String("y"));
        }
        return QVariant(raw.toLongLong() != 0 || raw.toBool());
    case FieldType::Date:
        if (raw.typeId() == QMetaType::QDate)
            return raw;
        if (raw.typeId() == QMetaType::QDateTime)
            return raw.toDateTime().date();
        {
            const QDate d = sqlDate(raw.toString());
            return d.isValid() ? QVariant(d) : QVariant();
        }
    case FieldType::DateTime:
        if (raw.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = raw.toDateTime();
            return QDateTime(dt.date(), dt.time());
        }
        if (raw.typeId() == QMetaType::QDate)
            return QDateTime(raw.toDate(), QTime(0, 0));
        {
            const QDateTime dt = sqlDateTime(raw.toString());
            return dt.isValid() ? QVariant(dt) : QVariant();
        }
    case FieldType::Float:
        return QVariant(raw.toDouble());
    case FieldType::Unknown:
        break;
    }
    return raw;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid() || a.isNull();
    const bool bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an == bn;
    return a == b;
}

} // namespace kv
