// The member operations as the members window runs them: its handlers, its
// grid selection, its filter entries and its modal dialogs.

#include "member_ops_window_fixture.h"

#include "data/engine/query.h"
#include "data/list_lock.h"
#include "members/add_members.h"
#include "members/ui/form_add_list_members.h"
#include "members/ui/form_list_members.h"
#include "members/ui/form_save_to_new_list.h"
#include "members/ui/members_grid.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace {

class MemberOpsWindowTest : public MemberOpsWindowFixture
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        for (int p = 1; p <= 4; ++p)
            tdb->addClient(p, {{QStringLiteral("Status"), p == 4 ? QStringLiteral("A") : QStringLiteral("I")}});
        tdb->addMember(listId, 1, {{QStringLiteral("Confirmed"), QStringLiteral("Y")}});
        tdb->addMember(listId, 2, {{QStringLiteral("Confirmed"), QStringLiteral("N")}});
        tdb->addMember(listId, 3);
        otherId = tdb->addList(QStringLiteral("Another"));
        openWindow();
    }

    // Runs f on the next modal dialog of type T once it is shown.
    template<typename T, typename F>
    void whenShown(F f)
    {
        QTimer::singleShot(0, [f] {
            auto *dlg = qobject_cast<T *>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            f(dlg);
        });
    }

    int otherId = 0;
};

TEST_P(MemberOpsWindowTest, FilterEntriesToggleMarksAndPaneAndLastAcrossTabs)
{
    window->ActionFilterListToConfirmed->trigger();
    EXPECT_TRUE(window->ActionFilterListToConfirmed->isChecked());
    EXPECT_EQ(window->RzStatusPaneFilter->text(), QStringLiteral("Filter: Confirmed is Checked"));
    EXPECT_EQ(shown().recordCount(), 1);

    window->ActionFilterListToUnconfirmed->trigger();
    EXPECT_FALSE(window->ActionFilterListToConfirmed->isChecked());
    EXPECT_TRUE(window->ActionFilterListToUnconfirmed->isChecked());
    EXPECT_EQ(window->RzStatusPaneFilter->text(), QStringLiteral("Filter: Confirmed is Not Checked"));

    window->RzTabControl1->setCurrentIndex(window->RzTabControl1->currentIndex() == 0 ? 1 : 0);
    window->RzTabControl1->setCurrentIndex(window->RzTabControl1->currentIndex() == 0 ? 1 : 0);
    ASSERT_EQ(window->nCurrentListID, listId);
    EXPECT_TRUE(window->ActionFilterListToUnconfirmed->isChecked());
    EXPECT_EQ(shown().recordCount(), 1) << "the filter lasts across tab changes";

    window->ActionFilterListToUnconfirmed->trigger();
    EXPECT_FALSE(window->ActionFilterListToUnconfirmed->isChecked());
    EXPECT_EQ(window->RzStatusPaneFilter->text(), QStringLiteral("Filter: None"));
    EXPECT_EQ(shown().recordCount(), 3);
}

TEST_P(MemberOpsWindowTest, HideSelectedSavesThroughTheLoad)
{
    selectPersons({1, 3});
    window->ActionHideSelectedExecute();
    EXPECT_FALSE(member(listId, 1).value(QStringLiteral("recvisible")).toBool());
    EXPECT_FALSE(member(listId, 3).value(QStringLiteral("recvisible")).toBool());
    EXPECT_EQ(shown().recordCount(), 1);
    EXPECT_TRUE(window->gridSelection().isEmpty());
    EXPECT_EQ(window->RzProgressBar1->value(), 0);

    window->ActionMakeAllVisibleExecute();
    EXPECT_EQ(shown().recordCount(), 3);
}

TEST_P(MemberOpsWindowTest, HideSelectedWithNothingSelectedStillReadsTheListAfresh)
{
    shown().setIndexName(QStringLiteral("City"));
    tdb->exec(QStringLiteral("Update List_Members set Quantity = 4 where List_ID = :L"), {{QStringLiteral("L"), listId}});
    window->ActionHideSelectedExecute();
    EXPECT_EQ(shown().recordCount(), 3);
    EXPECT_EQ(shown().indexName(), QStringLiteral("Last_Name"));
    EXPECT_EQ(shown().sumQuantity().toInt(), 12) << "the list was read afresh";
}

TEST_P(MemberOpsWindowTest, MakeAllVisibleShowsEveryMemberUnderTheFilterInForce)
{
    tdb->exec(QStringLiteral("Update List_Members set RecVisible = False where List_ID = :L"), {{QStringLiteral("L"), listId}});
    window->RzTabControl1Change();
    ASSERT_EQ(shown().recordCount(), 0);
    window->ActionFilterListToUnknown->trigger();
    window->ActionMakeAllVisibleExecute();
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L and RecVisible = :V"),
                         {{QStringLiteral("L"), listId}, {QStringLiteral("V"), true}}),
              3);
    EXPECT_EQ(shown().recordCount(), 1) << "only the member whose Confirmed is unknown";
    EXPECT_EQ(window->RzStatusPaneFilter->text(), QStringLiteral("Filter: Confirmed is Unknown"));
    EXPECT_TRUE(window->ActionFilterListToUnknown->isChecked());
}

