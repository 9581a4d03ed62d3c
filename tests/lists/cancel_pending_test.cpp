#include "lists/cancel_pending.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <gtest/gtest.h>

using kv::CancelPendingDeliveries;

namespace {

class CancelPendingTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        listId = tdb->addList(QStringLiteral("Holiday Meals"));
        otherId = tdb->addList(QStringLiteral("Other"));
    }

    int addDelivery(const QVariant &list, const QVariant &fulfilled, bool withItem = true)
    {
        QVariantMap v{{QStringLiteral("Person_ID"), 1}, {QStringLiteral("Deliv_Date"), QDate(2026, 12, 9)},
                      {QStringLiteral("Delivery_Type"), QStringLiteral("D")}};
        if (list.isValid())
            v.insert(QStringLiteral("List_ID"), list);
        if (fulfilled.isValid())
            v.insert(QStringLiteral("Fulfilled"), fulfilled);
        const int id = tdb->insert(QStringLiteral("EpisodicDeliveries"), v, QStringLiteral("RecordID"));
        if (withItem)
            tdb->insert(QStringLiteral("DefDels"), {{QStringLiteral("Person_ID"), 1}, {QStringLiteral("Deliv_ID"), id},
                                                    {QStringLiteral("Del_Day"), QStringLiteral("WED")}, {QStringLiteral("Item_ID"), 3},
                                                    {QStringLiteral("Quantity"), 1}, {QStringLiteral("Sort_Order"), 0}});
        return id;
    }

    std::optional<int> cancel(const QVariant &recordId, const QString &name = QStringLiteral("Holiday Meals"))
    {
        CancelPendingDeliveries op(tdb->db(), prompts, [] { return QStringLiteral("Ben"); });
        return op.run(recordId, name);
    }

    QList<int> remaining(const QString &table, const QString &column)
    {
        QList<int> out;
        for (const auto &r : tdb->rows(QStringLiteral("Select %1 from %2 order by %1").arg(column, table)))
            out << r.value(column.toLower()).toInt();
        return out;
    }

    ScriptedPrompts prompts;
    std::unique_ptr<TestDatabase> tdb;
    int listId = 0;
    int otherId = 0;
};

TEST_P(CancelPendingTest, RemovesPendingDeliveriesOfTheListWithTheirItems)
{
    const int nullId = addDelivery(listId, QVariant());
    const int noId = addDelivery(listId, QStringLiteral("N"));
    const int blankId = addDelivery(listId, QVariant());
    tdb->exec(QStringLiteral("Update EpisodicDeliveries set Fulfilled = '' where RecordID = :Id"), {{QStringLiteral("Id"), blankId}});
    const int yesId = addDelivery(listId, QStringLiteral("Y"));
    const int otherList = addDelivery(otherId, QVariant());
    const int hostOwn = addDelivery(QVariant(), QVariant());
    Q_UNUSED(nullId) Q_UNUSED(noId)

    const auto removed = cancel(listId);
    ASSERT_TRUE(removed.has_value());
    EXPECT_EQ(*removed, 3);
    EXPECT_EQ(prompts.questions(), QStringList{QStringLiteral("Delete all pending deliveries to this list's members?")});
    EXPECT_EQ(prompts.shown().first().kind, kv::Prompts::Kind::Warning);
    EXPECT_EQ(remaining(QStringLiteral("EpisodicDeliveries"), QStringLiteral("RecordID")), (QList<int>{yesId, otherList, hostOwn}));
    EXPECT_EQ(remaining(QStringLiteral("DefDels"), QStringLiteral("Deliv_ID")), (QList<int>{yesId, otherList, hostOwn}));

    const auto notes = tdb->rows(QStringLiteral("Select * from History"));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0].value(QStringLiteral("event")).toString(), QStringLiteral("Holiday Meals list pending deliveries cancelled."));
    EXPECT_EQ(notes[0].value(QStringLiteral("user")).toString(), QStringLiteral("Ben"));
}

TEST_P(CancelPendingTest, NoChangesNothingAndWritesNoNote)
{
    addDelivery(listId, QVariant());
    prompts.answerNo();
    EXPECT_FALSE(cancel(listId).has_value());
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
}

TEST_P(CancelPendingTest, NoteIsWrittenEvenWhenNothingWasPending)
{
    addDelivery(listId, QStringLiteral("Y"));
    EXPECT_EQ(cancel(listId).value_or(-1), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 1);
}

TEST_P(CancelPendingTest, AnUnsavedListIsRefusedInsteadOfTargetingListZero)
{
    addDelivery(0, QVariant()); // a stray delivery that carries list id 0
    EXPECT_FALSE(cancel(QVariant()).has_value());
    EXPECT_EQ(prompts.notices(), QStringList{CancelPendingDeliveries::kUnsavedListMessage});
    EXPECT_TRUE(prompts.questions().isEmpty());
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
}

TEST_P(CancelPendingTest, AFailedDeleteWritesNoNote)
{
    addDelivery(listId, QVariant());
    tdb->db().execute(QStringLiteral("Drop table DefDels"));
    EXPECT_THROW(cancel(listId), kv::Error);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, CancelPendingTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL));

} // namespace
