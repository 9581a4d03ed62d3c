#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace kv {

class Database;

// Rows loaded into one table in bulk (the demo database), on an insert
// prepared once that names every column's value by the column's name. Each
// value is written as it is given: NULL for an empty QVariant, a text as it
// is (an empty one stays empty, where a query's parameter would store NULL),
// whole numbers and booleans as numbers. Where a row costs no round trip the
// backend runs it through the engine's own interface (BulkLoad::prepare).
class BulkLoad
{
public:
    // keyColumn: the column whose new value lastKey() answers; empty for none.
    // Never null; a statement that could not be prepared says so in error().
    static std::unique_ptr<BulkLoad> prepare(Database &db, const QString &table, const QStringList &columns,
                                             const QString &keyColumn = QString());
    virtual ~BulkLoad() = default;

    // The value of the column-th column of the next row.
    virtual void bind(int column, const QVariant &value) = 0;
    // Writes the row bound; false with error() when it fails.
    virtual bool run() = 0;
    // The key of the row the last run wrote (with a key column); invalid when none came back.
    virtual QVariant lastKey() = 0;
    // Why the last step failed.
    QString error() const { return m_error; }
    // The statement as the engine received it.
    QString text() const { return m_text; }

    // The insert the rows run on: "Insert into T (A, B) values (:A, :B)".
    static QString insertText(const QString &table, const QStringList &columns);

protected:
    QString m_error;
    QString m_text;
};

} // namespace kv
