#pragma once

#include <QDate>
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
};

} // namespace kv
