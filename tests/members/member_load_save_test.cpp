// The members window's load procedure and save routine against both backends.

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "members/member_load_save.h"
#include "members/member_row_set.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

using RS = kv::MemberRowSet;

namespace {

class LoadSaveTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        listA = tdb->addList(QStringLiteral("Alpha"));
        listB = tdb->addList(QStringLiteral("Beta"));
        tester = std::make_unique<QAbstractItemModelTester>(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    void connect()
    {
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
        loadSave = std::make_unique<kv::MemberLoadSave>(*dm, prompts);
        rows.setFilter(QStringLiteral("RecVisible = True"));
        rows.setFiltered(true);
    }

    QVariantMap memberRow(int recordId)
    {
        const auto r = tdb->rows(QStringLiteral("Select * from List_Members where Record_ID = :R"), {{QStringLiteral("R"), recordId}});
        return r.isEmpty() ? QVariantMap() : r.first();
    }

    static bool isNull(const QVariant &v) { return !v.isValid() || v.isNull(); }

    bool goToPerson(int person)
    {
        for (int r = 0; r < rows.recordCount(); ++r)
            if (rows.valueAt(r, RS::Person_ID).toInt() == person) {
                rows.setRecNo(r);
                return true;
            }
        return false;
    }

    void setQuantity(int person, const QVariant &q)
    {
        ASSERT_TRUE(goToPerson(person));
        rows.edit();
        rows.setFieldValue(RS::Quantity, q);
        rows.post();
    }

    std::unique_ptr<TestDatabase> tdb;
    ScriptedPrompts prompts;
    std::unique_ptr<TDataModuleLists> dm;
    std::unique_ptr<kv::MemberLoadSave> loadSave;
    RS rows;
    std::unique_ptr<QAbstractItemModelTester> tester;
    int listA = 0;
    int listB = 0;
};

TEST_P(LoadSaveTest, LoadReadsTheNamedListAndCountsHiddenMembers)
{
    tdb->insert(QStringLiteral("Households"), {{QStringLiteral("Household_ID"), 9}, {QStringLiteral("Household_Name"), QStringLiteral("Home")}});
    tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 4}, {QStringLiteral("Service_Desc"), QStringLiteral("Meals")}});
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Zed")}, {QStringLiteral("Household_ID"), 9}, {QStringLiteral("Svcs_Used"), 4}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("adams")}});
    tdb->addClient(3, {{QStringLiteral("Last_Name"), QStringLiteral("Hidden")}});
    tdb->addMember(listA, 1);
    tdb->addMember(listA, 2);
    tdb->addMember(listA, 3, {{QStringLiteral("RecVisible"), false}});
    tdb->addMember(listA, 99); // no client row: never loaded
    tdb->addMember(listB, 1);
    connect();

    const auto result = loadSave->load(rows, QStringLiteral("Alpha"));
    ASSERT_TRUE(result.completed) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(result.listId, listA);
    EXPECT_EQ(result.memberCount, 3);
    ASSERT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(rows.indexName(), QStringLiteral("Last_Name"));
    EXPECT_EQ(rows.valueAt(0, RS::Last_Name).toString(), QStringLiteral("adams"));
    EXPECT_FALSE(rows.valueAt(0, RS::Household_Name).isValid());
    EXPECT_FALSE(rows.valueAt(0, RS::Service_Desc).isValid());
    EXPECT_EQ(rows.valueAt(1, RS::Household_Name).toString(), QStringLiteral("Home"));
    EXPECT_EQ(rows.valueAt(1, RS::Service_Desc).toString(), QStringLiteral("Meals"));
    // The client row follows the current member.
    EXPECT_TRUE(loadSave->QueryClientInfo->isOpen());
    EXPECT_EQ(loadSave->QueryClientInfo->fieldValue(QStringLiteral("Person_ID")).toInt(), 2);
    EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_P(LoadSaveTest, SaveWritesTheFourColumnsAndTheStampsOnly)
{
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("One")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("Two")}});
    const int m1 = tdb->addMember(listA, 1, {{QStringLiteral("Quantity"), 4}, {QStringLiteral("Confirmed"), QStringLiteral("Y")},
                                              {QStringLiteral("Updated_By"), QStringLiteral("someone")}});
    const int m2 = tdb->addMember(listA, 2, {{QStringLiteral("Quantity"), 1}, {QStringLiteral("Invited"), QStringLiteral("Y")}});
    connect();
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);

    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    ASSERT_TRUE(goToPerson(1));
    rows.edit();
    rows.setFieldValue(RS::Quantity, QVariant());  // cleared
    rows.setFieldValue(RS::Confirmed, QString());  // unknown
    rows.setFieldValue(RS::Last_Name, QStringLiteral("Changed")); // never written back
    rows.post();
    ASSERT_TRUE(goToPerson(2));
    rows.edit();
    rows.setFieldValue(RS::RecVisible, false);
    rows.post();

    loadSave->saveChanges(rows);
    EXPECT_EQ(rows.changeCount(), 0);
    EXPECT_EQ(loadSave->savedRows(), 2);

    const QVariantMap r1 = memberRow(m1);
    EXPECT_TRUE(isNull(r1.value(QStringLiteral("quantity"))));
    EXPECT_TRUE(isNull(r1.value(QStringLiteral("confirmed"))));
    EXPECT_TRUE(isNull(r1.value(QStringLiteral("invited")))); // empty when loaded, stays empty
    EXPECT_EQ(r1.value(QStringLiteral("updated_by")).toString(), QStringLiteral("(List)"));
    EXPECT_GE(r1.value(QStringLiteral("last_update")).toDateTime(), before);
    const QVariantMap r2 = memberRow(m2);
    EXPECT_FALSE(r2.value(QStringLiteral("recvisible")).toBool());
    EXPECT_EQ(r2.value(QStringLiteral("quantity")).toInt(), 1);
    EXPECT_EQ(r2.value(QStringLiteral("invited")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Last_Name from Clients where Person_ID = 1")).toString(), QStringLiteral("One"));
}

TEST_P(LoadSaveTest, AFailingRowSavesNothingKeepsEveryEditAndTheListOnDisplay)
{
    for (int p = 1; p <= 3; ++p) {
        tdb->addClient(p, {{QStringLiteral("Last_Name"), QStringLiteral("N%1").arg(p)}});
        tdb->addMember(listA, p, {{QStringLiteral("Quantity"), 1}});
    }
    tdb->addMember(listB, 1);
    if (GetParam() == kv::Backend::SQLite)
        tdb->exec(QStringLiteral("CREATE TRIGGER qty_limit BEFORE UPDATE ON List_Members WHEN NEW.Quantity >= 1000 "
                                 "BEGIN SELECT RAISE(ABORT, 'quantity out of range'); END"));
    else
        tdb->db().execute(QStringLiteral("ALTER TABLE List_Members ADD CONSTRAINT qty_limit CHECK (Quantity < 1000)"));
    connect();
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);
    setQuantity(1, 5);
    setQuantity(2, 5000);
    setQuantity(3, 7);

    // Switching lists saves first: the save rolls back, the shown list stays,
    // and the rollback goes on to the caller's boundary, which shows it.
    QString thrown;
    try {
        loadSave->load(rows, QStringLiteral("Beta"));
    } catch (const kv::RolledBack &e) {
        thrown = e.text();
    }
    EXPECT_TRUE(thrown.endsWith(kv::UnitOfWork::kNothingWritten)) << thrown.toStdString();
    EXPECT_FALSE(loadSave->lastLoad().completed);
    EXPECT_FALSE(loadSave->lastLoad().listIdKnown) << "the window keeps the id of the rows it shows";
    EXPECT_TRUE(prompts.texts().isEmpty()) << "the load itself shows nothing";
    EXPECT_EQ(rows.changeCount(), 3) << "every edit is still there to be saved";
    EXPECT_EQ(rows.totalRowCount(), 3);
    const auto qty = [&](int p) {
        return tdb->exec(QStringLiteral("Select Quantity from List_Members where Person_ID = :P and List_ID = :L"),
                         {{QStringLiteral("P"), p}, {QStringLiteral("L"), listA}}).toInt();
    };
    EXPECT_EQ(qty(1), 1);
    EXPECT_EQ(qty(2), 1);
    EXPECT_EQ(qty(3), 1);

    setQuantity(2, 6); // the user mends the value
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Beta")).completed);
    EXPECT_EQ(qty(1), 5);
    EXPECT_EQ(qty(2), 6);
    EXPECT_EQ(qty(3), 7);
}

