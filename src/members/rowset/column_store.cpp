#include "members/rowset/column_store.h"

#include "data/engine/row_stream.h"
#include "data/engine/sql_dates.h"
#include "data/text_cut.h"

#include <QDate>
#include <QDateTime>

namespace kv::rowset {

namespace {

// Slot of a field within the columns of its kind.
struct Slots
{
    int slot[MemberFields::FieldCount];
    int count[kKindCount] = {0, 0, 0, 0, 0, 0};
    Slots()
    {
        for (int f = 0; f < MemberFields::FieldCount; ++f)
            slot[f] = count[int(fieldDef(f).kind)]++;
    }
};
const Slots &fieldSlots()
{
    static const Slots s;
    return s;
}

QString clipped(const QVariant &v, int f)
{
    QString s = v.toString();
    return fieldDef(f).size > 0 ? cutToWidth(s, fieldDef(f).size) : s;
}

template<typename T>
int threeWay(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

qint64 dateTimeKey(const QDate &d, const QTime &t)
{
    return d.toJulianDay() * kMsPerDay + t.msecsSinceStartOfDay();
}

} // namespace

void TextColumn::append(QStringView s)
{
    // Runs of equal values (the list name, a city) share their text.
    if (!off.empty() && len.back() == s.size() && at(int(off.size()) - 1) == s) {
        off.push_back(off.back());
        len.push_back(len.back());
        return;
    }
    off.push_back(quint32(pool.size()));
    len.push_back(quint16(s.size()));
    pool.append(s);
}

void TextColumn::set(int row, QStringView s)
{
    if (at(row) == s)
        return;
    off[row] = quint32(pool.size());
    len[row] = quint16(s.size());
    pool.append(s);
}

ColumnStore::ColumnStore()
{
    const Slots &s = fieldSlots();
    ints.resize(s.count[int(Kind::Int)]);
    chars.resize(s.count[int(Kind::Char)]);
    texts.resize(s.count[int(Kind::Text)]);
    dates.resize(s.count[int(Kind::Date)]);
    dateTimes.resize(s.count[int(Kind::DateTime)]);
    bools.resize(s.count[int(Kind::Bool)]);
}

int ColumnStore::slot(int f)
{
    return fieldSlots().slot[f];
}

QVariant ColumnStore::normalise(int field, const QVariant &value)
{
    ColumnStore probe;
    probe.put(0, field, value, true);
    return probe.value(0, field);
}

bool ColumnStore::isEmpty(int row, int f) const
{
    switch (kind(f)) {
    case Kind::Int: return ints[slot(f)][row] == kNullInt;
    case Kind::Char: return chars[slot(f)][row] == 0;
    case Kind::Text: return texts[slot(f)].len[row] == 0;
    case Kind::Date: return dates[slot(f)][row] == kNullInt;
    case Kind::DateTime: return dateTimes[slot(f)][row] == kNullDateTime;
    case Kind::Bool: return bools[slot(f)][row] < 0;
    }
    return true;
}

QStringView ColumnStore::text(int row, int f) const
{
    if (kind(f) == Kind::Char) {
        const char16_t &c = chars[slot(f)][row];
        return c ? QStringView(&c, 1) : QStringView();
    }
    return texts[slot(f)].at(row);
}

QVariant ColumnStore::value(int row, int f) const
{
    if (isEmpty(row, f))
        return QVariant();
    switch (kind(f)) {
    case Kind::Int: return QVariant(int(ints[slot(f)][row]));
    case Kind::Char: return QVariant(QString(QChar(chars[slot(f)][row])));
    case Kind::Text: return QVariant(texts[slot(f)].at(row).toString());
    case Kind::Date: return QVariant(QDate::fromJulianDay(dates[slot(f)][row]));
    case Kind::DateTime: {
        const qint64 t = dateTimes[slot(f)][row];
        return QVariant(QDateTime(QDate::fromJulianDay(t / kMsPerDay), QTime::fromMSecsSinceStartOfDay(int(t % kMsPerDay))));
    }
    case Kind::Bool: return QVariant(bools[slot(f)][row] != 0);
    }
    return QVariant();
}

template<typename Column, typename Value>
static void store(Column &column, int row, Value v, bool append)
{
    if (append)
        column.push_back(v);
    else
        column[row] = v;
}

void ColumnStore::put(int row, int f, const QVariant &v, bool append)
{
    const bool null = !v.isValid() || v.isNull();
    switch (kind(f)) {
    case Kind::Int: {
        bool ok = false;
        const qint32 x = null ? kNullInt : qint32(v.toLongLong(&ok));
        store(ints[slot(f)], row, (null || !ok) ? kNullInt : x, append);
        break;
    }
    case Kind::Char: {
        char16_t c = 0;
        if (!null) {
            const QString s = v.toString();
            c = s.isEmpty() ? 0 : s.at(0).unicode();
        }
        store(chars[slot(f)], row, c, append);
        break;
    }
    case Kind::Text: {
        const QString s = null ? QString() : clipped(v, f);
        if (append)
            texts[slot(f)].append(s);
        else
            texts[slot(f)].set(row, s);
        break;
    }
    case Kind::Date: {
        qint32 d = kNullInt;
        if (!null) {
            const QDate date = v.typeId() == QMetaType::QDate ? v.toDate()
                : v.typeId() == QMetaType::QDateTime          ? v.toDateTime().date()
                                                              : sqlDate(v.toString());
            if (date.isValid())
                d = qint32(date.toJulianDay());
        }
        store(dates[slot(f)], row, d, append);
        break;
    }
    case Kind::DateTime: {
        qint64 t = kNullDateTime;
        if (!null) {
            // Kept as the wall-clock date and time it was read as: no time-zone work per row.
            if (v.typeId() == QMetaType::QDateTime) {
                const QDateTime dt = v.toDateTime();
                if (dt.isValid())
                    t = dateTimeKey(dt.date(), dt.time());
            } else {
                const QString s = v.toString();
                const QDate d = sqlDate(s);
                if (d.isValid())
                    t = dateTimeKey(d, sqlTime(s));
            }
        }
        store(dateTimes[slot(f)], row, t, append);
        break;
    }
    case Kind::Bool: {
        qint8 b = -1;
        if (!null) {
            if (v.typeId() == QMetaType::QString) {
                const QString s = v.toString().trimmed();
                b = (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1")
                     || s.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0)
                    ? 1
                    : 0;
            } else {
                b = v.toBool() ? 1 : 0;
            }
        }
        store(bools[slot(f)], row, b, append);
        break;
    }
    }
}

int ColumnStore::compare(int f, bool noCase, int a, int b) const
{
    return RowOrder(*this, f, noCase, false).compare(a, b);
}

RowOrder::RowOrder(const ColumnStore &s, int field, bool noCase, bool descending)
    : m_field(field)
    , m_descending(descending)
    , m_cs(noCase ? Qt::CaseInsensitive : Qt::CaseSensitive)
{
    if (field < 0)
        return;
    m_kind = ColumnStore::kind(field);
    const int at = ColumnStore::slot(field);
    switch (m_kind) {
    case Kind::Int: m_ints = s.ints[size_t(at)].data(); break;
    case Kind::Date: m_ints = s.dates[size_t(at)].data(); break;
    case Kind::DateTime: m_dateTimes = s.dateTimes[size_t(at)].data(); break;
    case Kind::Bool: m_bools = s.bools[size_t(at)].data(); break;
    case Kind::Char: m_chars = s.chars[size_t(at)].data(); break;
    case Kind::Text: m_text = &s.texts[size_t(at)]; break;
    }
}

void ColumnStore::appendNull(int f)
{
    switch (kind(f)) {
    case Kind::Int: ints[slot(f)].push_back(kNullInt); break;
    case Kind::Char: chars[slot(f)].push_back(0); break;
    case Kind::Text: texts[slot(f)].append(QStringView()); break;
    case Kind::Date: dates[slot(f)].push_back(kNullInt); break;
    case Kind::DateTime: dateTimes[slot(f)].push_back(kNullDateTime); break;
    case Kind::Bool: bools[slot(f)].push_back(-1); break;
    }
}

void ColumnStore::appendFrom(const StreamRow &r, const int *source)
{
    ++rows;
    deleted.push_back(0);
    for (int f = 0; f < MemberFields::FieldCount; ++f) {
        const int c = source[f];
        if (c < 0 || r.isNull(c)) {
            appendNull(f);
            continue;
        }
        switch (kind(f)) {
        case Kind::Int: ints[slot(f)].push_back(qint32(r.integer(c))); break;
        case Kind::Char: {
            const QStringView t = r.text(c);
            chars[slot(f)].push_back(t.isEmpty() ? 0 : t[0].unicode());
            break;
        }
        case Kind::Text: {
            QStringView t = r.text(c);
            if (fieldDef(f).size > 0)
                t = cutToWidth(t, fieldDef(f).size);
            texts[slot(f)].append(t);
            break;
        }
        case Kind::Date: {
            const QDate d = sqlDate(r.text(c));
            dates[slot(f)].push_back(d.isValid() ? qint32(d.toJulianDay()) : kNullInt);
            break;
        }
        case Kind::DateTime: {
            const QStringView t = r.text(c);
            const QDate d = sqlDate(t);
            dateTimes[slot(f)].push_back(d.isValid() ? dateTimeKey(d, sqlTime(t)) : kNullDateTime);
            break;
        }
        case Kind::Bool: bools[slot(f)].push_back(r.boolean(c) ? 1 : 0); break;
        }
    }
}

void ColumnStore::appendRow(const ColumnStore &from, int row)
{
    for (size_t i = 0; i < ints.size(); ++i)
        ints[i].push_back(from.ints[i][row]);
    for (size_t i = 0; i < chars.size(); ++i)
        chars[i].push_back(from.chars[i][row]);
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i].append(from.texts[i].at(row));
    for (size_t i = 0; i < dates.size(); ++i)
        dates[i].push_back(from.dates[i][row]);
    for (size_t i = 0; i < dateTimes.size(); ++i)
        dateTimes[i].push_back(from.dateTimes[i][row]);
    for (size_t i = 0; i < bools.size(); ++i)
        bools[i].push_back(from.bools[i][row]);
    deleted.push_back(0);
    ++rows;
}

void ColumnStore::appendValues(const QVector<QVariant> &values)
{
    for (int f = 0; f < MemberFields::FieldCount; ++f)
        put(rows, f, values.value(f), true);
    deleted.push_back(0);
    ++rows;
}

qint64 ColumnStore::bytes() const
{
    qint64 n = 0;
    for (const auto &c : ints)
        n += qint64(c.capacity() * sizeof(qint32));
    for (const auto &c : chars)
        n += qint64(c.capacity() * sizeof(char16_t));
    for (const auto &c : texts)
        n += qint64(c.pool.capacity()) * 2 + qint64(c.off.capacity() * 4 + c.len.capacity() * 2);
    for (const auto &c : dates)
        n += qint64(c.capacity() * sizeof(qint32));
    for (const auto &c : dateTimes)
        n += qint64(c.capacity() * sizeof(qint64));
    for (const auto &c : bools)
        n += qint64(c.capacity());
    return n + qint64(deleted.capacity());
}

void ColumnStore::squeeze()
{
    for (auto &c : texts)
        c.pool.squeeze();
}

} // namespace kv::rowset
