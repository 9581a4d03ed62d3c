#include "data/engine/pg_driver.h"

#include "data/trace.h"
#include "data/translate.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QStringDecoder>
#include <QTime>
#include <QVariant>

#include <libpq-fe.h>

#include <vector>

namespace kv {

const QString PgDriver::kName = QStringLiteral("KVPG");

namespace {

// Type identifiers of the server's built-in types (pg_type.oid).
enum : Oid {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kDate = 1082,
    kTime = 1083,
    kTimestamp = 1114,
    kTimestampTz = 1184,
    kNumeric = 1700,
};

QMetaType metaTypeFor(Oid type)
{
    switch (type) {
    case kBool: return QMetaType(QMetaType::Bool);
    case kInt8: return QMetaType(QMetaType::LongLong);
    case kInt2:
    case kInt4:
    case kOid: return QMetaType(QMetaType::Int);
    case kFloat4:
    case kFloat8:
    case kNumeric: return QMetaType(QMetaType::Double);
    case kDate: return QMetaType(QMetaType::QDate);
    case kTime: return QMetaType(QMetaType::QTime);
    case kTimestamp:
    case kTimestampTz: return QMetaType(QMetaType::QDateTime);
    case kBytea: return QMetaType(QMetaType::QByteArray);
    default: return QMetaType(QMetaType::QString);
    }
}

// The server writes up to six digits of a second; Qt reads three.
QString millisecondsOnly(QString s)
{
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return s;
    qsizetype end = dot + 1;
    while (end < s.size() && s.at(end).isDigit())
        ++end;
    if (end - dot - 1 > 3)
        s.remove(dot + 4, end - dot - 4);
    return s;
}

QDateTime timestampFrom(const char *text, bool withZone)
{
    QString s = millisecondsOnly(QString::fromLatin1(text));
    s.replace(QLatin1Char(' '), QLatin1Char('T'));
    // The server writes a zone as "+02" or "+05:30"; ISO wants the minutes.
    if (withZone) {
        const qsizetype sign = qMax(s.lastIndexOf(QLatin1Char('+')), s.lastIndexOf(QLatin1Char('-')));
        if (sign > 10 && s.size() - sign == 3)
            s += QStringLiteral(":00");
    }
    QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(s, Qt::ISODate);
    return withZone ? dt.toLocalTime() : dt;
}

// A text value as stored. Qt's UTF-8 decoder takes a leading U+FEFF for a
// byte-order mark and drops it; in a value it is a character someone stored.
QString textFrom(const char *text, int length)
{
    if (length >= 3 && uchar(text[0]) == 0xEF && uchar(text[1]) == 0xBB && uchar(text[2]) == 0xBF) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return decoder(QByteArrayView(text, length));
    }
    return QString::fromUtf8(text, length);
}

QVariant valueFrom(const PGresult *res, int row, int column)
{
    const char *text = PQgetvalue(res, row, column);
    switch (PQftype(res, column)) {
    case kBool: return QVariant(text[0] == 't');
    case kInt8: return QVariant(qlonglong(strtoll(text, nullptr, 10)));
    case kInt2:
    case kInt4:
    case kOid: return QVariant(int(strtol(text, nullptr, 10)));
    case kFloat4:
    case kFloat8:
    case kNumeric: return QVariant(QString::fromLatin1(text).toDouble());
    case kDate: return QVariant(QDate::fromString(QString::fromLatin1(text), Qt::ISODate));
    case kTime: return QVariant(QTime::fromString(millisecondsOnly(QString::fromLatin1(text)), Qt::ISODateWithMs));
    case kTimestamp: return QVariant(timestampFrom(text, false));
    case kTimestampTz: return QVariant(timestampFrom(text, true));
    case kBytea: {
        size_t len = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &len);
        QByteArray bytes(reinterpret_cast<const char *>(raw), qsizetype(len));
        PQfreemem(raw);
        return QVariant(bytes);
    }
    default: return QVariant(textFrom(text, PQgetlength(res, row, column)));
    }
}

// A bound value as the server reads it in text form; bytes go as binary.
QByteArray parameterText(const QVariant &v, bool &binary)
{
    binary = false;
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QTime: return v.toTime().toString(Qt::ISODateWithMs).toLatin1();
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (qIsNaN(d))
            return QByteArrayLiteral("NaN");
        if (qIsInf(d))
            return d > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
        return QByteArray::number(d, 'g', 17);
    }
    case QMetaType::QByteArray: binary = true; return v.toByteArray();
    default: return v.toString().toUtf8();
    }
}

