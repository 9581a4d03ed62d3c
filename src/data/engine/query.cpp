#include "data/engine/query.h"

#include "data/engine/db_error.h"
#include "data/engine/field_values.h"
#include "data/engine/sql_backend.h"
#include "data/engine/sql_dates.h"
#include "data/engine/write_guard.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>


namespace kv {

namespace {

// PostgreSQL reports the names of a result folded to lower case. Users read
// them (a conflict names the columns), so they are spelt as the statement
// spells them, or else as the schema does, as SQLite reports them.
QString spelledName(const QString &reported, const QString &statement)
{
    if (reported != reported.toLower())
        return reported;
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    for (auto it = word.globalMatch(statement); it.hasNext();) {
        const QString w = it.next().captured(0);
        if (w.compare(reported, Qt::CaseInsensitive) == 0)
            return w;
    }
    return Database::columnSpelling(reported);
}

} // namespace


// ---------------------------------------------------------------- Query

Query::Query(Database *database, const QString &name, QObject *parent)
    : QObject(parent)
    , m_db(database)
{
    setObjectName(name);
}

Query::~Query()
{
    retire(m_stmt);
    retire(m_returningStmt);
}

void Query::retire(std::unique_ptr<QSqlQuery> &statement)
{
    if (m_db)
        m_db->retire(std::move(statement));
    statement.reset();
}

void Query::setSql(const QStringList &lines)
{
    if (lines == m_lines)
        return;
    if (isOpen())
        close();
    m_lines = lines;
    m_reportedNames.clear();
    retire(m_stmt);
    retire(m_returningStmt);
    m_returningText.clear();
    m_preparedText.clear();
    // Keep the values of parameters that survive the change.
    QVector<Param> kept;
    for (const QString &n : SqlDialect::parameterNames(sqlText())) {
        Param p(n);
        for (const Param &old : std::as_const(m_params))
            if (old.name().compare(n, Qt::CaseInsensitive) == 0)
                p = old;
        kept.push_back(p);
    }
    m_params = kept;
}

Param &Query::paramByName(const QString &name)
{
    // Row loops set a statement's parameters in the same order row after
    // row: the search starts after the one found last, so it usually ends at
    // its first comparison.
    const qsizetype n = m_params.size();
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype i = (m_nextParam + k) % n;
        Param &p = m_params[i];
        if (p.name().compare(name, Qt::CaseInsensitive) == 0) {
            m_nextParam = (i + 1) % n;
            return p;
        }
    }
    throw DbError(QStringLiteral("Setting a parameter of %1").arg(objectName()),
                  QStringLiteral("%1: Parameter '%2' not found").arg(objectName(), name), sqlText());
}

bool Query::hasParam(const QString &name) const
{
    for (const Param &p : m_params)
        if (p.name().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void Query::fail(const QString &what, const QString &driverText, const QString &statement) const
{
    throw DbError(QStringLiteral("%1 (%2)").arg(what, objectName()), driverText, statement);
}


QVariant Query::bindableValue(const QVariant &v, FieldType type) const
{
    return m_db->engine().bindable(v, type);
}

QVariant Query::driverValue(const QVariant &v, FieldType type) const
{
    return m_db->engine().driverValue(bindableValue(v, type));
}

void Query::prepareStatement()
{
    if (!m_db || !m_db->isConnected())
        fail(QStringLiteral("Preparing a statement"), QStringLiteral("The database is not connected."), sqlText());
    prepareOnConnection();
}

void Query::prepareOnConnection()
{
    // setSql drops the statement when the text changes, so a statement prepared
    // on this connection is still the right one; no need to translate again.
    if (m_stmt && m_preparedConnection == m_db->connectionName())
        return;
    const QString translated = m_db->translate(sqlText());
    retire(m_stmt);
    m_stmt = std::make_unique<QSqlQuery>(m_db->connection());
    m_stmt->setForwardOnly(true);
    if (!m_stmt->prepare(translated)) {
        const QString text = m_stmt->lastError().text();
        m_stmt.reset();
        fail(QStringLiteral("Preparing a statement"), text, translated);
    }
    m_translated = translated;
    m_preparedText = translated;
    m_preparedConnection = m_db->connectionName();
}

void Query::bindParams(QSqlQuery &q) const
{
    for (const Param &p : m_params)
        q.bindValue(QLatin1Char(':') + p.name(), driverValue(p.value(), p.type()));
}

void Query::checkOpen(const char *what) const
{
    if (!isOpen())
        throw DbError(QStringLiteral("%1 (%2)").arg(QLatin1String(what), objectName()),
                      QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(objectName()));
}

void Query::open()
{
    if (isOpen())
        return;
    prepareStatement();
    bindParams(*m_stmt);
    if (!m_stmt->exec())
        fail(QStringLiteral("Opening"), m_stmt->lastError().text(), m_translated);
    readResult(*m_stmt);
    m_stmt->finish();
    m_cur = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_bof = true;
    setState(DataState::Browse);
    Q_EMIT afterOpen();
    Q_EMIT afterScroll();
}

void Query::sendAhead()
{
    // Also while the connection opens: the first reads go with its catalogue query.
    if (!m_db || !m_db->engine().paysRoundTrips() || !m_db->connection().isOpen())
        return;
    try {
        prepareOnConnection();
        bindParams(*m_stmt);
    } catch (const Error &) {
        // Not sent ahead: the statement fails where it runs, as it would have.
        return;
    }
    m_db->engine().sendAhead(*m_db, *m_stmt);
}

void Query::readResult(QSqlQuery &q)
{
    m_rows.clear();
    m_fields.clear();
    const QSqlRecord rec = q.record();
    const int n = rec.count();
    const SqlBackend &engine = m_db->engine();
    m_fields.resize(n);
    std::vector<bool> guessed(n, false);
    const bool folded = engine.foldsNames();
    QStringList reported;
    for (int i = 0; i < n; ++i)
        reported << rec.fieldName(i);
    if (folded && reported != m_reportedNames) {
        // A query opened again and again spells its names once.
        m_reportedNames = reported;
        m_spelledNames.clear();
        for (const QString &r : std::as_const(reported))
            m_spelledNames << spelledName(r, sqlText());
    }
    for (int i = 0; i < n; ++i) {
        m_fields[i].name = folded ? m_spelledNames[i] : reported[i];
        m_fields[i].type = engine.columnType(q, i);
        guessed[i] = m_fields[i].type == FieldType::Unknown;
    }
    while (q.next()) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i) {
            const QVariant raw = q.value(i);
            if (guessed[i] && raw.isValid() && !raw.isNull()) {
                // An expression column: its first value tells the type.
                m_fields[i].type = fieldTypeFromMeta(raw.typeId());
                if (m_fields[i].type == FieldType::Unknown)
                    m_fields[i].type = FieldType::Text;
                guessed[i] = false;
            }
            row[i] = typedValue(raw, m_fields[i].type);
        }
        m_rows.push_back(std::move(row));
    }
}

