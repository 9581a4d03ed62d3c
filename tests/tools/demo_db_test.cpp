// The demo database generator, run as the demo script runs it.

#include "data/engine/database.h"
#include "data/engine/query.h"
#include "data/engine/session.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString demoTool()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kestrovan-demo-db"));
}

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList &args, const QString &configHome = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!configHome.isEmpty())
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    p.setProcessEnvironment(env);
    p.start(demoTool(), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// The database file of a data folder, or a schema on the test server, opened
// through the engine.
class DemoFile
{
public:
    explicit DemoFile(const QString &dir)
    {
        m_db.setSession(&m_session);
        m_db.setDirectory(dir);
        m_db.connect();
    }
    DemoFile(const PgTarget &t, const QString &schema)
    {
        m_session.setSessionType(kv::SessionType::Remote);
        m_session.setRemoteAddress(t.host);
        m_session.setRemotePort(t.port);
        m_session.setRemoteUser(t.user);
        m_session.setRemotePassword(t.password);
        m_db.setSession(&m_session);
        m_db.setRemoteDatabase(t.database);
        m_db.setSchema(schema);
        m_db.connect();
    }
    kv::Database &db() { return m_db; }
    // The rows of a query, each as its values' text joined by '|'.
    QStringList rows(const QString &sql)
    {
        kv::Query q(&m_db, QStringLiteral("Rows"));
        q.setSql(sql);
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next()) {
            QStringList row;
            for (int i = 0; i < q.fieldCount(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            out << row.join(QLatin1Char('|'));
        }
        return out;
    }
    qint64 count(const QString &sql)
    {
        kv::Query q(&m_db, QStringLiteral("Count"));
        q.setSql(sql);
        q.open();
        return q.value(0).toLongLong();
    }
    // Every client row as text, hashed: equal hashes mean equal data.
    QByteArray clientsHash()
    {
        kv::Query q(&m_db, QStringLiteral("Clients"));
        q.setSql(QStringLiteral("Select * from Clients order by Person_ID"));
        q.open();
        QCryptographicHash h(QCryptographicHash::Sha256);
        for (q.first(); !q.eof(); q.next())
            for (int i = 0; i < q.fieldCount(); ++i)
                h.addData(q.value(i).toString().toUtf8() + '|');
        return h.result();
    }

private:
    kv::Session m_session{QStringLiteral("DemoCheck")};
    kv::Database m_db{QStringLiteral("Brenquistal")};
};

class DemoDatabase : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_config = new QTemporaryDir;
        s_run = new ToolRun(runTool({QStringLiteral("--clients"), QStringLiteral("600"), QStringLiteral("--seed"), QStringLiteral("7"),
                                 QStringLiteral("--data"), s_dir->path(), QStringLiteral("--registry")},
                                s_config->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_run;
        delete s_config;
        delete s_dir;
    }
    void SetUp() override { ASSERT_EQ(s_run->exitCode, 0) << s_run->err.toStdString(); }

    static QTemporaryDir *s_dir;
    static QTemporaryDir *s_config;
    static ToolRun *s_run;
};

QTemporaryDir *DemoDatabase::s_dir = nullptr;
QTemporaryDir *DemoDatabase::s_config = nullptr;
ToolRun *DemoDatabase::s_run = nullptr;

TEST_F(DemoDatabase, HoldsTheVarietyTheOperationsMeet)
{
    DemoFile f(s_dir->path());
    EXPECT_EQ(f.count(QStringLiteral("Select count(*) from Clients")), 600);
    for (const char *status : {"N", "W", "A", "S", "I", " "})
        EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Status = '%1'").arg(QLatin1String(status))), 0) << status;
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Status is Null")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Delivery_Type = 'O'")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Delivery_Type = 'E'")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Monday = True and (Mon_Rte is Null or Mon_Rte = '')")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Monday = True and Mon_Rte <> ''")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Saturday = True")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Def_Stop <> round(Def_Stop)")), 0) << "no fractional stop";
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Clients where Household_ID is not Null")), 0);
    EXPECT_GE(f.count(QStringLiteral("Select count(*) from Services where Service_Type = 'D'")), 3);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Services where not (Service_Type = 'D')")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Services where Service_ID >= 100 and Service_Type = 'D'")), 0);
    EXPECT_GE(f.count(QStringLiteral("Select count(*) from Items")), 20);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from Cuisines")), 0);
    EXPECT_EQ(f.count(QStringLiteral("Select count(*) from Config")), 1);
    EXPECT_EQ(f.count(QStringLiteral("Select count(*) from Lists where Reason = 'LST'")), 3);
    EXPECT_EQ(f.count(QStringLiteral("Select count(*) from Lists where not (Reason = 'LST')")), 1);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from List_Members where RecVisible = False")), 0);
}

TEST_F(DemoDatabase, MembersCoverEveryInvitedAndConfirmedState)
{
    DemoFile f(s_dir->path());
    const QString base = QStringLiteral("Select count(*) from List_Members join Lists on List_Members.List_ID = Lists.Record_ID "
                                        "where Lists.Reason = 'LST' and ");
    for (const QString &inv : {QStringLiteral("Invited = 'Y'"), QStringLiteral("Invited = 'N'"), QStringLiteral("Invited is Null")})
        for (const QString &conf : {QStringLiteral("Confirmed = 'Y'"), QStringLiteral("Confirmed = 'N'"), QStringLiteral("Confirmed is Null")})
            EXPECT_GT(f.count(base + inv + QStringLiteral(" and ") + conf), 0) << inv.toStdString() << " / " << conf.toStdString();
}

