#pragma once

#include <QString>

namespace kv {
class Database;
}

// Counts the statements one connection sends to the test PostgreSQL server,
// read from the server's own statement log: every statement the server was
// asked to run is one line there, whatever client library sent it, so the
// count is what a slow link would pay for. The log is the one the test
// cluster writes beside its socket (KESTROVAN_PG_LOG names another).
class ServerStatementCounter
{
public:
    // Turns the statement log on for db's connection; throws kv::Error when
    // the server refuses or its log cannot be read.
    explicit ServerStatementCounter(kv::Database &db);

    // Counts from now on.
    void start();
    // Statements of the connection since start().
    int count() const;
    // The statements themselves, one per entry (for a failure's message).
    QString statements() const;

private:
    QString m_log;
    QString m_marker; // "[pid] LOG:  " of the connection
    qint64 m_offset = 0;
};
