#include "lists/cancel_pending.h"
#include "lists/delete_list.h"

#include "data/data_module.h"
#include "lists/history_note.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <gtest/gtest.h>

using kv::DeleteList;

namespace {

class DeleteListTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        for (int p = 1; p <= 4; ++p)
            tdb->addClient(p);
        listId = tdb->addList(kLongName);
        otherId = tdb->addList(QStringLiteral("Other list"));
        for (int p = 1; p <= 3; ++p)
            tdb->addMember(listId, p);
        tdb->addMember(otherId, 4);

        // Deliveries of the list: pending as NULL, 'N' and '' and one fulfilled,
        // each with an item; one pending delivery of the other list.
        nullId = addDelivery(listId, 1, QVariant());
        noId = addDelivery(listId, 2, QStringLiteral("N"));
        blankId = addDelivery(listId, 3, QVariant());
        tdb->exec(QStringLiteral("Update EpisodicDeliveries set Fulfilled = '' where RecordID = :Id"), {{QStringLiteral("Id"), blankId}});
        yesId = addDelivery(listId, 1, QStringLiteral("Y"));
        otherDelivery = addDelivery(otherId, 4, QVariant());
        for (int d : {nullId, noId, blankId, yesId, otherDelivery})
            tdb->insert(QStringLiteral("DefDels"), {{QStringLiteral("Person_ID"), 1}, {QStringLiteral("Deliv_ID"), d},
                                                    {QStringLiteral("Del_Day"), QStringLiteral("MON")}, {QStringLiteral("Item_ID"), 3},
                                                    {QStringLiteral("Quantity"), 1}, {QStringLiteral("Sort_Order"), 0}});

        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
        ASSERT_TRUE(dm->QueryLists->locate({QStringLiteral("Record_ID")}, {listId}));
        prompts.clear();
    }

    int addDelivery(int list, int person, const QVariant &fulfilled)
    {
        QVariantMap v{{QStringLiteral("Person_ID"), person},
                      {QStringLiteral("List_ID"), list},
                      {QStringLiteral("Deliv_Date"), QDate(2026, 12, 1)},
                      {QStringLiteral("Delivery_Type"), QStringLiteral("D")}};
        if (fulfilled.isValid())
            v.insert(QStringLiteral("Fulfilled"), fulfilled);
        return tdb->insert(QStringLiteral("EpisodicDeliveries"), v, QStringLiteral("RecordID"));
    }

    DeleteList::Outcome run()
    {
        DeleteList op(*dm, prompts, [] { return QStringLiteral("Ada"); });
        return op.run();
    }

    qint64 deliveries(int id) { return tdb->count(QStringLiteral("EpisodicDeliveries"), QStringLiteral("RecordID = :Id"), {{QStringLiteral("Id"), id}}); }
    qint64 items(int id) { return tdb->count(QStringLiteral("DefDels"), QStringLiteral("Deliv_ID = :Id"), {{QStringLiteral("Id"), id}}); }

    const QString kLongName = QStringLiteral("A list whose name is longer than twenty characters");
    std::unique_ptr<TestDatabase> tdb;
    ScriptedPrompts prompts;
    std::unique_ptr<TDataModuleLists> dm;
    int listId = 0, otherId = 0;
    int nullId = 0, noId = 0, blankId = 0, yesId = 0, otherDelivery = 0;
};

