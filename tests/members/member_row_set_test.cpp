// The member row set on its own: filling, editing and the change log, orders,
// filters, totals, navigation, bookmarks and the model contract.

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "members/member_row_set.h"
#include "support/test_database.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using RS = kv::MemberRowSet;

namespace {

struct Member
{
    int person;
    QString last;
    QVariantMap client;
    QVariantMap member;
};

class RowSetTest : public ::testing::Test
{
protected:
    TestDatabase tdb{kv::Backend::SQLite};
    int listId = 0;
    std::unique_ptr<kv::Query> query;
    RS rows;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void SetUp() override
    {
        listId = tdb.addList(QStringLiteral("Holiday"));
        tester = std::make_unique<QAbstractItemModelTester>(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    void add(const Member &m)
    {
        QVariantMap c = m.client;
        c.insert(QStringLiteral("Last_Name"), m.last);
        tdb.addClient(m.person, c);
        tdb.addMember(listId, m.person, m.member);
    }

    void fill()
    {
        query = std::make_unique<kv::Query>(&tdb.db(), QStringLiteral("QueryListMembers"));
        query->setSql(TDataModuleLists::kListMembersSql);
        query->paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
        query->open();
        rows.fill(*query);
    }

    QStringList column(int field)
    {
        QStringList out;
        for (int r = 0; r < rows.recordCount(); ++r)
            out << rows.valueAt(r, field).toString();
        return out;
    }

    // The standard five members: mixed case names, flags of every kind.
    void fillFive()
    {
        add({1, QStringLiteral("baker"), {{QStringLiteral("City"), QStringLiteral("Oslo")}},
             {{QStringLiteral("Invited"), QStringLiteral("Y")}, {QStringLiteral("Confirmed"), QStringLiteral("Y")},
              {QStringLiteral("Quantity"), 2}}});
        add({2, QStringLiteral("Adams"), {{QStringLiteral("City"), QStringLiteral("bergen")}},
             {{QStringLiteral("Invited"), QStringLiteral("N")}, {QStringLiteral("Confirmed"), QStringLiteral("N")},
              {QStringLiteral("Quantity"), 3}}});
        add({3, QStringLiteral("Baker"), {{QStringLiteral("City"), QStringLiteral("Oslo")}},
             {{QStringLiteral("Quantity"), 5}}});
        add({4, QStringLiteral("Cole"), {}, {{QStringLiteral("RecVisible"), false}, {QStringLiteral("Quantity"), 7}}});
        add({5, QStringLiteral("Dunn"), {}, {{QStringLiteral("RecVisible"), QVariant()}, {QStringLiteral("Quantity"), 11}}});
        fill();
    }
};

TEST_F(RowSetTest, FillKeepsEveryFieldTyped)
{
    add({7, QStringLiteral("Ng"),
         {{QStringLiteral("Monday"), true}, {QStringLiteral("Start_Dte"), QDate(2024, 3, 1)}},
         {{QStringLiteral("Invited"), QStringLiteral("Y")}, {QStringLiteral("Quantity"), 4}}});
    fill();
    ASSERT_TRUE(rows.isOpen());
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.fieldValue(QStringLiteral("person_id")).toInt(), 7);
    EXPECT_EQ(rows.fieldValue(RS::Last_Name).toString(), QStringLiteral("Ng"));
    EXPECT_EQ(rows.fieldValue(RS::Quantity).toInt(), 4);
    EXPECT_EQ(rows.fieldValue(RS::Start_Dte).toDate(), QDate(2024, 3, 1));
    EXPECT_TRUE(rows.fieldValue(RS::Monday).toBool());
    EXPECT_EQ(rows.fieldValue(RS::List_Name).toString(), QStringLiteral("Holiday"));
    // No household, no service, no Confirmed: empty, which reads as no value.
    EXPECT_FALSE(rows.fieldValue(RS::Household_Name).isValid());
    EXPECT_FALSE(rows.fieldValue(RS::Service_Desc).isValid());
    EXPECT_FALSE(rows.fieldValue(RS::Confirmed).isValid());
    EXPECT_THROW(rows.fieldValue(QStringLiteral("NoSuchField")), kv::Error);
}

TEST_F(RowSetTest, EditPostCancelAndChangeLog)
{
    fillFive();
    rows.setIndexName(QStringLiteral("Last_Name"));
    rows.first();
    const auto mark = rows.getBookmark();
    EXPECT_THROW(rows.setFieldValue(RS::Quantity, 9), kv::Error); // not in edit

    rows.edit();
    rows.setFieldValue(RS::Quantity, 9);
    EXPECT_EQ(rows.fieldValue(RS::Quantity).toInt(), 9);
    rows.cancel();
    EXPECT_EQ(rows.changeCount(), 0);
    EXPECT_EQ(rows.fieldValue(RS::Quantity).toInt(), 3);

    // An edit that changes nothing leaves no trace.
    rows.edit();
    rows.setFieldValue(RS::Quantity, 3);
    rows.post();
    EXPECT_EQ(rows.changeCount(), 0);

    rows.edit();
    rows.setFieldValue(RS::Quantity, 9);
    rows.post();
    rows.edit();
    rows.setFieldValue(RS::Confirmed, QString()); // to unknown
    rows.post();
    EXPECT_EQ(rows.changeCount(), 1);

    int handed = 0;
    rows.applyUpdates([&](const RS::UpdateRecord &r) {
        ++handed;
        EXPECT_EQ(r.kind(), RS::ChangeKind::Modified);
        EXPECT_EQ(r.oldValue(RS::Quantity).toInt(), 3);
        EXPECT_EQ(r.newValue(RS::Quantity).toInt(), 9);
        EXPECT_EQ(r.oldValue(RS::Confirmed).toString(), QStringLiteral("N"));
        EXPECT_FALSE(r.newValue(RS::Confirmed).isValid());
        EXPECT_EQ(r.newValue(QStringLiteral("Record_ID")), r.oldValue(QStringLiteral("Record_ID")));
    });
    EXPECT_EQ(handed, 1);
    EXPECT_EQ(rows.changeCount(), 0);
    ASSERT_TRUE(rows.gotoBookmark(mark));
    EXPECT_EQ(rows.fieldValue(RS::Quantity).toInt(), 9);
}

TEST_F(RowSetTest, MovingToAnotherRowPostsThePendingEdit)
{
    fillFive();
    rows.first();
    rows.edit();
    rows.setFieldValue(RS::Invited, QStringLiteral("Yes")); // a one-character field keeps one
    rows.next();
    EXPECT_EQ(rows.state(), kv::DataState::Browse);
    EXPECT_EQ(rows.changeCount(), 1);
    rows.first();
    EXPECT_EQ(rows.fieldValue(RS::Invited).toString(), QStringLiteral("Y"));
}

TEST_F(RowSetTest, ApplyUpdatesKeepsEveryRowWhenTheHandlerThrows)
{
    fillFive();
    rows.first();
    for (int i = 0; i < 2; ++i) {
        rows.edit();
        rows.setFieldValue(RS::Quantity, 100 + i);
        rows.post();
        rows.next();
    }
    int calls = 0;
    EXPECT_THROW(rows.applyUpdates([&](const RS::UpdateRecord &) {
        ++calls;
        throw kv::Error(QStringLiteral("boom"));
    }),
                 kv::Error);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(rows.changeCount(), 2) << "the save is all or nothing, so nothing was saved";
    QList<int> saved;
    rows.applyUpdates([&](const RS::UpdateRecord &r) { saved << r.newValue(RS::Quantity).toInt(); });
    EXPECT_EQ(saved, (QList<int>{100, 101}));
    EXPECT_EQ(rows.changeCount(), 0);
}

TEST_F(RowSetTest, DeletedRowsLeaveTheViewAndAreLoggedAsDeleted)
{
    fillFive();
    rows.first();
    rows.edit();
    rows.setFieldValue(RS::Quantity, 50);
    rows.post();
    const int before = rows.recordCount();
    const QVariant id = rows.fieldValue(RS::Record_ID);
    const qint64 sumBefore = rows.sumQuantity().toLongLong();
    rows.deleteCurrent();
    EXPECT_EQ(rows.recordCount(), before - 1);
    EXPECT_EQ(rows.sumQuantity().toLongLong(), sumBefore - 50);
    QList<RS::ChangeKind> kinds;
    rows.applyUpdates([&](const RS::UpdateRecord &r) {
        kinds << r.kind();
        EXPECT_EQ(r.oldValue(RS::Record_ID), id);
    });
    ASSERT_EQ(kinds.size(), 1);
    EXPECT_EQ(kinds.first(), RS::ChangeKind::Deleted);
}

TEST_F(RowSetTest, FilterExpressions)
{
    fillFive();
    rows.setFiltered(true);
    rows.setIndexName(QString());
    const struct
    {
        const char *expr;
        QStringList lastNames;
    } cases[] = {
        {"RecVisible = True", {QStringLiteral("baker"), QStringLiteral("Adams"), QStringLiteral("Baker")}},
        {"RecVisible=True", {QStringLiteral("baker"), QStringLiteral("Adams"), QStringLiteral("Baker")}},
        {"Confirmed='Y' and RecVisible=True", {QStringLiteral("baker")}},
        {"Confirmed='N' and RecVisible=True", {QStringLiteral("Adams")}},
        {"Confirmed=Null and RecVisible=True", {QStringLiteral("Baker")}},
        {"RecVisible = False", {QStringLiteral("Cole")}},
        {"RecVisible = Null", {QStringLiteral("Dunn")}},
        {"not (RecVisible = True)", {QStringLiteral("Cole"), QStringLiteral("Dunn")}},
        {"Quantity >= 7 or Confirmed = 'Y'", {QStringLiteral("baker"), QStringLiteral("Cole"), QStringLiteral("Dunn")}},
    };
    for (const auto &c : cases) {
        rows.setFilter(QString::fromLatin1(c.expr));
        EXPECT_EQ(column(RS::Last_Name), c.lastNames) << c.expr;
    }
    rows.setFiltered(false);
    EXPECT_EQ(rows.recordCount(), 5);
}

TEST_F(RowSetTest, BadFilterExpressionThrowsAndKeepsTheFilterInForce)
{
    fillFive();
    rows.setFilter(QStringLiteral("RecVisible = True"));
    rows.setFiltered(true);
    for (const char *bad : {"NoField = 1", "RecVisible = 'x'", "Confirmed = ", "Confirmed > Null", "(RecVisible = True",
                            "Confirmed = 'Y' RecVisible = True", "Confirmed = 'Y"}) {
        EXPECT_THROW(rows.setFilter(QString::fromLatin1(bad)), kv::Error) << bad;
        EXPECT_EQ(rows.filter(), QStringLiteral("RecVisible = True"));
        EXPECT_EQ(rows.recordCount(), 3);
    }
}

TEST_F(RowSetTest, OrdersCompareAsDescribed)
{
    add({1, QStringLiteral("smith"), {{QStringLiteral("Client_ID"), QStringLiteral("b1")}, {QStringLiteral("Add_Dte"), QDate(2020, 1, 1)}},
         {{QStringLiteral("Client_ID"), QStringLiteral("b1")}}});
    add({2, QStringLiteral("Smith"), {{QStringLiteral("Add_Dte"), QDate(2023, 5, 1)}}, {{QStringLiteral("Client_ID"), QStringLiteral("B2")}}});
    add({3, QStringLiteral("adams"), {{QStringLiteral("Add_Dte"), QDate(2021, 1, 1)}}, {{QStringLiteral("Client_ID"), QStringLiteral("a3")}}});
    fill();
    rows.setIndexName(QStringLiteral("Last_Name"));
    // Names that differ only in case are equal and keep the load order.
    EXPECT_EQ(column(RS::Last_Name), (QStringList{QStringLiteral("adams"), QStringLiteral("smith"), QStringLiteral("Smith")}));
    rows.setIndexName(QStringLiteral("Client_ID"));
    // Stored values compared as they are: capitals before small letters.
    EXPECT_EQ(column(RS::Client_ID), (QStringList{QStringLiteral("B2"), QStringLiteral("a3"), QStringLiteral("b1")}));
    rows.setIndexName(QStringLiteral("Added_Desc"));
    EXPECT_EQ(column(RS::Person_ID), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("1")}));
    rows.setIndexName(QStringLiteral("Added"));
    EXPECT_EQ(column(RS::Person_ID), (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("2")}));
    rows.setIndexName(QString());
    EXPECT_EQ(column(RS::Person_ID), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_THROW(rows.setIndexName(QStringLiteral("Address1")), kv::Error);
    EXPECT_EQ(RS::orderNames().size(), 24);
    for (const QString &name : RS::orderNames())
        EXPECT_NO_THROW(rows.setIndexName(name)) << name.toStdString();
}

