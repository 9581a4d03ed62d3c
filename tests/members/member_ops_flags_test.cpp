#include "member_ops_window_fixture.h"

#include "members/member_flags.h"
#include "members/quantities.h"
#include "members/remove_members.h"
#include "members/ui/form_get_quantity.h"
#include "members/ui/form_list_members.h"
#include "members/ui/members_grid.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

using kv::MemberFlags;
using kv::MemberRowSet;

namespace {

const QDateTime kOldStamp(QDate(2020, 1, 2), QTime(3, 4, 5));

class MemberOpsFlagsTest : public MemberOpsTest
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        for (int p = 1; p <= 4; ++p)
            tdb->addClient(p);
        const QVariantMap old{{QStringLiteral("Last_Update"), kOldStamp}, {QStringLiteral("Updated_By"), QStringLiteral("old")}};
        auto with = [&](QVariantMap v) {
            for (auto it = old.begin(); it != old.end(); ++it)
                v.insert(it.key(), it.value());
            return v;
        };
        tdb->addMember(listId, 1, with({{QStringLiteral("Invited"), QStringLiteral("N")}}));
        tdb->addMember(listId, 2, with({{QStringLiteral("Confirmed"), QStringLiteral("Y")}}));
        tdb->addMember(listId, 3, with({{QStringLiteral("Confirmed"), QStringLiteral("N")}}));
        // A hidden member with an unknown Confirmed.
        tdb->addMember(listId, 4, with({{QStringLiteral("RecVisible"), false}}));
        connect();
        load();
    }
};

TEST_P(MemberOpsFlagsTest, AllStatementsChangeHiddenMembersTooWithoutStamps)
{
    MemberFlags op(db(), progress);
    op.setAllConfirmed(listId, false);
    load();
    for (int p = 1; p <= 4; ++p) {
        const QVariantMap m = member(listId, p);
        EXPECT_EQ(m.value(QStringLiteral("confirmed")).toString(), QStringLiteral("N")) << "person " << p;
        EXPECT_EQ(m.value(QStringLiteral("updated_by")).toString(), QStringLiteral("old")) << "person " << p;
        EXPECT_EQ(m.value(QStringLiteral("last_update")).toDateTime(), kOldStamp) << "person " << p;
    }
    op.setAllInvited(listId, true);
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("Invited = 'Y'")), 4);
    // The engine's progress events reach the bar, which ends at 0.
    ASSERT_FALSE(progress.values.empty());
    EXPECT_NE(std::find(progress.values.begin(), progress.values.end(), 100), progress.values.end());
    EXPECT_EQ(progress.values.back(), 0);
}

TEST_P(MemberOpsFlagsTest, SelectedRowsAreStampedThroughTheSavePath)
{
    MemberFlags op(db(), progress);
    EXPECT_EQ(op.setSelectedConfirmed(rows, {}, true), 0) << "no selection changes nothing, not even the current row";
    EXPECT_EQ(rows.changeCount(), 0);

    EXPECT_EQ(op.setSelectedConfirmed(rows, select({1, 3}), true), 2);
    for (int v : progress.values)
        EXPECT_LT(v, 100);
    EXPECT_EQ(progress.values.back(), 0);
    load();
    for (int p : {1, 3}) {
        const QVariantMap m = member(listId, p);
        EXPECT_EQ(m.value(QStringLiteral("confirmed")).toString(), QStringLiteral("Y"));
        EXPECT_EQ(m.value(QStringLiteral("updated_by")).toString(), QStringLiteral("(List)"));
        EXPECT_GT(m.value(QStringLiteral("last_update")).toDateTime(), kOldStamp);
    }
    EXPECT_EQ(member(listId, 2).value(QStringLiteral("updated_by")).toString(), QStringLiteral("old"));
}

