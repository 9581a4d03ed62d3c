#include "member_ops_fixture.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
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
    const int created = dlg->nSelectedListID;
    EXPECT_NE(created, otherId);
    EXPECT_GT(created, 0);
    // The new list commits with its copies.
    const std::unique_ptr<kv::UnitOfWork> posted = dlg->takeUnitOfWork();
    ASSERT_TRUE(posted);
    int copied = 0;
    kv::UnitOfWork::complete(*posted, [&] { copied = copy(created, false); });
    EXPECT_EQ(copied, 3);
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
    if (const std::unique_ptr<kv::UnitOfWork> posted = dlg->takeUnitOfWork())
        posted->commit();
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Active_Only from Lists where Record_ID = :L"), {{QStringLiteral("L"), otherId}}).toString(),
              QStringLiteral("N"));
    EXPECT_EQ(copy(otherId, dlg->cNewOrExistingList != QLatin1String("N")), 2);
    EXPECT_EQ(members(otherId), 3) << "person 2, already there, is not inserted again";
}

TEST_P(MemberOpsCopyDialogTest, AnOkWhoseNewListCannotBeFoundAgainRollsBackAndShowsTheListUnsaved)
{
    auto dlg = open(TFormSaveToNewList::kNewListTab);
    QTest::keyClicks(kv::test::need<QLineEdit>(dlg.get(), QStringLiteral("DBEditListName")), QStringLiteral("Party"));
    kv::Query &lists = *dlg->queries().QueryLists;
    // Something renames the posted row, so that the name typed is found nowhere.
    bool renamed = false;
    const auto hook = QObject::connect(&lists, &kv::Query::afterPost, [&] {
        if (std::exchange(renamed, true))
            return;
        lists.edit();
        lists.setFieldValue(QStringLiteral("List_Name"), QStringLiteral("Renamed"));
        lists.post();
    });
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    QObject::disconnect(hook);
    EXPECT_EQ(prompts.notices(), QStringList{TFormSaveToNewList::kErrorLocatingList});
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->takeUnitOfWork());
    EXPECT_EQ(listsNamed(QStringLiteral("Party")) + listsNamed(QStringLiteral("Renamed")), 0);
    // The dialog shows what is stored: no such list among its rows or picks,
    // and the name typed as a list not yet saved.
    for (int r = 0; r < lists.recordCount(); ++r)
        EXPECT_NE(lists.valueAt(r, lists.fieldIndex(QStringLiteral("List_Name"))).toString(), QStringLiteral("Renamed"));
    EXPECT_LT(kv::test::need<QComboBox>(dlg.get(), QStringLiteral("wwDBLookupComboListName"))->findText(QStringLiteral("Renamed")), 0);
    EXPECT_EQ(lists.state(), kv::DataState::Insert);
    EXPECT_EQ(kv::test::need<QLineEdit>(dlg.get(), QStringLiteral("DBEditListName"))->text(), QStringLiteral("Party"));
    // OK again now creates it.
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    dlg->takeUnitOfWork()->commit();
    EXPECT_EQ(listsNamed(QStringLiteral("Party")), 1);
}

// A post that fails is not made again behind the user's back by reading the
// lists afresh: nothing is written, the error is told once, and the next OK
// creates the one list.
TEST_P(MemberOpsCopyDialogTest, AnOkWhosePostFailsWritesNothingAfterwards)
{
    auto dlg = open(TFormSaveToNewList::kNewListTab);
    QTest::keyClicks(kv::test::need<QLineEdit>(dlg.get(), QStringLiteral("DBEditListName")), QStringLiteral("Party"));
    failAtRow(*tdb, QStringLiteral("Lists"), QStringLiteral("INSERT"), 1);
    const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Lists")});
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(prompts.notices().size(), 1);
    EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Lists")}), before);
    EXPECT_EQ(kv::test::need<QLineEdit>(dlg.get(), QStringLiteral("DBEditListName"))->text(), QStringLiteral("Party"));
    disarm(*tdb, QStringLiteral("Lists"), QStringLiteral("INSERT"));
    QTest::mouseClick(kv::test::need<QPushButton>(dlg.get(), QStringLiteral("BitBtnOK")), Qt::LeftButton);
    ASSERT_EQ(dlg->result(), QDialog::Accepted);
    dlg->takeUnitOfWork()->commit();
    EXPECT_EQ(listsNamed(QStringLiteral("Party")), 1);
}

KV_MEMBER_OPS_BACKENDS(MemberOpsCopyTest);
KV_MEMBER_OPS_BACKENDS(MemberOpsCopyDialogTest);

} // namespace