TEST_F(RowSetTest, ChangingTheOrderKeepsTheCurrentRowAndBookmarks)
{
    fillFive();
    rows.setIndexName(QStringLiteral("Last_Name"));
    rows.setRecNo(3);
    const auto mark = rows.getBookmark();
    const QString name = rows.fieldValue(RS::Last_Name).toString();
    rows.setIndexName(QStringLiteral("Quantity"));
    EXPECT_EQ(rows.fieldValue(RS::Last_Name).toString(), name);
    rows.first();
    ASSERT_TRUE(rows.gotoBookmark(mark));
    EXPECT_EQ(rows.fieldValue(RS::Last_Name).toString(), name);
}

TEST_F(RowSetTest, AnEditedSortKeyMovesTheRowToItsPlace)
{
    fillFive();
    rows.setIndexName(QStringLiteral("Quantity"));
    rows.first(); // quantity 2
    const auto mark = rows.getBookmark();
    rows.edit();
    rows.setFieldValue(RS::Quantity, 100);
    rows.post();
    EXPECT_EQ(rows.recNo(), rows.recordCount() - 1);
    EXPECT_EQ(rows.getBookmark(), mark);
    EXPECT_EQ(column(RS::Quantity), (QStringList{QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("7"),
                                                  QStringLiteral("11"), QStringLiteral("100")}));
    // The cached order of that field follows too, when it becomes active again.
    rows.setIndexName(QStringLiteral("Last_Name"));
    rows.setIndexName(QStringLiteral("Quantity"));
    EXPECT_EQ(column(RS::Quantity).last(), QStringLiteral("100"));
}

