#include "data/engine/sql_dates.h"

namespace kv {

namespace {

int digits(QStringView t, int at, int n)
{
    int v = 0;
    for (int i = at; i < at + n; ++i) {
        const int d = t[i].unicode() - u'0';
        if (d < 0 || d > 9)
            return -1;
        v = v * 10 + d;
    }
    return v;
}

} // namespace

// 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS', written by hand: formatting through a
// pattern is parsed anew for every value of every row.
static int isoChars(const QDate &d, const QTime &t, bool withTime, char *buf)
{
    auto put = [buf](int at, int value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            buf[at + i] = char('0' + value % 10);
            value /= 10;
        }
    };
    const int y = d.year();
    if (y < 0 || y > 9999) // outside what the fixed form can hold
        return 0;
    put(0, y, 4);
    buf[4] = '-';
    put(5, d.month(), 2);
    buf[7] = '-';
    put(8, d.day(), 2);
    if (!withTime)
        return 10;
    buf[10] = ' ';
    put(11, t.hour(), 2);
    buf[13] = ':';
    put(14, t.minute(), 2);
    buf[16] = ':';
    put(17, t.second(), 2);
    return 19;
}

static QString isoText(const QDate &d, const QTime &t, bool withTime)
{
    char buf[20];
    const int n = isoChars(d, t, withTime, buf);
    if (n == 0)
        return withTime ? QDateTime(d, t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : d.toString(QStringLiteral("yyyy-MM-dd"));
    return QString::fromLatin1(buf, n);
}

int sqlDateChars(const QDate &d, char *buf)
{
    return isoChars(d, QTime(), false, buf);
}

int sqlDateTimeChars(const QDate &d, const QTime &t, char *buf)
{
    return isoChars(d, t, true, buf);
}

QString sqlDateText(const QDate &d)
{
    return isoText(d, QTime(), false);
}

QString sqlDateTimeText(const QDate &d, const QTime &t)
{
    return isoText(d, t, true);
}

QDate sqlDate(QStringView t)
{
    if (t.size() < 10 || t[4] != u'-' || t[7] != u'-')
        return {};
    const int y = digits(t, 0, 4), m = digits(t, 5, 2), d = digits(t, 8, 2);
    if (y < 0 || m < 0 || d < 0)
        return {};
    return QDate(y, m, d);
}

QTime sqlTime(QStringView t)
{
    if (t.size() < 19 || (t[10] != u' ' && t[10] != u'T') || t[13] != u':' || t[16] != u':')
        return QTime(0, 0);
    const int h = digits(t, 11, 2), mi = digits(t, 14, 2), se = digits(t, 17, 2);
    if (h < 0 || mi < 0 || se < 0)
        return QTime(0, 0);
    const QTime time(h, mi, se);
    return time.isValid() ? time : QTime(0, 0);
}

QDateTime sqlDateTime(QStringView t)
{
    const QDate date = sqlDate(t);
    return date.isValid() ? QDateTime(date, sqlTime(t)) : QDateTime();
}

} // namespace kv
