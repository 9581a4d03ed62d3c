#include "data/dates.h"

#include <gtest/gtest.h>

namespace {

TEST(AcceptedDates, OnlyRealCalendarDatesFrom1900To9999WrittenIsoAreRead)
{
    struct Case
    {
        const char *text;
        QDate expected; // invalid: refused
    };
    const Case cases[] = {
        {"2026-12-24", QDate(2026, 12, 24)}, {"1900-01-01", QDate(1900, 1, 1)}, {"9999-12-31", QDate(9999, 12, 31)},
        {"2024-02-29", QDate(2024, 2, 29)},  {"2026-02-29", QDate()},           {"2026-02-30", QDate()},
        {"1899-12-31", QDate()},             {"-2026-01-01", QDate()},          {"+2026-01-01", QDate()},
        {"0000-01-01", QDate()},             {"2026-13-01", QDate()},           {"2026-00-10", QDate()},
        {"2026-1-05", QDate()},              {" 2026-01-05", QDate()},          {"2026-01-05 ", QDate()},
        {"2026/01/05", QDate()},             {"", QDate()},                     {"2026-01-0\u0665", QDate()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<QDate> d = kv::AcceptedDates::parseIso(QString::fromUtf8(c.text));
        EXPECT_EQ(d.has_value(), c.expected.isValid());
        if (d) {
            EXPECT_EQ(*d, c.expected);
        }
    }
    EXPECT_FALSE(kv::AcceptedDates::accepts(QDate()));
    EXPECT_FALSE(kv::AcceptedDates::accepts(QDate(1899, 12, 31)));
    EXPECT_TRUE(kv::AcceptedDates::accepts(QDate(9999, 12, 31)));
    EXPECT_FALSE(kv::AcceptedDates::accepts(QDate(10000, 1, 1)));
}

} // namespace