TEST_F(RowSetTest, APostedRowThatFailsTheFilterLeavesTheView)
{
    fillFive();
    rows.setFilter(QStringLiteral("RecVisible = True"));
    rows.setFiltered(true);
    rows.setIndexName(QStringLiteral("Last_Name")); // Adams, baker, Baker
    rows.first();
    rows.edit();
    rows.setFieldValue(RS::RecVisible, false);
    rows.post();
    EXPECT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(rows.recNo(), 0);
    EXPECT_EQ(rows.fieldValue(RS::Last_Name).toString(), QStringLiteral("baker"));
    EXPECT_EQ(rows.changeCount(), 1);
}

TEST_F(RowSetTest, TotalsCoverTheFilteredRowsAndFollowPosts)
{
    fillFive();
    rows.setIndexName(QString());
    rows.setFilter(QStringLiteral("RecVisible = True"));
    rows.setFiltered(true);
    EXPECT_EQ(rows.sumQuantity().toLongLong(), 10);
    EXPECT_EQ(rows.countClients(), 3);
    rows.setFiltered(false);
    EXPECT_EQ(rows.sumQuantity().toLongLong(), 28);
    EXPECT_EQ(rows.countClients(), 5);
    rows.setFiltered(true);

    QSignalSpy totals(&rows, &RS::totalsChanged);
    rows.first();
    rows.edit();
    rows.setFieldValue(RS::Quantity, QVariant()); // cleared: no quantity
    rows.post();
    EXPECT_GE(totals.count(), 1);
    EXPECT_EQ(rows.sumQuantity().toLongLong(), 10 - 2);

    rows.setFilter(QStringLiteral("Confirmed='Y' and RecVisible=True"));
    EXPECT_EQ(rows.recordCount(), 1);
    EXPECT_FALSE(rows.sumQuantity().isValid()); // its only row has no quantity
    rows.setFilter(QStringLiteral("Quantity = 12345"));
    EXPECT_EQ(rows.countClients(), 0);
    EXPECT_FALSE(rows.sumQuantity().isValid());
}

