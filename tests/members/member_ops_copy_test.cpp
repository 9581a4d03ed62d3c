#include "member_ops_fixture.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "lists/lists_window_state.h"
#include "members/copy_members.h"
#include "members/ui/flag_check_box.h"
#include "members/ui/form_save_to_new_list.h"
#include "shell/ui/radio_group.h"
#include "support/find_widget.h"
#include "support/fault_injection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

using kv::CopyFlagOptions;
using kv::CopyMembers;

namespace {

class MemberOpsCopyTest : public MemberOpsTest
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        for (int p = 1; p <= 4; ++p)
            tdb->addClient(p);
        tdb->addMember(listId, 1, {{QStringLiteral("Invited"), QStringLiteral("Y")}, {QStringLiteral("Quantity"), 5}});
        tdb->addMember(listId, 2, {{QStringLiteral("Confirmed"), QStringLiteral("N")}});
        tdb->addMember(listId, 3); // Invited never set, Confirmed unknown
        otherId = tdb->addList(QStringLiteral("Other"));
        tdb->addMember(otherId, 2, {{QStringLiteral("RecVisible"), false}});
        connect();
        load();
    }

    int copy(int destination, bool test, const CopyFlagOptions &o = {})
    {
        CopyMembers op(db(), progress);
        return op.copy(rows, select({1, 2, 3}), destination, test, o);
    }

    int otherId = 0;
};

TEST_P(MemberOpsCopyTest, CopyingIntoTheCurrentListCopiesNothing)
{
    EXPECT_EQ(copy(listId, true), 0);
    EXPECT_EQ(members(listId), 3);
    EXPECT_EQ(rows.changeCount(), 0) << "the source list is not changed";
}

TEST_P(MemberOpsCopyTest, ExistingListSkipsItsMembersAndKeepsFlagsAsTheyAre)
{
    EXPECT_EQ(copy(otherId, true), 2);
    EXPECT_EQ(members(otherId), 3);
    EXPECT_FALSE(member(otherId, 2).value(QStringLiteral("recvisible")).toBool()) << "the hidden member stays as it was";

    const QVariantMap one = member(otherId, 1);
    EXPECT_EQ(one.value(QStringLiteral("invited")).toString(), QStringLiteral("Y"));
    EXPECT_TRUE(isNull(one.value(QStringLiteral("quantity")))) << "quantity is never copied";
    EXPECT_TRUE(one.value(QStringLiteral("recvisible")).toBool());
    EXPECT_TRUE(isNull(one.value(QStringLiteral("updated_by"))));
    const QVariantMap three = member(otherId, 3);
    EXPECT_TRUE(isNull(three.value(QStringLiteral("confirmed")))) << "an unknown Confirmed stays unknown";
    EXPECT_TRUE(isNull(three.value(QStringLiteral("invited"))));
    EXPECT_EQ(progress.values.back(), 0);
}

TEST_P(MemberOpsCopyTest, PopulatedFlagsReplaceTheSourceFlags)
{
    const int fresh = tdb->addList(QStringLiteral("Fresh"));
    CopyFlagOptions o;
    o.leaveInvited = false;
    o.invited = false;
    o.leaveConfirmed = false;
    o.confirmed = Qt::PartiallyChecked;
    EXPECT_EQ(copy(fresh, false, o), 3) << "a new list takes every selected member";
    for (int p = 1; p <= 3; ++p) {
        EXPECT_EQ(member(fresh, p).value(QStringLiteral("invited")).toString(), QStringLiteral("N"));
        EXPECT_TRUE(isNull(member(fresh, p).value(QStringLiteral("confirmed"))));
    }
}

// The dialog, driven as the user would.
class MemberOpsCopyDialogTest : public MemberOpsCopyTest
{
protected:
    std::unique_ptr<TFormSaveToNewList> open(int tab = TFormSaveToNewList::kExistingListTab)
    {
        auto dlg = std::make_unique<TFormSaveToNewList>(db(), prompts);
        dlg->setStartTab(tab);
        dlg->show();
        return dlg;
    }

    qint64 listsNamed(const QString &name)
    {
        return tdb->count(QStringLiteral("Lists"), QStringLiteral("List_Name = :N"), {{QStringLiteral("N"), name}});
    }
};

