// A COMMIT whose answer is lost with the connection: the unit of work asks
// the server on a new connection how its transaction ended, and says only
// what is known.

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "lists/cancel_pending.h"
#include "support/commit_drop_proxy.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <gtest/gtest.h>

using kv::Backend;

namespace {

TEST(CommitOutcome, ALostAnswerIsAskedOfTheServerAndOnlyWhatIsKnownIsSaid)
{
    KV_REQUIRE_BACKEND(Backend::PostgreSQL);
    TestDatabase tdb(Backend::PostgreSQL);
    const PgTarget t = PgTarget::fromEnvironment();
    enum Said { Written, NothingWritten, Unknown };
    using Proxy = CommitDropProxy;
    const struct
    {
        const char *what;
        Proxy::Lose lose;
        Proxy::Afterwards afterwards;
        Said said;
        int rowsOnServer;
    } cases[] = {
        {"the server committed", Proxy::Lose::Answer, Proxy::Afterwards::Forward, Written, 1},
        {"COMMIT never arrived", Proxy::Lose::Commit, Proxy::Afterwards::Forward, NothingWritten, 0},
        // The transaction would hold its locks until the server noticed: it is ended so that the answer is final.
        {"COMMIT lost, the server unaware", Proxy::Lose::CommitUnnoticed, Proxy::Afterwards::Forward,
         NothingWritten, 0},
        {"nobody can ask the server", Proxy::Lose::Answer, Proxy::Afterwards::Refuse, Unknown, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = QString::fromLatin1(c.what);
        CommitDropProxy proxy(t.port, c.lose, c.afterwards);
        ASSERT_GT(proxy.port(), 0);
        kv::Session session(QStringLiteral("ThroughTheProxy"));
        session.setSessionType(kv::SessionType::Remote);
        session.setRemoteAddress(QStringLiteral("127.0.0.1"));
        session.setRemotePort(proxy.port());
        session.setRemoteUser(t.user);
        session.setRemotePassword(t.password);
        kv::Database db(QStringLiteral("Brenquistal"));
        db.setRemoteDatabase(t.database);
        db.setSession(&session);
        db.setSchema(tdb.schema());
        QStringList notices;
        db.setNoticeHandler([&](const QString &text) { notices << text; });
        db.connect();
        auto addList = [&](const QString &listName) {
            kv::Query insert(&db, QStringLiteral("InsertList"));
            insert.setSql(QStringLiteral("Insert into Lists (List_Name, Reason) values (:List_Name, 'LST')"));
            insert.paramByName(QStringLiteral("List_Name")).setAsString(listName);
            kv::UnitOfWork::run(db, [&] { insert.execSql(); });
        };
        auto listsNamed = [&](const QString &listName) {
            return tdb.count(QStringLiteral("Lists"), QStringLiteral("List_Name = :n"), {{QStringLiteral("n"), listName}});
        };

        QString error;
        bool unknown = false;
        try {
            addList(name);
        } catch (const kv::OutcomeUnknown &e) {
            unknown = true;
            error = e.text();
        } catch (const kv::Error &e) {
            error = e.text();
        }
        ASSERT_TRUE(proxy.dropped()) << error.toStdString();
        EXPECT_EQ(listsNamed(name), c.rowsOnServer);
        EXPECT_EQ(unknown, c.said == Unknown) << error.toStdString();
        EXPECT_EQ(error.contains(kv::UnitOfWork::kNothingWritten), c.said == NothingWritten) << error.toStdString();
        EXPECT_EQ(error.contains(kv::UnitOfWork::kOutcomeUnknown), c.said == Unknown) << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.said == Written) << error.toStdString();
        EXPECT_EQ(notices, c.said == Written ? QStringList{kv::UnitOfWork::kWrittenThoughConnectionLost} : QStringList())
            << notices.join(QLatin1Char('\n')).toStdString();

        // The same database goes on with the next operation on a new connection.
        if (c.afterwards == Proxy::Afterwards::Forward) {
            EXPECT_NO_THROW(addList(name + QStringLiteral(" again")));
            EXPECT_EQ(listsNamed(name + QStringLiteral(" again")), 1);
        }
    }
}

// The windows' operations tell it through the data module's prompts: the
// same warning, and no error after it.
TEST(CommitOutcome, TheWindowsShowTheWarningWhenTheServerCommitted)
{
    KV_REQUIRE_BACKEND(Backend::PostgreSQL);
    TestDatabase tdb(Backend::PostgreSQL);
    const int listId = tdb.addList(QStringLiteral("Alpha"));
    tdb.addClient(1);
    tdb.insert(QStringLiteral("EpisodicDeliveries"), {{QStringLiteral("Person_ID"), 1}, {QStringLiteral("List_ID"), listId}});
    CommitDropProxy proxy(PgTarget::fromEnvironment().port, CommitDropProxy::Lose::Answer);
    ASSERT_GT(proxy.port(), 0);
    TDataModuleLists::Overrides o = tdb.overrides();
    o.serverPort = proxy.port();
    ScriptedPrompts prompts;
    TDataModuleLists dm(prompts, [] {}, nullptr, o);
    dm.connectDatabases();
    prompts.answerYes();
    kv::CancelPendingDeliveries cancel(*dm.DatabaseLists, prompts, [] { return QStringLiteral("Ann"); });
    EXPECT_NO_THROW(cancel.run(listId, QStringLiteral("Alpha")));
    EXPECT_TRUE(proxy.dropped());
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries")), 0);
    ASSERT_EQ(prompts.shown().size(), 2); // the question, then the warning
    EXPECT_EQ(prompts.shown().last().kind, kv::Prompts::Kind::Warning);
    EXPECT_EQ(prompts.shown().last().text, kv::UnitOfWork::kWrittenThoughConnectionLost);
}

} // namespace
