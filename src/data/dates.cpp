#include "data/dates.h"

namespace kv {

const QString AcceptedDates::kExpectedText = QStringLiteral("a real date from 1900-01-01 to 9999-12-31, written YYYY-MM-DD");

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

} // namespace kv
