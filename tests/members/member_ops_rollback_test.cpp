// Every writing member operation is all or nothing: a failure forced in the
// middle (the K-th row of its statements) or Escape during its row loop
// leaves the tables byte for byte as they were, the user reads the cause and
// the nothing-written sentence, and the window shows the database's rows
// again with the user's own unsaved edits still there.

#include "member_ops_window_fixture.h"

#include "data/engine/unit_of_work.h"
#include "members/add_members.h"
#include "members/ui/form_add_list_members.h"
#include "members/ui/form_get_quantity.h"
#include "members/ui/form_hide_delivery_days.h"
#include "members/ui/form_save_to_new_list.h"
#include "shell/ui/run_action.h"
#include "support/fault_injection.h"
#include "support/modal_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <functional>

using kv::UnitOfWork;

namespace {

constexpr int kMembers = 30;    // persons 1..30 are members, all delivered on Monday
constexpr int kNewClients = 30; // persons 31..60 are active clients not on the list
constexpr int kSelected = 25;   // the rows a selected-rows operation works on
constexpr int kFailAt = 20;     // the row of the operation's statements that fails

class MemberOpsRollbackTest : public MemberOpsWindowFixture
{
public:
    // The cases of a table reach the fixture through a reference to it.
    using MemberOpsTest::dm;
    using MemberOpsTest::listId;
    using MemberOpsTest::prompts;
    using MemberOpsWindowFixture::tabBar;
    using MemberOpsWindowFixture::selectPersons;
    using MemberOpsWindowFixture::window;

protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        populate();
    }

    void populate()
    {
        UnitOfWork unit(tdb->db()); // one commit, not one per row
        for (int p = 1; p <= kMembers + kNewClients; ++p)
            tdb->addClient(p, {{QStringLiteral("Status"), p <= kMembers ? QStringLiteral("I") : QStringLiteral("A")},
                               {QStringLiteral("Monday"), true}});
        for (int p = 1; p <= kMembers; ++p)
            tdb->addMember(listId, p);
        otherId = tdb->addList(QStringLiteral("Another"));
        unit.commit();
    }

public:
    // A database, list and window as new, for the next case of a table.
    void fresh()
    {
        if (window)
            window->close();
        window.reset();
        loadSave.reset();
        dm.reset();
        prompts.clear();
        tdb = std::make_unique<TestDatabase>(GetParam());
        listId = tdb->addList(kListName);
        populate();
        openWindow();
    }

