#include "member_ops_fixture.h"

#include "members/confirmed_filter.h"
#include "members/visibility.h"

using kv::ConfirmedFilter;
using kv::MemberRowSet;
using kv::Visibility;

namespace {

class MemberOpsVisibilityTest : public MemberOpsTest
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        // 1: Mon+Wed, confirmed; 2: Wed, not confirmed; 3: Fri, unknown;
        // 4: Mon, hidden, confirmed; 5: no days (nulls), confirmed.
        tdb->addClient(1, {{QStringLiteral("Monday"), true}, {QStringLiteral("Wednesday"), true}, {QStringLiteral("City"), QStringLiteral("B")}});
        tdb->addClient(2, {{QStringLiteral("Wednesday"), true}, {QStringLiteral("Monday"), false}, {QStringLiteral("City"), QStringLiteral("A")}});
        tdb->addClient(3, {{QStringLiteral("Friday"), true}, {QStringLiteral("City"), QStringLiteral("C")}});
        tdb->addClient(4, {{QStringLiteral("Monday"), true}});
        tdb->addClient(5, {{QStringLiteral("City"), QStringLiteral("D")}});
        tdb->addMember(listId, 1, {{QStringLiteral("Confirmed"), QStringLiteral("Y")}});
        tdb->addMember(listId, 2, {{QStringLiteral("Confirmed"), QStringLiteral("N")}});
        tdb->addMember(listId, 3);
        tdb->addMember(listId, 4, {{QStringLiteral("Confirmed"), QStringLiteral("Y")}, {QStringLiteral("RecVisible"), false}});
        tdb->addMember(listId, 5, {{QStringLiteral("Confirmed"), QStringLiteral("Y")}});
        connect();
        load();
    }

    bool hidden(int person) { return !member(listId, person).value(QStringLiteral("recvisible")).toBool(); }

    QList<int> shownPersons()
    {
        QList<int> out;
        for (int r = 0; r < rows.recordCount(); ++r)
            out << rows.valueAt(r, MemberRowSet::Person_ID).toInt();
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_P(MemberOpsVisibilityTest, HideSelectedNeverShows100WhileRowsRemain)
{
    Visibility op(db(), progress);
    EXPECT_EQ(op.hideSelected(rows, select({1, 2, 3})), 3);
    EXPECT_EQ(progress.values, (std::vector<int>{0, 33, 66, 0}));
    load();
    EXPECT_TRUE(hidden(1) && hidden(2) && hidden(3));
    EXPECT_FALSE(hidden(5));
    EXPECT_EQ(shownPersons(), QList<int>{5});

    op.makeAllVisible(listId);
    load();
    EXPECT_EQ(shownPersons(), (QList<int>{1, 2, 3, 4, 5}));
}

TEST_P(MemberOpsVisibilityTest, DaysHideEveryMatchingRowOnceEvenOutsideTheFilter)
{
    ConfirmedFilter filter;
    Visibility::chooseFilter(rows, filter, ConfirmedFilter::NotChecked); // shows only 2
    rows.setIndexName(QStringLiteral("City"));

    Visibility op(db(), progress);
    Visibility::Days days{};
    days[0] = true; // Monday
    days[2] = true; // Wednesday
    int reloads = 0;
    const int n = op.hideByDays(rows, days, [&] {
        ++reloads;
        load();
    });
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(n, 3) << "1 (two checked days) once, 2, and the hidden 4";
    EXPECT_TRUE(hidden(1)) << "hidden although the Confirmed filter did not show it";
    EXPECT_TRUE(hidden(2));
    EXPECT_FALSE(hidden(3));
    EXPECT_FALSE(hidden(5)) << "empty weekdays count as not delivering";
    EXPECT_EQ(rows.indexName(), QStringLiteral("City")) << "the remembered order is active again after the load";
    EXPECT_TRUE(rows.filtered());
    EXPECT_EQ(rows.filter(), ConfirmedFilter::kNotCheckedExpression);
    EXPECT_EQ(progress.values.back(), 0);
    EXPECT_EQ(*std::max_element(progress.values.begin(), progress.values.end()), 100);
}

TEST_P(MemberOpsVisibilityTest, HiddenMembersAreShownUnderNoFilter)
{
    ConfirmedFilter filter;
    EXPECT_EQ(shownPersons(), (QList<int>{1, 2, 3, 5}));
    EXPECT_EQ(Visibility::chooseFilter(rows, filter, ConfirmedFilter::Checked), ConfirmedFilter::Checked);
    EXPECT_EQ(shownPersons(), (QList<int>{1, 5})) << "4 is confirmed but hidden";
    EXPECT_EQ(filter.paneText(), ConfirmedFilter::kPaneChecked);

    // Another entry replaces the filter in force; the same entry turns it off.
    Visibility::chooseFilter(rows, filter, ConfirmedFilter::Unknown);
    EXPECT_EQ(shownPersons(), QList<int>{3});
    EXPECT_FALSE(filter.isChecked(ConfirmedFilter::Checked));
    EXPECT_TRUE(filter.isChecked(ConfirmedFilter::Unknown));
    Visibility::chooseFilter(rows, filter, ConfirmedFilter::Unknown);
    EXPECT_EQ(filter.state(), ConfirmedFilter::None);
    EXPECT_EQ(rows.filter(), ConfirmedFilter::kNoneExpression);
    EXPECT_EQ(filter.paneText(), ConfirmedFilter::kPaneNone);
    EXPECT_EQ(shownPersons(), (QList<int>{1, 2, 3, 5}));

    // The filter lasts across loads, and the expression tells the entry in force.
    Visibility::chooseFilter(rows, filter, ConfirmedFilter::NotChecked);
    load();
    EXPECT_EQ(shownPersons(), QList<int>{2});
    EXPECT_EQ(ConfirmedFilter::stateOf(rows.filter()), ConfirmedFilter::NotChecked);
}

TEST_P(MemberOpsVisibilityTest, CancelledDaysRestoreOrderAndFirstRow)
{
    rows.setIndexName(QStringLiteral("City"));
    rows.last();
    Visibility::restoreAfterDays(rows, QStringLiteral("City"));
    EXPECT_EQ(rows.recNo(), 0);
    EXPECT_EQ(rows.fieldValue(MemberRowSet::Person_ID).toInt(), 2); // City "A"
    EXPECT_EQ(rows.changeCount(), 0);
}

KV_MEMBER_OPS_BACKENDS(MemberOpsVisibilityTest);

} // namespace
