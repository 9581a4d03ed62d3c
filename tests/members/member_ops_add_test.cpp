#include "member_ops_fixture.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "members/add_members.h"

#include <QDate>

using kv::AddMembers;
using kv::AddMembersChoice;

namespace {

class MemberOpsAddTest : public MemberOpsTest
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 7}, {QStringLiteral("Service_Desc"), QStringLiteral("Hot Meals")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 123}, {QStringLiteral("Service_Desc"), QStringLiteral("Frozen [Weekly]")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        // Active ongoing on service 7: 1, 2 (2 is a hidden member already).
        tdb->addClient(1, {{QStringLiteral("Svcs_Used"), 7}});
        tdb->addClient(2, {{QStringLiteral("Svcs_Used"), 7}});
        // Active episodic on service 123: 3; stopped on service 123: 4.
        tdb->addClient(3, {{QStringLiteral("Svcs_Used"), 123}, {QStringLiteral("Delivery_Type"), QStringLiteral("E")}});
        tdb->addClient(4, {{QStringLiteral("Svcs_Used"), 123}, {QStringLiteral("Status"), QStringLiteral("S")}});
        // No status: a blank and a null.
        tdb->addClient(5, {{QStringLiteral("Status"), QStringLiteral(" ")}});
        tdb->addClient(6, {{QStringLiteral("Status"), QVariant()}});
        tdb->addMember(listId, 2, {{QStringLiteral("RecVisible"), false}});
        connect();
    }

    AddMembersChoice byStatus(int index)
    {
        AddMembersChoice c;
        c.method = AddMembersChoice::ByStatus;
        c.statusIndex = index;
        return c;
    }

    AddMembers::Result run(const AddMembersChoice &c)
    {
        AddMembers op(db(), prompts, progress);
        return op.run(listId, c);
    }
};

TEST_P(MemberOpsAddTest, StatusRunAddsEachMatchingClientOnceAndNeverAHiddenMember)
{
    const auto r = run(byStatus(3));
    EXPECT_EQ(r.added, 2); // 1 and 3; 2 is a hidden member already
    EXPECT_EQ(prompts.notices(), QStringList{QStringLiteral("Succesfully added 2 new members to the list.")});
    EXPECT_EQ(members(listId), 3);
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("Person_ID = 2")), 1);

    const QVariantMap m = member(listId, 1);
    EXPECT_EQ(m.value(QStringLiteral("client_id")).toString(), QStringLiteral("C00001"));
    EXPECT_TRUE(m.value(QStringLiteral("recvisible")).toBool());
    EXPECT_EQ(m.value(QStringLiteral("invited")).toString(), QStringLiteral("N"));
    EXPECT_TRUE(isNull(m.value(QStringLiteral("confirmed")))) << "a grayed box gives an unknown Confirmed";
    EXPECT_TRUE(isNull(m.value(QStringLiteral("quantity"))));
    EXPECT_TRUE(isNull(m.value(QStringLiteral("updated_by"))));
    EXPECT_EQ(m.value(QStringLiteral("create_date")).toDate(), QDate::currentDate());
    EXPECT_TRUE(m.value(QStringLiteral("last_update")).isValid());

    // The bar stood at 100 when the count was shown, and is back at 0.
    ASSERT_GE(progress.values.size(), 2u);
    EXPECT_EQ(progress.values[progress.values.size() - 2], 100);
    EXPECT_EQ(progress.values.back(), 0);

    prompts.clear();
    EXPECT_EQ(run(byStatus(3)).added, 0);
    EXPECT_EQ(prompts.notices(), QStringList{AddMembers::kNoNewNames});
    EXPECT_EQ(members(listId), 3);
}

