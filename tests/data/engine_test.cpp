// The engine on both backends: the statements the plug-in runs must mean the
// same on SQLite and PostgreSQL.

#include "data/data_module.h"
#include "data/engine/bulk_load.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "lists/history_note.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using kv::Backend;
using kv::Query;

namespace {

class EngineTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
    }

    QList<int> ids(const QString &sql, const QVariantMap &params = {})
    {
        QList<int> out;
        for (const QVariantMap &row : tdb->rows(sql, params))
            out << row.first().toInt();
        return out;
    }

    int addDelivery(const QVariant &fulfilled)
    {
        QVariantMap v{{QStringLiteral("Person_ID"), 1}, {QStringLiteral("List_ID"), 1}, {QStringLiteral("Deliv_Date"), QDate(2026, 12, 1)}};
        if (fulfilled.isValid())
            v.insert(QStringLiteral("Fulfilled"), fulfilled);
        return tdb->insert(QStringLiteral("EpisodicDeliveries"), v, QStringLiteral("RecordID"));
    }

    std::unique_ptr<TestDatabase> tdb;
};

TEST_P(EngineTest, NotEqualsSelectsNullAndNoButNeverYes)
{
    const int nullRow = addDelivery(QVariant());
    const int noRow = addDelivery(QStringLiteral("N"));
    addDelivery(QStringLiteral("Y"));
    const int blankRow = addDelivery(QVariant());
    tdb->exec(QStringLiteral("Update EpisodicDeliveries set Fulfilled = '' where RecordID = :Id"), {{QStringLiteral("Id"), blankRow}});
    EXPECT_EQ(ids(QStringLiteral("Select RecordID from EpisodicDeliveries where List_ID = :List_ID and not (Fulfilled = 'Y') order by RecordID"),
                  {{QStringLiteral("List_ID"), 1}}),
              (QList<int>{nullRow, noRow, blankRow}));
}

TEST_P(EngineTest, NotInStillExcludesMembersWhenTheSubqueryYieldsANull)
{
    for (int p = 1; p <= 3; ++p)
        tdb->addClient(p);
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addMember(list, 1);
    // A member row without a person: the subquery then yields a NULL.
    tdb->insert(QStringLiteral("List_Members"), {{QStringLiteral("List_ID"), list}, {QStringLiteral("RecVisible"), true}});
    const QString sql = QStringLiteral(
        "Select Person_ID from Clients where Status = 'A' and not Person_ID in (Select Person_ID from List_Members where List_ID = "
        ":List_ID) order by Person_ID");
    EXPECT_EQ(ids(sql, {{QStringLiteral("List_ID"), list}}), (QList<int>{2, 3}));
}

TEST_P(EngineTest, ClientLookupConcatenatesNamesAndOrdersWithoutRegardToCase)
{
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("baker")}, {QStringLiteral("First_Name"), QStringLiteral("Ann")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("Adams")}, {QStringLiteral("First_Name"), QStringLiteral("Bo")}});
    tdb->addClient(3, {{QStringLiteral("Last_Name"), QStringLiteral("carter")}, {QStringLiteral("First_Name"), QStringLiteral("Cy")}});
    tdb->addClient(4, {{QStringLiteral("Last_Name"), QStringLiteral("Baxter")}, {QStringLiteral("First_Name"), QStringLiteral("Di")}});
    QStringList names;
    for (const QVariantMap &row : tdb->rows(TDataModuleLists::kClientLookupSql))
        names << row.value(QStringLiteral("last_first")).toString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Adams, Bo"), QStringLiteral("baker, Ann"), QStringLiteral("Baxter, Di"),
                                  QStringLiteral("carter, Cy")}));
}

TEST_P(EngineTest, HistoryUserColumnIsWrittenAndRead)
{
    kv::UnitOfWork::run(tdb->db(),
                        [&] { kv::HistoryNoteWriter(tdb->db(), [] { return QStringLiteral("Ada"); }).write(QStringLiteral("Test list deleted.")); });
    const auto rows = tdb->rows(QStringLiteral("Select Event, User from History"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value(QStringLiteral("user")).toString(), QStringLiteral("Ada"));
}

TEST_P(EngineTest, TextValuesComeBackExactlyOrAreRefusedWithAMessage)
{
    const struct
    {
        QString value;
        bool refused;
    } cases[] = {
        {QStringLiteral("\uFEFFleading mark"), false},
        {QStringLiteral("\uFEFF\uFEFF"), false},
        {QStringLiteral("in\uFEFFside"), false},
        {QStringLiteral("Zo\u00EB \u03A9 \U0001F600 \u00A0tab\tline\r\n"), false},
        {QStringLiteral("\uFFFD replacement"), false},
        // Noncharacters that SQLite hands back as U+FFFD: refused on both backends alike.
        {QStringLiteral("\uFFFEat the start"), true},
        {QStringLiteral("at the end\uFFFF"), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value.toUtf8().toHex().toStdString());
        tdb->exec(QStringLiteral("Delete from History"));
        try {
            kv::UnitOfWork::run(tdb->db(), [&] { kv::HistoryNoteWriter(tdb->db(), [] { return QString(); }).write(c.value); });
            EXPECT_FALSE(c.refused) << "stored";
        } catch (const kv::Error &e) {
            EXPECT_TRUE(c.refused) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QStringLiteral("U+FFF"))) << e.text().toStdString();
            EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
            continue;
        }
        const auto rows = tdb->rows(QStringLiteral("Select Event from History"));
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].value(QStringLiteral("event")).toString(), c.value);
        // Compared by the engine too: what is stored is the text bound.
        EXPECT_EQ(tdb->count(QStringLiteral("History"), QStringLiteral("Event = :E"), {{QStringLiteral("E"), c.value}}), 1);
    }
}