TEST_P(LoadSaveTest, APendingEditIsSavedForThePreviousListBeforeTheNextIsShown)
{
    tdb->addClient(1);
    tdb->addClient(2);
    const int a = tdb->addMember(listA, 1, {{QStringLiteral("Quantity"), 1}});
    tdb->addMember(listB, 2);
    connect();
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);
    rows.first();
    rows.edit();
    rows.setFieldValue(RS::Quantity, 8); // not posted
    rows.setIndexName(QStringLiteral("City"));

    const auto result = loadSave->load(rows, QStringLiteral("Beta"));
    ASSERT_TRUE(result.completed);
    EXPECT_EQ(result.listId, listB);
    EXPECT_EQ(memberRow(a).value(QStringLiteral("quantity")).toInt(), 8);
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.valueAt(0, RS::Person_ID).toInt(), 2);
    EXPECT_EQ(rows.indexName(), QStringLiteral("Last_Name"));
    EXPECT_EQ(rows.filter(), QStringLiteral("RecVisible = True")); // a load leaves the filter alone
}

TEST_P(LoadSaveTest, ANameThatMatchesNoListGivesIdZeroAndNoRows)
{
    tdb->addClient(1);
    tdb->addMember(listA, 1);
    connect();
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);
    const auto result = loadSave->load(rows, QStringLiteral("Gone"));
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.listId, 0);
    EXPECT_EQ(rows.recordCount(), 0);
    EXPECT_TRUE(rows.isOpen());
    EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_P(LoadSaveTest, AnErrorBeforeTheRowsAreDroppedKeepsThemAndRunsTheClosingSteps)
{
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("B")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("A")}});
    tdb->addMember(listA, 1);
    tdb->addMember(listA, 2);
    connect();
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);
    rows.setIndexName(QStringLiteral("Client_ID"));
    dm->QueryGetListIDFromListName->setSql(QStringLiteral("Select Record_ID from NoSuchTable where List_Name = :List_Name"));

    EXPECT_THROW(loadSave->load(rows, QStringLiteral("Beta")), kv::DbError);
    EXPECT_FALSE(loadSave->lastLoad().completed);
    EXPECT_FALSE(loadSave->lastLoad().listIdKnown);
    EXPECT_TRUE(prompts.texts().isEmpty());
    EXPECT_TRUE(rows.isOpen());
    EXPECT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(rows.indexName(), QStringLiteral("Last_Name"));
    EXPECT_EQ(rows.valueAt(0, RS::Last_Name).toString(), QStringLiteral("A"));
    EXPECT_FALSE(dm->QueryListMembers->isOpen());
    EXPECT_FALSE(dm->QueryGetListIDFromListName->isOpen());
}

