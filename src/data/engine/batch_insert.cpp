#include "data/engine/batch_insert.h"

#include "data/engine/batch_update.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/write_guard.h"
#include "data/engine/sql_backend.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

namespace kv {

namespace {
QString what(const Query &q, const char *doing)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1String(doing), q.objectName());
}

// The sequence behind a key column, found as the insert finds its table (by
// the search path): a serial column's or an identity column's, unless the
// identity is "always", which refuses a key named in the insert.
const QString kKeySequenceSql = QStringLiteral(
    "Select pg_get_serial_sequence(CAST(CAST(a.attrelid AS regclass) AS text), a.attname) from pg_attribute a "
    "where a.attrelid = to_regclass(:Table) and lower(a.attname) = lower(:Column) and a.attnum > 0 "
    "and not a.attisdropped and a.attidentity <> 'a'");
// One block of keys, taken as the inserts themselves would take them.
const QString kNextKeysSql = QStringLiteral("Select nextval(CAST(:Sequence AS regclass)) from generate_series(1, :Count)");

// The items of "(a, b, ...)" split at the commas outside parentheses and quotes.
QStringList tupleItems(const QString &tuple)
{
    QStringList items;
    const QString inner = tuple.trimmed().mid(1, tuple.trimmed().size() - 2);
    int depth = 0;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar ch = inner.at(i);
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && ch == QLatin1Char('('))
            ++depth;
        else if (!quoted && ch == QLatin1Char(')'))
            --depth;
        else if (!quoted && depth == 0 && ch == QLatin1Char(',')) {
            items << inner.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    items << inner.mid(start).trimmed();
    return items;
}

// The name PostgreSQL gives a column written as ident: folded to lower case
// unless quoted.
QString attributeName(const QString &ident)
{
    if (ident.size() >= 2 && ident.startsWith(QLatin1Char('"')) && ident.endsWith(QLatin1Char('"')))
        return ident.mid(1, ident.size() - 2);
    return ident.toLower();
}

QVariant keyValue(qint64 key)
{
    if (key >= std::numeric_limits<int>::min() && key <= std::numeric_limits<int>::max())
        return QVariant(int(key));
    return QVariant(key);
}
} // namespace