TEST_F(RowSetTest, ARowWithoutClientIdIsShownButNotCounted)
{
    add({1, QStringLiteral("A"), {}, {{QStringLiteral("Client_ID"), QString()}}});
    add({2, QStringLiteral("B"), {}, {}});
    fill();
    EXPECT_EQ(rows.recordCount(), 2);
    EXPECT_EQ(rows.countClients(), 1);
}

TEST_F(RowSetTest, NavigationStopsAtEitherEnd)
{
    for (int p = 1; p <= 30; ++p)
        add({p, QStringLiteral("N%1").arg(p, 2, 10, QLatin1Char('0')), {}, {}});
    fill();
    rows.setIndexName(QStringLiteral("Last_Name"));
    rows.first();
    EXPECT_TRUE(rows.bof());
    EXPECT_EQ(rows.moveBy(23), 23);
    EXPECT_EQ(rows.recNo(), 23);
    // Ten rows before the end, a page forward stops on the last row.
    rows.setRecNo(19);
    EXPECT_EQ(rows.moveBy(23), 10);
    EXPECT_EQ(rows.recNo(), 29);
    EXPECT_TRUE(rows.eof());
    // On the third row, a page back stops on the first.
    rows.setRecNo(2);
    EXPECT_EQ(rows.moveBy(-23), -2);
    EXPECT_EQ(rows.recNo(), 0);
    EXPECT_TRUE(rows.bof());

    int visited = 0;
    for (rows.first(); !rows.eof(); rows.next())
        ++visited;
    EXPECT_EQ(visited, 30);
}

