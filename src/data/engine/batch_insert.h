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
class RowInsert;

// Writes the rows of one insert statement in a loop, each row taking the
// query's parameter values at the moment it is added; the statement's text,
// columns and parameters are the query's own.
// - On PostgreSQL rows travel in batches: one statement, prepared once, that
//   takes a whole batch as one JSON parameter and inserts its rows in the
//   order they were added (a tuple with other expressions than plain
//   parameters and values falls back to multi-row VALUES of kRowsPerValues).
//   A batch holds kRowsPerSet rows, so a loop pays one round trip per several
//   thousand rows, not one per row. A row whose new key the caller needs at
//   once takes it from the key column's sequence, drawn a batch at a time in
//   one statement, and carries it in the insert; where the column has no
//   sequence we may use, such a row is inserted on its own and its key read
//   back.
// - Where a row costs no round trip (SQLite), each row runs at once on the
//   statement the backend prepared once for it (SqlBackend::prepareRowInsert).
// Rows not yet flushed when the object goes are dropped: the unit of work
// around the loop has failed then.
class BatchInsert
{
public:
    static constexpr int kRowsPerSet = 5000;
    static constexpr int kRowsPerValues = 250;

    // rowsPerBatch 0: as many as the backend's form of a batch takes.
    explicit BatchInsert(Query &insert, int rowsPerBatch = 0);
    ~BatchInsert();
    BatchInsert(const BatchInsert &) = delete;
    BatchInsert &operator=(const BatchInsert &) = delete;

    void addRow();
    // Adds a row and answers the key it gets in keyColumn, ascending in the
    // order the rows are added, as the backend would give them one by one.
    // A batch takes either kind of row, not both.
    QVariant addRowTakingKey(const QString &keyColumn);
    // How many rows the caller will add with keys: no more keys are drawn
    // than rows come, so a run leaves no gaps a row-by-row run would not.
    void expectRows(int rows) { m_expectedRows = rows; }
    // Sends the rows held back; call it before what must follow them.
    void flush();
    // The rows of first are sent whenever this batch sends its own, before
    // them (items after the deliveries they name).
    void sendAfter(BatchInsert &first) { m_first = &first; }

private:
    void prepareFor(int rows);
    // PostgreSQL: the statement that inserts the rows of a JSON array, or
    // empty when a tuple's expression leaves the rows to VALUES.
    QString setStatement() const;
    QByteArray rowsAsJson(size_t width) const;
    // PostgreSQL: the sequence behind keyColumn, or empty when there is none
    // the insert may name a key from (then rows go one by one).
    QString keySequence(const QString &keyColumn);
    qint64 nextKey();

    Query &m_query;
    Database &m_db;
    int m_rowsPerBatch;
    QString m_text; // the statement as the backend receives it
    // PostgreSQL
    QString m_head; // "Insert into T (columns) values"
    QString m_tuple; // "(:A, :B, ...)"
    bool m_asSet = false; // rows go as one JSON parameter
    std::vector<const Param *> m_params; // the query's, in the tuple's order
    std::vector<QVariant> m_values; // rows held back, m_params.size() values each
    std::unique_ptr<QSqlQuery> m_stmt;
    int m_preparedRows = 0;
    BatchInsert *m_first = nullptr;
    enum class Keys { None, FromSequence, OneByOne } m_keys = Keys::None;
    QString m_keyColumn;
    QString m_sequence;
    std::unique_ptr<QSqlQuery> m_keyStmt;
    std::vector<qint64> m_keyBlock; // drawn, not yet handed out; ascending
    size_t m_nextKey = 0;
    int m_expectedRows = -1;
    int m_keysDrawn = 0;
    // Row by row
    std::unique_ptr<RowInsert> m_direct;
};

} // namespace kv
