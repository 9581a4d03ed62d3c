#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace kv {

// The dates a user may give anywhere (a window's date box, the command line):
// real calendar dates from 1 January 1900 to 31 December 9999. Outside that
// range the host's tables and the history note's wording have no sensible
// meaning (a year -2026 was once written as a delivery date).
struct AcceptedDates
{
    static constexpr int kFirstYear = 1900;
    static constexpr int kLastYear = 9999;
    static QDate first() { return QDate(kFirstYear, 1, 1); }
    static QDate last() { return QDate(kLastYear, 12, 31); }

    // What an accepted date looks like, for messages: "a real date from
    // 1900-01-01 to 9999-12-31, written YYYY-MM-DD".
    static const QString kExpectedText;

    // True for a valid date within the range.
    static bool accepts(const QDate &date);

    // Reads exactly "YYYY-MM-DD" (ASCII digits, no sign, no spaces) and answers
    // the date when it is a real calendar date within the range.
    static std::optional<QDate> parseIso(const QString &text);

    // Reads a date as a user types it into a window's date box: "YYYY-MM-DD";
    // numbers as month/day/year ("12/24/2026", "1/5/20"), the order every window
    // shows dates in, whatever the workstation's own order; the month by name
    // ("Dec 24, 2026", "Thursday Dec 24, 2026", "24 Dec 2026"); the locale's
    // month names are understood besides the English ones.
    // A one- or two-digit year is read as 1950 to 2049. Answers only accepted dates.
    static std::optional<QDate> readTyped(const QString &text, const QLocale &locale = QLocale());

    // A year typed with one or two digits, read as 1950 to 2049; longer ones as typed.
    static int expandYear(int year, int digits);

    // How every window shows a date in short: month/day/year with a
    // four-digit year ("M/d/yyyy"), so that a date shown is read back as the
    // same date and never in another century.
    static const QString kShortFormat;
    static QString shortFormat();
};

} // namespace kv
