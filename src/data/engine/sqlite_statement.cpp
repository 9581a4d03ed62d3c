#include "data/engine/sqlite_statement.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/sql_dates.h"

#include <sqlite3.h>

namespace kv {

SqliteStatement::SqliteStatement(sqlite3 *handle, Query &query, const QString &text, const char *what)
    : m_handle(handle)
    , m_query(query)
    , m_text(text)
{
    if (sqlite3_prepare16_v2(m_handle, m_text.utf16(), int(m_text.size() * 2), &m_stmt, nullptr) != SQLITE_OK) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(m_handle));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DbError(QStringLiteral("%1 (%2)").arg(QLatin1String(what), query.objectName()), error, m_text);
    }
    // Names are resolved here, once: a loop binds by position only.
    const int count = sqlite3_bind_parameter_count(m_stmt);
    m_params.reserve(size_t(count));
    m_texts.resize(size_t(count));
    for (int i = 1; i <= count; ++i) {
        const char *name = sqlite3_bind_parameter_name(m_stmt, i);
        const QString n = QString::fromUtf8(name && *name ? name + 1 : "");
        m_params.push_back(!n.isEmpty() && query.hasParam(n) ? &query.paramByName(n) : nullptr);
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::fail(const char *what) const
{
    throw DbError(QStringLiteral("%1 (%2)").arg(QLatin1String(what), m_query.objectName()),
                  QString::fromUtf8(sqlite3_errmsg(m_handle)), m_text);
}

void SqliteStatement::bind()
{
    for (size_t i = 0; i < m_params.size(); ++i) {
        const int position = int(i) + 1;
        if (!m_params[i]) {
            if (sqlite3_bind_null(m_stmt, position) != SQLITE_OK)
                fail("Executing");
        } else {
            bindAt(position, *m_params[i]);
        }
    }
}

void SqliteStatement::bindUtf8(int position, const QString &t)
{
    // Into the text kept for this position: most values are ASCII, copied as
    // they are, without a byte array per value.
    std::string &buf = m_texts[size_t(position - 1)];
    const qsizetype n = t.size();
    const char16_t *u = reinterpret_cast<const char16_t *>(t.utf16());
    buf.resize(size_t(n));
    qsizetype i = 0;
    for (; i < n && u[i] < 0x80; ++i)
        buf[size_t(i)] = char(u[i]);
    if (i < n) {
        const QByteArray utf8 = t.toUtf8();
        buf.assign(utf8.constData(), size_t(utf8.size()));
    }
    if (sqlite3_bind_text(m_stmt, position, buf.data(), int(buf.size()), SQLITE_STATIC) != SQLITE_OK)
        fail("Executing");
}

void SqliteStatement::bindAt(int position, const Param &p)
{
    // The values SqlBackend::bindable gives, bound as Qt's driver would.
    const QVariant &v = p.value();
    int rc = SQLITE_OK;
    auto bindChars = [&](const char *chars, int n) {
        std::string &buf = m_texts[size_t(position - 1)];
        buf.assign(chars, size_t(n));
        rc = sqlite3_bind_text(m_stmt, position, buf.data(), n, SQLITE_STATIC);
    };
    auto bindText = [&](const QString &t) {
        if (t.isEmpty())
            rc = sqlite3_bind_null(m_stmt, position);
        else
            bindUtf8(position, t);
    };
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(m_stmt, position);
    } else {
        switch (p.type()) {
        case FieldType::Integer: rc = sqlite3_bind_int64(m_stmt, position, v.toLongLong()); break;
        case FieldType::Float: rc = sqlite3_bind_double(m_stmt, position, v.toDouble()); break;
        case FieldType::Boolean: rc = sqlite3_bind_int64(m_stmt, position, v.toBool() ? 1 : 0); break;
        case FieldType::Text:
            if (v.typeId() == QMetaType::QString)
                bindText(*static_cast<const QString *>(v.constData()));
            else
                bindText(v.toString());
            break;
        case FieldType::Date: {
            const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
            char buf[20];
            const int n = d.isValid() ? sqlDateChars(d, buf) : 0;
            if (!d.isValid())
                rc = sqlite3_bind_null(m_stmt, position);
            else if (n > 0)
                bindChars(buf, n);
            else
                bindText(sqlDateText(d));
            break;
        }
        case FieldType::DateTime: {
            const QDateTime dt = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
            char buf[20];
            const QDate d = dt.date();
            const QTime t = dt.time();
            const int n = dt.isValid() ? sqlDateTimeChars(d, t, buf) : 0;
            if (!dt.isValid())
                rc = sqlite3_bind_null(m_stmt, position);
            else if (n > 0)
                bindChars(buf, n);
            else
                bindText(sqlDateTimeText(d, t));
            break;
        }
        case FieldType::Unknown:
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong:
            case QMetaType::Bool: rc = sqlite3_bind_int64(m_stmt, position, v.toLongLong()); break;
            case QMetaType::Double: rc = sqlite3_bind_double(m_stmt, position, v.toDouble()); break;
            default: bindText(v.toString()); break;
            }
            break;
        }
    }
    if (rc != SQLITE_OK)
        fail("Executing");
}

bool SqliteStatement::step(const char *what)
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    sqlite3_reset(m_stmt);
    if (rc != SQLITE_DONE)
        fail(what);
    return false;
}

void SqliteStatement::run()
{
    bind();
    if (step()) {
        // A statement with a result run for its effect: the rest goes unread.
        sqlite3_reset(m_stmt);
    }
}

} // namespace kv