void Query::close()
{
    if (m_state == DataState::Inactive)
        return;
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_buffer.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    setState(DataState::Inactive);
    Q_EMIT afterClose();
}

void Query::execSql()
{
    prepareStatement();
    bindParams(*m_stmt);
    const QString kind = SqlDialect::statementKind(sqlText());
    WriteGuard::checkStatement(*m_db, sqlText());
    const bool reportsProgress = (kind == QLatin1String("UPDATE") || kind == QLatin1String("DELETE")) && m_db->session()
        && m_db->session()->progressSteps() > 0;
    Session *session = m_db->session();
    std::unique_ptr<SqlBackend::ProgressWatch> watch;
    if (reportsProgress) {
        session->reportProgress(0);
        watch = m_db->engine().watchProgress(m_db->connection(), *session);
    }
    const bool ok = m_stmt->exec();
    watch.reset();
    if (!ok)
        fail(QStringLiteral("Executing"), m_stmt->lastError().text(), m_translated);
    m_rowsAffected = m_stmt->numRowsAffected();
    m_stmt->finish();
    if (reportsProgress)
        session->reportProgress(100);
}

QVariant Query::execInsertReturningId(const QString &keyColumn)
{
    if (!m_db || !m_db->isConnected())
        fail(QStringLiteral("Preparing a statement"), QStringLiteral("The database is not connected."), sqlText());
    const SqlBackend &engine = m_db->engine();
    // Prepared once and run per row: a fulfilment inserts one delivery per
    // member, and preparing again would cost a server round trip each time.
    const QString text = m_db->translate(sqlText()) + engine.returningClause(keyColumn);
    if (!m_returningStmt || m_returningText != text || m_preparedConnection != m_db->connectionName()) {
        retire(m_returningStmt);
        m_returningStmt = std::make_unique<QSqlQuery>(m_db->connection());
        m_returningStmt->setForwardOnly(true);
        if (!m_returningStmt->prepare(text)) {
            const QString error = m_returningStmt->lastError().text();
            m_returningStmt.reset();
            fail(QStringLiteral("Preparing a statement"), error, text);
        }
        m_returningText = text;
        m_preparedConnection = m_db->connectionName();
    }
    QSqlQuery &q = *m_returningStmt;
    bindParams(q);
    WriteGuard::checkWrite(*m_db, text);
    if (!q.exec())
        fail(QStringLiteral("Executing"), q.lastError().text(), text);
    m_rowsAffected = q.numRowsAffected();
    const QVariant key = engine.insertedKey(q, m_db->connection());
    if (!key.isValid() || key.isNull())
        fail(QStringLiteral("Reading the new key"), QStringLiteral("The insert returned no key."), text);
    q.finish();
    return typedValue(key, FieldType::Integer);
}

int Query::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    // "Table.Column" asked for as "Column" and the other way round.
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        return fieldIndex(name.mid(dot + 1));
    return -1;
}

void Query::first()
{
    checkOpen("Moving to the first row");
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        post();
    m_cur = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_bof = true;
    Q_EMIT afterScroll();
}

