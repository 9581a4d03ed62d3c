#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>

namespace kv {

// SQLite keeps dates as the text 'YYYY-MM-DD' and date-times as
// 'YYYY-MM-DD HH:MM:SS' (a 'T' in place of the blank is read too). These read
// that text without the general date parser, which is slow enough to show
// when a few hundred thousand rows are read.

// The date at the start of the text; invalid when the text does not start
// with 'YYYY-MM-DD'.
QDate sqlDate(QStringView text);
// The time of a date-time text; midnight when the text has no valid time.
QTime sqlTime(QStringView text);
// Both together; invalid when the date is.
QDateTime sqlDateTime(QStringView text);

// The same forms written: 'YYYY-MM-DD' and 'YYYY-MM-DD HH:MM:SS'.
QString sqlDateText(const QDate &d);
QString sqlDateTimeText(const QDate &d, const QTime &t);
// The same forms written into buf (room for 19 characters), for a value bound
// without a text of its own; answers the length, 0 when the year is not one of
// four digits (then only the texts above can write it).
int sqlDateChars(const QDate &d, char *buf);
int sqlDateTimeChars(const QDate &d, const QTime &t, char *buf);

} // namespace kv