// Qt hands prepared text over with "?" for every named parameter; the server
// numbers them. Quoted text and names keep their question marks.
QByteArray numberedPlaceholders(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    QChar quote;
    int n = 0;
    for (const QChar ch : sql) {
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
            out += ch;
        } else if (ch == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++n);
        } else {
            if (ch == QLatin1Char('\'') || ch == QLatin1Char('"'))
                quote = ch;
            out += ch;
        }
    }
    return out.toUtf8();
}

PgStatement statementOf(const QByteArray &text, const QVariantList &values)
{
    PgStatement s;
    s.text = text;
    const size_t n = size_t(values.size());
    s.values.resize(n);
    s.nulls.assign(n, true);
    s.binary.assign(n, false);
    for (size_t i = 0; i < n; ++i) {
        const QVariant &v = values.at(qsizetype(i));
        if (!v.isValid() || v.isNull())
            continue;
        bool binary = false;
        s.values[i] = parameterText(v, binary);
        s.nulls[i] = false;
        s.binary[i] = binary;
    }
    return s;
}

// A statement's values as libpq takes them; lives while the call runs.
struct Arguments
{
    explicit Arguments(const PgStatement &s)
    {
        for (size_t i = 0; i < s.values.size(); ++i) {
            pointers.push_back(s.nulls[i] ? nullptr : s.values[i].constData());
            lengths.push_back(s.nulls[i] ? 0 : int(s.values[i].size()));
            formats.push_back(s.binary[i] ? 1 : 0);
        }
    }
    int count() const { return int(pointers.size()); }
    std::vector<const char *> pointers;
    std::vector<int> lengths;
    std::vector<int> formats;
};

// No parameter types: the server infers each from where it stands.
PGresult *execParams(PGconn *conn, const PgStatement &s)
{
    const Arguments a(s);
    return PQexecParams(conn, s.text.constData(), a.count(), nullptr, a.pointers.data(), a.lengths.data(), a.formats.data(), 0);
}

bool sendParams(PGconn *conn, const PgStatement &s)
{
    const Arguments a(s);
    return PQsendQueryParams(conn, s.text.constData(), a.count(), nullptr, a.pointers.data(), a.lengths.data(),
                             a.formats.data(), 0)
        == 1;
}

// One statement that only reads: what may carry reads sent ahead and leave
// the waiting ones standing. Anything else might change what they read.
bool isSingleRead(const QByteArray &text)
{
    return text.trimmed().left(6).toUpper() == "SELECT" && !text.contains(';');
}

// The result of the statement sent next in a pipeline; null when the
// connection broke before it came.
PGresult *nextPipelineResult(PGconn *conn)
{
    PGresult *res = PQgetResult(conn);
    if (!res)
        return nullptr;
    // Each statement's results end with a null.
    while (PGresult *more = PQgetResult(conn))
        PQclear(more);
    return res;
}

bool isRollback(const QString &sql)
{
    return sql.trimmed().compare(QLatin1String("ROLLBACK"), Qt::CaseInsensitive) == 0;
}

QString lostConnectionText(const char *libpqText)
{
    return kv::shown("PgDriver", "The connection to the database server was lost. %1").arg(QString::fromUtf8(libpqText).trimmed());
}

class PgResult : public QSqlResult
{
public:
    explicit PgResult(const PgDriver *driver)
        : QSqlResult(driver)
    {
    }
    ~PgResult() override { clearResult(); }

    QVariant handle() const override { return QVariant::fromValue(static_cast<void *>(m_res)); }
    // The prepared text as the server receives it.
    const QByteArray &preparedText() const { return m_prepared; }

protected:
    bool reset(const QString &query) override
    {
        clearResult();
        setSelect(false);
        setActive(false);
        setAt(QSql::BeforeFirstRow);
        if (isRollback(query) && PQstatus(conn()) == CONNECTION_BAD && mutableDriver()->isOpen()) {
            // The server dropped the transaction with the connection.
            mutableDriver()->noteTransaction(false);
            setActive(true);
            return true;
        }
        PgStatement statement;
        statement.text = query.toUtf8();
        // Without parameters the text may hold several statements; the simple
        // protocol runs them all in the one trip.
        return run(statement.text, [&] { return mutableDriver()->execute(statement, true); });
    }

    bool prepare(const QString &query) override
    {
        clearResult();
        m_prepared = numberedPlaceholders(query);
        return true;
    }

    bool exec() override
    {
        clearResult();
        setSelect(false);
        setActive(false);
        setAt(QSql::BeforeFirstRow);
        const PgStatement statement = statementOf(m_prepared, boundValues());
        // A read sent ahead has its answer here already: no trip.
        if (PGresult *ready = mutableDriver()->takeReadAhead(statement))
            return finish(ready);
        return run(m_prepared, [&] { return mutableDriver()->execute(statement, false); });
    }

