// Fulfilling, cancelling and deleting a list are each all or nothing: a
// failure at any statement, or a lock that another workstation holds, leaves
// every table exactly as it was, and the error says that nothing was written.

#include "lists/cancel_pending.h"
#include "lists/delete_list.h"
#include "lists/fulfil_list.h"

#include "data/data_module.h"
#include "data/engine/unit_of_work.h"
#include "support/fault_injection.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <gtest/gtest.h>

using kv::FulfilmentOptions;
using kv::ListFulfilment;
using kv::UnitOfWork;

namespace {

const QStringList kTables{QStringLiteral("Lists"), QStringLiteral("List_Members"), QStringLiteral("EpisodicDeliveries"),
                          QStringLiteral("DefDels"), QStringLiteral("History")};

class ListsAllOrNothingTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    static constexpr int kMembers = 250;

    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
        UnitOfWork::run(tdb->db(), [&] {
            listId = tdb->addList(QStringLiteral("Holiday"));
            for (int p = 1; p <= kMembers; ++p) {
                tdb->addClient(p, {{QStringLiteral("Svcs_Used"), 4}});
                tdb->addMember(listId, p);
            }
        });
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
    }

    FulfilmentOptions withItem() const
    {
        FulfilmentOptions o;
        o.deliveryDate = QDate(2026, 12, 9);
        o.confirmedIndex = FulfilmentOptions::ConfirmedIrrelevant;
        o.serviceIndex = FulfilmentOptions::ClientsOwnService;
        o.itemsIndex = FulfilmentOptions::SelectedItem;
        o.itemId = 31;
        o.listName = QStringLiteral("Holiday");
        return o;
    }

    ListFulfilment::Result fulfil()
    {
        ListFulfilment f(*dm, prompts, progress, [] { return QStringLiteral("Ann"); });
        auto end = qScopeGuard([&] { f.finish(); });
        return f.run(listId, withItem());
    }

    void cancelPending()
    {
        kv::CancelPendingDeliveries op(*dm->DatabaseLists, prompts, [] { return QStringLiteral("Ann"); });
        op.run(listId, QStringLiteral("Holiday"));
    }

    void deleteList()
    {
        ASSERT_TRUE(dm->QueryLists->locate({QStringLiteral("Record_ID")}, {listId}));
        kv::DeleteList op(*dm, prompts, [] { return QStringLiteral("Ann"); });
        op.run();
    }

    // Runs the operation, which must fail with the cause and the sentence.
    void expectRolledBack(const std::function<void()> &operation, const QString &cause)
    {
        try {
            operation();
            ADD_FAILURE() << "the operation did not fail";
        } catch (const kv::RolledBack &e) {
            EXPECT_TRUE(e.text().contains(cause, Qt::CaseInsensitive)) << e.text().toStdString();
            EXPECT_TRUE(e.text().endsWith(UnitOfWork::kNothingWritten)) << e.text().toStdString();
        }
        EXPECT_FALSE(UnitOfWork::isActive(*dm->DatabaseLists));
    }


    ScriptedPrompts prompts;
    kv::NullProgress progress;
    std::unique_ptr<TestDatabase> tdb;
    std::unique_ptr<TDataModuleLists> dm;
    int listId = 0;
};

TEST_P(ListsAllOrNothingTest, AFailureAtAnyStatementLeavesEveryTableAsItWas)
{
    // The 200th item row of a fulfilment.
    QStringList before = tableSnapshot(*tdb, kTables);
    failAtRow(*tdb, QStringLiteral("DefDels"), QStringLiteral("INSERT"), 200);
    expectRolledBack([&] { fulfil(); }, kInjectedFailure);
    EXPECT_EQ(tableSnapshot(*tdb, kTables), before);

    // A delivery in the middle of a batch of them, its key already taken.
    disarm(*tdb, QStringLiteral("DefDels"), QStringLiteral("INSERT"));
    failAtRow(*tdb, QStringLiteral("EpisodicDeliveries"), QStringLiteral("INSERT"), 130);
    expectRolledBack([&] { fulfil(); }, kInjectedFailure);
    EXPECT_EQ(tableSnapshot(*tdb, kTables), before);
    disarm(*tdb, QStringLiteral("EpisodicDeliveries"), QStringLiteral("INSERT"));

    // The history note of a fulfilment, after every delivery and item.
    failAtRow(*tdb, QStringLiteral("History"), QStringLiteral("INSERT"), 1);
    expectRolledBack([&] { fulfil(); }, kInjectedFailure);
    EXPECT_EQ(tableSnapshot(*tdb, kTables), before);

    // The same note failing after a cancel and after a delete.
    disarm(*tdb, QStringLiteral("History"), QStringLiteral("INSERT"));
    EXPECT_EQ(fulfil().deliveries, kMembers);
    before = tableSnapshot(*tdb, kTables);
    failAtRow(*tdb, QStringLiteral("History"), QStringLiteral("INSERT"), 1);
    expectRolledBack([&] { cancelPending(); }, kInjectedFailure);
    EXPECT_EQ(tableSnapshot(*tdb, kTables), before);
    expectRolledBack([&] { deleteList(); }, kInjectedFailure);
    EXPECT_EQ(tableSnapshot(*tdb, kTables), before);

    // The delivery delete of a cancel, after its item rows went.
    failAtRow(*tdb, QStringLiteral("EpisodicDeliveries"), QStringLiteral("DELETE"), 1);
    expectRolledBack([&] { cancelPending(); }, kInjectedFailure);
    EXPECT_EQ(tableSnapshot(*tdb, kTables), before);
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), kMembers);
}

TEST_P(ListsAllOrNothingTest, AWriteLockHeldElsewhereIsWaitedForThenFailsWithNothingWritten)
{
    tdb->addList(QStringLiteral("Other"));
    const QStringList before = tableSnapshot(*tdb, kTables);
    auto other = tdb->secondConnection();
    QSqlQuery hold(other->connection());
    if (GetParam() == kv::Backend::SQLite) {
        ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
    } else {
        // The list's row, as another fulfilment or cancel of it holds it.
        ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(hold.exec(QStringLiteral("SELECT Record_ID FROM Lists WHERE Record_ID = %1 FOR UPDATE").arg(listId)));
    }
    const qint64 wait = dm->SessionLists->lockTimeoutMs();
    for (const auto &operation : std::initializer_list<std::function<void()>>{[&] { fulfil(); }, [&] { cancelPending(); }}) {
        QElapsedTimer clock;
        clock.start();
        expectRolledBack(operation, QStringLiteral("lock"));
        EXPECT_GE(clock.elapsed(), wait * 9 / 10) << "gave up before the lock wait ran out";
    }
    ASSERT_TRUE(hold.exec(QStringLiteral("ROLLBACK")));
    EXPECT_EQ(tableSnapshot(*tdb, kTables), before);

    // With the lock free again the same run goes through.
    EXPECT_EQ(fulfil().deliveries, kMembers);
}

INSTANTIATE_TEST_SUITE_P(Backends, ListsAllOrNothingTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL),
                         [](const auto &info) { return info.param == kv::Backend::SQLite ? "SQLite" : "PostgreSQL"; });

} // namespace