TEST_P(MemberOpsCopyDialogTest, CancelAfterTypingANameAsksAndYesCreatesTheEmptyList)
{
    for (bool yes : {false, true}) {
        prompts.clear();
        auto dlg = open(TFormSaveToNewList::kNewListTab);
        EXPECT_FALSE(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK"))->isEnabled());
        QTest::keyClicks(kv::test::need<QLineEdit>(dlg.get(), QStringLiteral("DBEditListName")), QStringLiteral("Party"));
        EXPECT_TRUE(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK"))->isEnabled());
        yes ? prompts.answerYes() : prompts.answerNo();
        QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnCancel")), Qt::LeftButton);
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
        EXPECT_EQ(prompts.questions(), QStringList{TFormSaveToNewList::kSaveBeforeClosing});
        EXPECT_TRUE(dlg->cNewOrExistingList.isEmpty());
        EXPECT_TRUE(dlg->cSelectedListName.isEmpty());
        EXPECT_EQ(listsNamed(QStringLiteral("Party")), yes ? 1 : 0);
    }
    const auto list = tdb->rows(QStringLiteral("Select * from Lists where List_Name = 'Party'")).first();
    EXPECT_EQ(list.value(QStringLiteral("reason")).toString(), QStringLiteral("LST"));
    EXPECT_EQ(list.value(QStringLiteral("checkbox_setting")).toString(), QStringLiteral("I"));
    EXPECT_TRUE(isNull(list.value(QStringLiteral("last_update")))) << "the copy dialog does not stamp";
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"),
                         {{QStringLiteral("L"), list.value(QStringLiteral("record_id"))}}),
              0);
}

TEST_P(MemberOpsCopyDialogTest, ExistingListIsTheOnePickedEvenWhenAnotherSharesItsName)
{
    const int first = tdb->addList(QStringLiteral("Dup"));
    const int second = tdb->addList(QStringLiteral("Dup"));
    auto dlg = open();
    EXPECT_EQ(kv::test::need<QTabBar>(dlg.get(), QStringLiteral("RzTabControl1"))->currentIndex(), TFormSaveToNewList::kExistingListTab);
    EXPECT_TRUE(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK"))->isEnabled()) << "the first list is current and has a name";
    const int at = kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"))->findData(second);
    ASSERT_GE(at, 0);
    kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"))->setCurrentIndex(at);
    Q_EMIT kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"))->activated(at);
    kv::test::need<kv::ConfirmedCheckBox>(dlg.get(), QStringLiteral("RzCheckBoxConfirmedStateExisting"))->click(); // grayed -> checked
    EXPECT_EQ(kv::test::need<kv::RadioGroup>(dlg.get(), QStringLiteral("RzRadioGroupConfirrmedStateExisting"))->itemIndex(), 1);
    EXPECT_EQ(kv::test::need<kv::ConfirmedCheckBox>(dlg.get(), QStringLiteral("RzCheckBoxConfirmedStateExisting"))->text(), QStringLiteral("Checked"));
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);

    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->cNewOrExistingList, QStringLiteral("E"));
    EXPECT_EQ(dlg->cSelectedListName, QStringLiteral("Dup"));
    EXPECT_EQ(dlg->nSelectedListID, second);
    EXPECT_TRUE(prompts.questions().isEmpty());

    // The by-name lookup would have taken the other one.
    EXPECT_EQ(CopyMembers::destinationByName(*dm->QueryGetListIDFromListName, QStringLiteral("Dup")), first);
    CopyMembers op(db(), progress);
    EXPECT_EQ(op.copy(rows, select({1, 3}), dlg->nSelectedListID, true, dlg->saveOptions()), 2);
    EXPECT_EQ(members(second), 2);
    EXPECT_EQ(members(first), 0);
    EXPECT_EQ(member(second, 3).value(QStringLiteral("confirmed")).toString(), QStringLiteral("Y"));
}

TEST_P(MemberOpsCopyDialogTest, NewListWithATakenNameGetsTheCopies)
{
    auto dlg = open(TFormSaveToNewList::kNewListTab);
    QTest::keyClicks(kv::test::need<QLineEdit>(dlg.get(), QStringLiteral("DBEditListName")), QStringLiteral("Other"));
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->cNewOrExistingList, QStringLiteral("N"));
    const std::optional<kv::CopyChoice> choice = dlg->choice();
    ASSERT_TRUE(choice && choice->newList);
    EXPECT_EQ(choice->list.name, QStringLiteral("Other"));
    EXPECT_EQ(listsNamed(QStringLiteral("Other")), 1) << "the dialog writes no new list";
    // The copy creates the list, with its copies.
    CopyMembers op(db(), progress);
    const int created = op.copyToNewList(rows, select({1, 2, 3}), choice->list, choice->flags);
    EXPECT_NE(created, otherId);
    EXPECT_EQ(listsNamed(QStringLiteral("Other")), 2);
    EXPECT_EQ(members(created), 3);
    EXPECT_EQ(members(otherId), 1) << "the older list of that name is left alone";
}

