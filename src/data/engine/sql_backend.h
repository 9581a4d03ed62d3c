#pragma once

// What differs between the two engines below the SQL text (which the dialect
// translator handles): how a connection opens, how values are bound, how a
// result's column types and names are learnt, how the key of a new row comes
// back, how a transaction starts, how a read row is locked, what the catalogue
// holds, how a long statement reports progress, how written data is pushed
// to disk, how the schema declares its columns, how the dialect differs, and
// how rows are streamed out and inserted in a loop. A Database chooses its
// backend once; the engine asks it instead of testing which engine it runs on.

#include "data/engine/sql_dialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class QSqlQuery;

namespace kv {

enum class FieldType;
class BulkLoad;
class Database;
class Query;
class Session;
class StreamRow;
struct Field;

// The declarations of the schema's column kinds where the engines differ.
struct SchemaTypes
{
    QString autoIncrementKey; // all that follows the column's name
    QString dateTime;
    QString floating;
};

// An insert run once per row on a statement prepared once, each run taking
// the query's parameter values of the moment.
class RowInsert
{
public:
    virtual ~RowInsert() = default;
    virtual void run() = 0;
    // The key of the row the last run inserted.
    virtual qint64 lastKey() const = 0;
};

// What a unit of work learnt of its transaction as it began: the server's
// transaction id and the server process that runs it. Empty where COMMIT
// cannot lose its answer (a local file).
struct TransactionTicket
{
    QString id;
    qint64 serverProcess = 0;
    bool isEmpty() const { return id.isEmpty(); }
};

// How a transaction whose COMMIT got no answer ended.
enum class CommitOutcome { Committed, Aborted, Unknown };

class SqlBackend
{
public:
    virtual ~SqlBackend() = default;
    static std::unique_ptr<SqlBackend> make(Backend kind);
    virtual Backend kind() const = 0;

    // Both live as long as the program.
    virtual const DialectTraits &dialect() const = 0;
    virtual const SchemaTypes &schemaTypes() const = 0;
    // Creates the case-blind collation "NoCase" orders by where the engine
    // has none built in.
    virtual void ensureCaseBlindCollation(Database &) const {}

    // Opens the database's Qt SQL connection under its connection name and
    // makes it ready for statements; throws DbError when it cannot.
    virtual void open(Database &db) const = 0;

    // The statement that starts a unit of work. Where COMMIT travels to a
    // server and its answer can be lost, the same message also answers one
    // row: the transaction's id and the server process (TransactionTicket),
    // so that learning them costs no round trip of its own.
    virtual QString beginTransactionSql() const = 0;

    // Asked after COMMIT's answer was lost with the connection: on a new
    // connection, whether the transaction committed. Unknown when the server
    // cannot be reached or cannot tell.
    virtual CommitOutcome commitOutcome(const Database &db, const TransactionTicket &ticket) const = 0;

    // What follows a query of one row so that the row stays locked until the
    // unit of work ends; empty where beginning the unit took the write lock.
    virtual QString rowLockSuffix() const = 0;

    // True when the engine reports table and result names folded to lower
    // case (so they are spelt again for users and looked up folded).
    virtual bool foldsNames() const = 0;

    // True when every statement travels to a server and back: rows are then
    // written and checked in sets. An embedded engine writes them one by one
    // on a prepared statement, which costs less than building the set.
    virtual bool paysRoundTrips() const = 0;

    // One query naming every table, view, index (and collation) of the
    // database: rows of (kind, lower-case name), kind one of "table",
    // "index", "collation".
    virtual QString catalogueSql() const = 0;
    virtual QString tableExistsSql() const = 0; // binds :name
    virtual QString indexExistsSql() const = 0; // binds :name

    // The value bound for a parameter of the given type (NULL for an empty one).
    // A text holding U+FFFE or U+FFFF is refused (kv::Error, kNoncharacterMessage):
    // SQLite hands those back as U+FFFD, and a value must come back as written.
    QVariant bindable(const QVariant &v, FieldType type) const;
    static const QString kNoncharacterMessage;

    // A bindable value as it is handed to the Qt driver: the engine's own
    // text interface may take something off on the way in, and gets it here.
    virtual QVariant driverValue(const QVariant &bindable) const { return bindable; }

    // The type of a result column before any value is read; Unknown when the
    // first value has to tell (an expression column).
    virtual FieldType columnType(QSqlQuery &result, int column) const = 0;

    // What follows an insert's text so that running it yields the new key,
    // and how that key is read after it ran.
    virtual QString returningClause(const QString &keyColumn) const = 0;
    virtual QVariant insertedKey(QSqlQuery &insert, const QSqlDatabase &connection) const = 0;

    // While the returned object lives, a long statement on the connection
    // reports its progress to the session; null when the engine cannot.
    class ProgressWatch
    {
    public:
        virtual ~ProgressWatch() = default;
    };
    virtual std::unique_ptr<ProgressWatch> watchProgress(const QSqlDatabase &connection, Session &session) const = 0;

    // Makes committed writes reach the disk at once.
    virtual void flush(const QSqlDatabase &connection) const = 0;

    // Runs the query's statement with its parameters and hands its fields,
    // then each row in turn, to the callbacks (see streamRows). This form
    // reads the result through the query; an engine with a reader of its own
    // reads the rows in place.
    virtual void streamRows(Query &query, const std::function<void(const QVector<Field> &)> &onFields,
                            const std::function<void(const StreamRow &)> &onRow) const;

    // The insert prepared for runs one row at a time where a row costs no
    // round trip (text is the statement as this engine receives it); null
    // where rows are sent in batches instead.
    virtual std::unique_ptr<RowInsert> prepareRowInsert(Database &, Query &, const QString &) const { return nullptr; }

    // A bulk load's insert (BulkLoad::prepare) through the engine's own
    // interface, columns in the order bind() numbers them; null where Qt SQL
    // runs it.
    virtual std::unique_ptr<BulkLoad> prepareBulkLoad(Database &db, const QString &text, const QStringList &columns) const;

    // Where every statement pays a round trip: the prepared and bound read
    // travels with the next read the connection sends, and running it later
    // takes the answer that came back then (see PgDriver::sendAlong).
    // Nothing where a statement costs no trip.
    virtual void sendAhead(const Database &, const QSqlQuery &) const {}

protected:
    virtual QVariant bindBoolean(bool v) const = 0;
    virtual QVariant bindDate(const QDate &d) const = 0;
};

} // namespace kv
