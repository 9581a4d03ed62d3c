#pragma once

#include "data/engine/db_error.h"

#include <QString>
#include <QVariant>
#include <QVector>

namespace kv {

// Raised by a save whose row another user changed (or removed) after it was
// read: the update, conditioned on the values read, matched no row. The save's
// unit of work rolls back, so nothing of it is written; the caller knows the
// rows and may read them afresh or keep its edits over the values now stored.
class EditConflict : public Error
{
public:
    static const QString kRowChanged;   // "Another user changed %1 after you read it:"
    static const QString kRowRemoved;   // "Another user removed %1 after you read it."
    static const QString kValueLine;    // "%1 is now %2 (yours: %3)"
    static const QString kEmptyValue;   // "empty"
    static const QString kMoreRows;     // "... and %1 more."
    static const QString kRecordOf;     // "a record of %1 (%2 %3)", the default row name

    // A column the save wrote: what it held when read, what the user gave it,
    // what it holds now.
    struct Change
    {
        QString column;
        QVariant read;
        QVariant yours;
        QVariant now;
        QString caption; // what the user knows the column as; empty: its name
    };
    struct Row
    {
        QString name; // how the user knows the row: "the member Ann Smith"
        QVariant key;
        bool gone = false;
        QVector<Change> changes;
    };

    explicit EditConflict(QVector<Row> rows);
    const QVector<Row> &rows() const { return m_rows; }

    static QString describe(const QVector<Row> &rows);
    static QString valueText(const QVariant &v);

private:
    QVector<Row> m_rows;
};

// The condition that holds while a column still holds the value read, for an
// update that must not overwrite another user's change: "Col = :Param", or,
// for a value read empty, "Col is null" (for text also an empty text), since
// a comparison with NULL holds on neither backend. The caller binds :Param
// only when the value read is not empty.
QString unchangedCondition(const QString &column, const QString &param, const QVariant &read, bool text);
bool isEmptyValue(const QVariant &v);

} // namespace kv
