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

struct pg_conn;

namespace kv {

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

private:
    bool runCommand(const char *sql);

    pg_conn *m_conn = nullptr;
    Parameters m_parameters;
    qint64 m_roundTrips = 0;
    bool m_inTransaction = false;
};

} // namespace kv
