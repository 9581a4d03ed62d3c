#pragma once

#include "data/engine/query.h"

#include <QHash>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class QSqlQuery;

namespace kv {

class Database;

// A bound value as a JSON row set carries it to PostgreSQL (dates and times as
// their text, which the row set's typed column reads back).
QJsonValue jsonValue(const QVariant &bound);
// A statement prepared on db's connection to run many times; a refusal throws
// DbError with `what` as its context.
std::unique_ptr<QSqlQuery> prepareForRuns(Database &db, const QString &sql, const QString &what);

// Runs one UPDATE or DELETE of a single row ("... where Record_ID =
// :Record_ID ...") for many rows of parameter values, and answers which rows
// it touched, named by the value of their key parameter.
// - On PostgreSQL the rows go together: the statement runs once over a JSON
//   row set whose columns are its parameters, typed as declared, and returns
//   the keys of the rows its condition matched. A per-row condition (a value
//   still as read) is so decided for every row in one round trip.
// - On SQLite, where a statement costs no round trip, each row runs at once
//   on the query itself.
// Rows not yet run when the object goes are dropped: the unit of work around
// the loop has failed then.
class BatchUpdate
{
public:
    // keyParam names the parameter that tells the rows apart; types declares
    // the type of each parameter whose values may all be empty.
    BatchUpdate(Query &statement, const QString &keyParam, const QHash<QString, FieldType> &types = {});
    ~BatchUpdate();
    BatchUpdate(const BatchUpdate &) = delete;
    BatchUpdate &operator=(const BatchUpdate &) = delete;

    // Adds a row with the query's parameter values at this moment; answers
    // whether the statement touched it when that is known at once (SQLite),
    // else nothing: run() tells.
    std::optional<bool> addRow();
    // Runs the rows held back; answers the keys of those the statement touched.
    QSet<qint64> run();

private:
    QString setStatement() const;

    Query &m_query;
    Database &m_db;
    QString m_keyParam;
    QHash<QString, FieldType> m_types;
    bool m_oneByOne;
    QStringList m_names; // the statement's parameters
    std::vector<QVariant> m_values; // rows held back, m_names.size() values each
    std::unique_ptr<QSqlQuery> m_stmt;
};

} // namespace kv
