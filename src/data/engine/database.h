#pragma once

#include "data/engine/session.h"
#include "data/engine/sql_backend.h"
#include "data/engine/sql_dialect.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSqlDatabase>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QSqlQuery;

namespace kv {

class Query;

// A database of a session: a directory holding the file (local session) or a
// database on the session's server (remote session). Each Database owns one
// Qt SQL connection of its own name; nothing uses the default connection.
class Database : public QObject
{
    Q_OBJECT
public:
    // The file a local database opens in its directory.
    static QString fileNameFor(const QString &databaseName) { return databaseName + QStringLiteral(".db"); }

    explicit Database(const QString &databaseName, QObject *parent = nullptr);
    ~Database() override;

    QString databaseName() const { return m_name; }

    Session *session() const { return m_session; }
    void setSession(Session *s) { m_session = s; }

    QString directory() const { return m_directory; }
    void setDirectory(const QString &d) { m_directory = d; }
    QString remoteDatabase() const { return m_remoteDatabase; }
    void setRemoteDatabase(const QString &d) { m_remoteDatabase = d; }

    // A local file that does not exist yet is created only when asked for;
    // otherwise a missing file is an error and nothing is written.
    void setCreateIfMissing(bool on) { m_createIfMissing = on; }
    // Tables that must exist; checked right after opening, before anything is written.
    void setRequiredTables(const QStringList &tables) { m_requiredTables = tables; }
    // PostgreSQL only: the schema searched first (tests give each case its own).
    void setSchema(const QString &schema) { m_schema = schema; }
    QString schema() const { return m_schema; }

    void setBeforeConnectHandler(std::function<void(Database &)> h) { m_beforeConnect = std::move(h); }
    // Where a word for the user goes that does not fail the operation (a
    // COMMIT whose answer was lost, that the server says it committed); the
    // trace when no one listens.
    void setNoticeHandler(std::function<void(const QString &)> h) { m_notice = std::move(h); }
    void notice(const QString &text) const;

    // Starts the session if needed, runs the before-connect step and opens the
    // connection. Throws DbError with the driver's text when it cannot.
    // firstReads: queries about to be opened; where a statement pays a round
    // trip they travel with the catalogue query (Query::sendAhead).
    void connect(const QList<Query *> &firstReads = {});
    void disconnect();
    bool isConnected() const { return m_connected; }

    Backend backend() const;
    // What differs between the engines below the SQL text (opening, binding,
    // keys of new rows, transactions, catalogue, progress, flushing), chosen
    // once for this database's engine.
    const SqlBackend &engine() const;
    QString connectionName() const { return m_connectionName; }
    QSqlDatabase connection() const;
    QString filePath() const;
    // True when the local file lives on a network file system (rollback journal then).
    bool onNetworkFileSystem() const;
    // The file system types (as QStorageInfo names them) that count as a network share.
    static bool isNetworkFileSystemType(const QByteArray &type);
    // Tests only: treat the directory as a network share whatever it is.
    void setTreatAsNetworkShare(bool on) { m_treatAsNetworkShare = on; }
    // Shown when a network share cannot leave WAL because another workstation holds it so.
    static const QString kShareInWalMessage;

    QString translate(const QString &sql) const { return SqlDialect::translate(sql, engine().dialect()); }

    // Runs statements without parameters (schema work, settings).
    void execute(const QString &sql);
    // Asked of the server each time (schema work creates what was missing).
    bool tableExists(const QString &table) const;
    bool indexExists(const QString &index) const;
    // What the catalogue held when the connection opened, read in one query:
    // kind "table", "index" or "collation", names compared without case.
    bool hadAtConnect(const QString &kind, const QString &name) const;

    // Takes a statement that is no longer needed. Statements keep nothing on
    // the server between runs, so it simply goes.
    void retire(std::unique_ptr<QSqlQuery> statement);

    // How the schema spells a column name, for engines that report names
    // folded to lower case; the name as given when no table has it.
    static QString columnSpelling(const QString &name);
    static void addColumnSpellings(const QStringList &names);

    // Statements sent to a PostgreSQL server since the connection opened,
    // its start-up not counted; 0 on SQLite. Reads that travelled together
    // count once.
    qint64 roundTrips() const;
    // Drops the answers of reads sent ahead (Query::sendAhead) that nobody
    // took, and the reads still to be sent: whoever sent them ahead says so
    // when it has opened what it meant to, so that a later read of the same
    // statement is not answered from back then.
    void dropReadAhead();

private:
    friend class SqliteBackend;
    friend class PostgresBackend;
    // Used by the backends while opening.
    QString claimConnectionName();
    void dropConnection();
    void readCatalogue();
    void checkRequiredTables();

    QString m_name;
    QString m_connectionName;
    Session *m_session = nullptr;
    QString m_directory;
    QString m_remoteDatabase;
    QString m_schema;
    QStringList m_requiredTables;
    QSet<QString> m_catalogue;
    QList<QPointer<Query>> m_firstReads; // while connecting
    bool m_createIfMissing = false;
    bool m_treatAsNetworkShare = false;
    bool m_connected = false;
    std::function<void(Database &)> m_beforeConnect;
    std::function<void(const QString &)> m_notice;
    mutable std::unique_ptr<SqlBackend> m_engine;

    // Open units of work on this connection (see UnitOfWork).
    friend class UnitOfWork;
    int m_txnDepth = 0;
    bool m_txnDoomed = false;
};

// A statement of one scope that goes to Database::retire however the scope ends.
class ScopedStatement
{
public:
    explicit ScopedStatement(Database &db);
    ~ScopedStatement();
    ScopedStatement(const ScopedStatement &) = delete;
    ScopedStatement &operator=(const ScopedStatement &) = delete;
    QSqlQuery &operator*() const { return *m_stmt; }
    QSqlQuery *operator->() const { return m_stmt.get(); }

private:
    Database &m_db;
    std::unique_ptr<QSqlQuery> m_stmt;
};

} // namespace kv