TEST_P(LoadSaveTest, AnEditPendingWhenTheLookupFailsIsKeptAndSavedByTheNextLoad)
{
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("A")}});
    const int rec = tdb->addMember(listA, 1);
    connect();
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);
    const QString lookupSql = dm->QueryGetListIDFromListName->sql().join(QLatin1Char('\n'));
    ASSERT_TRUE(goToPerson(1));
    rows.edit();
    rows.setFieldValue(RS::Quantity, 7);
    dm->QueryGetListIDFromListName->setSql(QStringLiteral("Select Record_ID from NoSuchTable where List_Name = :List_Name"));

    EXPECT_THROW(loadSave->load(rows, QStringLiteral("Alpha")), kv::DbError);
    EXPECT_EQ(rows.changeCount(), 1);

    dm->QueryGetListIDFromListName->setSql(lookupSql);
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);
    EXPECT_EQ(memberRow(rec).value(QStringLiteral("quantity")).toInt(), 7);
}

TEST_P(LoadSaveTest, ADeletedRowRunsNoStatement)
{
    tdb->addClient(1);
    const int m = tdb->addMember(listA, 1, {{QStringLiteral("Quantity"), 3}});
    connect();
    ASSERT_TRUE(loadSave->load(rows, QStringLiteral("Alpha")).completed);
    rows.first();
    rows.edit();
    rows.setFieldValue(RS::Quantity, 9);
    rows.post();
    rows.deleteCurrent();
    loadSave->saveChanges(rows);
    EXPECT_EQ(loadSave->savedRows(), 0);
    EXPECT_EQ(memberRow(m).value(QStringLiteral("quantity")).toInt(), 3);
}