TEST_P(MemberOpsCopyDialogTest, AListThatCannotBePostedWhenTheTabChangesIsShownAndTheDialogGoesOn)
{
    tdb->db().execute(QStringLiteral("Create unique index ux_lists_name on Lists (List_Name)"));
    auto dlg = open(TFormSaveToNewList::kExistingListTab);
    // The existing list is renamed to a name another list holds.
    dlg->queries().QueryLists->setFieldValue(QStringLiteral("List_Name"),
                                             dlg->queries().QueryLists->fieldValue(QStringLiteral("List_Name")).toString()
                                                     == kListName
                                                 ? QStringLiteral("Other")
                                                 : kListName);
    EXPECT_NO_THROW(kv::test::need<QTabBar>(dlg.get(), QStringLiteral("RzTabControl1"))->setCurrentIndex(TFormSaveToNewList::kNewListTab));
    EXPECT_EQ(prompts.notices().size(), 1) << "the failed post is shown";

    prompts.answerNo();
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnCancel")), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_EQ(listsNamed(kListName), 1);
    EXPECT_EQ(listsNamed(QStringLiteral("Other")), 1);
}

// A changed default that cannot be posted when "New List" is chosen keeps the
// dialog on "Existing List": OK then copies into that list with the membership
// test, never as into a new one (which would insert everyone again).
TEST_P(MemberOpsCopyDialogTest, ARefusedMoveToNewListStaysOnTheExistingListAndItsMembershipTest)
{
    auto dlg = open(TFormSaveToNewList::kExistingListTab);
    const int at = kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"))->findData(otherId);
    ASSERT_GE(at, 0);
    kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"))->setCurrentIndex(at);
    Q_EMIT kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"))->activated(at);
    kv::test::need<QCheckBox>(dlg.get(), QStringLiteral("wwCheckBoxActiveOnly"))->click();
    const QStringList tables{QStringLiteral("Lists"), QStringLiteral("List_Members")};
    const QStringList before = tableSnapshot(*tdb, tables);
    failAtRow(*tdb, QStringLiteral("Lists"), QStringLiteral("UPDATE"), 1);
    kv::test::need<QTabBar>(dlg.get(), QStringLiteral("RzTabControl1"))->setCurrentIndex(TFormSaveToNewList::kNewListTab);
    EXPECT_EQ(tableSnapshot(*tdb, tables), before);
    ASSERT_EQ(prompts.notices().size(), 1);
    EXPECT_TRUE(prompts.notices().first().contains(kInjectedFailure)) << prompts.notices().first().toStdString();
    EXPECT_EQ(kv::test::need<QTabBar>(dlg.get(), QStringLiteral("RzTabControl1"))->currentIndex(), TFormSaveToNewList::kExistingListTab);
    EXPECT_FALSE(kv::test::need<QGroupBox>(dlg.get(), QStringLiteral("RzGroupBoxNameDescription"))->isVisibleTo(dlg.get()));
    EXPECT_TRUE(kv::test::need<QGroupBox>(dlg.get(), QStringLiteral("RzGroupBoxSelectlist"))->isVisibleTo(dlg.get()));

    disarm(*tdb, QStringLiteral("Lists"), QStringLiteral("UPDATE"));
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->cNewOrExistingList, QStringLiteral("E"));
    EXPECT_EQ(dlg->nSelectedListID, otherId);
    EXPECT_FALSE(kv::UnitOfWork::isActive(db())) << "OK leaves no transaction open";
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Active_Only from Lists where Record_ID = :L"), {{QStringLiteral("L"), otherId}}).toString(),
              QStringLiteral("N"));
    EXPECT_EQ(copy(otherId, dlg->cNewOrExistingList != QLatin1String("N")), 2);
    EXPECT_EQ(members(otherId), 3) << "person 2, already there, is not inserted again";
}

