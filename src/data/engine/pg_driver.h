#pragma once

// A Qt SQL driver of ours over libpq. Qt's own PostgreSQL driver prepares
// every parameterised statement with SQL PREPARE, runs it with EXECUTE and
// drops it with DEALLOCATE: three round trips to the server for each
// statement. This one sends the text and its bound values in one message
// (PQexecParams), so a statement costs one round trip, and reads the whole
// result in that trip. Values travel as parameters, never inside the text.

#include <QByteArray>
#include <QSqlDriver>
#include <QString>

#include <utility>
#include <vector>

class QSqlQuery;
struct pg_conn;
struct pg_result;

namespace kv {

// A statement as the server receives it: the text with numbered
// placeholders and each value in text form (bytes in binary), NULL where the
// value is null.
struct PgStatement
{
    QByteArray text;
    std::vector<QByteArray> values;
    std::vector<bool> nulls;
    std::vector<bool> binary;

    bool operator==(const PgStatement &) const = default;
};

class PgDriver : public QSqlDriver
{
    Q_OBJECT
public:
    // The name the driver is registered under with QSqlDatabase.
    static const QString kName;
    // Registers the driver once; later calls do nothing.
    static void registerDriver();

    explicit PgDriver(QObject *parent = nullptr);
    ~PgDriver() override;

    // libpq connection keywords and their values, each pair as it is: no
    // value is ever parsed for more keywords.
    using Parameters = std::vector<std::pair<QByteArray, QByteArray>>;
    // Given before open(), beside host, port, database, user and password.
    void setParameters(Parameters parameters) { m_parameters = std::move(parameters); }

    bool hasFeature(DriverFeature f) const override;
    // connOpts must be empty: options come through setParameters, since a
    // text of options would let a value (a path, a schema) add options of
    // its own.
    bool open(const QString &db, const QString &user, const QString &password, const QString &host, int port,
              const QString &connOpts) override;
    void close() override;
    QSqlResult *createResult() const override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;
    QStringList tables(QSql::TableType type) const override;
    QSqlIndex primaryIndex(const QString &tableName) const override;
    QSqlRecord record(const QString &tableName) const override;
    QString escapeIdentifier(const QString &identifier, IdentifierType type) const override;
    QVariant handle() const override;

    pg_conn *connection() const { return m_conn; }
    // Statements that waited for the server since the connection opened
    // (the connection's own start-up not counted).
    qint64 roundTrips() const { return m_roundTrips; }
    // Called before each statement: a connection that broke while no
    // transaction was open is opened again, so that the next operation after
    // the server came back works; inside a transaction it stays broken, since
    // what the transaction wrote is gone with it.
    bool ensureConnected();
    void countRoundTrip() { ++m_roundTrips; }
    void noteTransaction(bool open) { m_inTransaction = open; }

    // Reads sent ahead. A prepared and bound read queued here travels with
    // the next read the connection sends, in the same round trip (pipeline
    // mode), and its result waits for the one run of the same text and
    // values that asks for it. A result waits only while nothing could have
    // changed what it read on this connection: any statement but a read
    // outside a transaction drops the waiting ones and the queue (those run
    // again when they are asked for, as if never sent ahead).
    void sendAlong(const QSqlQuery &statement);
    // The waiting result of this statement, taken; null when there is none.
    pg_result *takeReadAhead(const PgStatement &statement);
    // Runs a statement, with the reads queued to go along where it is a read
    // itself; simple: the text may hold several statements (no parameters).
    pg_result *execute(const PgStatement &statement, bool simple);
    // Drops the waiting results and the queue.
    void dropReadAhead();

private:
    bool runCommand(const char *sql);
    pg_result *runWithQueued(const PgStatement &first);

    struct Waiting
    {
        PgStatement statement;
        pg_result *result;
    };

    pg_conn *m_conn = nullptr;
    Parameters m_parameters;
    std::vector<PgStatement> m_queued;
    std::vector<Waiting> m_waiting;
    qint64 m_roundTrips = 0;
    bool m_inTransaction = false;
};

} // namespace kv