TEST_P(MemberOpsAddTest, NoStatusTakesBlankAndNullAndDeliveryTypeNarrows)
{
    EXPECT_EQ(run(byStatus(0)).added, 2);
    EXPECT_FALSE(member(listId, 5).isEmpty());
    EXPECT_FALSE(member(listId, 6).isEmpty());

    AddMembersChoice c = byStatus(3);
    c.deliveryType = AddMembersChoice::EpisodicOnly;
    c.flags.invited = true;
    c.flags.confirmed = Qt::Checked;
    EXPECT_EQ(run(c).added, 1);
    const QVariantMap m = member(listId, 3);
    EXPECT_EQ(m.value(QStringLiteral("invited")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(m.value(QStringLiteral("confirmed")).toString(), QStringLiteral("Y"));
    EXPECT_TRUE(member(listId, 1).isEmpty());
}

TEST_P(MemberOpsAddTest, ServiceMethodTakesActiveClientsOnlyWithThreeDigitIds)
{
    AddMembersChoice c;
    c.method = AddMembersChoice::ByService;
    c.serviceId = AddMembers::serviceIdFromEntry(AddMembers::serviceEntry(QStringLiteral("Frozen [Weekly]"), 123));
    ASSERT_EQ(c.serviceId, 123);
    EXPECT_EQ(run(c).added, 1);
    EXPECT_FALSE(member(listId, 3).isEmpty());
    EXPECT_TRUE(member(listId, 4).isEmpty()) << "a stopped client is not taken by the service method";

    c.serviceId = 7;
    EXPECT_EQ(run(c).added, 1); // 1; 2 is hidden in the list already
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("Person_ID = 2")), 1);
}

TEST_P(MemberOpsAddTest, MissingStatusOrServiceIsReportedAndAddsNothing)
{
    AddMembersChoice c = byStatus(-1);
    try {
        run(c);
        FAIL() << "no status chosen must not pass";
    } catch (const kv::Error &e) {
        EXPECT_EQ(e.text(), AddMembers::kNoStatusChosen);
    }
    c.method = AddMembersChoice::ByService;
    c.statusIndex = 3;
    c.serviceId.reset();
    EXPECT_THROW(run(c), kv::Error);
    EXPECT_EQ(members(listId), 1);
    EXPECT_TRUE(prompts.notices().isEmpty());
    EXPECT_EQ(progress.values.back(), 0);
}

TEST_P(MemberOpsAddTest, SelectionIsComposedLineByLine)
{
    AddMembersChoice c;
    c.method = AddMembersChoice::ByService;
    c.serviceId = 7;
    c.deliveryType = AddMembersChoice::OngoingOnly;
    EXPECT_EQ(AddMembers::selectionLines(c),
              (QStringList{AddMembers::kServiceSelectLine, AddMembers::kOngoingLine, AddMembers::kExclusionLine}));
    EXPECT_EQ(AddMembers::selectionLines(byStatus(5)),
              (QStringList{AddMembers::kStatusSelectLines.at(5), AddMembers::kExclusionLine}));
}

TEST_P(MemberOpsAddTest, SingleClientChecksMembershipIncludingHiddenMembers)
{
    AddMembersChoice c;
    c.method = AddMembersChoice::SingleClient;
    c.personId = 2;
    c.clientId = QStringLiteral("C00002");
    EXPECT_TRUE(run(c).alreadyMember);
    EXPECT_EQ(prompts.notices(), QStringList{AddMembers::kAlreadyMember});
    EXPECT_EQ(members(listId), 1);

    prompts.clear();
    c.personId = 4; // any status
    c.clientId = QStringLiteral("C00004");
    c.flags.confirmed = Qt::Unchecked;
    EXPECT_EQ(run(c).added, 1);
    EXPECT_TRUE(prompts.notices().isEmpty()) << "no message follows a single insert";
    EXPECT_EQ(member(listId, 4).value(QStringLiteral("confirmed")).toString(), QStringLiteral("N"));

    c.personId = QVariant();
    EXPECT_THROW(run(c), kv::Error);
}

KV_MEMBER_OPS_BACKENDS(MemberOpsAddTest);

} // namespace