    bool fetch(int i) override
    {
        if (!isActive() || !isSelect() || i < 0 || i >= m_rows)
            return false;
        setAt(i);
        return true;
    }
    bool fetchFirst() override { return fetch(0); }
    bool fetchLast() override { return fetch(m_rows - 1); }

    QVariant data(int field) override
    {
        if (!m_res || field < 0 || field >= PQnfields(m_res) || at() < 0)
            return QVariant();
        if (PQgetisnull(m_res, at(), field))
            return QVariant(metaTypeFor(PQftype(m_res, field)));
        return valueFrom(m_res, at(), field);
    }

    bool isNull(int field) override { return !m_res || at() < 0 || PQgetisnull(m_res, at(), field); }
    int size() override { return isSelect() ? m_rows : -1; }
    int numRowsAffected() override { return m_res ? QByteArray(PQcmdTuples(m_res)).toInt() : -1; }

    QSqlRecord record() const override
    {
        QSqlRecord rec;
        if (!m_res || !isSelect())
            return rec;
        const int n = PQnfields(m_res);
        for (int i = 0; i < n; ++i) {
            const Oid type = PQftype(m_res, i);
            QSqlField f(QString::fromUtf8(PQfname(m_res, i)), metaTypeFor(type));
            rec.append(f);
        }
        return rec;
    }

    void detachFromResultSet() override { clearResult(); }

private:
    const PgDriver *pgDriver() const { return static_cast<const PgDriver *>(driver()); }
    pg_conn *conn() const { return pgDriver()->connection(); }
    PgDriver *mutableDriver() const { return const_cast<PgDriver *>(pgDriver()); }

    // Runs a statement. One that finds the connection broken, outside a
    // transaction and unable to have written anything, is sent again on a
    // new connection: the server went away and came back between operations.
    template<typename Send>
    bool run(const QByteArray &text, Send send)
    {
        if (!begin())
            return false;
        const bool inTransaction = PQtransactionStatus(conn()) != PQTRANS_IDLE;
        PGresult *res = send();
        if (PQstatus(conn()) == CONNECTION_BAD && !inTransaction && writesNothing(text)) {
            PQclear(res);
            if (!begin())
                return false;
            res = send();
        }
        return finish(res);
    }

    static bool writesNothing(const QByteArray &text)
    {
        const QByteArray head = text.trimmed().left(6).toUpper();
        return head.startsWith("BEGIN") || head.startsWith("SELECT") || head.startsWith("SHOW");
    }

    bool begin()
    {
        PgDriver *d = mutableDriver();
        if (!d->isOpen() || !conn()) {
            setLastError(QSqlError(QStringLiteral("The connection is not open."), QString(), QSqlError::ConnectionError));
            return false;
        }
        if (!d->ensureConnected()) {
            setLastError(QSqlError(lostConnectionText(PQerrorMessage(conn())), QString(), QSqlError::ConnectionError));
            return false;
        }
        d->countRoundTrip();
        return true;
    }

    bool finish(PGresult *res)
    {
        m_res = res;
        const ExecStatusType status = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
        PgDriver *d = mutableDriver();
        if (PQstatus(conn()) == CONNECTION_OK)
            d->noteTransaction(PQtransactionStatus(conn()) != PQTRANS_IDLE);
        if (status == PGRES_TUPLES_OK || status == PGRES_SINGLE_TUPLE) {
            m_rows = PQntuples(res);
            setSelect(true);
            setActive(true);
            return true;
        }
        if (status == PGRES_COMMAND_OK || status == PGRES_EMPTY_QUERY) {
            m_rows = 0;
            setActive(true);
            return true;
        }
        const char *sqlState = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
        // A broken connection is told apart: whoever sent COMMIT then does
        // not know whether the server received it.
        const bool lost = PQstatus(conn()) == CONNECTION_BAD;
        const QString text = lost ? lostConnectionText(PQerrorMessage(conn()))
                                  : QString::fromUtf8(res ? PQresultErrorMessage(res) : PQerrorMessage(conn())).trimmed();
        setLastError(QSqlError(text, QString(), lost ? QSqlError::ConnectionError : QSqlError::StatementError,
                               QString::fromLatin1(sqlState)));
        clearResult();
        return false;
    }

    void clearResult()
    {
        if (m_res)
            PQclear(m_res);
        m_res = nullptr;
        m_rows = 0;
    }

    PGresult *m_res = nullptr;
    int m_rows = 0;
    QByteArray m_prepared;
};

} // namespace