TEST_F(DemoDatabase, DeliveriesArePendingAndFulfilledWithTheirItems)
{
    DemoFile f(s_dir->path());
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from EpisodicDeliveries where Fulfilled = 'Y'")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from EpisodicDeliveries where Fulfilled is Null")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from EpisodicDeliveries where Fulfilled = 'N'")), 0);
    EXPECT_GT(f.count(QStringLiteral("Select count(*) from DefDels join EpisodicDeliveries on DefDels.Deliv_ID = EpisodicDeliveries.RecordID "
                                     "where not (EpisodicDeliveries.Fulfilled = 'Y')")),
              0);
    EXPECT_EQ(f.count(QStringLiteral("Select count(*) from DefDels where not Deliv_ID in (Select RecordID from EpisodicDeliveries)")), 0)
        << "an item without its delivery";
}

TEST_F(DemoDatabase, SameSeedGivesTheSameDataAndTheSummaryShowsTheLists)
{
    QTemporaryDir again;
    const ToolRun second = runTool({QStringLiteral("--clients"), QStringLiteral("600"), QStringLiteral("--seed"), QStringLiteral("7"),
                                QStringLiteral("--data"), again.path()});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(DemoFile(s_dir->path()).clientsHash(), DemoFile(again.path()).clientsHash());

    const ToolRun summary = runTool({QStringLiteral("--summary"), QStringLiteral("--data"), s_dir->path()});
    ASSERT_EQ(summary.exitCode, 0) << summary.err.toStdString();
    EXPECT_TRUE(summary.out.contains(QStringLiteral("Thanksgiving 2026"))) << summary.out.toStdString();
    EXPECT_TRUE(summary.out.contains(QStringLiteral("3 lists"))) << summary.out.toStdString();
    EXPECT_FALSE(summary.out.contains(QStringLiteral("Route R07"))) << "a list of another kind was shown";

    // An existing database is never overwritten unless asked.
    const ToolRun refused = runTool({QStringLiteral("--data"), s_dir->path()});
    EXPECT_NE(refused.exitCode, 0);
}

TEST_F(DemoDatabase, OnPostgreSQLHoldsTheSameListsMembersAndItemsAsOnSQLite)
{
    KV_REQUIRE_BACKEND(kv::Backend::PostgreSQL);
    const PgTarget t = PgTarget::fromEnvironment();
    const QString schema = QStringLiteral("demo_%1").arg(QCoreApplication::applicationPid());
    const ToolRun pg = runTool({QStringLiteral("--clients"), QStringLiteral("600"), QStringLiteral("--seed"), QStringLiteral("7"),
                                QStringLiteral("--server"), t.host, QStringLiteral("--port"), QString::number(t.port),
                                QStringLiteral("--schema"), schema, QStringLiteral("--replace")});
    ASSERT_EQ(pg.exitCode, 0) << pg.err.toStdString();
    DemoFile server(t, schema);
    const auto dropSchema = qScopeGuard([&] { server.db().execute(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema)); });
    DemoFile file(s_dir->path());
    // Members and items are compared through the keys that link them, so a
    // key read back wrong leaves rows out of the joins.
    const QString queries[] = {
        QStringLiteral("Select List_Name, List_Desc, Reason, Service_Used, Item_to_Deliver, Quantity from Lists order by List_Name"),
        QStringLiteral("Select Lists.List_Name, List_Members.Person_ID, List_Members.Client_ID, List_Members.RecVisible, "
                       "List_Members.Invited, List_Members.Confirmed, List_Members.Quantity from List_Members "
                       "join Lists on List_Members.List_ID = Lists.Record_ID order by Lists.List_Name, List_Members.Person_ID"),
        QStringLiteral("Select Lists.List_Name, EpisodicDeliveries.Person_ID, EpisodicDeliveries.Deliv_Date, EpisodicDeliveries.Fulfilled, "
                       "DefDels.Person_ID, DefDels.Del_Day, DefDels.Item_ID, DefDels.Quantity from DefDels "
                       "join EpisodicDeliveries on DefDels.Deliv_ID = EpisodicDeliveries.RecordID "
                       "join Lists on EpisodicDeliveries.List_ID = Lists.Record_ID "
                       "order by Lists.List_Name, EpisodicDeliveries.Person_ID, EpisodicDeliveries.Deliv_Date"),
        QStringLiteral("Select count(*) from List_Members"),
        QStringLiteral("Select count(*) from DefDels"),
    };
    for (const QString &sql : queries) {
        SCOPED_TRACE(sql.toStdString());
        const QStringList expected = file.rows(sql);
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(server.rows(sql), expected);
    }
}

TEST_F(DemoDatabase, RegistryPointsTheDataModuleAtTheDemo)
{
    QSettings s(s_config->path() + QStringLiteral("/DBIsam.conf"), QSettings::IniFormat);
    EXPECT_EQ(s.value(QStringLiteral("Mode/Brenquistal")).toString(), QStringLiteral("F"));
    EXPECT_EQ(s.value(QStringLiteral("Alias/Brenquistal")).toString(), QDir::toNativeSeparators(s_dir->path()));
    EXPECT_EQ(s.value(QStringLiteral("Connection/Brenquistal")).toString(), QStringLiteral("LAN"));
}

} // namespace
