#include "data/dates.h"

#include "data/translate.h"

#include <QRegularExpression>

namespace kv {

const QString AcceptedDates::kExpectedText =
    QString::fromUtf8(QT_TRANSLATE_NOOP("AcceptedDates", "a real date from 1900-01-01 to 9999-12-31, written YYYY-MM-DD"));

bool AcceptedDates::accepts(const QDate &date)
{
    return date.isValid() && date >= first() && date <= last();
}

std::optional<QDate> AcceptedDates::parseIso(const QString &text)
{
    // QDate::fromString takes a sign and other digits than ASCII; the format
    // is checked by hand so that nothing but the written form gets through.
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    int part = 0;
    for (int i = 0; i < 10; ++i) {
        if (i == 4 || i == 7) {
            ++part;
            continue;
        }
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        parts[part] = parts[part] * 10 + int(c - u'0');
    }
    const QDate date(parts[0], parts[1], parts[2]);
    if (!accepts(date))
        return std::nullopt;
    return date;
}

int AcceptedDates::expandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

const QString AcceptedDates::kShortFormat = QStringLiteral("M/d/yyyy");

QString AcceptedDates::shortFormat()
{
    return kShortFormat;
}

namespace {

// The month a name or its abbreviation stands for in the locale (or in
// English, which the display forms and most users' habits share), else 0.
int monthByName(const QString &name, const QLocale &locale)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (const QLocale *l : {&locale, &english}) {
        for (int m = 1; m <= 12; ++m) {
            for (auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                QString known = l->monthName(m, format);
                if (known.endsWith(QLatin1Char('.')))
                    known.chop(1);
                if (known.compare(name, Qt::CaseInsensitive) == 0)
                    return m;
            }
        }
    }
    return 0;
}

std::optional<QDate> accepted(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!AcceptedDates::accepts(date))
        return std::nullopt;
    return date;
}

} // namespace

std::optional<QDate> AcceptedDates::readTyped(const QString &typed, const QLocale &locale)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (const auto iso = parseIso(text))
        return iso;

    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,4})\\s*[/.\\-]\\s*(\\d{1,2})\\s*[/.\\-]\\s*(\\d{1,4})\\.?$"));
    const auto n = numeric.match(text);
    if (n.hasMatch()) {
        const QString a = n.captured(1), b = n.captured(2), c = n.captured(3);
        if (a.size() == 4 || a.size() == 3)
            return a.size() == 4 && c.size() <= 2 ? accepted(a.toInt(), b.toInt(), c.toInt()) : std::nullopt;
        if (c.size() == 3)
            return std::nullopt;
        // Month, day, year: the order every window shows its dates in, whatever
        // the workstation's order; a day typed first is no date, never another one.
        return accepted(expandYear(c.toInt(), int(c.size())), a.toInt(), b.toInt());
    }

    // "[Weekday[,]] Month d[,] year" and "[Weekday[,]] d Month year"; a weekday
    // given is not checked against the date, as the display form is read back.
    static const QRegularExpression monthFirst(
        QStringLiteral("^(?:[^\\W\\d_]+\\.?,?\\s+)?([^\\W\\d_]+)\\.?\\s+(\\d{1,2}),?\\s+(\\d{1,4})$"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression dayFirst(
        QStringLiteral("^(?:[^\\W\\d_]+\\.?,?\\s+)?(\\d{1,2})\\.?\\s+([^\\W\\d_]+)\\.?,?\\s+(\\d{1,4})$"),
        QRegularExpression::UseUnicodePropertiesOption);
    QString monthText, dayText, yearText;
    if (const auto m = monthFirst.match(text); m.hasMatch()) {
        monthText = m.captured(1);
        dayText = m.captured(2);
        yearText = m.captured(3);
    } else if (const auto m2 = dayFirst.match(text); m2.hasMatch()) {
        dayText = m2.captured(1);
        monthText = m2.captured(2);
        yearText = m2.captured(3);
    } else {
        return std::nullopt;
    }
    const int month = monthByName(monthText, locale);
    if (month == 0 || yearText.size() == 3)
        return std::nullopt;
    return accepted(expandYear(yearText.toInt(), int(yearText.size())), month, dayText.toInt());
}

} // namespace kv