void Query::next()
{
    checkOpen("Moving to the next row");
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        post();
    m_bof = false;
    if (m_cur + 1 < int(m_rows.size())) {
        ++m_cur;
        Q_EMIT afterScroll();
    } else {
        m_eof = true;
    }
}

void Query::prior()
{
    checkOpen("Moving to the prior row");
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        post();
    m_eof = false;
    if (m_cur > 0) {
        --m_cur;
        Q_EMIT afterScroll();
    } else {
        m_bof = true;
    }
}

void Query::last()
{
    checkOpen("Moving to the last row");
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        post();
    m_cur = int(m_rows.size()) - 1;
    m_eof = true;
    m_bof = m_rows.empty();
    Q_EMIT afterScroll();
}

void Query::moveBy(int n)
{
    if (m_rows.empty())
        return;
    setRecNo(qBound(0, m_cur + n, int(m_rows.size()) - 1));
}

void Query::setRecNo(int row)
{
    checkOpen("Moving to a row");
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        post();
    if (m_rows.empty())
        return;
    m_cur = qBound(0, row, int(m_rows.size()) - 1);
    m_eof = m_bof = false;
    Q_EMIT afterScroll();
}

QVariant Query::value(int field) const
{
    if (field < 0 || field >= m_fields.size())
        return QVariant();
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        return m_buffer.value(field);
    if (m_cur < 0 || m_cur >= int(m_rows.size()))
        return QVariant();
    return m_rows[m_cur][field];
}

QVariant Query::valueAt(int row, int field) const
{
    if (row == m_cur && (m_state == DataState::Edit || m_state == DataState::Insert))
        return m_buffer.value(field);
    if (row < 0 || row >= int(m_rows.size()) || field < 0 || field >= m_fields.size())
        return QVariant();
    return m_rows[row][field];
}

QVariant Query::fieldValue(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("Reading a field of %1").arg(objectName()),
                      QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return value(i);
}

QString Query::asString(const QString &name) const
{
    const QVariant v = fieldValue(name);
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return v.toString();
}

qint64 Query::asInteger(const QString &name) const
{
    return fieldValue(name).toLongLong();
}

bool Query::locate(const QStringList &fieldNames, const QVariantList &values, Qt::CaseSensitivity cs)
{
    checkOpen("Locating a row");
    QVector<int> idx;
    for (const QString &f : fieldNames) {
        const int i = fieldIndex(f);
        if (i < 0)
            throw DbError(QStringLiteral("Locating a row of %1").arg(objectName()),
                          QStringLiteral("%1: Field '%2' not found").arg(objectName(), f));
        idx << i;
    }
    for (int r = 0; r < int(m_rows.size()); ++r) {
        bool match = true;
        for (int k = 0; k < idx.size() && match; ++k) {
            const QVariant have = m_rows[r][idx[k]];
            const QVariant want = k < values.size() ? values[k] : QVariant();
            const bool haveNull = !have.isValid() || have.isNull();
            const bool wantNull = !want.isValid() || want.isNull();
            if (haveNull || wantNull) {
                match = haveNull && wantNull;
            } else if (m_fields[idx[k]].type == FieldType::Text) {
                match = have.toString().compare(want.toString(), cs) == 0;
            } else if (m_fields[idx[k]].type == FieldType::Integer) {
                match = have.toLongLong() == want.toLongLong();
            } else {
                match = have == typedValue(want, m_fields[idx[k]].type);
            }
        }
        if (match) {
            setRecNo(r);
            return true;
        }
    }
    return false;
}

void Query::refresh()
{
    checkOpen("Refreshing");
    // A refresh reads: a pending edit is the caller's to post or cancel first,
    // never written here behind the user's back.
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        throw DbError(QStringLiteral("Refreshing %1").arg(objectName()),
                      QStringLiteral("%1: Cannot refresh a dataset while a row is being edited").arg(objectName()));
    QVariant key;
    const int keyIdx = m_live ? fieldIndex(keyField()) : -1;
    if (keyIdx >= 0 && m_cur >= 0)
        key = m_rows[m_cur][keyIdx];
    const int oldCur = m_cur;
    prepareStatement();
    bindParams(*m_stmt);
    if (!m_stmt->exec())
        fail(QStringLiteral("Refreshing"), m_stmt->lastError().text(), m_translated);
    readResult(*m_stmt);
    m_stmt->finish();
    m_cur = m_rows.empty() ? -1 : qBound(0, oldCur, int(m_rows.size()) - 1);
    if (key.isValid()) {
        for (int r = 0; r < int(m_rows.size()); ++r)
            if (m_rows[r][keyIdx] == key) {
                m_cur = r;
                break;
            }
    }
    m_eof = m_rows.empty();
    m_bof = m_cur <= 0;
    Q_EMIT afterOpen();
    Q_EMIT afterScroll();
}

void Query::flush()
{
    if (!m_db || !m_db->isConnected())
        return;
    m_db->engine().flush(m_db->connection());
}

} // namespace kv
