#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class QSqlQuery;

namespace kv {

class Database;
class Param;
class Query;

// Writes the rows of one insert statement whose new keys nobody reads back.
// On PostgreSQL the rows travel in batches: one statement of many rows,
// prepared once for the full batch, so a loop pays one round trip per batch
// instead of one per row. On SQLite, where a row costs no round trip, each
// row runs at once through the query. The statement's text, columns and
// parameters are the query's own; each row takes the query's parameter values
// at the moment addRow is called. Rows not yet flushed when the object goes
// are dropped: the unit of work around the loop has failed then.
class BatchInsert
{
public:
    explicit BatchInsert(Query &insert, int rowsPerBatch = 250);
    ~BatchInsert();
    BatchInsert(const BatchInsert &) = delete;
    BatchInsert &operator=(const BatchInsert &) = delete;

    void addRow();
    // Sends the rows held back; call it before what must follow them.
    void flush();

private:
    void prepareFor(int rows);

    Query &m_query;
    Database &m_db;
    int m_rowsPerBatch;
    QString m_head; // "Insert into T (columns) values"
    QString m_tuple; // "(:A, :B, ...)"
    QStringList m_names; // the tuple's parameters in order
    std::vector<const Param *> m_params; // the query's, in the tuple's order
    std::vector<QVariant> m_values; // rows held back, m_names.size() values each
    std::unique_ptr<QSqlQuery> m_stmt;
    int m_preparedRows = 0;
};

} // namespace kv