TEST_P(MemberOpsWindowTest, AddingThroughTheDialogReportsAndShowsTheNewMember)
{
    whenShown<TFormAddListMembers>([](TFormAddListMembers *dlg) { dlg->BitBtnOK->click(); });
    window->ActionAddMembersExecute();
    EXPECT_EQ(prompts.notices(), QStringList{kv::AddMembers::addedMessage(1)});
    EXPECT_EQ(shown().recordCount(), 4);
    EXPECT_EQ(FormAddListMembers, nullptr);
    EXPECT_EQ(window->RzProgressBar1->value(), 0);
}

TEST_P(MemberOpsWindowTest, AddingToAListAnotherUserDeletedIsRefusedAndWritesNothing)
{
    const qint64 before = members(listId);
    tdb->exec(QStringLiteral("Delete from Lists where Record_ID = :L"), {{QStringLiteral("L"), listId}});
    // The tab still shows the deleted list: first with the id it was read with,
    // then, read again, with none (0).
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        prompts.clear();
        whenShown<TFormAddListMembers>([](TFormAddListMembers *dlg) { dlg->BitBtnOK->click(); });
        window->ActionAddMembersExecute();
        ASSERT_FALSE(prompts.notices().isEmpty());
        EXPECT_TRUE(prompts.notices().first().startsWith(kv::kListGoneMessage)) << prompts.notices().first().toStdString();
        EXPECT_EQ(members(listId), before);
        EXPECT_EQ(members(0), 0);
        window->RzTabControl1Change();
    }
    EXPECT_EQ(window->nCurrentListID, 0);
}

TEST_P(MemberOpsWindowTest, CopyIntoANewListAddsItsTabAndKeepsTheListOnDisplay)
{
    selectPersons({2, 3});
    whenShown<TFormSaveToNewList>([this](TFormSaveToNewList *dlg) {
        dlg->RzTabControl1->setCurrentIndex(TFormSaveToNewList::kNewListTab);
        QTest::keyClicks(dlg->DBEditListName, QStringLiteral("Copied"));
        if (const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS"); !dir.isEmpty()) {
            dlg->grab().save(dir + QStringLiteral("/save_to_new_list.png"));
            window->grab().save(dir + QStringLiteral("/list_members.png"));
        }
        dlg->BitBtnOK->click();
    });
    window->ActionCopyToNewListExecute();
    EXPECT_EQ(FormSaveToNewList, nullptr);
    const QVariant created = tdb->exec(QStringLiteral("Select Record_ID from Lists where List_Name = 'Copied'"));
    ASSERT_TRUE(created.isValid());
    EXPECT_EQ(members(created.toInt()), 2);
    EXPECT_EQ(window->RzTabControl1->count(), 3);
    EXPECT_EQ(window->nCurrentListID, listId) << "the window stays on the list it showed";
    EXPECT_EQ(members(listId), 3);

    // With nothing selected no dialog opens and nothing is copied.
    window->ActionCopyToNewListExecute();
    EXPECT_EQ(tdb->count(QStringLiteral("Lists")), 3);

    // From a tab the user moved to, the window comes back to that tab, not to
    // the lists window's current list.
    tdb->addMember(otherId, 4);
    const int anotherTab = 0; // "Another" sorts first
    ASSERT_EQ(window->RzTabControl1->tabText(anotherTab), QStringLiteral("Another"));
    window->RzTabControl1->setCurrentIndex(anotherTab);
    ASSERT_EQ(window->nCurrentListID, otherId);
    selectPersons({4});
    whenShown<TFormSaveToNewList>([](TFormSaveToNewList *dlg) {
        dlg->RzTabControl1->setCurrentIndex(TFormSaveToNewList::kNewListTab);
        QTest::keyClicks(dlg->DBEditListName, QStringLiteral("Zeta"));
        dlg->BitBtnOK->click();
    });
    window->ActionCopyToNewListExecute();
    EXPECT_EQ(window->RzTabControl1->count(), 4);
    EXPECT_EQ(window->nCurrentListID, otherId);
    EXPECT_EQ(window->RzTabControl1->tabText(window->RzTabControl1->currentIndex()), QStringLiteral("Another"));
    EXPECT_EQ(shown().recordCount(), 1);
}

TEST_P(MemberOpsWindowTest, AQuantityTypedInTheGridIsKeptOnItsRowByHideSelected)
{
    int row2 = -1;
    for (int r = 0; r < shown().recordCount(); ++r)
        if (shown().valueAt(r, kv::MemberRowSet::Person_ID).toInt() == 2)
            row2 = r;
    ASSERT_GE(row2, 0);
    const QModelIndex cell = shown().index(row2, kv::MemberRowSet::Quantity);
    window->wwDBGridListMembers->setCurrentIndex(cell);
    window->wwDBGridListMembers->edit(cell);
    auto *editor = window->wwDBGridListMembers->findChild<QLineEdit *>(QStringLiteral("QuantityEditor"));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("5"));

    selectPersons({1});
    window->ActionHideSelectedExecute();
    EXPECT_FALSE(member(listId, 1).value(QStringLiteral("recvisible")).toBool());
    EXPECT_EQ(member(listId, 2).value(QStringLiteral("quantity")).toInt(), 5);
    const QVariant otherQuantity = member(listId, 1).value(QStringLiteral("quantity"));
    EXPECT_TRUE(!otherQuantity.isValid() || otherQuantity.isNull()) << "the typed quantity belongs to the row it was typed on";
}

KV_MEMBER_OPS_BACKENDS(MemberOpsWindowTest);

} // namespace
