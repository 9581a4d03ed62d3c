// Fulfilment as separate processes meet it: a run killed at any moment leaves
// either all of it or none of it, and a cancel of the same list racing a run
// never leaves an item row behind without its delivery.

#include "support/test_database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>

namespace {

class FulfilProcessTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        const QString dir = qEnvironmentVariable("KESTROVAN_BUILD_DIR");
        tool = dir.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/kestrovan") : dir + QStringLiteral("/bin/kestrovan");
        if (!QFileInfo::exists(tool))
            GTEST_SKIP() << "the command-line tool is not built";
        tdb = std::make_unique<TestDatabase>(GetParam());
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
        listId = tdb->addList(QStringLiteral("Holiday"));
    }

    // Clients 1..n, each a visible member of the list, written in one statement each.
    void addMembers(int n)
    {
        const bool pg = GetParam() == kv::Backend::PostgreSQL;
        const QString numbers = pg ? QStringLiteral("generate_series(1, %1) as n(i)").arg(n)
                                   : QStringLiteral("(with recursive s(i) as (select 1 union all select i + 1 from s where i < %1) select i from s) as n")
                                         .arg(n);
        tdb->exec(QStringLiteral("Insert into Clients (Person_ID, Client_ID, Status, Svcs_Used, Delivery_Type, Def_Rte, Def_Stop) "
                                         "select i, 'C' || i, 'A', 4, 'O', 'R1', i from %1")
                              .arg(numbers));
        tdb->exec(QStringLiteral("Insert into List_Members (List_ID, Person_ID, Client_ID, RecVisible) select %1, i, 'C' || i, %2 from %3")
                              .arg(listId)
                              .arg(pg ? QStringLiteral("true") : QStringLiteral("1"))
                              .arg(numbers));
        members = n;
    }

    QProcess *start(QStringList args)
    {
        auto *p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        args << QStringLiteral("--list") << QStringLiteral("Holiday") << QStringLiteral("--yes") << QStringLiteral("--data") << tdb->directory();
        if (GetParam() == kv::Backend::PostgreSQL) {
            const PgTarget t = PgTarget::fromEnvironment();
            args << QStringLiteral("--server") << t.host;
            env.insert(QStringLiteral("KESTROVAN_PG_PORT"), QString::number(t.port));
            env.insert(QStringLiteral("KESTROVAN_PG_SCHEMA"), tdb->schema());
        }
        p->setProcessEnvironment(env);
        p->start(tool, args);
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
    }

    static QStringList fulfilArgs()
    {
        return {QStringLiteral("fulfil"), QStringLiteral("--date"), QStringLiteral("2026-12-09"), QStringLiteral("--item"), QStringLiteral("31")};
    }

    struct Counts
    {
        qint64 deliveries, items, notes;
        bool operator==(const Counts &o) const { return deliveries == o.deliveries && items == o.items && notes == o.notes; }
    };
    Counts counts()
    {
        return {tdb->count(QStringLiteral("EpisodicDeliveries")), tdb->count(QStringLiteral("DefDels")), tdb->count(QStringLiteral("History"))};
    }

    QString integrityCheck()
    {
        QSqlQuery q(tdb->db().connection());
        if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next())
            return q.lastError().text();
        return q.value(0).toString();
    }

    void reset()
    {
        tdb->exec(QStringLiteral("Delete from DefDels"));
        tdb->exec(QStringLiteral("Delete from EpisodicDeliveries"));
        tdb->exec(QStringLiteral("Delete from History"));
    }

    QString tool;
    std::unique_ptr<TestDatabase> tdb;
    int listId = 0;
    int members = 0;
};

TEST_P(FulfilProcessTest, ARunKilledAtAnyMomentLeavesAllOfItOrNoneOfIt)
{
    // Fewer members on PostgreSQL: one round trip a row makes its run slower.
    addMembers(GetParam() == kv::Backend::SQLite ? 20000 : 2000);
    const Counts none{0, 0, 0};
    const Counts whole{members, members, 1};

    // One run to the end gives the span the kills are spread over.
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProcess> p(start(fulfilArgs()));
    ASSERT_TRUE(p->waitForFinished(120000));
    const qint64 span = clock.elapsed();
    ASSERT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    ASSERT_TRUE(counts() == whole);

    int wholeRuns = 0, emptyRuns = 0;
    for (int round = 0; round < 6; ++round) {
        reset();
        const int delay = int(QRandomGenerator::global()->bounded(span));
        p.reset(start(fulfilArgs()));
        QThread::msleep(delay);
        p->kill(); // SIGKILL
        p->waitForFinished(10000);
        if (GetParam() == kv::Backend::SQLite) {
            EXPECT_EQ(integrityCheck(), QStringLiteral("ok"));
        }
        const Counts c = counts();
        EXPECT_TRUE(c == none || c == whole) << "killed after " << delay << " ms: " << c.deliveries << " deliveries, " << c.items
                                             << " items, " << c.notes << " notes";
        (c == whole ? wholeRuns : emptyRuns) += 1;
    }
    // Which rounds died before the commit is chance; both kinds are fine.
    std::cout << "killed runs: " << emptyRuns << " left nothing, " << wholeRuns << " had committed (span " << span << " ms)" << std::endl;
}

TEST_P(FulfilProcessTest, CancellingWhileTheSameListIsFulfilledLeavesNoItemWithoutItsDelivery)
{
    addMembers(GetParam() == kv::Backend::SQLite ? 1500 : 300);
    for (int round = 0; round < 4; ++round) {
        std::unique_ptr<QProcess> fulfil(start(fulfilArgs()));
        QThread::msleep(QRandomGenerator::global()->bounded(300));
        std::unique_ptr<QProcess> cancel(start({QStringLiteral("cancel-pending")}));
        ASSERT_TRUE(fulfil->waitForFinished(60000));
        ASSERT_TRUE(cancel->waitForFinished(60000));
        EXPECT_EQ(fulfil->exitCode(), 0) << fulfil->readAllStandardError().toStdString();
        // The cancel waits for the run to end; on a busy machine its lock
        // wait may run out first, which it must say, having removed nothing.
        const QString cancelErr = QString::fromLocal8Bit(cancel->readAllStandardError());
        EXPECT_TRUE(cancel->exitCode() == 0 || (cancel->exitCode() == 2 && cancelErr.contains(QStringLiteral("lock"))))
            << cancelErr.toStdString();
        EXPECT_EQ(tdb->count(QStringLiteral("DefDels"), QStringLiteral("Deliv_ID not in (select RecordID from EpisodicDeliveries)")), 0)
            << "round " << round;
        // Each delivery keeps its one item, and every run is there whole or not at all.
        EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), tdb->count(QStringLiteral("DefDels")));
        EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")) % members, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, FulfilProcessTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL),
                         [](const auto &info) { return info.param == kv::Backend::SQLite ? "SQLite" : "PostgreSQL"; });

} // namespace
