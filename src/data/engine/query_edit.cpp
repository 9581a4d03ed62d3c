// Editing a live query: the row buffer, posting it back to its table, and
// reading back what another user stored when the post meets a conflict.

#include "data/engine/query.h"

#include "data/engine/db_error.h"
#include "data/engine/field_values.h"
#include "data/engine/sql_backend.h"
#include "data/engine/sql_dates.h"
#include "data/engine/write_guard.h"
#include "data/translate.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>


namespace kv {

QString Query::updateTable() const
{
    static const QRegularExpression re(QStringLiteral("\\bfrom\\s+([A-Za-z_][A-Za-z0-9_]*)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(sqlText());
    return m.hasMatch() ? m.captured(1) : QString();
}

QString Query::keyField() const
{
    if (!m_keyField.isEmpty())
        return m_keyField;
    if (!m_db || !m_db->isConnected())
        return QString();
    // PostgreSQL folds unquoted names to lower case; its driver looks the
    // table up by the name exactly as given.
    const QString table = m_db->engine().foldsNames() ? updateTable().toLower() : updateTable();
    const QSqlIndex pk = m_db->connection().primaryIndex(table);
    return pk.count() > 0 ? pk.fieldName(0) : QString();
}

void Query::ensureLiveWritable() const
{
    if (!m_live)
        throw DbError(QStringLiteral("Editing %1").arg(objectName()), QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

void Query::setState(DataState s)
{
    if (m_state == s)
        return;
    m_state = s;
    Q_EMIT stateChanged(s);
}

void Query::edit()
{
    checkOpen("Editing");
    ensureLiveWritable();
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        return;
    if (m_rows.empty()) {
        insert();
        return;
    }
    m_buffer = m_rows[m_cur];
    setState(DataState::Edit);
}

void Query::insert()
{
    checkOpen("Inserting");
    ensureLiveWritable();
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        post();
    m_buffer = QVector<QVariant>(m_fields.size());
    m_insertAt = m_cur < 0 ? 0 : m_cur;
    setState(DataState::Insert);
    Q_EMIT afterInsert();
}

void Query::setFieldValue(const QString &name, const QVariant &v)
{
    checkOpen("Setting a field");
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("Setting a field of %1").arg(objectName()),
                      QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    if (m_state == DataState::Browse)
        edit();
    QVariant typed = typedValue(v, m_fields[i].type);
    if (m_fields[i].type == FieldType::Text && typed.toString().isEmpty())
        typed = QVariant();
    if (sameValue(m_buffer[i], typed))
        return;
    m_buffer[i] = typed;
    Q_EMIT fieldChanged(m_fields[i].name);
}

bool Query::isModified() const
{
    if (m_state == DataState::Insert)
        return true;
    if (m_state != DataState::Edit)
        return false;
    for (int i = 0; i < m_fields.size(); ++i)
        if (!sameValue(m_buffer[i], m_rows[m_cur][i]))
            return true;
    return false;
}

QStringList Query::modifiedFields() const
{
    QStringList names;
    if (m_state != DataState::Edit)
        return names;
    for (int i = 0; i < m_fields.size(); ++i)
        if (!sameValue(m_buffer[i], m_rows[m_cur][i]))
            names << m_fields[i].name;
    return names;
}

void Query::post()
{
    if (m_state != DataState::Edit && m_state != DataState::Insert)
        return;
    Q_EMIT beforePost();
    const QString table = updateTable();
    const QString key = keyField();
    const int keyIdx = fieldIndex(key);
    if (table.isEmpty() || keyIdx < 0)
        fail(QStringLiteral("Posting"), QStringLiteral("%1: The dataset cannot be written back to a single table.").arg(objectName()), sqlText());

    ScopedStatement stmt(*m_db);
    QSqlQuery &q = *stmt;
    if (m_state == DataState::Edit) {
        QStringList sets;
        QVector<int> changed;
        for (int i = 0; i < m_fields.size(); ++i) {
            if (i == keyIdx || sameValue(m_buffer[i], m_rows[m_cur][i]))
                continue;
            sets << QStringLiteral("%1 = :p%2").arg(m_fields[i].name).arg(i);
            changed << i;
        }
        if (!changed.isEmpty()) {
            // Each column written still holds the value read, or another user
            // changed it meanwhile and this post must not overwrite that.
            // A time stamp is written but not compared: other programs store it
            // with a precision of their own, so it would never match.
            QStringList where{QStringLiteral("%1 = :pkey").arg(key)};
            const QVector<QVariant> &read = m_rows[m_cur];
            QVector<int> compared;
            for (int i : std::as_const(changed)) {
                if (m_fields[i].type == FieldType::DateTime)
                    continue;
                compared << i;
                where << unchangedCondition(m_fields[i].name, QStringLiteral("o%1").arg(i), read[i],
                                            m_fields[i].type == FieldType::Text);
            }
            const QString text = m_db->translate(QStringLiteral("Update %1 set %2 where %3")
                                                     .arg(table, sets.join(QStringLiteral(", ")), where.join(QStringLiteral(" and "))));
            if (!q.prepare(text))
                fail(QStringLiteral("Posting"), q.lastError().text(), text);
            for (int i : std::as_const(changed))
                q.bindValue(QStringLiteral(":p%1").arg(i), driverValue(m_buffer[i], m_fields[i].type));
            for (int i : std::as_const(compared))
                if (!isEmptyValue(read[i]))
                    q.bindValue(QStringLiteral(":o%1").arg(i), driverValue(read[i], m_fields[i].type));
            q.bindValue(QStringLiteral(":pkey"), driverValue(read[keyIdx], m_fields[keyIdx].type));
            WriteGuard::checkWrite(*m_db, text);
            if (!q.exec())
                fail(QStringLiteral("Posting"), q.lastError().text(), text);
            if (q.numRowsAffected() == 0)
                throw EditConflict({conflictOf(table, key, keyIdx, compared)});
        }
        m_rows[m_cur] = m_buffer;
    } else {
        QStringList cols, vals;
        QVector<int> set;
        for (int i = 0; i < m_fields.size(); ++i) {
            if (i == keyIdx || !m_buffer[i].isValid() || m_buffer[i].isNull())
                continue;
            cols << m_fields[i].name;
            vals << QStringLiteral(":p%1").arg(i);
            set << i;
        }
        QString text = cols.isEmpty()
            ? QStringLiteral("Insert into %1 default values").arg(table)
            : QStringLiteral("Insert into %1 (%2) values (%3)").arg(table, cols.join(QStringLiteral(", ")), vals.join(QStringLiteral(", ")));
        text = m_db->translate(text);
        const SqlBackend &engine = m_db->engine();
        text += engine.returningClause(key);
        if (!q.prepare(text))
            fail(QStringLiteral("Posting"), q.lastError().text(), text);
        for (int i : std::as_const(set))
            q.bindValue(QStringLiteral(":p%1").arg(i), driverValue(m_buffer[i], m_fields[i].type));
        WriteGuard::checkWrite(*m_db, text);
        if (!q.exec())
            fail(QStringLiteral("Posting"), q.lastError().text(), text);
        const QVariant newKey = engine.insertedKey(q, m_db->connection());
        m_buffer[keyIdx] = typedValue(newKey, m_fields[keyIdx].type == FieldType::Unknown ? FieldType::Integer : m_fields[keyIdx].type);
        const int at = qBound(0, m_insertAt, int(m_rows.size()));
        m_rows.insert(m_rows.begin() + at, m_buffer);
        m_cur = at;
        m_eof = m_bof = false;
    }
    m_buffer.clear();
    setState(DataState::Browse);
    Q_EMIT afterPost();
}

EditConflict::Row Query::conflictOf(const QString &table, const QString &key, int keyIdx, const QVector<int> &changed) const
{
    EditConflict::Row row;
    row.key = m_rows[m_cur][keyIdx];
    if (m_rowNameFields.isEmpty()) {
        row.name = shown("EditConflict", EditConflict::kRecordOf).arg(table, key, row.key.toString());
    } else {
        QStringList parts;
        for (const QString &f : m_rowNameFields) {
            const int i = fieldIndex(f);
            if (i >= 0 && !isEmptyValue(m_rows[m_cur][i]))
                parts << m_rows[m_cur][i].toString();
        }
        row.name = m_rowNameFormat.arg(parts.join(QLatin1Char(' ')));
    }
    QStringList columns;
    for (int i : changed)
        columns << m_fields[i].name;
    if (columns.isEmpty())
        columns << key; // only whether the row is still there
    const QString text = m_db->translate(QStringLiteral("Select %1 from %2 where %3 = :pkey").arg(columns.join(QStringLiteral(", ")), table, key));
    ScopedStatement stmt(*m_db);
    QSqlQuery &q = *stmt;
    if (!q.prepare(text))
        fail(QStringLiteral("Reading the stored record"), q.lastError().text(), text);
    q.bindValue(QStringLiteral(":pkey"), driverValue(row.key, m_fields[keyIdx].type));
    if (!q.exec())
        fail(QStringLiteral("Reading the stored record"), q.lastError().text(), text);
    row.gone = !q.next();
    for (int c = 0; c < changed.size(); ++c) {
        const int i = changed[c];
        const QVariant now = row.gone ? QVariant() : typedValue(q.value(c), m_fields[i].type);
        row.changes.append({m_fields[i].name, m_rows[m_cur][i], m_buffer[i], now, m_captions.value(m_fields[i].name.toLower())});
    }
    return row;
}

void Query::setColumnCaptions(const QHash<QString, QString> &captions)
{
    m_captions.clear();
    for (auto it = captions.cbegin(); it != captions.cend(); ++it)
        m_captions.insert(it.key().toLower(), it.value());
}

void Query::adoptStored(const EditConflict::Row &row)
{
    checkOpen("Adopting the stored values");
    const int keyIdx = fieldIndex(keyField());
    for (auto &r : m_rows) {
        if (keyIdx < 0 || !sameValue(r[keyIdx], row.key))
            continue;
        for (const EditConflict::Change &c : row.changes) {
            const int i = fieldIndex(c.column);
            if (i >= 0)
                r[i] = c.now;
        }
    }
}

void Query::cancel()
{
    if (m_state != DataState::Edit && m_state != DataState::Insert)
        return;
    m_buffer.clear();
    if (m_cur >= int(m_rows.size()))
        m_cur = int(m_rows.size()) - 1;
    setState(DataState::Browse);
    Q_EMIT afterCancel();
    Q_EMIT afterScroll();
}

} // namespace kv