PgDriver::PgDriver(QObject *parent)
    : QSqlDriver(parent)
{
}

PgDriver::~PgDriver()
{
    close();
}

void PgDriver::registerDriver()
{
    static const bool registered = [] {
        QSqlDatabase::registerSqlDriver(kName, new QSqlDriverCreator<PgDriver>);
        return true;
    }();
    Q_UNUSED(registered);
}

bool PgDriver::hasFeature(DriverFeature f) const
{
    switch (f) {
    case Transactions:
    case QuerySize:
    case PreparedQueries:
    case PositionalPlaceholders:
    case Unicode:
    case BLOB:
    case LowPrecisionNumbers:
        return true;
    default:
        return false;
    }
}

bool PgDriver::open(const QString &db, const QString &user, const QString &password, const QString &host, int port,
                    const QString &connOpts)
{
    close();
    if (!connOpts.isEmpty()) {
        setLastError(QSqlError(QStringLiteral("Connection options are given as parameters, not as text."), QString(),
                               QSqlError::ConnectionError));
        setOpenError(true);
        return false;
    }
    std::vector<QByteArray> keys, values;
    auto add = [&](const char *k, const QString &v) {
        if (!v.isEmpty()) {
            keys.emplace_back(k);
            values.push_back(v.toUtf8());
        }
    };
    add("host", host);
    add("port", port > 0 ? QString::number(port) : QString());
    add("dbname", db);
    add("user", user);
    add("password", password);
    // Sent with the start-up message, so they cost no trip of their own.
    add("client_encoding", QStringLiteral("UTF8"));
    for (const auto &[key, value] : m_parameters) {
        keys.push_back(key);
        values.push_back(value);
    }
    std::vector<const char *> k, v;
    for (size_t i = 0; i < keys.size(); ++i) {
        k.push_back(keys[i].constData());
        v.push_back(values[i].constData());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);
    m_conn = PQconnectdbParams(k.data(), v.data(), 0);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        setLastError(QSqlError(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed(), QString(), QSqlError::ConnectionError));
        PQfinish(m_conn);
        m_conn = nullptr;
        setOpenError(true);
        return false;
    }
    // What the server reports besides errors (a shutdown's warning) would
    // only repeat on stderr the message the user is shown: the trace keeps it.
    PQsetNoticeProcessor(
        m_conn, [](void *, const char *message) { Trace::message(QString::fromUtf8(message).trimmed()); }, nullptr);
    m_roundTrips = 0;
    m_inTransaction = false;
    setOpen(true);
    setOpenError(false);
    return true;
}

void PgDriver::close()
{
    dropReadAhead();
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    if (isOpen()) {
        setOpen(false);
        setOpenError(false);
    }
}

bool PgDriver::ensureConnected()
{
    if (PQstatus(m_conn) == CONNECTION_OK)
        return true;
    if (m_inTransaction)
        return false;
    dropReadAhead();
    // The same parameters and settings as before: libpq keeps them.
    PQreset(m_conn);
    if (PQpipelineStatus(m_conn) != PQ_PIPELINE_OFF)
        PQexitPipelineMode(m_conn);
    return PQstatus(m_conn) == CONNECTION_OK;
}

void PgDriver::sendAlong(const QSqlQuery &statement)
{
    const auto *result = dynamic_cast<const PgResult *>(statement.result());
    if (!result || !m_conn || PQstatus(m_conn) != CONNECTION_OK)
        return;
    m_queued.push_back(statementOf(result->preparedText(), statement.boundValues()));
}

PGresult *PgDriver::takeReadAhead(const PgStatement &statement)
{
    if (m_waiting.empty() || !m_conn || PQstatus(m_conn) != CONNECTION_OK || PQtransactionStatus(m_conn) != PQTRANS_IDLE)
        return nullptr;
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it) {
        if (it->statement == statement) {
            PGresult *res = it->result;
            m_waiting.erase(it);
            return res;
        }
    }
    return nullptr;
}

void PgDriver::dropReadAhead()
{
    for (const Waiting &w : m_waiting)
        PQclear(w.result);
    m_waiting.clear();
    m_queued.clear();
}

PGresult *PgDriver::execute(const PgStatement &statement, bool simple)
{
    if (PQtransactionStatus(m_conn) != PQTRANS_IDLE || !isSingleRead(statement.text))
        dropReadAhead();
    else if (!m_queued.empty())
        return runWithQueued(statement);
    return simple ? PQexec(m_conn, statement.text.constData()) : execParams(m_conn, statement);
}

