#include "data/engine/batch_insert.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace kv {

BatchInsert::BatchInsert(Query &insert, int rowsPerBatch)
    : m_query(insert)
    , m_db(*insert.database())
    , m_rowsPerBatch(qMax(1, rowsPerBatch))
{
    if (m_db.backend() != Backend::PostgreSQL)
        return;
    const QString text = m_db.translate(insert.sqlText());
    static const QRegularExpression values(QStringLiteral("\\bvalues\\b"), QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatchIterator it = values.globalMatch(text);
    qsizetype at = -1;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        at = m.capturedEnd();
    }
    if (at < 0)
        throw DbError(QStringLiteral("Preparing a batch of %1").arg(insert.objectName()), QStringLiteral("The statement has no values list."),
                      text);
    m_head = text.left(at);
    m_tuple = text.mid(at).trimmed();
    m_names = SqlDialect::parameterNames(m_tuple);
    for (const QString &name : std::as_const(m_names))
        m_params.push_back(&insert.paramByName(name));
    m_values.reserve(size_t(m_rowsPerBatch) * size_t(m_names.size()));
}

BatchInsert::~BatchInsert() = default;

void BatchInsert::prepareFor(int rows)
{
    if (m_stmt && m_preparedRows == rows)
        return;
    // Each row's copy of the tuple gets parameters of its own; they are bound
    // by position, row after row, in the tuple's order.
    static const QRegularExpression param(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    QStringList tuples;
    tuples.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        QString t = m_tuple;
        t.replace(param, QStringLiteral(":\\1_%1").arg(r));
        tuples << t;
    }
    const QString sql = m_head + QLatin1Char(' ') + tuples.join(QStringLiteral(", "));
    m_stmt = std::make_unique<QSqlQuery>(m_db.connection());
    m_stmt->setForwardOnly(true);
    if (!m_stmt->prepare(sql)) {
        const QString error = m_stmt->lastError().text();
        m_stmt.reset();
        throw DbError(QStringLiteral("Preparing a batch of %1").arg(m_query.objectName()), error, m_head + QLatin1Char(' ') + m_tuple);
    }
    m_preparedRows = rows;
}

void BatchInsert::addRow()
{
    if (m_db.backend() != Backend::PostgreSQL) {
        m_query.execSql();
        return;
    }
    for (const Param *p : m_params)
        m_values.push_back(m_query.bindableValue(*p));
    if (qsizetype(m_values.size()) >= qsizetype(m_rowsPerBatch) * m_names.size())
        flush();
}

void BatchInsert::flush()
{
    if (m_values.empty() || m_names.isEmpty())
        return;
    const int rows = int(m_values.size() / size_t(m_names.size()));
    prepareFor(rows);
    for (int i = 0; i < int(m_values.size()); ++i)
        m_stmt->bindValue(i, m_values[size_t(i)]);
    m_values.clear();
    if (!m_stmt->exec())
        throw DbError(QStringLiteral("Executing a batch of %1").arg(m_query.objectName()), m_stmt->lastError().text(),
                      m_head + QLatin1Char(' ') + m_tuple);
    m_stmt->finish();
}

} // namespace kv