BatchInsert::BatchInsert(Query &insert, int rowsPerBatch)
    : m_query(insert)
    , m_db(*insert.database())
    , m_rowsPerBatch(rowsPerBatch)
{
    if (!m_db.isConnected())
        throw DbError(what(insert, "Preparing a statement"), QStringLiteral("The database is not connected."), insert.sqlText());
    m_text = m_db.translate(insert.sqlText());
    m_direct = m_db.engine().prepareRowInsert(m_db, insert, m_text);
    if (m_direct)
        return;
    static const QRegularExpression values(QStringLiteral("\\bvalues\\b"), QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatchIterator it = values.globalMatch(m_text);
    qsizetype at = -1;
    while (it.hasNext())
        at = it.next().capturedEnd();
    if (at < 0)
        throw DbError(what(insert, "Preparing a batch"), QStringLiteral("The statement has no values list."), m_text);
    m_head = m_text.left(at);
    m_tuple = m_text.mid(at).trimmed();
    for (const QString &name : SqlDialect::parameterNames(m_tuple))
        m_params.push_back(&insert.paramByName(name));
    m_asSet = !setStatement().isEmpty();
    if (m_rowsPerBatch <= 0)
        m_rowsPerBatch = m_asSet ? kRowsPerSet : kRowsPerValues;
}

QString BatchInsert::setStatement() const
{
    // "Insert into T (A, B, C) values" + "(:A, True, :C)" becomes
    // "Insert into T (A, B, C) Select r.A, True, r.C from <the rows in order>":
    // each row is a record of T, so every value takes its column's type.
    static const QRegularExpression head(QStringLiteral("^\\s*(insert\\s+into\\s+([^\\s(]+)\\s*\\((.*)\\))\\s*values$"),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(QStringLiteral("^:([A-Za-z_][A-Za-z0-9_]*)$"));
    const QRegularExpressionMatch h = head.match(m_head);
    if (!h.hasMatch() || !m_tuple.startsWith(QLatin1Char('(')) || !m_tuple.endsWith(QLatin1Char(')')))
        return QString();
    const QStringList columns = tupleItems(QLatin1Char('(') + h.captured(3) + QLatin1Char(')'));
    const QStringList items = tupleItems(m_tuple);
    if (columns.size() != items.size())
        return QString();
    QStringList exprs;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (param.match(items.at(i)).hasMatch())
            exprs << QStringLiteral("r.") + columns.at(i);
        else if (items.at(i).contains(QLatin1Char(':')))
            return QString(); // an expression of parameters: VALUES computes it
        else
            exprs << items.at(i);
    }
    return QStringLiteral("%1 Select %2 from json_array_elements(CAST(:Rows AS json)) WITH ORDINALITY AS e(v, n), "
                          "json_populate_record(CAST(NULL AS %3), e.v) AS r order by e.n")
        .arg(h.captured(1), exprs.join(QStringLiteral(", ")), h.captured(2));
}

QByteArray BatchInsert::rowsAsJson(size_t width) const
{
    // Each row as an object keyed by the column names its parameters fill.
    static const QRegularExpression head(QStringLiteral("\\((.*)\\)\\s*values$"),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(QStringLiteral("^:([A-Za-z_][A-Za-z0-9_]*)$"));
    const QStringList columns = tupleItems(QLatin1Char('(') + head.match(m_head).captured(1) + QLatin1Char(')'));
    const QStringList items = tupleItems(m_tuple);
    std::vector<std::pair<QString, size_t>> keys; // attribute, index of the value in a row
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QRegularExpressionMatch m = param.match(items.at(i));
        if (!m.hasMatch())
            continue;
        size_t at = m_params.size(); // the key column's, after the parameters
        for (size_t p = 0; p < m_params.size(); ++p)
            if (m_params[p]->name().compare(m.captured(1), Qt::CaseInsensitive) == 0)
                at = p;
        keys.emplace_back(attributeName(columns.at(i)), at);
    }
    QJsonArray rows;
    for (size_t r = 0; r + width <= m_values.size(); r += width) {
        QJsonObject o;
        for (const auto &[name, at] : keys)
            o.insert(name, jsonValue(m_values[r + at]));
        rows.append(o);
    }
    return QJsonDocument(rows).toJson(QJsonDocument::Compact);
}

BatchInsert::~BatchInsert()
{
    m_db.retire(std::move(m_stmt));
    m_db.retire(std::move(m_keyStmt));
}

QString BatchInsert::keySequence(const QString &keyColumn)
{
    // The key goes into the column list and each row's tuple: "... (A, B) values (:A, :B)".
    static const QRegularExpression table(QStringLiteral("^\\s*insert\\s+into\\s+([^\\s(]+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression columnsEnd(QStringLiteral("\\)\\s*values$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch t = table.match(m_head);
    if (!t.hasMatch() || !columnsEnd.match(m_head).hasMatch() || !m_tuple.endsWith(QLatin1Char(')')))
        return QString();
    ScopedStatement stmt(m_db);
    QSqlQuery &q = *stmt;
    q.setForwardOnly(true);
    if (!q.prepare(kKeySequenceSql))
        throw DbError(what(m_query, "Preparing a statement"), q.lastError().text(), kKeySequenceSql);
    q.bindValue(QStringLiteral(":Table"), t.captured(1));
    q.bindValue(QStringLiteral(":Column"), keyColumn);
    if (!q.exec())
        throw DbError(what(m_query, "Executing"), q.lastError().text(), kKeySequenceSql);
    const QString sequence = q.next() ? q.value(0).toString() : QString();
    q.finish();
    return sequence;
}

qint64 BatchInsert::nextKey()
{
    if (m_nextKey < m_keyBlock.size())
        return m_keyBlock[m_nextKey++];
    if (!m_keyStmt)
        m_keyStmt = prepareForRuns(m_db, kNextKeysSql, what(m_query, "Preparing a statement"));
    const int wanted = m_expectedRows > m_keysDrawn ? qMin(m_rowsPerBatch, m_expectedRows - m_keysDrawn) : m_rowsPerBatch;
    m_keyStmt->bindValue(QStringLiteral(":Sequence"), m_sequence);
    m_keyStmt->bindValue(QStringLiteral(":Count"), wanted);
    if (!m_keyStmt->exec())
        throw DbError(what(m_query, "Reading the new keys"), m_keyStmt->lastError().text(), kNextKeysSql);
    m_keyBlock.clear();
    while (m_keyStmt->next())
        m_keyBlock.push_back(m_keyStmt->value(0).toLongLong());
    m_keyStmt->finish();
    if (m_keyBlock.size() != size_t(wanted))
        throw DbError(what(m_query, "Reading the new keys"), QStringLiteral("The sequence gave too few keys."), kNextKeysSql);
    m_keysDrawn += wanted;
    // Handed out in ascending order, as row-by-row inserts would have taken them.
    std::sort(m_keyBlock.begin(), m_keyBlock.end());
    m_nextKey = 0;
    return m_keyBlock[m_nextKey++];
}

QVariant BatchInsert::addRowTakingKey(const QString &keyColumn)
{
    if (m_direct) {
        m_direct->run();
        return QVariant(m_direct->lastKey());
    }
    if (m_keys == Keys::None) {
        if (!m_values.empty())
            throw Error(QStringLiteral("%1: rows with and without keys in one batch").arg(m_query.objectName()));
        m_keyColumn = keyColumn;
        m_sequence = keySequence(keyColumn);
        m_keys = m_sequence.isEmpty() ? Keys::OneByOne : Keys::FromSequence;
        if (m_keys == Keys::FromSequence) {
            m_head.insert(m_head.lastIndexOf(QLatin1Char(')')), QStringLiteral(", ") + keyColumn);
            m_tuple.insert(m_tuple.size() - 1, QStringLiteral(", :") + keyColumn);
            m_db.retire(std::move(m_stmt));
        }
    } else if (keyColumn.compare(m_keyColumn, Qt::CaseInsensitive) != 0) {
        throw Error(QStringLiteral("%1: one key column per batch").arg(m_query.objectName()));
    }
    if (m_keys == Keys::OneByOne)
        return m_query.execInsertReturningId(keyColumn);
    const qint64 key = nextKey();
    for (const Param *p : m_params)
        m_values.push_back(m_query.bindableValue(*p));
    m_values.push_back(QVariant(key));
    if (m_values.size() >= size_t(m_rowsPerBatch) * (m_params.size() + 1))
        flush();
    return keyValue(key);
}

void BatchInsert::prepareFor(int rows)
{
    if (m_stmt && (m_asSet || m_preparedRows == rows))
        return;
    if (m_asSet) {
        m_stmt = prepareForRuns(m_db, setStatement(), what(m_query, "Preparing a batch"));
        return;
    }
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
    m_db.retire(std::move(m_stmt));
    m_stmt = prepareForRuns(m_db, sql, what(m_query, "Preparing a batch"));
    m_preparedRows = rows;
}

void BatchInsert::addRow()
{
    if (m_direct) {
        m_direct->run();
        return;
    }
    if (m_keys != Keys::None)
        throw Error(QStringLiteral("%1: rows with and without keys in one batch").arg(m_query.objectName()));
    for (const Param *p : m_params)
        m_values.push_back(m_query.bindableValue(*p));
    if (m_values.size() >= size_t(m_rowsPerBatch) * m_params.size())
        flush();
}

void BatchInsert::flush()
{
    if (m_first)
        m_first->flush();
    const size_t width = m_params.size() + (m_keys == Keys::FromSequence ? 1 : 0);
    if (m_direct || m_values.empty() || width == 0)
        return;
    const int rows = int(m_values.size() / width);
    prepareFor(rows);
    if (m_asSet) {
        m_stmt->bindValue(0, QString::fromUtf8(rowsAsJson(width)));
    } else {
        for (int i = 0; i < int(m_values.size()); ++i)
            m_stmt->bindValue(i, m_values[size_t(i)]);
    }
    m_values.clear();
    WriteGuard::checkWrite(m_db, m_text);
    if (!m_stmt->exec())
        throw DbError(what(m_query, "Executing a batch"), m_stmt->lastError().text(), m_text);
    m_stmt->finish();
}

} // namespace kv
