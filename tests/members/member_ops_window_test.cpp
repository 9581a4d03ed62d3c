// The member operations as the members window runs them: its handlers, its
// grid selection, its filter entries and its modal dialogs.

#include "member_ops_window_fixture.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "members/add_members.h"
#include "members/member_load_save.h"
#include "members/ui/form_add_list_members.h"
#include "members/ui/form_list_members.h"
#include "members/ui/form_save_to_new_list.h"
#include "members/ui/members_grid.h"
#include "members/remove_members.h"
#include "support/find_widget.h"
#include "support/fault_injection.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

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

    // An edit of person 2's quantity, posted and not yet saved.
    void editQuantity(int quantity)
    {
        shown().setRecNo(rowOf(2));
        shown().edit();
        shown().setFieldValue(kv::MemberRowSet::Quantity, quantity);
        shown().post();
    }

    // What the window names as its list must be one list: the tab, the pane and the id.
    void expectShowing(int list, const QString &name)
    {
        EXPECT_EQ(tabBar()->tabText(tabBar()->currentIndex()), name);
        EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneListName"))->text(), name);
        EXPECT_EQ(window->nCurrentListID, list);
    }

    QStringList snapshot() { return tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("List_Members")}); }

    int otherId = 0;
};

// A save refused before a tab change (another user's change kept, any
// failure) leaves the old list on display: the tab goes back with the pane
// and the id, nothing is written, and the next operation acts on that list only.
TEST_P(MemberOpsWindowTest, ARefusedTabChangePutsTheTabBackAndTheNextOperationActsOnTheListShown)
{
    tdb->addClient(9);
    tdb->addMember(otherId, 9);
    for (const bool conflict : {true, false}) {
        SCOPED_TRACE(conflict ? "another user's change kept" : "a failing save");
        prompts.clear();
        editQuantity(7);
        if (conflict) {
            tdb->exec(QStringLiteral("Update List_Members set Quantity = 3 where List_ID = :L and Person_ID = 2"),
                      {{QStringLiteral("L"), listId}});
            prompts.answerNo(); // keep my edits
        } else {
            failAtRow(*tdb, QStringLiteral("List_Members"), QStringLiteral("UPDATE"), 1);
        }
        const QStringList before = snapshot();
        tabBar()->setCurrentIndex(0); // "Another"
        EXPECT_EQ(snapshot(), before);
        expectShowing(listId, kListName);
        EXPECT_EQ(shown().valueAt(rowOf(2), kv::MemberRowSet::Quantity).toInt(), 7) << "the edit is kept";
        if (!conflict) {
            ASSERT_EQ(prompts.notices().size(), 1) << "the refusal is shown once, by the handler's boundary";
            EXPECT_TRUE(prompts.notices().first().endsWith(kv::UnitOfWork::kNothingWritten));
            disarm(*tdb, QStringLiteral("List_Members"), QStringLiteral("UPDATE"));
        }
    }
    window->ActionRemoveAllMembersExecute();
    EXPECT_EQ(members(listId), 0);
    EXPECT_EQ(members(otherId), 1);
    expectShowing(listId, kListName);

    // A change that succeeds moves all of them together.
    tabBar()->setCurrentIndex(0);
    expectShowing(otherId, QStringLiteral("Another"));
}

// Looking writes nothing: moving over the rows, switching lists and closing
// leave every table as it was, and nothing is asked.
TEST_P(MemberOpsWindowTest, BrowsingAndClosingWithoutAnEditWritesNothing)
{
    const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("List_Members"), QStringLiteral("Clients")});
    for (const char *button : {"Next", "Last", "PriorPage", "First", "NextPage", "Prior", "Post", "Cancel"})
        control<QToolButton>(QStringLiteral("wwDBNavigator1") + QLatin1String(button))->click();
    tabBar()->setCurrentIndex(0);
    tabBar()->setCurrentIndex(1);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompts.texts().isEmpty()) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("List_Members"), QStringLiteral("Clients")}), before);
}

