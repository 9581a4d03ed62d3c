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
