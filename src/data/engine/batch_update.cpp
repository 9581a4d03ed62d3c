#include "data/engine/batch_update.h"

#include "data/engine/db_error.h"
#include "data/engine/write_guard.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace kv {

namespace {
QString pgType(FieldType t)
{
    switch (t) {
    case FieldType::Integer: return QStringLiteral("bigint");
    case FieldType::Boolean: return QStringLiteral("boolean");
    case FieldType::Date: return QStringLiteral("date");
    case FieldType::DateTime: return QStringLiteral("timestamp");
    case FieldType::Float: return QStringLiteral("double precision");
    case FieldType::Text:
    case FieldType::Unknown: break;
    }
    return QStringLiteral("text");
}

} // namespace

QJsonValue jsonValue(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QJsonValue(QJsonValue::Null);
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return v.toLongLong();
    case QMetaType::Double: return v.toDouble();
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    default: return v.toString();
    }
}

std::unique_ptr<QSqlQuery> prepareForRuns(Database &db, const QString &sql, const QString &what)
{
    auto q = std::make_unique<QSqlQuery>(db.connection());
    q->setForwardOnly(true);
    if (!q->prepare(sql))
        throw DbError(what, q->lastError().text(), sql);
    return q;
}

BatchUpdate::BatchUpdate(Query &statement, const QString &keyParam, const QHash<QString, FieldType> &types)
    : m_query(statement)
    , m_db(*statement.database())
    , m_keyParam(keyParam)
    , m_types(types)
    , m_oneByOne(!m_db.engine().paysRoundTrips())
    , m_names(SqlDialect::parameterNames(statement.sqlText()))
{
}

BatchUpdate::~BatchUpdate()
{
    m_db.retire(std::move(m_stmt));
}

std::optional<bool> BatchUpdate::addRow()
{
    if (m_oneByOne) {
        m_query.execSql();
        return m_query.rowsAffected() > 0;
    }
    for (const QString &name : std::as_const(m_names)) {
        const Param &p = m_query.paramByName(name);
        if (!m_types.contains(name) && p.type() != FieldType::Unknown && !p.isNull())
            m_types.insert(name, p.type());
        m_values.push_back(m_query.bindableValue(p));
    }
    return std::nullopt;
}

QString BatchUpdate::setStatement() const
{
    // "Update T set A = :A where K = :K" becomes "Update T set A = r."A" from
    // <rows> AS r(...) where K = r."K" returning r."K"" (DELETE: "using").
    static const QRegularExpression param(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    static const QRegularExpression where(QStringLiteral("\\bwhere\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression table(QStringLiteral("^\\s*delete\\s+from\\s+"), QRegularExpression::CaseInsensitiveOption);
    QString text = m_db.translate(m_query.sqlText());
    text.replace(param, QStringLiteral("r.\"\\1\""));
    QStringList columns;
    for (const QString &name : m_names)
        columns << QStringLiteral("\"%1\" %2").arg(name, pgType(m_types.value(name, FieldType::Unknown)));
    const QString rows = QStringLiteral(" %1 json_to_recordset(CAST(:Rows AS json)) AS r(%2) ")
                             .arg(table.match(text).hasMatch() ? QStringLiteral("using") : QStringLiteral("from"),
                                  columns.join(QStringLiteral(", ")));
    const QRegularExpressionMatch w = where.match(text);
    if (!w.hasMatch())
        throw Error(QStringLiteral("%1: a statement for many rows needs a condition").arg(m_query.objectName()));
    text.insert(w.capturedStart(), rows);
    return text + QStringLiteral(" returning r.\"%1\"").arg(m_keyParam);
}

QSet<qint64> BatchUpdate::run()
{
    QSet<qint64> touched;
    if (m_values.empty() || m_names.isEmpty())
        return touched;
    const QString sql = setStatement();
    if (!m_stmt)
        m_stmt = prepareForRuns(m_db, sql, QStringLiteral("Preparing a batch (%1)").arg(m_query.objectName()));
    QJsonArray rows;
    const size_t width = size_t(m_names.size());
    for (size_t r = 0; r < m_values.size(); r += width) {
        QJsonObject o;
        for (size_t i = 0; i < width; ++i)
            o.insert(m_names.at(qsizetype(i)), jsonValue(m_values[r + i]));
        rows.append(o);
    }
    m_values.clear();
    m_stmt->bindValue(0, QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)));
    WriteGuard::checkWrite(m_db, sql);
    if (!m_stmt->exec())
        throw DbError(QStringLiteral("Executing a batch (%1)").arg(m_query.objectName()), m_stmt->lastError().text(), sql);
    while (m_stmt->next())
        touched.insert(m_stmt->value(0).toLongLong());
    m_stmt->finish();
    return touched;
}

} // namespace kv