// The navigator's Post writes at once, with the conflict check of every save:
// another user's change asks, and keeping the edit writes nothing.
TEST_P(MemberOpsWindowTest, PostSavesThePendingEditsAtOnce)
{
    auto *post = control<QToolButton>(QStringLiteral("wwDBNavigator1Post"));
    editQuantity(6);
    post->click();
    EXPECT_EQ(member(listId, 2).value(QStringLiteral("quantity")).toInt(), 6);
    EXPECT_EQ(shown().changeCount(), 0);
    EXPECT_TRUE(prompts.texts().isEmpty());

    editQuantity(4);
    tdb->exec(QStringLiteral("Update List_Members set Quantity = 3 where List_ID = :L and Person_ID = 2"), {{QStringLiteral("L"), listId}});
    const QStringList before = snapshot();
    prompts.answerNo(); // keep my edit
    post->click();
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().first().endsWith(kv::MemberLoadSave::kReloadAfterConflict));
    EXPECT_EQ(shown().valueAt(rowOf(2), kv::MemberRowSet::Quantity).toInt(), 4);
    post->click(); // kept over the stored value, saved now
    EXPECT_EQ(member(listId, 2).value(QStringLiteral("quantity")).toInt(), 4);
}

// An operation rolled back and the read after it failing too (the table is
// gone for a moment): the user's edit is not lost but shown with the next
// read that succeeds.
TEST_P(MemberOpsWindowTest, AFailedReadAfterARollbackKeepsTheEditsForTheNextRead)
{
    editQuantity(7);
    failAtRow(*tdb, QStringLiteral("List_Members"), QStringLiteral("UPDATE"), 1);
    tdb->exec(QStringLiteral("Alter table Clients rename to Clients_gone"));
    window->ActionCheckAllInvitedChecksExecute();
    EXPECT_FALSE(shown().isOpen()) << "the read failed";
    tdb->exec(QStringLiteral("Alter table Clients_gone rename to Clients"));
    disarm(*tdb, QStringLiteral("List_Members"), QStringLiteral("UPDATE"));
    window->RzTabControl1Change();
    ASSERT_TRUE(shown().isOpen());
    EXPECT_EQ(shown().changeCount(), 1);
    EXPECT_EQ(shown().valueAt(rowOf(2), kv::MemberRowSet::Quantity).toInt(), 7);
    EXPECT_TRUE(member(listId, 2).value(QStringLiteral("quantity")).isNull());
}

// Removing every member drops the edits pending on them instead of reporting
// another user's removal; questions that destroy never default to Yes.
TEST_P(MemberOpsWindowTest, RemoveAllWithAPendingEditRemovesEveryMemberAndReportsNoConflict)
{
    editQuantity(5);
    prompts.clear();
    window->ActionRemoveAllMembersExecute();
    EXPECT_EQ(members(listId), 0);
    EXPECT_EQ(shown().recordCount(), 0);
    EXPECT_EQ(shown().changeCount(), 0);
    ASSERT_EQ(prompts.shown().size(), 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(prompts.shown().first().text, kv::RemoveMembers::kRemoveAllMembers);
    EXPECT_TRUE(prompts.shown().first().defaultNo);
}

TEST_P(MemberOpsWindowTest, RemoveTakesTheOneSelectedRowNotTheCurrentOne)
{
    selectPersons({1});
    grid()->selectionModel()->setCurrentIndex(shown().index(rowOf(3), kv::MemberRowSet::Client_ID),
                                                                   QItemSelectionModel::NoUpdate);
    ASSERT_EQ(shown().fieldValue(kv::MemberRowSet::Person_ID).toInt(), 3);
    window->ActionRemoveSelectedMembersExecute();
    EXPECT_TRUE(member(listId, 1).isEmpty());
    EXPECT_FALSE(member(listId, 3).isEmpty());
    EXPECT_EQ(members(listId), 2);
}

// A save that fails on closing keeps the window and the edit; only the
// user's Yes closes without them.
TEST_P(MemberOpsWindowTest, ClosingWhenTheSaveFailsKeepsTheWindowUntilTheUserLetsTheEditsGo)
{
    editQuantity(8);
    failAtRow(*tdb, QStringLiteral("List_Members"), QStringLiteral("UPDATE"), 1);
    const QStringList before = snapshot();
    prompts.answerNo();
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(shown().valueAt(rowOf(2), kv::MemberRowSet::Quantity).toInt(), 8);
    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().first().endsWith(TFormListMembers::kCloseAfterFailure));
    EXPECT_TRUE(prompts.shown().last().defaultNo);

    prompts.answerYes();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(snapshot(), before);
}

