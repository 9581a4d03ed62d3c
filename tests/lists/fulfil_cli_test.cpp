#include "lists/cancel_pending.h"
#include "lists/fulfil_list.h"

#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int code = -1;
    QString out, err;
};

class FulfilCliTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        QString dir = qEnvironmentVariable("KESTROVAN_BUILD_DIR");
        tool = dir.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/kestrovan") : dir + QStringLiteral("/bin/kestrovan");
        if (!QFileInfo::exists(tool))
            GTEST_SKIP() << "the command-line tool is not built";
        tdb = std::make_unique<TestDatabase>(GetParam());
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 7}, {QStringLiteral("Service_Desc"), QStringLiteral("Holiday")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
        listId = tdb->addList(QStringLiteral("Holiday"), {{QStringLiteral("Item_to_Deliver"), 31}, {QStringLiteral("Quantity"), 2}});
        for (int p = 1; p <= 3; ++p)
            tdb->addClient(p, {{QStringLiteral("Svcs_Used"), 4}});
        tdb->addMember(listId, 1, {{QStringLiteral("Confirmed"), QStringLiteral("Y")}, {QStringLiteral("Quantity"), 5}});
        tdb->addMember(listId, 2);
        tdb->addMember(listId, 3, {{QStringLiteral("RecVisible"), false}});
    }

    ToolRun run(QStringList args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        args << QStringLiteral("--data") << tdb->directory();
        if (GetParam() == kv::Backend::PostgreSQL) {
            const PgTarget t = PgTarget::fromEnvironment();
            args << QStringLiteral("--server") << t.host;
            env.insert(QStringLiteral("KESTROVAN_PG_PORT"), QString::number(t.port));
            env.insert(QStringLiteral("KESTROVAN_PG_SCHEMA"), tdb->schema());
        }
        p.setProcessEnvironment(env);
        p.start(tool, args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
    }

    QString tool;
    std::unique_ptr<TestDatabase> tdb;
    int listId = 0;
};

TEST_P(FulfilCliTest, FulfilAsksFirstThenWritesWhatTheWindowWrites)
{
    const QStringList args{QStringLiteral("fulfil"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--date"),
                           QStringLiteral("2026-12-09"), QStringLiteral("--user"), QStringLiteral("Dee")};
    ToolRun r = run(args);
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Please confirm that you would like to fulfill this list of 2 member(s)!"))) << r.err.toStdString();
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);

    // The stored defaults: irrelevant, own service, the stored item and quantity.
    r = run(args + QStringList{QStringLiteral("--yes")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const auto rows = tdb->rows(QStringLiteral(
        "Select EpisodicDeliveries.Person_ID, Created_By, Svcs_Used, Quantity, Item_ID from EpisodicDeliveries join DefDels on "
        "DefDels.Deliv_ID = EpisodicDeliveries.RecordID order by EpisodicDeliveries.Person_ID"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].value(QStringLiteral("quantity")).toInt(), 5);
    EXPECT_EQ(rows[1].value(QStringLiteral("quantity")).toInt(), 2);
    for (const auto &row : rows) {
        EXPECT_EQ(row.value(QStringLiteral("created_by")).toString(), QStringLiteral("Dee (List)"));
        EXPECT_EQ(row.value(QStringLiteral("svcs_used")).toInt(), 4);
        EXPECT_EQ(row.value(QStringLiteral("item_id")).toInt(), 31);
    }
    const auto notes = tdb->rows(QStringLiteral("Select Event, User from History"));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].value(QStringLiteral("event")).toString().startsWith(QStringLiteral("Holiday list fulfilled to 2 for ")));
    EXPECT_EQ(notes[0].value(QStringLiteral("user")).toString(), QStringLiteral("Dee"));
}

TEST_P(FulfilCliTest, OptionsGivenReplaceTheStoredDefaults)
{
    ToolRun r = run({QStringLiteral("fulfil"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--date"),
                 QStringLiteral("2026-12-09"), QStringLiteral("--confirmed"), QStringLiteral("checked"), QStringLiteral("--service"),
                 QStringLiteral("7"), QStringLiteral("--item"), QStringLiteral("none"), QStringLiteral("--yes")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries"), QStringLiteral("Person_ID = 1 and Svcs_Used = 7")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), 0);

    // A service that is no delivery service, or a list of another name, is refused.
    r = run({QStringLiteral("fulfil"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--date"),
             QStringLiteral("2026-12-09"), QStringLiteral("--service"), QStringLiteral("99"), QStringLiteral("--yes")});
    EXPECT_EQ(r.code, 2);
    r = run({QStringLiteral("fulfil"), QStringLiteral("--list"), QStringLiteral("Nope"), QStringLiteral("--date"), QStringLiteral("2026-12-09"),
             QStringLiteral("--yes")});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
}

TEST_P(FulfilCliTest, StoredSelectedServiceWithoutAServiceIsRefused)
{
    tdb->exec(QStringLiteral("Update Lists set Service_Method = 'S' where Record_ID = :Id"), {{QStringLiteral("Id"), listId}});
    const ToolRun r = run({QStringLiteral("fulfil"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--date"),
                       QStringLiteral("2026-12-09"), QStringLiteral("--yes")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(kv::ListFulfilment::kNoServiceChosenMessage)) << r.err.toStdString();
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
}

TEST_P(FulfilCliTest, ARerunAsksAboutMembersAlreadyScheduledAndCountsWhatItWrote)
{
    const QStringList args{QStringLiteral("fulfil"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--date"),
                           QStringLiteral("2026-12-09")};
    ToolRun r = run(args + QStringList{QStringLiteral("--yes")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("2 deliveries scheduled for Holiday on 2026-12-09, 0 members skipped."))) << r.out.toStdString();

    // Without an answer the question goes to stderr and nothing is written.
    r = run(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("2 of these 2 members already have a delivery from this list on "))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(kv::ListFulfilment::kRerunQuestionEnd));
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 2);

    // No: nothing again; with a new member, only the new member.
    const QStringList skip = args + QStringList{QStringLiteral("--yes"), QStringLiteral("--skip-scheduled")};
    r = run(skip);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("0 deliveries scheduled for Holiday on 2026-12-09, 2 members skipped."))) << r.out.toStdString();
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 2);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 1);
    tdb->addClient(4);
    tdb->addMember(listId, 4);
    r = run(skip);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("1 deliveries scheduled for Holiday on 2026-12-09, 2 members skipped."))) << r.out.toStdString();
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries"), QStringLiteral("Person_ID = 4")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("History"), QStringLiteral("Event like 'Holiday list fulfilled to 1 for %'")), 1);

    // Yes: a second set for everyone.
    r = run(args + QStringList{QStringLiteral("--yes")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("3 deliveries scheduled for Holiday on 2026-12-09, 0 members skipped."))) << r.out.toStdString();
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 6);
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), 6);
}

TEST_P(FulfilCliTest, CancelPendingAsksFirst)
{
    tdb->insert(QStringLiteral("EpisodicDeliveries"), {{QStringLiteral("List_ID"), listId}, {QStringLiteral("Person_ID"), 1}},
                QStringLiteral("RecordID"));
    const QStringList args{QStringLiteral("cancel-pending"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--user"),
                           QStringLiteral("Dee")};
    ToolRun r = run(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(kv::CancelPendingDeliveries::kQuestion));
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
    r = run(args + QStringList{QStringLiteral("--yes")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb->exec(QStringLiteral("Select User from History")).toString(), QStringLiteral("Dee"));
}

INSTANTIATE_TEST_SUITE_P(Backends, FulfilCliTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL));

} // namespace
