// A writing subcommand whose COMMIT answer is lost on the way back: a script
// reads from the exit status and the message what the server holds, never
// "Nothing was written" for work that was written.

#include "cli_tool.h"

#include "data/engine/unit_of_work.h"
#include "support/commit_drop_proxy.h"

#include <gtest/gtest.h>

namespace {

TEST(CliCommitOutcome, ALostCommitAnswerEndsWithWhatTheServerHolds)
{
    KV_REQUIRE_BACKEND(kv::Backend::PostgreSQL);
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(kv::Backend::PostgreSQL);
    const int toFulfil = tdb.addList(QStringLiteral("Fulfil"));
    const int toFill = tdb.addList(QStringLiteral("Fill"));
    const int toCancel = tdb.addList(QStringLiteral("Cancel"));
    const int unsure = tdb.addList(QStringLiteral("Unsure"));
    for (int person = 1; person <= 3; ++person) {
        tdb.addClient(person, {{QStringLiteral("Status"), QStringLiteral("A")}, {QStringLiteral("Svcs_Used"), 4}});
        tdb.addMember(toFulfil, person);
        tdb.addMember(unsure, person);
        tdb.insert(QStringLiteral("EpisodicDeliveries"),
                   {{QStringLiteral("Person_ID"), person}, {QStringLiteral("List_ID"), toCancel},
                    {QStringLiteral("Deliv_Date"), QDate(2026, 12, 24)}});
    }
    const QString deliveriesOf = QStringLiteral("List_ID = :L");
    const QString fulfil = QStringLiteral("fulfil --list %1 --date 2026-12-24 --item none --yes");
    using Proxy = CommitDropProxy;
    const struct
    {
        QString command;
        Proxy::Afterwards afterwards;
        int code;
        std::function<qint64()> done;
        qint64 expected;
    } cases[] = {
        {fulfil.arg(QStringLiteral("Fulfil")), Proxy::Afterwards::Forward, 0,
         [&] { return tdb.count(QStringLiteral("EpisodicDeliveries"), deliveriesOf, {{QStringLiteral("L"), toFulfil}}); }, 3},
        {QStringLiteral("add-members --list Fill --status A"), Proxy::Afterwards::Forward, 0,
         [&] { return tdb.count(QStringLiteral("List_Members"), deliveriesOf, {{QStringLiteral("L"), toFill}}); }, 3},
        {QStringLiteral("cancel-pending --list Cancel --yes"), Proxy::Afterwards::Forward, 0,
         [&] { return tdb.count(QStringLiteral("EpisodicDeliveries"), deliveriesOf, {{QStringLiteral("L"), toCancel}}); }, 0},
        // The server cannot be asked afterwards: a status of its own, and how to look.
        {fulfil.arg(QStringLiteral("Unsure")), Proxy::Afterwards::Refuse, 3,
         [&] { return tdb.count(QStringLiteral("EpisodicDeliveries"), deliveriesOf, {{QStringLiteral("L"), unsure}}); }, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        CommitDropProxy proxy(PgTarget::fromEnvironment().port, Proxy::Lose::Answer, c.afterwards);
        ASSERT_GT(proxy.port(), 0);
        QProcessEnvironment env;
        env.insert(QStringLiteral("KESTROVAN_PG_PORT"), QString::number(proxy.port()));
        const ToolRun r = runCli(&tdb, c.command.split(QLatin1Char(' ')), QByteArray(), env);
        EXPECT_TRUE(proxy.dropped()) << r.why();
        EXPECT_EQ(r.code, c.code) << r.why();
        EXPECT_EQ(c.done(), c.expected) << r.why();
        const QString said = r.out + r.err;
        EXPECT_FALSE(said.contains(kv::UnitOfWork::kNothingWritten)) << r.why();
        if (c.code == 0) {
            EXPECT_TRUE(said.contains(kv::UnitOfWork::kWrittenThoughConnectionLost)) << r.why();
        } else {
            EXPECT_TRUE(r.err.contains(kv::UnitOfWork::kOutcomeUnknown)) << r.why();
            EXPECT_TRUE(r.err.contains(QStringLiteral(" deliveries --list Unsure --pending"))) << r.why();
            // Run again without looking, the tool tells the truth: they are scheduled.
            const ToolRun again = runCli(&tdb, c.command.split(QLatin1Char(' ')) << QStringLiteral("--skip-scheduled"));
            EXPECT_EQ(again.code, 0) << again.why();
            EXPECT_EQ(c.done(), c.expected) << again.why();
        }
    }
}

} // namespace