PGresult *PgDriver::runWithQueued(const PgStatement &first)
{
    const std::vector<PgStatement> along = std::exchange(m_queued, {});
    if (PQenterPipelineMode(m_conn) != 1)
        return execParams(m_conn, first);
    // Every statement and the sync leave in one write; the answers come back
    // in order, each read whole.
    bool sent = sendParams(m_conn, first);
    size_t sentAlong = 0;
    while (sent && sentAlong < along.size()) {
        sent = sendParams(m_conn, along[sentAlong]);
        if (sent)
            ++sentAlong;
    }
    // Synced even after a failed send, so that what went is answered.
    sent = PQpipelineSync(m_conn) == 1 && sent;
    PGresult *res = nullptr;
    if (sent) {
        res = nextPipelineResult(m_conn);
        for (size_t i = 0; i < sentAlong; ++i) {
            PGresult *r = nextPipelineResult(m_conn);
            // A read that failed runs again when asked for and reports its own error then.
            if (r && PQresultStatus(r) == PGRES_TUPLES_OK)
                m_waiting.push_back({along[i], r});
            else
                PQclear(r);
        }
    }
    // Up to the sync: nothing left when all went well, else what was sent.
    // Each statement's results end with a null, so the nulls are counted.
    for (size_t nulls = 0; nulls <= sentAlong + 1;) {
        PGresult *r = PQgetResult(m_conn);
        if (!r) {
            if (PQstatus(m_conn) != CONNECTION_OK)
                break;
            ++nulls;
            continue;
        }
        const ExecStatusType status = PQresultStatus(r);
        PQclear(r);
        if (status == PGRES_PIPELINE_SYNC)
            break;
    }
    PQexitPipelineMode(m_conn);
    if (!sent || !res) {
        // Nothing of the pipeline is trusted: the statement runs alone, as it
        // would have without reads along.
        PQclear(res);
        dropReadAhead();
        return execParams(m_conn, first);
    }
    return res;
}

QSqlResult *PgDriver::createResult() const
{
    return new PgResult(this);
}

bool PgDriver::runCommand(const char *sql)
{
    if (!isOpen())
        return false;
    QSqlResult *r = createResult();
    QSqlQuery q(r);
    return q.exec(QString::fromLatin1(sql));
}

bool PgDriver::beginTransaction() { return runCommand("BEGIN"); }
bool PgDriver::commitTransaction() { return runCommand("COMMIT"); }
bool PgDriver::rollbackTransaction() { return runCommand("ROLLBACK"); }

QStringList PgDriver::tables(QSql::TableType type) const
{
    QStringList out;
    if (!isOpen() || !(type & QSql::Tables))
        return out;
    QSqlQuery q(createResult());
    if (q.exec(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()")))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

QSqlIndex PgDriver::primaryIndex(const QString &tableName) const
{
    QSqlIndex index(tableName);
    if (!isOpen())
        return index;
    QSqlQuery q(createResult());
    q.prepare(QStringLiteral(
        "SELECT a.attname, c.relname FROM pg_index i JOIN pg_class t ON t.oid = i.indrelid "
        "JOIN pg_class c ON c.oid = i.indexrelid JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = ANY(i.indkey) "
        "WHERE i.indisprimary AND t.relnamespace = quote_ident(current_schema())::regnamespace AND t.relname = ? ORDER BY a.attnum"));
    q.addBindValue(tableName);
    if (q.exec())
        while (q.next()) {
            index.append(QSqlField(q.value(0).toString()));
            index.setName(q.value(1).toString());
        }
    return index;
}

QSqlRecord PgDriver::record(const QString &tableName) const
{
    QSqlRecord rec;
    if (!isOpen())
        return rec;
    QSqlQuery q(createResult());
    q.prepare(QStringLiteral("SELECT a.attname, a.atttypid FROM pg_attribute a JOIN pg_class t ON t.oid = a.attrelid "
                             "WHERE t.relnamespace = quote_ident(current_schema())::regnamespace AND t.relname = ? AND a.attnum > 0 "
                             "AND NOT a.attisdropped ORDER BY a.attnum"));
    q.addBindValue(tableName);
    if (q.exec())
        while (q.next())
            rec.append(QSqlField(q.value(0).toString(), metaTypeFor(Oid(q.value(1).toLongLong()))));
    return rec;
}

QString PgDriver::escapeIdentifier(const QString &identifier, IdentifierType) const
{
    if (identifier.startsWith(QLatin1Char('"')) && identifier.endsWith(QLatin1Char('"')) && identifier.size() > 1)
        return identifier;
    QString q = identifier;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QVariant PgDriver::handle() const
{
    return QVariant::fromValue(static_cast<void *>(m_conn));
}

} // namespace kv
