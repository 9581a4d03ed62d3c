#include "data/engine/query.h"

#include "data/engine/db_error.h"
#include "data/engine/sql_backend.h"
#include "data/engine/sql_dates.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

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

void Query::prepareStatement()
{
    if (!m_db || !m_db->isConnected())
        fail(QStringLiteral("Preparing a statement"), QStringLiteral("The database is not connected."), sqlText());
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
        q.bindValue(QLatin1Char(':') + p.name(), bindableValue(p.value(), p.type()));
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
    if (m_state == DataState::Edit || m_state == DataState::Insert)
        post();
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
                q.bindValue(QStringLiteral(":p%1").arg(i), bindableValue(m_buffer[i], m_fields[i].type));
            for (int i : std::as_const(compared))
                if (!isEmptyValue(read[i]))
                    q.bindValue(QStringLiteral(":o%1").arg(i), bindableValue(read[i], m_fields[i].type));
            q.bindValue(QStringLiteral(":pkey"), bindableValue(read[keyIdx], m_fields[keyIdx].type));
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
            q.bindValue(QStringLiteral(":p%1").arg(i), bindableValue(m_buffer[i], m_fields[i].type));
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
        row.name = EditConflict::kRecordOf.arg(table, key, row.key.toString());
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
    q.bindValue(QStringLiteral(":pkey"), bindableValue(row.key, m_fields[keyIdx].type));
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