TEST_P(MemberOpsWindowTest, FilterEntriesToggleMarksAndPaneAndLastAcrossTabs)
{
    control<QAction>(QStringLiteral("ActionFilterListToConfirmed"))->trigger();
    EXPECT_TRUE(control<QAction>(QStringLiteral("ActionFilterListToConfirmed"))->isChecked());
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneFilter"))->text(), QStringLiteral("Filter: Confirmed is Checked"));
    EXPECT_EQ(shown().recordCount(), 1);

    control<QAction>(QStringLiteral("ActionFilterListToUnconfirmed"))->trigger();
    EXPECT_FALSE(control<QAction>(QStringLiteral("ActionFilterListToConfirmed"))->isChecked());
    EXPECT_TRUE(control<QAction>(QStringLiteral("ActionFilterListToUnconfirmed"))->isChecked());
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneFilter"))->text(), QStringLiteral("Filter: Confirmed is Not Checked"));

    tabBar()->setCurrentIndex(tabBar()->currentIndex() == 0 ? 1 : 0);
    tabBar()->setCurrentIndex(tabBar()->currentIndex() == 0 ? 1 : 0);
    ASSERT_EQ(window->nCurrentListID, listId);
    EXPECT_TRUE(control<QAction>(QStringLiteral("ActionFilterListToUnconfirmed"))->isChecked());
    EXPECT_EQ(shown().recordCount(), 1) << "the filter lasts across tab changes";

    control<QAction>(QStringLiteral("ActionFilterListToUnconfirmed"))->trigger();
    EXPECT_FALSE(control<QAction>(QStringLiteral("ActionFilterListToUnconfirmed"))->isChecked());
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneFilter"))->text(), QStringLiteral("Filter: None"));
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
    EXPECT_EQ(control<QProgressBar>(QStringLiteral("RzProgressBar1"))->value(), 0);

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
    control<QAction>(QStringLiteral("ActionFilterListToUnknown"))->trigger();
    window->ActionMakeAllVisibleExecute();
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L and RecVisible = :V"),
                         {{QStringLiteral("L"), listId}, {QStringLiteral("V"), true}}),
              3);
    EXPECT_EQ(shown().recordCount(), 1) << "only the member whose Confirmed is unknown";
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneFilter"))->text(), QStringLiteral("Filter: Confirmed is Unknown"));
    EXPECT_TRUE(control<QAction>(QStringLiteral("ActionFilterListToUnknown"))->isChecked());
}

TEST_P(MemberOpsWindowTest, AddingThroughTheDialogReportsAndShowsTheNewMember)
{
    whenShown<TFormAddListMembers>([](TFormAddListMembers *dlg) { kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click(); });
    window->ActionAddMembersExecute();
    EXPECT_EQ(prompts.notices(), QStringList{kv::AddMembers::addedMessage(1)});
    EXPECT_EQ(shown().recordCount(), 4);
    EXPECT_EQ(FormAddListMembers, nullptr);
    EXPECT_EQ(control<QProgressBar>(QStringLiteral("RzProgressBar1"))->value(), 0);
}

