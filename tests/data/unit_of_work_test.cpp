// Units of work on both backends: all or nothing, nested units join the outer
// one, and a writer that cannot get the lock gives up after the lock wait.

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "support/test_database.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using kv::Backend;
using kv::UnitOfWork;

namespace {

class UnitOfWorkTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
    }

    void addList(const QString &name) { tdb->addList(name); }
    qint64 lists() { return tdb->count(QStringLiteral("Lists")); }

    std::unique_ptr<TestDatabase> tdb;
};

TEST_P(UnitOfWorkTest, CommitsEverythingOrRollsBackEverythingWithTheCauseAndTheSentence)
{
    UnitOfWork::run(tdb->db(), [&] {
        addList(QStringLiteral("A"));
        addList(QStringLiteral("B"));
    });
    EXPECT_EQ(lists(), 2);

    try {
        UnitOfWork::run(tdb->db(), [&] {
            addList(QStringLiteral("C"));
            throw kv::Error(QStringLiteral("disk full"));
        });
        FAIL() << "no error";
    } catch (const kv::RolledBack &e) {
        EXPECT_EQ(e.causeText(), QStringLiteral("disk full"));
        EXPECT_TRUE(e.text().endsWith(UnitOfWork::kNothingWritten));
        EXPECT_FALSE(e.wasCancelled());
    }
    EXPECT_EQ(lists(), 2);
    EXPECT_FALSE(UnitOfWork::isActive(tdb->db()));

    EXPECT_THROW(UnitOfWork::run(tdb->db(), [&] {
        addList(QStringLiteral("D"));
        throw kv::Cancelled();
    }),
                 kv::RolledBack);
    EXPECT_EQ(lists(), 2);
}

TEST_P(UnitOfWorkTest, InnerUnitsJoinTheOuterAndAFailedInnerDoomsIt)
{
    UnitOfWork::run(tdb->db(), [&] {
        UnitOfWork::run(tdb->db(), [&] { addList(QStringLiteral("inner")); });
        addList(QStringLiteral("outer"));
    });
    EXPECT_EQ(lists(), 2);

    {
        UnitOfWork outer(tdb->db());
        addList(QStringLiteral("x"));
        {
            UnitOfWork inner(tdb->db());
            addList(QStringLiteral("y"));
            // leaves without commit
        }
        EXPECT_THROW(outer.commit(), kv::Error);
    }
    EXPECT_EQ(lists(), 2);
}

TEST_P(UnitOfWorkTest, AWriterWaitsForTheLockThenFailsWithNothingWritten)
{
    tdb->session().setLockRetryCount(3);
    tdb->session().setLockWaitTime(100);
    const int id = tdb->addList(QStringLiteral("held"));
    // Reconnect so that the shorter lock wait is in force.
    tdb->db().disconnect();
    tdb->db().connect();
    auto other = tdb->secondConnection();
    QSqlQuery hold(other->connection());
    if (GetParam() == Backend::SQLite) {
        ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
    } else {
        ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(hold.exec(QStringLiteral("SELECT * FROM Lists WHERE Record_ID = %1 FOR UPDATE").arg(id)));
    }
    try {
        UnitOfWork::run(tdb->db(), [&] {
            addList(QStringLiteral("new"));
            tdb->exec(QStringLiteral("Update Lists set List_Desc = 'x' where Record_ID = :Id"), {{QStringLiteral("Id"), id}});
        });
        FAIL() << "no error";
    } catch (const kv::RolledBack &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("lock"), Qt::CaseInsensitive)) << e.text().toStdString();
    }
    ASSERT_TRUE(hold.exec(QStringLiteral("ROLLBACK")));
    EXPECT_EQ(lists(), 1);
}

// PostgreSQL cannot drop a prepared statement inside an aborted transaction;
// the statements of queries gone with the failure must still be dropped after
// the rollback, or they stay on the server for the connection's life.
TEST_P(UnitOfWorkTest, AFailedUnitLeavesNoPreparedStatementOnTheServer)
{
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "SQLite keeps no statements beyond their queries";
    auto prepared = [&] {
        QSqlQuery q(tdb->db().connection());
        q.exec(QStringLiteral("select count(*) from pg_prepared_statements"));
        return q.next() ? q.value(0).toInt() : -1;
    };
    const int before = prepared();
    EXPECT_THROW(UnitOfWork::run(tdb->db(), [&] {
        kv::Query read(&tdb->db(), QStringLiteral("Read"));
        read.setSql(QStringLiteral("Select count(*) as N from Lists where List_Name = :Name"));
        read.paramByName(QStringLiteral("Name")).setAsString(QStringLiteral("A"));
        read.open();
        kv::Query failing(&tdb->db(), QStringLiteral("Failing"));
        failing.setSql(QStringLiteral("Select 1 / (count(*) - count(*)) as X from Lists where List_Name = :Name"));
        failing.paramByName(QStringLiteral("Name")).setAsString(QStringLiteral("A"));
        failing.open();
    }),
                 kv::RolledBack);
    EXPECT_FALSE(UnitOfWork::isActive(tdb->db()));
    EXPECT_EQ(prepared(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, UnitOfWorkTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL"; });

} // namespace