TEST_P(DeleteListTest, YesToBothRemovesMembersListAndOnlyPendingDeliveriesWithTheirItems)
{
    const DeleteList::Outcome out = run();
    ASSERT_TRUE(out.deleted);
    EXPECT_EQ(prompts.questions(), (QStringList{DeleteList::kConfirmQuestion, kv::CancelPendingDeliveries::kQuestion}));
    EXPECT_EQ(prompts.shown().at(0).kind, kv::Prompts::Kind::Warning);

    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), listId}}), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Record_ID = :L"), {{QStringLiteral("L"), listId}}), 0);
    for (int d : {nullId, noId, blankId}) {
        EXPECT_EQ(deliveries(d), 0) << d;
        EXPECT_EQ(items(d), 0) << "an item of a removed delivery stayed: " << d;
    }
    EXPECT_EQ(deliveries(yesId), 1) << "a fulfilled delivery was deleted";
    EXPECT_EQ(items(yesId), 1);
    // Another list is left alone.
    EXPECT_EQ(deliveries(otherDelivery), 1);
    EXPECT_EQ(items(otherDelivery), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), otherId}}), 1);
    EXPECT_EQ(out.deliveries, 3);
    EXPECT_EQ(out.deliveryItems, 3);

    const auto notes = tdb->rows(QStringLiteral("Select Event, User, Tran_Date from History"));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0].value(QStringLiteral("event")).toString(), kLongName + QStringLiteral(" list deleted."));
    EXPECT_EQ(notes[0].value(QStringLiteral("user")).toString(), QStringLiteral("Ada"));
    EXPECT_EQ(notes[0].value(QStringLiteral("tran_date")).typeId(), QMetaType::QDateTime);

    // Both queries show the database as it now is.
    EXPECT_TRUE(dm->QueryLists->isOpen());
    EXPECT_EQ(dm->QueryLists->recordCount(), 1);
    EXPECT_FALSE(dm->QueryLists->locate({QStringLiteral("Record_ID")}, {listId}));
    EXPECT_TRUE(dm->QueryListMembers->isOpen());
}

TEST_P(DeleteListTest, NoToPendingKeepsEveryDeliveryAndStillWritesTheNote)
{
    prompts.answerYes();
    prompts.answerNo();
    const DeleteList::Outcome out = run();
    EXPECT_TRUE(out.deleted);
    EXPECT_FALSE(out.pendingDeleted);
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Record_ID = :L"), {{QStringLiteral("L"), listId}}), 0);
    for (int d : {nullId, noId, blankId, yesId}) {
        EXPECT_EQ(deliveries(d), 1) << d;
        EXPECT_EQ(items(d), 1) << d;
    }
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 1);
}

TEST_P(DeleteListTest, NoToTheFirstQuestionChangesNothing)
{
    prompts.answerNo();
    const DeleteList::Outcome out = run();
    EXPECT_FALSE(out.deleted);
    EXPECT_EQ(prompts.questions(), QStringList{DeleteList::kConfirmQuestion});
    EXPECT_EQ(tdb->count(QStringLiteral("Lists")), 2);
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members")), 4);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 5);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
}

TEST_P(DeleteListTest, UnsavedEditsArePostedBeforeTheListIsDeleted)
{
    kv::Query &lists = *dm->QueryLists;
    lists.edit();
    lists.setFieldValue(QStringLiteral("List_Name"), QStringLiteral("Renamed before deleting"));
    ASSERT_EQ(lists.state(), kv::DataState::Edit);
    prompts.answerYes();
    prompts.answerNo();
    const DeleteList::Outcome out = run();
    EXPECT_EQ(out.listName, QStringLiteral("Renamed before deleting"));
    EXPECT_EQ(lists.state(), kv::DataState::Browse);
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Record_ID = :L"), {{QStringLiteral("L"), listId}}), 0);
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Event from History")).toString(),
              kv::HistoryNoteWriter::listDeleted(QStringLiteral("Renamed before deleting")));
}

TEST_P(DeleteListTest, ANewUnsavedListIsPostedAndThenDeleted)
{
    kv::Query &lists = *dm->QueryLists;
    lists.insert();
    lists.setFieldValue(QStringLiteral("List_Name"), QStringLiteral("Brand new"));
    prompts.answerYes();
    prompts.answerNo();
    const DeleteList::Outcome out = run();
    EXPECT_TRUE(out.deleted);
    EXPECT_GT(out.listId, 0);
    EXPECT_EQ(tdb->count(QStringLiteral("Lists")), 2) << "the new list was not deleted, or another one was";
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("List_Name = 'Brand new'")), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, DeleteListTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL),
                         [](const auto &info) { return info.param == kv::Backend::SQLite ? "SQLite" : "PostgreSQL"; });

} // namespace