TEST_P(MemberOpsWindowTest, AddingToAListAnotherUserDeletedIsRefusedAndWritesNothing)
{
    const qint64 before = members(listId);
    tdb->exec(QStringLiteral("Delete from Lists where Record_ID = :L"), {{QStringLiteral("L"), listId}});
    // The tab still shows the deleted list, before and after it is read again.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        prompts.clear();
        whenShown<TFormAddListMembers>([](TFormAddListMembers *dlg) { kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click(); });
        window->ActionAddMembersExecute();
        ASSERT_FALSE(prompts.notices().isEmpty());
        EXPECT_TRUE(prompts.notices().first().startsWith(kv::kListGoneMessage)) << prompts.notices().first().toStdString();
        EXPECT_EQ(members(listId), before);
        EXPECT_EQ(members(0), 0);
        window->RzTabControl1Change();
    }
    // The tab stands for that list by its id, so the refusal stays the truth.
    EXPECT_EQ(window->nCurrentListID, listId);
}

TEST_P(MemberOpsWindowTest, CopyIntoANewListAddsItsTabAndKeepsTheListOnDisplay)
{
    selectPersons({2, 3});
    whenShown<TFormSaveToNewList>([this](TFormSaveToNewList *dlg) {
        kv::test::need<QTabBar>(dlg, QStringLiteral("RzTabControl1"))->setCurrentIndex(TFormSaveToNewList::kNewListTab);
        QTest::keyClicks(kv::test::need<QLineEdit>(dlg, QStringLiteral("DBEditListName")), QStringLiteral("Copied"));
        if (const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS"); !dir.isEmpty()) {
            dlg->grab().save(dir + QStringLiteral("/save_to_new_list.png"));
            window->grab().save(dir + QStringLiteral("/list_members.png"));
        }
        kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click();
    });
    window->ActionCopyToNewListExecute();
    EXPECT_EQ(FormSaveToNewList, nullptr);
    const QVariant created = tdb->exec(QStringLiteral("Select Record_ID from Lists where List_Name = 'Copied'"));
    ASSERT_TRUE(created.isValid());
    EXPECT_EQ(members(created.toInt()), 2);
    EXPECT_EQ(tabBar()->count(), 3);
    EXPECT_EQ(window->nCurrentListID, listId) << "the window stays on the list it showed";
    EXPECT_EQ(members(listId), 3);

    // With nothing selected no dialog opens and nothing is copied.
    window->ActionCopyToNewListExecute();
    EXPECT_EQ(tdb->count(QStringLiteral("Lists")), 3);

    // From a tab the user moved to, the window comes back to that tab, not to
    // the lists window's current list.
    tdb->addMember(otherId, 4);
    const int anotherTab = 0; // "Another" sorts first
    ASSERT_EQ(tabBar()->tabText(anotherTab), QStringLiteral("Another"));
    tabBar()->setCurrentIndex(anotherTab);
    ASSERT_EQ(window->nCurrentListID, otherId);
    selectPersons({4});
    whenShown<TFormSaveToNewList>([](TFormSaveToNewList *dlg) {
        kv::test::need<QTabBar>(dlg, QStringLiteral("RzTabControl1"))->setCurrentIndex(TFormSaveToNewList::kNewListTab);
        QTest::keyClicks(kv::test::need<QLineEdit>(dlg, QStringLiteral("DBEditListName")), QStringLiteral("Zeta"));
        kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click();
    });
    window->ActionCopyToNewListExecute();
    EXPECT_EQ(tabBar()->count(), 4);
    EXPECT_EQ(window->nCurrentListID, otherId);
    EXPECT_EQ(tabBar()->tabText(tabBar()->currentIndex()), QStringLiteral("Another"));
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
    grid()->setCurrentIndex(cell);
    grid()->edit(cell);
    auto *editor = grid()->findChild<QLineEdit *>(QStringLiteral("QuantityEditor"));
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