TEST_P(LoadSaveTest, ReadingStraightInGivesTheValuesTheQueryGives)
{
    tdb->insert(QStringLiteral("Households"), {{QStringLiteral("Household_ID"), 3}, {QStringLiteral("Household_Name"), QStringLiteral("Élan House")}});
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Ødegård")}, {QStringLiteral("First_Name"), QStringLiteral("Åse")},
                       {QStringLiteral("Household_ID"), 3}, {QStringLiteral("Monday"), true}, {QStringLiteral("Sunday"), false},
                       {QStringLiteral("Start_Dte"), QDate(2023, 12, 31)}, {QStringLiteral("Add_Dte"), QDate(1999, 2, 3)},
                       {QStringLiteral("Svcs_Used"), 12}, {QStringLiteral("Dependent"), QStringLiteral("Y")}});
    tdb->addClient(2);
    tdb->addMember(listA, 1, {{QStringLiteral("Quantity"), 0}, {QStringLiteral("Confirmed"), QStringLiteral("N")},
                              {QStringLiteral("Last_Update"), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))}});
    tdb->addMember(listA, 2, {{QStringLiteral("RecVisible"), QVariant()}});
    connect();
    kv::Query *q = dm->QueryListMembers;
    q->close();
    q->paramByName(QStringLiteral("List_ID")).setAsInteger(listA);
    RS streamed;
    streamed.load(*q);
    EXPECT_FALSE(q->isOpen());
    q->open();
    RS filled;
    filled.fill(*q);
    q->close();
    ASSERT_EQ(streamed.totalRowCount(), 2);
    ASSERT_EQ(filled.totalRowCount(), 2);
    for (int row = 0; row < 2; ++row)
        for (int f = 0; f < RS::FieldCount; ++f)
            EXPECT_EQ(streamed.storedValue(row, f), filled.storedValue(row, f)) << RS::fieldName(f).toStdString() << " row " << row;
    const int p1 = streamed.storedValue(0, RS::Person_ID).toInt() == 1 ? 0 : 1;
    EXPECT_EQ(streamed.storedValue(p1, RS::Last_Update).toDateTime(), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    EXPECT_EQ(streamed.storedValue(p1, RS::Quantity).toInt(), 0); // zero is a quantity, not an empty one
    EXPECT_TRUE(streamed.storedValue(p1, RS::Quantity).isValid());
    EXPECT_FALSE(streamed.storedValue(1 - p1, RS::RecVisible).isValid());
}

INSTANTIATE_TEST_SUITE_P(Backends, LoadSaveTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL),
                         [](const ::testing::TestParamInfo<kv::Backend> &i) {
                             return i.param == kv::Backend::SQLite ? std::string("SQLite") : std::string("PostgreSQL");
                         });

} // namespace
