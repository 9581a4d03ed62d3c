// The members window's state without its widgets: an operation that fails at
// any point (another user's change, a lock held elsewhere, an injected
// failure, the server gone) leaves every table as it was, and the rows on display are the
// database's again with the user's unsaved edit still there, unsaved.

#include "member_ops_fixture.h"

#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "members/members_window_state.h"
#include "shell/ui/run_action.h"
#include "support/fault_injection.h"

#include <QSqlQuery>
#include <functional>

namespace {

using RS = kv::MemberRowSet;

class MembersWindowStateTest : public MemberOpsTest
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        for (int p = 1; p <= 3; ++p) {
            tdb->addClient(p);
            tdb->addMember(listId, p);
        }
        connect();
        state = std::make_unique<kv::MembersWindowState>(*dm, prompts);
        ASSERT_TRUE(state->load(listId, kListName));
    }

    int rowOf(int person)
    {
        for (int r = 0; r < state->rows().recordCount(); ++r)
            if (state->rows().valueAt(r, RS::Person_ID).toInt() == person)
                return r;
        return -1;
    }
    void setQuantity(int person, int quantity)
    {
        RS &rows = state->rows();
        rows.setRecNo(rowOf(person));
        rows.edit();
        rows.setFieldValue(RS::Quantity, quantity);
        rows.post();
    }
    QVariant shownQuantity(int person) { return state->rows().valueAt(rowOf(person), RS::Quantity); }
    QVariant storedQuantity(int person)
    {
        return tdb->exec(QStringLiteral("Select Quantity from List_Members where List_ID = :L and Person_ID = :P"),
                         {{QStringLiteral("L"), listId}, {QStringLiteral("P"), person}});
    }
    // An operation of the window: a change of person 1 saved with the pending
    // edits, under the list's lock, in one unit.
    void quantityOperation()
    {
        kv::UnitOfWork::run(db(), [&] {
            kv::lockListRow(db(), listId);
            if (midway)
                midway();
            setQuantity(1, 5);
            state->loadSave().saveChanges(state->rows());
        });
    }

    std::unique_ptr<kv::MembersWindowState> state;
    std::function<void()> midway; // inside the operation's unit, its list locked
};

TEST_P(MembersWindowStateTest, AFailedOperationKeepsTheEditAndShowsTheDatabaseAgain)
{
    std::unique_ptr<kv::Database> other;
    std::unique_ptr<QSqlQuery> hold;
    struct Case
    {
        const char *name;
        std::function<void()> arrange;
        bool conflict;
        std::function<void()> undo;
    };
    std::vector<Case> cases = {
        {"another user's change",
         [&] {
             tdb->exec(QStringLiteral("Update List_Members set Quantity = 2 where List_ID = :L and Person_ID = 1"), {{QStringLiteral("L"), listId}});
             prompts.answerNo(); // keep my edits
         },
         true, [] {}},
        {"a lock held elsewhere",
         [&] {
             other = tdb->secondConnection();
             hold = std::make_unique<QSqlQuery>(other->connection());
             if (GetParam() == kv::Backend::SQLite) {
                 ASSERT_TRUE(hold->exec(QStringLiteral("BEGIN IMMEDIATE")));
             } else {
                 ASSERT_TRUE(hold->exec(QStringLiteral("BEGIN")));
                 ASSERT_TRUE(hold->exec(QStringLiteral("SELECT Record_ID FROM Lists WHERE Record_ID = %1 FOR UPDATE").arg(listId)));
             }
         },
         false,
         [&] {
             hold->exec(QStringLiteral("ROLLBACK"));
             hold.reset();
             other.reset();
         }},
        {"an injected failure", [&] { failAtRow(*tdb, QStringLiteral("List_Members"), QStringLiteral("UPDATE"), 1); }, false,
         [&] { disarm(*tdb, QStringLiteral("List_Members"), QStringLiteral("UPDATE")); }},
    };
    if (GetParam() == kv::Backend::PostgreSQL)
        cases.push_back({"the server gone mid-operation", [&] { midway = [&] { EXPECT_NO_THROW(endServerConnection(*tdb, db())); }; }, false,
                         [&] { midway = nullptr; }});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        state->reloadDiscardingEdits();
        setQuantity(3, 9); // the user's unsaved edit
        c.arrange();
        const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("List_Members")});
        // Through the window's boundary, which shows whatever the operation passes on.
        bool wrote = false;
        const bool ended = kv::runAction(prompts, QStringLiteral("Operation"),
                                         [&] { wrote = state->runWrite([&] { quantityOperation(); }); }, kv::ActionCursor::Unchanged);
        EXPECT_FALSE(wrote);
        EXPECT_EQ(ended, c.conflict) << "a conflict ends in its question; any other rollback reaches the boundary";
        EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("List_Members")}), before);
        EXPECT_FALSE(kv::UnitOfWork::isActive(db()));
        EXPECT_EQ(state->listId(), listId);
        ASSERT_TRUE(state->rows().isOpen());
        EXPECT_EQ(shownQuantity(3).toInt(), 9) << "the user's edit is kept";
        if (c.conflict) {
            EXPECT_TRUE(prompts.questions().last().endsWith(kv::MemberLoadSave::kReloadAfterConflict));
            EXPECT_EQ(shownQuantity(1).toInt(), 5) << "kept on display, over the stored value";
        } else {
            ASSERT_EQ(prompts.notices().size(), 1) << "the rollback is shown once, after the rows were read again";
            EXPECT_TRUE(prompts.notices().last().endsWith(kv::UnitOfWork::kNothingWritten));
            EXPECT_EQ(state->rows().changeCount(), 1);
            EXPECT_EQ(shownQuantity(1), storedQuantity(1)) << "the rows are the database's again";
        }
        c.undo();
        // Nothing in the way any more: the edit is saved as it stands.
        state->saveNow();
        EXPECT_EQ(storedQuantity(3).toInt(), 9);
        tdb->exec(QStringLiteral("Update List_Members set Quantity = null where List_ID = :L"), {{QStringLiteral("L"), listId}});
    }
}

KV_MEMBER_OPS_BACKENDS(MembersWindowStateTest);

} // namespace