TEST_P(MemberOpsFlagsTest, SelectedRowsLeavingTheFilterAreAllChanged)
{
    // Under the "Confirmed is Unknown" filter each row leaves the view as it
    // is checked; the rows selected after it must still be reached.
    tdb->addClient(5);
    tdb->addClient(6);
    tdb->addMember(listId, 5);
    tdb->addMember(listId, 6);
    rows.setFilter(kv::ConfirmedFilter::kUnknownExpression);
    load();
    ASSERT_EQ(rows.recordCount(), 3); // persons 1, 5 and 6
    MemberFlags op(db(), progress);
    EXPECT_EQ(op.setSelectedConfirmed(rows, select({1, 5, 6}), true), 3);
    EXPECT_EQ(rows.recordCount(), 0);
    load();
    for (int p : {1, 5, 6})
        EXPECT_EQ(member(listId, p).value(QStringLiteral("confirmed")).toString(), QStringLiteral("Y")) << "person " << p;
}

TEST_P(MemberOpsFlagsTest, KeyboardCyclesAreSavedWithUnknownAsNull)
{
    ASSERT_TRUE(rows.gotoBookmark(select({3}).first())); // Confirmed "N"
    MemberFlags::cycleConfirmed(rows);
    EXPECT_EQ(rows.state(), kv::DataState::Edit) << "the row is left in edit";
    EXPECT_FALSE(rows.fieldValue(MemberRowSet::Confirmed).isValid());
    load();
    EXPECT_TRUE(isNull(member(listId, 3).value(QStringLiteral("confirmed"))));

    ASSERT_TRUE(rows.gotoBookmark(select({1}).first())); // Invited "N"
    MemberFlags::cycleInvited(rows);
    MemberFlags::cycleInvited(rows);
    MemberFlags::cycleInvited(rows);
    load();
    EXPECT_EQ(member(listId, 1).value(QStringLiteral("invited")).toString(), QStringLiteral("Y"));
}

TEST_P(MemberOpsFlagsTest, QuantityGoesToSelectedRowsAsAWholeNumber)
{
    kv::Quantities op(progress);
    EXPECT_EQ(op.setSelected(rows, select({2, 3}), 12.9), 2);
    EXPECT_EQ(rows.sumQuantity().toInt(), 24);
    load();
    EXPECT_EQ(member(listId, 2).value(QStringLiteral("quantity")).toInt(), 12);
    EXPECT_TRUE(isNull(member(listId, 1).value(QStringLiteral("quantity"))));
    EXPECT_EQ(member(listId, 3).value(QStringLiteral("updated_by")).toString(), QStringLiteral("(List)"));
}

TEST_P(MemberOpsFlagsTest, RemovingAsksBySelectionSizeAndDeletesBeforeTheRowLeaves)
{
    kv::RemoveMembers op(db(), prompts, progress);
    prompts.answerNo();
    EXPECT_EQ(op.removeSelected(listId, rows, select({1, 2})), 0);
    EXPECT_EQ(prompts.questions(), QStringList{kv::RemoveMembers::kRemoveSelectedMembers});
    EXPECT_EQ(members(listId), 4);

    prompts.clear();
    ASSERT_TRUE(rows.gotoBookmark(select({2}).first()));
    EXPECT_EQ(op.removeSelected(listId, rows, {}), 1) << "with nothing selected the current row goes";
    EXPECT_EQ(prompts.questions(), QStringList{kv::RemoveMembers::kRemoveSelectedMember});
    EXPECT_TRUE(member(listId, 2).isEmpty());

    EXPECT_EQ(op.removeSelected(listId, rows, select({1, 3})), 2);
    load(); // the deletions are acknowledged without another statement
    EXPECT_EQ(members(listId), 1);
    EXPECT_EQ(rows.totalRowCount(), 1);

    EXPECT_TRUE(op.removeAll(listId));
    EXPECT_EQ(members(listId), 0) << "remove all takes hidden members too";
    EXPECT_EQ(progress.values.back(), 0);
}

KV_MEMBER_OPS_BACKENDS(MemberOpsFlagsTest);