TEST_P(EngineTest, EmptyTextStoresNullInTextAndIntegerColumns)
{
    const int list = tdb->addList(QStringLiteral("L"));
    Query q(&tdb->db(), QStringLiteral("QueryInsertMember"));
    q.setSql(QStringLiteral("Insert into List_Members (List_ID, Person_ID, Invited, Confirmed, Quantity, Updated_By) "
                            "values (:List_ID, :Person_ID, :Invited, :Confirmed, :Quantity, :Updated_By)"));
    q.paramByName(QStringLiteral("List_ID")).setAsInteger(list);
    q.paramByName(QStringLiteral("Person_ID")).setAsString(QString());
    q.paramByName(QStringLiteral("Invited")).setAsString(QStringLiteral("Y"));
    q.paramByName(QStringLiteral("Confirmed")).setAsString(QString());
    q.paramByName(QStringLiteral("Quantity")).setAsString(QStringLiteral(""));
    q.paramByName(QStringLiteral("Updated_By")).setValue(QStringLiteral(""));
    kv::UnitOfWork::run(tdb->db(), [&] { q.execSql(); });
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"),
                         QStringLiteral("Person_ID is Null and Confirmed is Null and Quantity is Null and Updated_By is Null")),
              1);
}

// A bulk load (the demo data) writes each value as given: a blank stays blank
// beside a NULL, where a query's parameter would store NULL for both.
TEST_P(EngineTest, ABulkLoadKeepsABlankApartFromNull)
{
    std::unique_ptr<kv::BulkLoad> load = kv::BulkLoad::prepare(
        tdb->db(), QStringLiteral("Lists"),
        {QStringLiteral("List_Name"), QStringLiteral("List_Desc"), QStringLiteral("Reason"), QStringLiteral("Quantity")},
        QStringLiteral("Record_ID"));
    ASSERT_TRUE(load->error().isEmpty()) << load->error().toStdString();
    const QVariantList values = {QStringLiteral("Blank"), QStringLiteral(""), QVariant(), 2};
    QVariant key;
    kv::UnitOfWork::run(tdb->db(), [&] {
        for (int i = 0; i < values.size(); ++i)
            load->bind(i, values.at(i));
        ASSERT_TRUE(load->run()) << load->error().toStdString();
        key = load->lastKey();
    });
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Record_ID = :K and List_Desc = '' and Reason is Null and Quantity = 2"),
                         {{QStringLiteral("K"), key}}),
              1);
}

TEST_P(EngineTest, DatesAndDateTimesComeBackTypedAndCompare)
{
    const QDate day(2026, 2, 28);
    const QDateTime stamp(QDate(2026, 3, 1), QTime(23, 59, 58));
    const int list = tdb->addList(QStringLiteral("L"), {{QStringLiteral("Create_Date"), day}, {QStringLiteral("Last_Update"), stamp}});
    const auto rows = tdb->rows(QStringLiteral("Select Create_Date, Last_Update from Lists where Record_ID = :Id"), {{QStringLiteral("Id"), list}});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value(QStringLiteral("create_date")).typeId(), QMetaType::QDate);
    EXPECT_EQ(rows[0].value(QStringLiteral("create_date")).toDate(), day);
    EXPECT_EQ(rows[0].value(QStringLiteral("last_update")).typeId(), QMetaType::QDateTime);
    EXPECT_EQ(rows[0].value(QStringLiteral("last_update")).toDateTime(), stamp);
    // Compared as dates, not as texts of another form.
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Create_Date <= :D"), {{QStringLiteral("D"), QDate(2026, 3, 1)}}), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Create_Date < :D"), {{QStringLiteral("D"), day}}), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Last_Update > :T"), {{QStringLiteral("T"), stamp.addSecs(-1)}}), 1);
}

