// Filter expressions over member rows held in memory: no database involved.

#include "data/engine/db_error.h"
#include "members/rowset/column_store.h"
#include "members/rowset/member_filter.h"

#include <QDate>
#include <gtest/gtest.h>

using F = kv::MemberFields;
using kv::MemberFilter;

namespace {

class MemberFilterTest : public ::testing::Test
{
protected:
    kv::rowset::ColumnStore store;

    // One row per call: the fields given, every other field empty.
    void addRow(const QVariantMap &values)
    {
        for (int f = 0; f < F::FieldCount; ++f)
            store.put(store.rows, f, values.value(F::fieldName(f)), true);
        store.deleted.push_back(0);
        ++store.rows;
    }

    // The rows the filter lets through, by Person_ID.
    QList<int> matching(const QString &filter)
    {
        const auto parsed = MemberFilter::parse(filter);
        QList<int> out;
        for (int r = 0; r < store.rows; ++r)
            if (parsed->matches(store, r))
                out << store.value(r, F::Person_ID).toInt();
        return out;
    }

    void SetUp() override
    {
        addRow({{"Person_ID", 1}, {"Confirmed", "Y"}, {"Quantity", 2}, {"RecVisible", true}, {"City", "Oslo"},
                {"Stop_Dte", QDate(2026, 12, 24)}});
        addRow({{"Person_ID", 2}, {"Confirmed", "N"}, {"Quantity", 1}, {"RecVisible", false}, {"City", "O'Hara"}});
        addRow({{"Person_ID", 3}, {"RecVisible", true}});
    }
};

TEST_F(MemberFilterTest, ComparisonsJoinNegateAndGroupAsWritten)
{
    const struct
    {
        const char *filter;
        QList<int> rows;
    } cases[] = {
        {"", {1, 2, 3}},
        {"RecVisible = True", {1, 3}},
        {"recvisible=false", {2}},
        {"Confirmed='Y' and RecVisible=True", {1}},
        {"Confirmed = 'N' or Quantity >= 2", {1, 2}},
        {"not (Confirmed = 'Y')", {2, 3}},
        {"Quantity <> 2", {2}},
        {"Quantity < 2 or Quantity > 1", {1, 2}},
        {"Stop_Dte <= '2026-12-24'", {1}},
        {"City = 'O''Hara'", {2}},
        {"City = 'oslo'", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(matching(QString::fromLatin1(c.filter)), c.rows);
    }
}

TEST_F(MemberFilterTest, AnEmptyValueMatchesOnlyNull)
{
    EXPECT_EQ(matching("Confirmed = Null"), QList<int>{3});
    EXPECT_EQ(matching("Confirmed is not null"), (QList<int>{1, 2}));
    EXPECT_EQ(matching("Confirmed <> 'Y'"), QList<int>{2}); // the empty one fails every comparison
    EXPECT_EQ(matching("Stop_Dte is null"), (QList<int>{2, 3}));
}

TEST_F(MemberFilterTest, ABadExpressionIsRefusedWithItsText)
{
    for (const char *bad : {"Nope = 1", "Quantity =", "Quantity = 'x'", "City = 'open", "(Quantity = 1",
                            "RecVisible = 'Y'", "Quantity > Null", "Quantity = 1 Quantity", "City ! 'x'"}) {
        SCOPED_TRACE(bad);
        try {
            MemberFilter::parse(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted";
        } catch (const kv::Error &e) {
            EXPECT_TRUE(e.text().contains(QString::fromLatin1(bad))) << e.text().toStdString();
        }
    }
}

TEST_F(MemberFilterTest, DeepNestingIsRefusedAndLongChainsStillEvaluate)
{
    const QString deep = QString(MemberFilter::kMaxDepth + 1, QLatin1Char('(')) + QStringLiteral("Quantity = 1")
        + QString(MemberFilter::kMaxDepth + 1, QLatin1Char(')'));
    EXPECT_THROW(MemberFilter::parse(deep), kv::Error);

    QStringList chain;
    for (int i = 0; i < 100000; ++i)
        chain << QStringLiteral("Quantity = %1").arg(i + 10);
    chain << QStringLiteral("Quantity = 1");
    EXPECT_EQ(matching(chain.join(QStringLiteral(" or "))), QList<int>{2});
}

} // namespace