    QList<int> firstPersons(int n)
    {
        QList<int> out;
        for (int p = 1; p <= n; ++p)
            out << p;
        return out;
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

    void typePendingQuantity(int person, int quantity)
    {
        const int r = rowOf(person);
        ASSERT_GE(r, 0);
        shown().setRecNo(r);
        shown().edit();
        shown().setFieldValue(kv::MemberRowSet::Quantity, quantity);
        shown().post();
    }

    void pressEscapeLater()
    {
        QCoreApplication::postEvent(grid(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }

    QString lastNotice() const { return prompts.notices().isEmpty() ? QString() : prompts.notices().last(); }

    const QStringList kTables{QStringLiteral("Lists"), QStringLiteral("List_Members"), QStringLiteral("Clients")};
    int otherId = 0;
};

struct Case
{
    const char *name;
    const char *table;
    const char *event;
    int failAt;
    std::function<void(MemberOpsRollbackTest &)> act;
};

TEST_P(MemberOpsRollbackTest, AFailureInTheMiddleWritesNothingAndTheWindowShowsTheDatabaseAgain)
{
    using T = MemberOpsRollbackTest;
    const auto selectFirst = [](T &t) { t.selectPersons(t.firstPersons(kSelected)); };
    const auto copyTo = [](T &t, bool newList) {
        t.selectPersons(t.firstPersons(kSelected));
        t.whenShown<TFormSaveToNewList>([newList](TFormSaveToNewList *dlg) {
            if (newList) {
                kv::test::need<QTabBar>(dlg, QStringLiteral("RzTabControl1"))->setCurrentIndex(TFormSaveToNewList::kNewListTab);
                QTest::keyClicks(kv::test::need<QLineEdit>(dlg, QStringLiteral("DBEditListName")), QStringLiteral("Copied"));
            } else {
                kv::test::need<QTabBar>(dlg, QStringLiteral("RzTabControl1"))->setCurrentIndex(TFormSaveToNewList::kExistingListTab);
                const int at = kv::test::need<QComboBox>(dlg, QStringLiteral("wwDBLookupComboListName"))->findText(QStringLiteral("Another"));
                kv::test::need<QComboBox>(dlg, QStringLiteral("wwDBLookupComboListName"))->setCurrentIndex(at);
                Q_EMIT kv::test::need<QComboBox>(dlg, QStringLiteral("wwDBLookupComboListName"))->activated(at);
            }
            kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click();
        });
        t.window->ActionCopyToNewListExecute();
    };
    const std::vector<Case> cases = {
        {"add by status", "List_Members", "INSERT", kFailAt,
         [](T &t) {
             t.whenShown<TFormAddListMembers>([](TFormAddListMembers *dlg) { kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click(); });
             t.window->ActionAddMembersExecute();
         }},
        {"add one client", "List_Members", "INSERT", 1,
         [](T &t) {
             kv::AddMembersChoice choice;
             choice.method = kv::AddMembersChoice::SingleClient;
             choice.personId = kMembers + 1;
             choice.clientId = QStringLiteral("C");
             // Inside a handler's boundary, as the window runs every operation.
             kv::runAction(t.prompts, QStringLiteral("AddOneClient"), [&] {
                 t.window->runMemberWrite([&] {
                     kv::AddMembers op(*t.dm->DatabaseLists, t.prompts, t.window->progress());
                     op.run(t.listId, choice);
                 });
             });
         }},
        {"remove selected", "List_Members", "DELETE", kFailAt,
         [selectFirst](T &t) {
             selectFirst(t);
             t.prompts.answerYes();
             t.window->ActionRemoveSelectedMembersExecute();
         }},
        {"remove all", "List_Members", "DELETE", kFailAt,
         [](T &t) {
             t.prompts.answerYes();
             t.window->ActionRemoveAllMembersExecute();
         }},
        {"check all invited", "List_Members", "UPDATE", kFailAt, [](T &t) { t.window->ActionCheckAllInvitedChecksExecute(); }},
        {"clear all invited", "List_Members", "UPDATE", kFailAt, [](T &t) { t.window->ActionClearAllInvitedChecksExecute(); }},
        {"check all confirmed", "List_Members", "UPDATE", kFailAt, [](T &t) { t.window->ActionCheckAllRSVPChecksExecute(); }},
        {"clear all confirmed", "List_Members", "UPDATE", kFailAt, [](T &t) { t.window->ActionClearAllRSVPChecksExecute(); }},
        {"check selected confirmed", "List_Members", "UPDATE", kFailAt,
         [selectFirst](T &t) {
             selectFirst(t);
             t.window->ActionCheckSelectedRSVPChecksExecute();
         }},
        {"clear selected confirmed", "List_Members", "UPDATE", kFailAt,
         [selectFirst](T &t) {
             selectFirst(t);
             t.window->ActionClearSelectedRSVPChecksExecute();
         }},
        {"quantities", "List_Members", "UPDATE", kFailAt,
         [selectFirst](T &t) {
             selectFirst(t);
             t.whenShown<TFormGetQuantity>([](TFormGetQuantity *dlg) {
                 kv::test::need<QSpinBox>(dlg, QStringLiteral("wwDBSpinEditQuantity"))->setValue(7);
                 kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click();
             });
             t.window->ActionSetQuantitiesExecute();
         }},
        {"hide selected", "List_Members", "UPDATE", kFailAt,
         [selectFirst](T &t) {
             selectFirst(t);
             t.window->ActionHideSelectedExecute();
         }},
        {"hide by days", "List_Members", "UPDATE", kFailAt,
         [](T &t) {
             t.whenShown<TFormHideDeliveryDays>([](TFormHideDeliveryDays *dlg) {
                 dlg->setDayChecked(0, true);
                 kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click();
             });
             t.window->ActionHideSelectedDaysExecute();
         }},
        {"make all visible", "List_Members", "UPDATE", kFailAt, [](T &t) { t.window->ActionMakeAllVisibleExecute(); }},
        {"copy to another list", "List_Members", "INSERT", kFailAt, [copyTo](T &t) { copyTo(t, false); }},
        {"copy to a new list", "List_Members", "INSERT", kFailAt, [copyTo](T &t) { copyTo(t, true); }},
        {"save on changing lists", "List_Members", "UPDATE", kFailAt,
         [](T &t) {
             for (int p = 1; p <= kSelected; ++p)
                 t.typePendingQuantity(p, 3);
             QTabBar *tabs = t.tabBar();
             tabs->setCurrentIndex(tabs->currentIndex() == 0 ? 1 : 0);
         }},
        {"client editor", "Clients", "UPDATE", 1,
         [](T &t) {
             kv::ModalDriver::whenShown(
                 [](QWidget *dlg) {
                     kv::ModalDriver::child<QLineEdit>(dlg, QStringLiteral("LAST_NAME"))->setText(QStringLiteral("Aaron"));
                     kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK")); // refused: stays open
                     kv::ModalDriver::click(dlg, QStringLiteral("BitBtnCancel"));
                 },
                 QStringLiteral("wwRecordViewDialog1"));
             t.window->ActionShowClientEditorExecute();
         }},
    };

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        if (QLatin1String(c.name) == QLatin1String("make all visible")) {
            tdb->exec(QStringLiteral("Update List_Members set RecVisible = False where List_ID = :L"), {{QStringLiteral("L"), listId}});
            window->RzTabControl1Change();
        }
        // An edit the user typed before the operation and has not saved yet.
        const bool keepsEdit = QLatin1String(c.name) != QLatin1String("save on changing lists")
            && QLatin1String(c.name) != QLatin1String("make all visible") && QLatin1String(c.table) == QLatin1String("List_Members");
        if (keepsEdit)
            typePendingQuantity(kMembers, 9);
        const QStringList before = tableSnapshot(*tdb, kTables);
        failAtRow(*tdb, QString::fromLatin1(c.table), QString::fromLatin1(c.event), c.failAt);
        prompts.setDefaultAnswer(ScriptedPrompts::Answer::Yes);

        c.act(*this);

        EXPECT_EQ(tableSnapshot(*tdb, kTables), before);
        EXPECT_TRUE(lastNotice().contains(kInjectedFailure)) << lastNotice().toStdString();
        EXPECT_TRUE(lastNotice().endsWith(UnitOfWork::kNothingWritten)) << lastNotice().toStdString();
        EXPECT_FALSE(UnitOfWork::isActive(*dm->DatabaseLists));
        EXPECT_EQ(window->nCurrentListID, listId);
        EXPECT_EQ(shown().totalRowCount(), members(listId)) << "the rows are the database's again";
        if (keepsEdit) {
            EXPECT_EQ(shown().changeCount(), 1) << "the user's unsaved edit is kept, still unsaved";
            const int r = rowOf(kMembers);
            EXPECT_TRUE(r >= 0 && shown().valueAt(r, kv::MemberRowSet::Quantity).toInt() == 9);
        } else if (QLatin1String(c.name) == QLatin1String("save on changing lists")) {
            EXPECT_EQ(shown().changeCount(), kSelected) << "edits that could not be saved are kept";
        }
    }
}

TEST_P(MemberOpsRollbackTest, EscapeDuringARowLoopStopsItWithNothingWritten)
{
    const std::vector<std::pair<const char *, std::function<void(MemberOpsRollbackTest &)>>> cases = {
        {"add by status",
         [](MemberOpsRollbackTest &t) {
             t.whenShown<TFormAddListMembers>([&t](TFormAddListMembers *dlg) {
                 kv::test::need<QPushButton>(dlg, QStringLiteral("BitBtnOK"))->click();
                 t.pressEscapeLater();
             });
             t.window->ActionAddMembersExecute();
         }},
        {"hide selected",
         [](MemberOpsRollbackTest &t) {
             t.selectPersons(t.firstPersons(kSelected));
             t.pressEscapeLater();
             t.window->ActionHideSelectedExecute();
         }},
        {"remove selected",
         [](MemberOpsRollbackTest &t) {
             t.selectPersons(t.firstPersons(kSelected));
             t.prompts.answerYes();
             t.pressEscapeLater();
             t.window->ActionRemoveSelectedMembersExecute();
         }},
    };
    for (const auto &[name, act] : cases) {
        SCOPED_TRACE(name);
        fresh();
        const QStringList before = tableSnapshot(*tdb, kTables);
        act(*this);
        EXPECT_EQ(tableSnapshot(*tdb, kTables), before);
        EXPECT_TRUE(lastNotice().startsWith(UnitOfWork::kCancelledText)) << lastNotice().toStdString();
        EXPECT_TRUE(lastNotice().endsWith(UnitOfWork::kNothingWritten));
        EXPECT_EQ(shown().recordCount(), kMembers) << "every member is shown again";
        EXPECT_EQ(shown().changeCount(), 0);
        EXPECT_EQ(control<QProgressBar>(QStringLiteral("RzProgressBar1"))->value(), 0);
    }
    // Escape with no loop running changes nothing, and the next run goes through.
    pressEscapeLater();
    QApplication::processEvents();
    selectPersons({1});
    window->ActionHideSelectedExecute();
    EXPECT_FALSE(member(listId, 1).value(QStringLiteral("recvisible")).toBool());
}

KV_MEMBER_OPS_BACKENDS(MemberOpsRollbackTest);

} // namespace
