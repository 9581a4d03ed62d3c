// Four command-line runs adding the same clients to one list at the same
// moment: the list's writers take turns, so every client ends up a member
// exactly once, on both backends.

#include "data/engine/unit_of_work.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr int kClients = 400;
constexpr int kRuns = 4;
constexpr int kRounds = 3;

class AddMembersRaceTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        const QString dir = qEnvironmentVariable("KESTROVAN_BUILD_DIR");
        tool = dir.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/kestrovan")
                             : dir + QStringLiteral("/bin/kestrovan");
        if (!QFileInfo::exists(tool))
            GTEST_SKIP() << "the command-line tool is not built";
        tdb = std::make_unique<TestDatabase>(GetParam());
        kv::UnitOfWork unit(tdb->db());
        listId = tdb->addList(QStringLiteral("Race"));
        for (int p = 1; p <= kClients; ++p)
            tdb->addClient(p, {{QStringLiteral("Status"), QStringLiteral("A")}, {QStringLiteral("Client_ID"), QStringLiteral("C%1").arg(p)}});
        unit.commit();
    }

    std::unique_ptr<QProcess> start()
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QStringList args{QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Race"),
                         QStringLiteral("--status"), QStringLiteral("A"), QStringLiteral("--data"), tdb->directory()};
        if (GetParam() == kv::Backend::PostgreSQL) {
            const PgTarget t = PgTarget::fromEnvironment();
            args << QStringLiteral("--server") << t.host;
            env.insert(QStringLiteral("KESTROVAN_PG_PORT"), QString::number(t.port));
            env.insert(QStringLiteral("KESTROVAN_PG_SCHEMA"), tdb->schema());
        }
        p->setProcessEnvironment(env);
        p->start(tool, args);
        return p;
    }

    QString tool;
    std::unique_ptr<TestDatabase> tdb;
    int listId = 0;
};

TEST_P(AddMembersRaceTest, ConcurrentAddsNeverWriteAMemberTwice)
{
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        tdb->exec(QStringLiteral("Delete from List_Members where List_ID = :L"), {{QStringLiteral("L"), listId}});
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < kRuns; ++i)
            runs.push_back(start());
        int added = 0;
        int succeeded = 0;
        for (auto &p : runs) {
            ASSERT_TRUE(p->waitForFinished(120000));
            const QString out = QString::fromLocal8Bit(p->readAllStandardOutput());
            const QString err = QString::fromLocal8Bit(p->readAllStandardError());
            // A run that waited longer than the lock wait gives up having written nothing.
            if (p->exitCode() == 0)
                ++succeeded;
            else
                EXPECT_TRUE(p->exitCode() == 2 && err.contains(kv::UnitOfWork::kNothingWritten)) << err.toStdString();
            if (out.contains(QStringLiteral("Succesfully added %1 ").arg(kClients)))
                ++added;
        }
        ASSERT_GT(succeeded, 0);
        EXPECT_EQ(added, 1) << "one run adds everybody, the others find nobody new";
        EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), listId}}), kClients);
        EXPECT_EQ(tdb->exec(QStringLiteral("Select count(*) from (Select Person_ID from List_Members where List_ID = :L "
                                           "group by Person_ID having count(*) > 1) twice"),
                            {{QStringLiteral("L"), listId}})
                      .toInt(),
                  0);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, AddMembersRaceTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL),
                         [](const ::testing::TestParamInfo<kv::Backend> &i) {
                             return i.param == kv::Backend::SQLite ? std::string("SQLite") : std::string("PostgreSQL");
                         });

} // namespace