// The same operations run from the members window while a value typed into
// the grid is still in its editor: that value belongs to the row it was typed
// on, whatever rows the operation removes or changes.
class MemberOpsFlagsWindowTest : public MemberOpsWindowFixture
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        for (int p = 1; p <= 4; ++p) {
            tdb->addClient(p);
            tdb->addMember(listId, p);
        }
        openWindow();
    }

    // Leaves "typed" in the quantity editor of the person's row, not yet committed.
    void typeQuantity(int person, const QString &typed)
    {
        const int row = rowOf(person);
        ASSERT_GE(row, 0);
        const QModelIndex cell = shown().index(row, MemberRowSet::Quantity);
        grid()->setCurrentIndex(cell);
        grid()->edit(cell);
        auto *editor = grid()->findChild<QLineEdit *>(QStringLiteral("QuantityEditor"));
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
    }

    int quantityOf(int person) { return member(listId, person).value(QStringLiteral("quantity")).toInt(); }
};

TEST_P(MemberOpsFlagsWindowTest, RemovingSelectedMembersKeepsATypedQuantityOnItsRow)
{
    typeQuantity(3, QStringLiteral("5"));
    selectPersons({1, 2});
    window->ActionRemoveSelectedMembersExecute();
    EXPECT_EQ(members(listId), 2);
    EXPECT_EQ(quantityOf(3), 5);
    EXPECT_TRUE(isNull(member(listId, 4).value(QStringLiteral("quantity"))));
}

TEST_P(MemberOpsFlagsWindowTest, SettingSelectedQuantitiesKeepsATypedQuantityOnItsRow)
{
    typeQuantity(1, QStringLiteral("5"));
    selectPersons({2, 3});
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<TFormGetQuantity *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        auto *quantity = kv::test::need<QSpinBox>(dlg, QStringLiteral("wwDBSpinEditQuantity"));
        EXPECT_EQ(quantity->value(), 1);
        quantity->setValue(7);
        kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click();
    });
    window->ActionSetQuantitiesExecute();
    EXPECT_EQ(quantityOf(1), 5);
    EXPECT_EQ(quantityOf(2), 7);
    EXPECT_EQ(quantityOf(3), 7);
    EXPECT_TRUE(isNull(member(listId, 4).value(QStringLiteral("quantity"))));
}

