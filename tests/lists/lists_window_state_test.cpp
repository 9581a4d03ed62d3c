// The lists window's state without its widgets: opening and moving over a
// list that the defaults' rules put into edit writes nothing, and a save that
// fails at any point (another user's change, a lock held elsewhere, an
// injected failure, the server gone) leaves every table as it was and the user's edit pending.

#include "lists/lists_window_state.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "lists/ui/list_option_rules.h"
#include "support/fault_injection.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using kv::DataState;

namespace {

const QString kQuestion = QStringLiteral("Save your changes before closing this window?");

class ListsWindowStateTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        // First by name: stale defaults that the rules clear when shown.
        tdb->addList(QStringLiteral("Aardvark"), {{QStringLiteral("Service_Method"), QStringLiteral("C")},
                                                  {QStringLiteral("Service_Used"), 2},
                                                  {QStringLiteral("Item_Method"), QStringLiteral("D")},
                                                  {QStringLiteral("Item_to_Deliver"), 7},
                                                  {QStringLiteral("Quantity"), 3}});
        beta = tdb->addList(QStringLiteral("Beta"), {{QStringLiteral("List_Desc"), QStringLiteral("stored")}});
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
        state = std::make_unique<kv::ListsWindowState>(*dm, prompts);
    }

    kv::Query &lists() { return state->lists(); }
    QStringList snapshot() { return tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("History")}); }
    void applyRules()
    {
        ListOptionRules::clearServiceForOwnMethod(lists());
        ListOptionRules::clearItemForDefaultMethod(lists());
    }


    ScriptedPrompts prompts;
    std::unique_ptr<TestDatabase> tdb;
    std::unique_ptr<TDataModuleLists> dm;
    std::unique_ptr<kv::ListsWindowState> state;
    int beta = 0;
};

TEST_P(ListsWindowStateTest, OpeningAndMovingOverAnEditOfTheRulesWritesNothing)
{
    const QStringList before = snapshot();
    for (int shown = 0; shown < 2; ++shown) {
        state->show();
        ASSERT_EQ(lists().asString(QStringLiteral("List_Name")), QStringLiteral("Aardvark"));
        applyRules();
        EXPECT_TRUE(state->hasPendingEdit());
        EXPECT_FALSE(state->hasUserEdit());
    }
    EXPECT_TRUE(state->move([&] { lists().next(); }));
    EXPECT_EQ(lists().asString(QStringLiteral("List_Name")), QStringLiteral("Beta"));
    lists().first();
    applyRules();
    EXPECT_TRUE(state->resolve(kQuestion));
    EXPECT_TRUE(prompts.texts().isEmpty());
    EXPECT_EQ(snapshot(), before);

    // Once the user changes anything else, the clearing is saved with it.
    applyRules();
    lists().setFieldValue(QStringLiteral("Updated_By"), QStringLiteral("lee"));
    EXPECT_TRUE(state->hasUserEdit());
    EXPECT_TRUE(state->post());
    EXPECT_TRUE(tdb->exec(QStringLiteral("select Service_Used from Lists where List_Name = 'Aardvark'")).isNull());
}

TEST_P(ListsWindowStateTest, ASaveThatFailsAnywhereKeepsTheEditAndWritesNothing)
{
    std::unique_ptr<kv::Database> other;
    std::unique_ptr<QSqlQuery> hold;
    QMetaObject::Connection midway;
    struct Case
    {
        const char *name;
        std::function<void()> arrange;
        const char *cause; // in the error; empty: the read-again question is asked
        std::function<void()> undo;
    };
    std::vector<Case> cases = {
        {"another user's change",
         [&] { tdb->exec(QStringLiteral("Update Lists set List_Desc = 'theirs' where Record_ID = :id"), {{QStringLiteral("id"), beta}}); },
         "", [] {}},
        {"a lock held elsewhere",
         [&] {
             other = tdb->secondConnection();
             hold = std::make_unique<QSqlQuery>(other->connection());
             if (GetParam() == kv::Backend::SQLite) {
                 ASSERT_TRUE(hold->exec(QStringLiteral("BEGIN IMMEDIATE")));
             } else {
                 ASSERT_TRUE(hold->exec(QStringLiteral("BEGIN")));
                 ASSERT_TRUE(hold->exec(QStringLiteral("SELECT Record_ID FROM Lists WHERE Record_ID = %1 FOR UPDATE").arg(beta)));
             }
         },
         "lock",
         [&] {
             hold->exec(QStringLiteral("ROLLBACK"));
             hold.reset();
             other.reset();
         }},
        {"an injected failure", [&] { failAtRow(*tdb, QStringLiteral("Lists"), QStringLiteral("UPDATE"), 1); }, "injected failure",
         [&] { disarm(*tdb, QStringLiteral("Lists"), QStringLiteral("UPDATE")); }},
    };
    if (GetParam() == kv::Backend::PostgreSQL)
        cases.push_back({"the server gone mid-save",
                         [&] {
                             // Inside the save's unit, just before the row is written.
                             midway = QObject::connect(&lists(), &kv::Query::beforePost, [&] {
                                 EXPECT_NO_THROW(endServerConnection(*tdb, *dm->DatabaseLists));
                             });
                         },
                         "connection to the database server was lost", [&] { QObject::disconnect(midway); }});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        state->show();
        ASSERT_TRUE(lists().locate({QStringLiteral("Record_ID")}, {beta}));
        lists().setFieldValue(QStringLiteral("List_Desc"), QStringLiteral("mine"));
        c.arrange();
        const QStringList before = snapshot();
        prompts.answerYes(); // save my changes
        prompts.answerNo();  // keep them after another user's change
        QString error;
        try {
            EXPECT_FALSE(state->resolve(kQuestion));
        } catch (const kv::RolledBack &e) {
            error = e.text();
        }
        c.undo();
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(kv::UnitOfWork::isActive(*dm->DatabaseLists));
        if (*c.cause) {
            EXPECT_TRUE(error.contains(QLatin1String(c.cause), Qt::CaseInsensitive)) << error.toStdString();
            EXPECT_TRUE(error.endsWith(kv::UnitOfWork::kNothingWritten));
        } else {
            ASSERT_EQ(prompts.questions().size(), 2);
            EXPECT_TRUE(prompts.questions().last().endsWith(kv::ListsWindowState::kReloadAfterConflict));
        }
        EXPECT_EQ(lists().state(), DataState::Edit) << "the edit is still pending";
        EXPECT_EQ(lists().asString(QStringLiteral("List_Desc")), QStringLiteral("mine"));
        // Nothing in the way any more, the same save goes through.
        EXPECT_TRUE(state->post());
        EXPECT_EQ(tdb->exec(QStringLiteral("select List_Desc from Lists where Record_ID = :id"), {{QStringLiteral("id"), beta}}).toString(),
                  QStringLiteral("mine"));
        tdb->exec(QStringLiteral("Update Lists set List_Desc = 'stored' where Record_ID = :id"), {{QStringLiteral("id"), beta}});
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ListsWindowStateTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL),
                         [](const auto &info) { return info.param == kv::Backend::SQLite ? "SQLite" : "PostgreSQL"; });

} // namespace