TEST_F(RowSetTest, BookmarksOfFilteredOutOrClosedRows)
{
    fillFive();
    rows.setFiltered(false);
    rows.setIndexName(QStringLiteral("Last_Name"));
    rows.setRecNo(rows.recordCount() - 1); // a hidden one is somewhere; find Cole
    RS::Bookmark cole = RS::kNoBookmark;
    for (int r = 0; r < rows.recordCount(); ++r)
        if (rows.valueAt(r, RS::Last_Name).toString() == QLatin1String("Cole"))
            cole = rows.bookmarkAt(r);
    ASSERT_NE(cole, RS::kNoBookmark);
    rows.setFilter(QStringLiteral("RecVisible = True"));
    rows.setFiltered(true);
    EXPECT_FALSE(rows.gotoBookmark(cole));
    EXPECT_TRUE(rows.bookmarkValid(cole));
    rows.close();
    EXPECT_FALSE(rows.bookmarkValid(cole));
    EXPECT_EQ(rows.recordCount(), 0);
    EXPECT_THROW(rows.edit(), kv::Error);
}

TEST_F(RowSetTest, SuspendedDisplayResetsOnceAndNests)
{
    fillFive();
    QSignalSpy resets(&rows, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
    rows.disableControls();
    rows.disableControls();
    rows.first();
    rows.edit();
    rows.setFieldValue(RS::Quantity, 42);
    rows.post();
    rows.setFiltered(true);
    rows.enableControls();
    EXPECT_EQ(resets.count(), 0);
    rows.enableControls();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(changed.count(), 0);
    rows.enableControls(); // one too many does no harm
    EXPECT_EQ(resets.count(), 1);
}

TEST_F(RowSetTest, ModelShowsCheckStatesAndEditsThroughSetData)
{
    fillFive();
    rows.setFiltered(false);
    rows.setIndexName(QString());
    const QModelIndex confirmedY = rows.index(0, RS::Confirmed);
    const QModelIndex confirmedEmpty = rows.index(2, RS::Confirmed);
    EXPECT_EQ(rows.data(confirmedY, Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(rows.data(confirmedEmpty, Qt::CheckStateRole).toInt(), Qt::PartiallyChecked);
    EXPECT_EQ(rows.data(rows.index(2, RS::Invited), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(rows.flags(rows.index(0, RS::Quantity)) & Qt::ItemIsEditable);
    EXPECT_FALSE(rows.flags(rows.index(0, RS::Last_Name)) & Qt::ItemIsEditable);
    EXPECT_FALSE(rows.setData(rows.index(0, RS::Last_Name), QStringLiteral("X")));

    // Editing another row moves there and leaves the edit pending.
    EXPECT_TRUE(rows.setData(rows.index(1, RS::Quantity), 77));
    EXPECT_EQ(rows.recNo(), 1);
    EXPECT_EQ(rows.state(), kv::DataState::Edit);
    EXPECT_EQ(rows.data(rows.index(1, RS::Quantity)).toInt(), 77);
    EXPECT_TRUE(rows.setData(rows.index(0, RS::Confirmed), Qt::PartiallyChecked, Qt::CheckStateRole));
    EXPECT_EQ(rows.changeCount(), 1); // the first edit was posted by the move
    rows.post();
    EXPECT_FALSE(rows.data(rows.index(0, RS::Confirmed)).isValid());
}

} // namespace
