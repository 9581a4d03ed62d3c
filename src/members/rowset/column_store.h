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

// The order of the rows on one field, its column looked up once: a sort
// compares rows tens of thousands of times per switch of order, and each
// comparison then reads two cells without a call out of line.
class RowOrder
{
public:
    // field < 0: the load order.
    RowOrder(const ColumnStore &s, int field, bool noCase, bool descending);

    // Three-way comparison of two rows on the field; empty values first.
    int compare(int a, int b) const
    {
        switch (m_kind) {
        case Kind::Int: return cells(m_ints, kNullInt, a, b);
        case Kind::Date: return cells(m_ints, kNullInt, a, b);
        case Kind::DateTime: return cells(m_dateTimes, kNullDateTime, a, b);
        case Kind::Bool: return cells(m_bools, qint8(-1), a, b);
        case Kind::Char: {
            char32_t x = m_chars[a], y = m_chars[b];
            if (x == 0 || y == 0)
                return x == y ? 0 : (x == 0 ? -1 : 1);
            if (m_cs == Qt::CaseInsensitive) {
                x = QChar::toCaseFolded(x);
                y = QChar::toCaseFolded(y);
            }
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        case Kind::Text: {
            const quint16 la = m_text->len[size_t(a)], lb = m_text->len[size_t(b)];
            if (la == 0 || lb == 0)
                return la == lb ? 0 : (la == 0 ? -1 : 1);
            const int r = m_text->at(a).compare(m_text->at(b), m_cs);
            return r < 0 ? -1 : (r > 0 ? 1 : 0);
        }
        }
        return 0;
    }
    // Strict order for sorting: the field, then the load order for equal keys.
    bool operator()(int a, int b) const
    {
        if (m_field >= 0) {
            const int c = compare(a, b);
            if (c != 0)
                return m_descending ? c > 0 : c < 0;
        }
        return a < b;
    }

private:
    template<typename T>
    static int cells(const T *column, T empty, int a, int b)
    {
        const T x = column[a], y = column[b];
        if (x == empty || y == empty)
            return x == y ? 0 : (x == empty ? -1 : 1);
        return x < y ? -1 : (x > y ? 1 : 0);
    }

    int m_field;
    Kind m_kind = Kind::Int;
    bool m_descending;
    Qt::CaseSensitivity m_cs;
    const qint32 *m_ints = nullptr;
    const qint64 *m_dateTimes = nullptr;
    const qint8 *m_bools = nullptr;
    const char16_t *m_chars = nullptr;
    const TextColumn *m_text = nullptr;
};

} // namespace rowset
} // namespace kv
