#pragma once

// The member rows in memory: one typed vector per field, text of a field in
// one pooled buffer. About a tenth of the memory of a QVariant per cell, and
// sorting and filtering compare plain integers.

#include "members/rowset/member_fields.h"

#include <QString>
#include <QStringView>
#include <QVariant>
#include <QVector>
#include <climits>
#include <vector>

namespace kv {

class StreamRow;

namespace rowset {

constexpr qint32 kNullInt = INT_MIN;
constexpr qint64 kNullDateTime = LLONG_MIN;
constexpr qint64 kMsPerDay = 86400000;

struct TextColumn
{
    QString pool;
    std::vector<quint32> off;
    std::vector<quint16> len;

    QStringView at(int row) const { return QStringView(pool).mid(off[row], len[row]); }
    void append(QStringView s);
    void set(int row, QStringView s);
};

class ColumnStore
{
public:
    ColumnStore();

    static Kind kind(int f) { return fieldDef(f).kind; }
    static int slot(int f); // position of the field among the columns of its kind

    // The value as the row set stores it: clipped to the field's size, typed,
    // empty text and NULL alike an invalid QVariant.
    static QVariant normalise(int field, const QVariant &value);

    bool isEmpty(int row, int f) const;
    QStringView text(int row, int f) const; // Char and Text fields
    QVariant value(int row, int f) const;
    // Appends (append true, row == rows) or replaces one value.
    void put(int row, int f, const QVariant &v, bool append);
    // Three-way comparison of two rows on one field; empty values first.
    int compare(int f, bool noCase, int a, int b) const;
    // One row of a streamed result; source[f] is the result column of field f (-1: none).
    void appendFrom(const StreamRow &r, const int *source);
    // A copy of another store's row, cell by cell, without making values of it.
    void appendRow(const ColumnStore &from, int row);
    // A row of values, each stored as put() stores it.
    void appendValues(const QVector<QVariant> &values);
    qint64 bytes() const;
    void squeeze();

    int rows = 0;
    std::vector<std::vector<qint32>> ints;
    std::vector<std::vector<char16_t>> chars;
    std::vector<TextColumn> texts;
    std::vector<std::vector<qint32>> dates; // Julian days
    std::vector<std::vector<qint64>> dateTimes; // Julian day * ms per day + ms of the day
    std::vector<std::vector<qint8>> bools; // -1 empty
    std::vector<quint8> deleted;

private:
    void appendNull(int f);
};

} // namespace rowset
} // namespace kv