TEST_P(MemberOpsFlagsWindowTest, SelectedConfirmedKeepsATypedQuantityOnItsRow)
{
    typeQuantity(4, QStringLiteral("6"));
    selectPersons({1, 2});
    window->ActionCheckSelectedRSVPChecksExecute();
    EXPECT_EQ(member(listId, 1).value(QStringLiteral("confirmed")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(quantityOf(4), 6);
    EXPECT_TRUE(isNull(member(listId, 1).value(QStringLiteral("quantity"))));
}

TEST_P(MemberOpsFlagsWindowTest, AnAllStatementIsNotUndoneByAPendingEditOfTheSameRow)
{
    // The save path writes every flag of an edited row as the row set holds
    // it: saved after the bulk statement, it would put the old flag back.
    tdb->exec(QStringLiteral("Update List_Members set Confirmed = 'N', Invited = 'N' where List_ID = :L"), {{QStringLiteral("L"), listId}});
    window->RzTabControl1Change();
    for (int person : {2, 3}) {
        ASSERT_TRUE(shown().gotoBookmark(shown().bookmarkAt(rowOf(person))));
        shown().edit();
        shown().setFieldValue(MemberRowSet::Quantity, person);
        shown().post();
    }
    ASSERT_TRUE(shown().gotoBookmark(shown().bookmarkAt(rowOf(4))));
    shown().edit();
    shown().setFieldValue(MemberRowSet::Quantity, 4); // left in edit

    window->ActionCheckAllRSVPChecksExecute();
    window->ActionCheckAllInvitedChecksExecute();
    for (int person = 1; person <= 4; ++person) {
        const QVariantMap m = member(listId, person);
        EXPECT_EQ(m.value(QStringLiteral("confirmed")).toString(), QStringLiteral("Y")) << "person " << person;
        EXPECT_EQ(m.value(QStringLiteral("invited")).toString(), QStringLiteral("Y")) << "person " << person;
    }
    EXPECT_EQ(quantityOf(2), 2) << "the pending edits are saved too";
    EXPECT_EQ(quantityOf(3), 3);
    EXPECT_EQ(quantityOf(4), 4);
}

// Three "all" actions change every member at once: each asks first, naming
// the count with No as the default, and No changes nothing. Checking all
// Invited, the usual step once the invitations are out, asks nothing.
TEST_P(MemberOpsFlagsWindowTest, AllActionsThatTakeMarksAwayAskFirstAndNoChangesNothing)
{
    tdb->exec(QStringLiteral("Update List_Members set Confirmed = 'N', Invited = 'Y' where List_ID = :L"), {{QStringLiteral("L"), listId}});
    tdb->exec(QStringLiteral("Update List_Members set RecVisible = False where List_ID = :L and Person_ID = 4"), {{QStringLiteral("L"), listId}});
    window->RzTabControl1Change();
    using Flag = MemberFlags::Flag;
    struct Case
    {
        void (TFormListMembers::*action)();
        Flag flag;
        bool checked;
        const char *column;
        const char *before, *after;
    } cases[] = {
        {&TFormListMembers::ActionCheckAllRSVPChecksExecute, Flag::Confirmed, true, "confirmed", "N", "Y"},
        {&TFormListMembers::ActionClearAllRSVPChecksExecute, Flag::Confirmed, false, "confirmed", "Y", "N"},
        {&TFormListMembers::ActionClearAllInvitedChecksExecute, Flag::Invited, false, "invited", "Y", "N"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.column + std::string(c.checked ? " checked" : " cleared"));
        const QString question = MemberFlags::allQuestion(c.flag, c.checked, 4); // the hidden member counts
        EXPECT_TRUE(question.contains(QLatin1String("all 4 members"))) << question.toStdString();
        prompts.clear();
        prompts.answerNo();
        (window.get()->*c.action)();
        ASSERT_EQ(prompts.shown().size(), 1);
        EXPECT_EQ(prompts.shown().first().text, question);
        EXPECT_TRUE(prompts.shown().first().defaultNo);
        EXPECT_EQ(prompts.shown().first().kind, kv::Prompts::Kind::Confirmation);
        EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("%1 = '%2'").arg(QLatin1String(c.column), QLatin1String(c.before))), 4);
        prompts.answerYes();
        (window.get()->*c.action)();
        EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("%1 = '%2'").arg(QLatin1String(c.column), QLatin1String(c.after))), 4);
    }
    prompts.clear();
    window->ActionCheckAllInvitedChecksExecute();
    EXPECT_TRUE(prompts.questions().isEmpty());
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("Invited = 'Y'")), 4);
}

KV_MEMBER_OPS_BACKENDS(MemberOpsFlagsWindowTest);

TEST(MemberOpsFlagCycles, ConfirmedAndInvitedCycles)
{
    QVariant c; // unknown
    c = MemberFlags::nextConfirmed(c);
    EXPECT_EQ(c.toString(), QStringLiteral("Y"));
    c = MemberFlags::nextConfirmed(c);
    EXPECT_EQ(c.toString(), QStringLiteral("N"));
    c = MemberFlags::nextConfirmed(c);
    EXPECT_FALSE(c.isValid()) << "three presses return an unknown member to unknown";
    EXPECT_EQ(MemberFlags::nextConfirmed(QStringLiteral("")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(MemberFlags::nextConfirmed(QStringLiteral("X")).toString(), QStringLiteral("X"));

    EXPECT_EQ(MemberFlags::nextInvited(QVariant()).toString(), QStringLiteral("Y"));
    EXPECT_EQ(MemberFlags::nextInvited(QStringLiteral("N")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(MemberFlags::nextInvited(QStringLiteral("Y")).toString(), QStringLiteral("N"));
    EXPECT_EQ(MemberFlags::nextInvited(QStringLiteral("?")).toString(), QStringLiteral("?"));
}

} // namespace