// OK on "New List" writes nothing and asks nothing: the list it names, with
// the defaults as the dialog showed them, is the copy's to create.
TEST_P(MemberOpsCopyDialogTest, AnOkForANewListWritesNothingAndTheCopyCreatesItAsShown)
{
    tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 7}, {QStringLiteral("Service_Desc"), QStringLiteral("Holiday")},
                                             {QStringLiteral("Service_Type"), QStringLiteral("D")}});
    auto dlg = open(TFormSaveToNewList::kNewListTab);
    QTest::keyClicks(kv::test::need<QLineEdit>(dlg.get(), QStringLiteral("DBEditListName")), QStringLiteral("Party"));
    kv::test::need<QCheckBox>(dlg.get(), QStringLiteral("wwCheckBoxActiveOnly"))->click();
    auto *service = kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboService"));
    const int at = service->findData(7);
    ASSERT_GE(at, 0);
    service->setCurrentIndex(at);
    Q_EMIT service->activated(at);
    const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("List_Members")});
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.texts().isEmpty()) << "no question on closing: nothing is left pending";
    EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("List_Members")}), before);
    EXPECT_FALSE(kv::UnitOfWork::isActive(db()));

    const std::optional<kv::CopyChoice> choice = dlg->choice();
    ASSERT_TRUE(choice && choice->newList);
    CopyMembers op(db(), progress);
    const int created = op.copyToNewList(rows, select({1, 3}), choice->list, choice->flags);
    const QVariantMap list = tdb->rows(QStringLiteral("Select * from Lists where Record_ID = %1").arg(created)).first();
    EXPECT_EQ(list.value(QStringLiteral("list_name")).toString(), QStringLiteral("Party"));
    EXPECT_EQ(list.value(QStringLiteral("active_only")).toString(), QStringLiteral("N"));
    EXPECT_EQ(list.value(QStringLiteral("service_method")).toString(), QStringLiteral("S"));
    EXPECT_EQ(list.value(QStringLiteral("service_used")).toInt(), 7);
    EXPECT_EQ(list.value(QStringLiteral("reason")).toString(), QStringLiteral("LST")) << "the insert defaults";
    EXPECT_EQ(list.value(QStringLiteral("create_date")).toDate(), QDate::currentDate());
    EXPECT_TRUE(isNull(list.value(QStringLiteral("list_desc"))));
    EXPECT_TRUE(isNull(list.value(QStringLiteral("quantity"))));
    EXPECT_TRUE(isNull(list.value(QStringLiteral("last_update")))) << "the copy does not stamp";
    EXPECT_EQ(members(created), 2);
}

// A copy into a new list that fails anywhere, at the list's row or at a
// member's, leaves no list behind; the next one creates the one list.
TEST_P(MemberOpsCopyTest, ACopyIntoANewListThatFailsLeavesNoListBehind)
{
    kv::NewListValues list;
    list.name = QStringLiteral("Party");
    const QStringList tables{QStringLiteral("Lists"), QStringLiteral("List_Members")};
    for (const auto &[table, failAt] : {std::pair{"Lists", 1}, std::pair{"List_Members", 2}}) {
        SCOPED_TRACE(table);
        failAtRow(*tdb, QString::fromLatin1(table), QStringLiteral("INSERT"), failAt);
        const QStringList before = tableSnapshot(*tdb, tables);
        CopyMembers op(db(), progress);
        EXPECT_THROW(op.copyToNewList(rows, select({1, 2, 3}), list, {}), kv::RolledBack);
        EXPECT_EQ(tableSnapshot(*tdb, tables), before);
        EXPECT_FALSE(kv::UnitOfWork::isActive(db()));
        disarm(*tdb, QString::fromLatin1(table), QStringLiteral("INSERT"));
    }
    CopyMembers op(db(), progress);
    const int created = op.copyToNewList(rows, select({1, 2, 3}), list, {});
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("List_Name = 'Party'")), 1);
    EXPECT_EQ(members(created), 3);
}

// Another user changed the existing list whose defaults were edited here: OK
// asks whether to read the lists again, writes nothing and stays; keeping the
// change, the next OK saves it over theirs.
TEST_P(MemberOpsCopyDialogTest, AnOkRefusedByAnotherUsersChangeAsksAndStaysOpen)
{
    auto dlg = open(TFormSaveToNewList::kExistingListTab);
    auto *lists = kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"));
    const int at = lists->findData(otherId);
    ASSERT_GE(at, 0);
    lists->setCurrentIndex(at);
    Q_EMIT lists->activated(at);
    kv::test::need<QCheckBox>(dlg.get(), QStringLiteral("wwCheckBoxActiveOnly"))->click(); // Y -> N
    tdb->exec(QStringLiteral("Update Lists set Active_Only = 'X' where Record_ID = :L"), {{QStringLiteral("L"), otherId}});
    const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Lists")});
    prompts.answerNo(); // keep my change
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().first().endsWith(kv::ListsWindowState::kReloadAfterConflict));
    EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Lists")}), before);
    EXPECT_TRUE(dlg->cNewOrExistingList.isEmpty());

    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->nSelectedListID, otherId);
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Active_Only from Lists where Record_ID = :L"), {{QStringLiteral("L"), otherId}}).toString(),
              QStringLiteral("N"));
}

KV_MEMBER_OPS_BACKENDS(MemberOpsCopyTest);
KV_MEMBER_OPS_BACKENDS(MemberOpsCopyDialogTest);

} // namespace