TEST_P(EngineTest, LivePostOfANewListAppliesTheRecordRulesAndReturnsItsKey)
{
    ScriptedPrompts prompts;
    TDataModuleLists dm(prompts, [] {}, nullptr, tdb->overrides());
    dm.DataModuleCreate();
    ASSERT_TRUE(prompts.texts().isEmpty()) << prompts.texts().join(QLatin1Char('\n')).toStdString();
    Query &lists = *dm.QueryLists;
    lists.insert();
    EXPECT_EQ(lists.asString(QStringLiteral("Reason")), QStringLiteral("LST"));
    EXPECT_EQ(lists.asString(QStringLiteral("Item_Method")), QStringLiteral("S"));
    lists.setFieldValue(QStringLiteral("List_Name"), QStringLiteral("Holiday"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    kv::UnitOfWork::run(*dm.DatabaseLists, [&] { lists.post(); });
    const int key = int(lists.asInteger(QStringLiteral("Record_ID")));
    EXPECT_GT(key, 0);
    const auto rows = tdb->rows(QStringLiteral("Select * from Lists where Record_ID = :Id"), {{QStringLiteral("Id"), key}});
    ASSERT_EQ(rows.size(), 1);
    const QVariantMap &r = rows[0];
    EXPECT_EQ(r.value(QStringLiteral("list_name")).toString(), QStringLiteral("Holiday"));
    EXPECT_EQ(r.value(QStringLiteral("reason")).toString(), QStringLiteral("LST"));
    EXPECT_EQ(r.value(QStringLiteral("add_mode")).toString(), QStringLiteral("A"));
    EXPECT_EQ(r.value(QStringLiteral("active_only")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(r.value(QStringLiteral("checkbox_setting")).toString(), QStringLiteral("I"));
    EXPECT_EQ(r.value(QStringLiteral("service_method")).toString(), QStringLiteral("C"));
    EXPECT_FALSE(r.value(QStringLiteral("service_used")).isValid());
    EXPECT_FALSE(r.value(QStringLiteral("item_to_deliver")).isValid());
    EXPECT_FALSE(r.value(QStringLiteral("quantity")).isValid());
    EXPECT_EQ(r.value(QStringLiteral("create_date")).toDate(), QDate::currentDate());
    EXPECT_GE(r.value(QStringLiteral("last_update")).toDateTime(), before);
}

TEST_P(EngineTest, LocateAndRefreshKeepTheCurrentRowAndSeeOtherWriters)
{
    tdb->addList(QStringLiteral("Beta"));
    const int gamma = tdb->addList(QStringLiteral("Gamma"));
    Query q(&tdb->db(), QStringLiteral("QueryLists"));
    q.setSql(TDataModuleLists::kListsSql);
    q.setRequestLive(true);
    q.setKeyField(QStringLiteral("Record_ID"));
    q.open();
    ASSERT_EQ(q.recordCount(), 2);
    EXPECT_TRUE(q.locate({QStringLiteral("List_Name")}, {QStringLiteral("gamma")}, Qt::CaseInsensitive));
    EXPECT_EQ(q.asInteger(QStringLiteral("Record_ID")), gamma);
    EXPECT_FALSE(q.locate({QStringLiteral("List_Name")}, {QStringLiteral("gamma")}));
    // Another writer adds a list that sorts before the current one.
    tdb->addList(QStringLiteral("Alpha"));
    q.refresh();
    EXPECT_EQ(q.recordCount(), 3);
    EXPECT_EQ(q.asInteger(QStringLiteral("Record_ID")), gamma) << "refresh lost the current row";
    q.first();
    EXPECT_EQ(q.asString(QStringLiteral("List_Name")), QStringLiteral("Alpha"));
}

TEST_P(EngineTest, ProgressOfALongUpdateEndsAtOneHundred)
{
    tdb->exec(QStringLiteral("Insert into Clients (Person_ID, Status) "
                                     "with recursive c(x) as (select 1 union all select x + 1 from c where x < 20000) "
                                     "select x, 'A' from c"));
    QList<int> seen;
    QObject::connect(&tdb->session(), &kv::Session::progress, [&seen](int p) { seen << p; });
    Query q(&tdb->db(), QStringLiteral("QueryUpdate"));
    q.setSql(QStringLiteral("Update Clients set Status = :Status where Person_ID > :From"));
    q.paramByName(QStringLiteral("Status")).setAsString(QStringLiteral("I"));
    q.paramByName(QStringLiteral("From")).setAsInteger(0);
    kv::UnitOfWork::run(tdb->db(), [&] { q.execSql(); });
    EXPECT_EQ(q.rowsAffected(), 20000);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first(), 0);
    EXPECT_EQ(seen.last(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    for (int p : seen)
        EXPECT_TRUE(p >= 0 && p <= 100) << p;
    if (GetParam() == Backend::SQLite) {
        EXPECT_GT(seen.size(), 2) << "no step between 0 and 100";
        EXPECT_LE(seen.size(), tdb->session().progressSteps() + 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, EngineTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL"; });

} // namespace
