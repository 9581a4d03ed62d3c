#include "lists/fulfil_list.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/unit_of_work.h"
#include "lists/history_note.h"
#include "support/fault_injection.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QLocale>
#include <QSet>
#include <gtest/gtest.h>

using kv::FulfilmentOptions;
using kv::ListFulfilment;

namespace {

// Keeps what the progress window would have shown.
struct RecordingProgress : kv::Progress
{
    QString message, count;
    QList<int> percents;
    int begun = 0, ended = 0;
    std::function<void(int)> onPercent;
    void begin(const QString &m, const QString &c) override
    {
        ++begun;
        message = m;
        count = c;
    }
    void setPercent(int p) override
    {
        percents << p;
        if (onPercent)
            onPercent(p);
    }
    void end() override { ++ended; }
};

// Remembers the buttons of every question as well.
struct ButtonPrompts : ScriptedPrompts
{
    QList<Buttons> buttons;
    QList<Kind> kinds;
    Answer ask(Kind kind, const QString &text, Buttons b) override
    {
        buttons << b;
        kinds << kind;
        return ScriptedPrompts::ask(kind, text, b);
    }
};

const QDate kWednesday(2026, 12, 9);

class FulfilRunTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 7}, {QStringLiteral("Service_Desc"), QStringLiteral("Holiday")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
        listId = tdb->addList(QStringLiteral("Holiday"));
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
    }

    FulfilmentOptions ownServiceNoItems(const QDate &date = kWednesday) const
    {
        FulfilmentOptions o;
        o.deliveryDate = date;
        o.confirmedIndex = FulfilmentOptions::ConfirmedIrrelevant;
        o.serviceIndex = FulfilmentOptions::ClientsOwnService;
        o.itemsIndex = FulfilmentOptions::ServiceDefaults;
        o.listName = QStringLiteral("Holiday");
        return o;
    }

    ListFulfilment::Result fulfil(const FulfilmentOptions &o, int list = 0)
    {
        ListFulfilment f(*dm, prompts, progress, [this] {
            ++userCalls;
            return userName;
        });
        const auto r = f.run(list ? list : listId, o);
        f.finish();
        return r;
    }

    QList<int> deliveredPeople()
    {
        QList<int> out;
        for (const QVariantMap &r : tdb->rows(QStringLiteral("Select Person_ID from EpisodicDeliveries order by Person_ID")))
            out << r.value(QStringLiteral("person_id")).toInt();
        return out;
    }

    ButtonPrompts prompts;
    RecordingProgress progress;
    std::unique_ptr<TestDatabase> tdb;
    std::unique_ptr<TDataModuleLists> dm;
    int listId = 0;
    int userCalls = 0;
    QString userName = QStringLiteral("Ann");
};

TEST_P(FulfilRunTest, ConfirmedStatesAndHiddenMembers)
{
    // Confirmed Y, N and NULL, each once visible and once hidden.
    const QVariant states[] = {QStringLiteral("Y"), QStringLiteral("N"), QVariant()};
    int person = 1;
    for (const QVariant &state : states) {
        for (bool visible : {true, false}) {
            tdb->addClient(person);
            QVariantMap v{{QStringLiteral("RecVisible"), visible}};
            if (state.isValid())
                v.insert(QStringLiteral("Confirmed"), state);
            tdb->addMember(listId, person, v);
            ++person;
        }
    }
    // Visible people: 1 (Y), 3 (N), 5 (NULL).
    const struct
    {
        int index;
        QList<int> expected;
    } cases[] = {
        {FulfilmentOptions::ConfirmedChecked, {1}},
        {FulfilmentOptions::ConfirmedUnchecked, {3, 5}},
        {FulfilmentOptions::ConfirmedUnknown, {5}},
        {FulfilmentOptions::ConfirmedIrrelevant, {1, 3, 5}},
        {-1, {1, 3, 5}},
    };
    for (const auto &c : cases) {
        tdb->exec(QStringLiteral("Delete from EpisodicDeliveries"));
        FulfilmentOptions o = ownServiceNoItems();
        o.confirmedIndex = c.index;
        fulfil(o);
        EXPECT_EQ(deliveredPeople(), c.expected) << "confirmed index " << c.index;
    }
}

TEST_P(FulfilRunTest, ActiveOptionHonoursStatusAndStopDateBoundary)
{
    tdb->addClient(1, {{QStringLiteral("Stop_Dte"), kWednesday}}); // stops that day: out
    tdb->addClient(2, {{QStringLiteral("Stop_Dte"), kWednesday.addDays(1)}}); // stops the day after: in
    tdb->addClient(3); // no stop date: in
    tdb->addClient(4, {{QStringLiteral("Status"), QStringLiteral("S")}}); // not active: out
    tdb->addClient(5, {{QStringLiteral("Status"), QVariant()}, {QStringLiteral("Stop_Dte"), kWednesday.addDays(30)}}); // out
    tdb->addClient(6, {{QStringLiteral("Stop_Dte"), kWednesday.addDays(-1)}}); // stopped before: out
    for (int p = 1; p <= 6; ++p)
        tdb->addMember(listId, p);

    FulfilmentOptions o = ownServiceNoItems();
    o.activeOnly = true;
    fulfil(o);
    EXPECT_EQ(deliveredPeople(), (QList<int>{2, 3}));

    // Without the option neither the status nor the stop date is looked at.
    tdb->exec(QStringLiteral("Delete from EpisodicDeliveries"));
    o.activeOnly = false;
    fulfil(o);
    EXPECT_EQ(deliveredPeople(), (QList<int>{1, 2, 3, 4, 5, 6}));
}

TEST_P(FulfilRunTest, CandidateStatementIsBuiltFromItsLinesInOrder)
{
    FulfilmentOptions o = ownServiceNoItems();
    o.confirmedIndex = FulfilmentOptions::ConfirmedUnchecked;
    o.activeOnly = true;
    EXPECT_EQ(ListFulfilment::candidateSql(o),
              (QStringList{ListFulfilment::kCandidatesLine1, ListFulfilment::kCandidatesLine2, ListFulfilment::kCandidatesLine3,
                           ListFulfilment::kConfirmedUncheckedLine, ListFulfilment::kActiveOnlyLine}));
    EXPECT_TRUE(ListFulfilment::kActiveOnlyLine.contains(QStringLiteral("and  not (Clients.Stop_Dte <= :Stop_Dte)")));
    o.activeOnly = false;
    o.confirmedIndex = FulfilmentOptions::ConfirmedIrrelevant;
    EXPECT_EQ(ListFulfilment::candidateSql(o).size(), 3);
}

TEST_P(FulfilRunTest, EveryDeliveryValueIsWritten)
{
    tdb->addClient(1, {{QStringLiteral("Delivery_Type"), QStringLiteral("E")}, {QStringLiteral("Svcs_Used"), 4},
                       {QStringLiteral("Def_Rte"), QStringLiteral("D1")}, {QStringLiteral("Def_Stop"), 2.5}});
    tdb->addClient(2, {{QStringLiteral("Delivery_Type"), QStringLiteral("O")}, {QStringLiteral("Wed_Rte"), QStringLiteral("W2")},
                       {QStringLiteral("Wed_Stop"), 7.0}, {QStringLiteral("Svcs_Used"), 5}});
    tdb->addClient(3, {{QStringLiteral("Delivery_Type"), QVariant()}, {QStringLiteral("Wed_Rte"), QStringLiteral("W3")},
                       {QStringLiteral("Def_Stop"), 9.0}});
    tdb->addClient(4, {{QStringLiteral("Def_Stop"), QVariant()}});
    for (int p = 1; p <= 4; ++p)
        tdb->addMember(listId, p);

    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    const auto r = fulfil(ownServiceNoItems());
    EXPECT_EQ(r.outcome, ListFulfilment::Outcome::Fulfilled);
    EXPECT_EQ(r.deliveries, 4);

    const auto rows = tdb->rows(QStringLiteral("Select * from EpisodicDeliveries order by Person_ID"));
    ASSERT_EQ(rows.size(), 4);
    struct Expect
    {
        QString schedule, route;
        double stop;
        QVariant service;
    } expected[] = {
        {QStringLiteral("E"), QStringLiteral("D1"), 2.5, 4}, // empty Wednesday route: the default pair
        {QStringLiteral("S"), QStringLiteral("W2"), 7.0, 5}, // the day's own pair
        {QStringLiteral("S"), QStringLiteral("W3"), 0.0, QVariant()}, // the day's empty stop reads 0, not Def_Stop
        {QStringLiteral("S"), QStringLiteral("R1"), 0.0, QVariant()}, // empty default stop reads 0
    };
    for (int i = 0; i < 4; ++i) {
        const QVariantMap &row = rows[i];
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(row.value(QStringLiteral("client_id")).toString(), QStringLiteral("C%1").arg(i + 1, 5, 10, QLatin1Char('0')));
        EXPECT_EQ(row.value(QStringLiteral("list_id")).toInt(), listId);
        EXPECT_EQ(row.value(QStringLiteral("deliv_date")).toDate(), kWednesday);
        EXPECT_EQ(row.value(QStringLiteral("delivery_type")).toString(), QStringLiteral("D"));
        EXPECT_EQ(row.value(QStringLiteral("schedule_type")).toString(), expected[i].schedule);
        EXPECT_EQ(row.value(QStringLiteral("route")).toString(), expected[i].route);
        EXPECT_DOUBLE_EQ(row.value(QStringLiteral("stop")).toDouble(), expected[i].stop);
        EXPECT_FALSE(row.value(QStringLiteral("stop")).isNull());
        if (expected[i].service.isValid())
            EXPECT_EQ(row.value(QStringLiteral("svcs_used")).toInt(), expected[i].service.toInt());
        else
            EXPECT_TRUE(row.value(QStringLiteral("svcs_used")).isNull());
        EXPECT_TRUE(row.value(QStringLiteral("fulfilled")).isNull());
        EXPECT_EQ(row.value(QStringLiteral("create_date")).toDate(), QDate::currentDate());
        const QDateTime stamp = row.value(QStringLiteral("last_updated")).toDateTime();
        EXPECT_GE(stamp, before);
        EXPECT_LE(stamp, QDateTime::currentDateTime().addSecs(2));
        EXPECT_EQ(row.value(QStringLiteral("created_by")).toString(), QStringLiteral("Ann (List)"));
    }
    // The user name is asked anew for every delivery and for the note.
    EXPECT_EQ(userCalls, 5);
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), 0);
}

TEST_P(FulfilRunTest, RouteFollowsTheWeekdayFromSundayToSaturday)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    QVariantMap v;
    for (int d = 0; d < 7; ++d) {
        v.insert(QStringLiteral("%1_Rte").arg(QLatin1String(days[d])), QStringLiteral("%1").arg(QLatin1String(days[d])));
        v.insert(QStringLiteral("%1_Stop").arg(QLatin1String(days[d])), double(d + 1));
    }
    tdb->addClient(1, v);
    tdb->addMember(listId, 1);
    // 2026-12-06 is a Sunday.
    for (int offset = 0; offset < 7; ++offset) {
        const QDate date = QDate(2026, 12, 6).addDays(offset);
        tdb->exec(QStringLiteral("Delete from EpisodicDeliveries"));
        fulfil(ownServiceNoItems(date));
        const auto row = tdb->rows(QStringLiteral("Select Route, Stop from EpisodicDeliveries")).value(0);
        const int d = date.dayOfWeek() - 1;
        EXPECT_EQ(row.value(QStringLiteral("route")).toString(), QLatin1String(days[d])) << date.toString().toStdString();
        EXPECT_DOUBLE_EQ(row.value(QStringLiteral("stop")).toDouble(), d + 1.0);
    }
}

TEST_P(FulfilRunTest, SelectedItemWritesOneItemPerDeliveryWithTheLargerQuantity)
{
    // member quantity, list quantity -> item quantity
    const struct
    {
        QVariant member;
        int list;
        int expected;
    } cases[] = {{3, 1, 3}, {QVariant(), 2, 2}, {QVariant(), 0, 1}, {0, 0, 1}, {1, 4, 4}};
    int person = 1;
    for (const auto &c : cases) {
        tdb->exec(QStringLiteral("Delete from List_Members"));
        tdb->exec(QStringLiteral("Delete from DefDels"));
        tdb->exec(QStringLiteral("Delete from EpisodicDeliveries"));
        tdb->addClient(person, {{QStringLiteral("Svcs_Used"), 4}});
        QVariantMap v;
        if (c.member.isValid())
            v.insert(QStringLiteral("Quantity"), c.member);
        tdb->addMember(listId, person, v);
        FulfilmentOptions o = ownServiceNoItems();
        o.serviceIndex = FulfilmentOptions::SelectedService;
        o.serviceId = 7;
        o.itemsIndex = FulfilmentOptions::SelectedItem;
        o.itemId = 31;
        o.quantity = c.list;
        fulfil(o);
        const auto items = tdb->rows(QStringLiteral("Select * from DefDels"));
        ASSERT_EQ(items.size(), 1);
        const auto delivery = tdb->rows(QStringLiteral("Select * from EpisodicDeliveries")).value(0);
        const QVariantMap &item = items[0];
        EXPECT_EQ(item.value(QStringLiteral("quantity")).toInt(), c.expected) << "member " << c.member.toString().toStdString();
        EXPECT_EQ(item.value(QStringLiteral("person_id")).toInt(), person);
        EXPECT_EQ(item.value(QStringLiteral("deliv_id")).toInt(), delivery.value(QStringLiteral("recordid")).toInt());
        EXPECT_EQ(item.value(QStringLiteral("service_id")).toInt(), 7);
        EXPECT_EQ(delivery.value(QStringLiteral("svcs_used")).toInt(), 7);
        EXPECT_EQ(item.value(QStringLiteral("item_id")).toInt(), 31);
        EXPECT_EQ(item.value(QStringLiteral("sort_order")).toInt(), 0);
        EXPECT_EQ(item.value(QStringLiteral("del_day")).toString(), QStringLiteral("WED"));
        ++person;
    }
    // The codes do not follow the workstation's language.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ListFulfilment::deliveryDay(kWednesday), QStringLiteral("WED"));
    EXPECT_EQ(ListFulfilment::deliveryDay(kWednesday.addDays(4)), QStringLiteral("SUN"));
    QLocale::setDefault(before);
}

TEST_P(FulfilRunTest, EachItemLinksToItsOwnDeliveryAcrossRunsAndRepeatedClients)
{
    tdb->addClient(1);
    tdb->addClient(2);
    tdb->addMember(listId, 1);
    tdb->addMember(listId, 1); // the same client twice
    tdb->addMember(listId, 2);
    FulfilmentOptions o = ownServiceNoItems();
    o.itemsIndex = FulfilmentOptions::SelectedItem;
    o.itemId = 31;
    fulfil(o);
    fulfil(o); // a second run for the same date
    int runs = 2;
    if (GetParam() == kv::Backend::PostgreSQL) {
        // A key column that refuses a key named in the insert: rows go one by one.
        tdb->db().execute(QStringLiteral("Alter table EpisodicDeliveries alter column RecordID set generated always"));
        fulfil(o);
        ++runs;
    }
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 3 * runs);
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), 3 * runs);
    // Every delivery has exactly one item, and it names the delivery's client;
    // the deliveries' keys follow one another in the order their items were
    // written, as row-by-row inserts take them.
    const auto rows = tdb->rows(QStringLiteral(
        "Select EpisodicDeliveries.RecordID, EpisodicDeliveries.Person_ID as dp, DefDels.Person_ID as ip from EpisodicDeliveries "
        "join DefDels on DefDels.Deliv_ID = EpisodicDeliveries.RecordID order by DefDels.RecordID"));
    ASSERT_EQ(rows.size(), 3 * runs);
    QSet<int> deliveries;
    int previous = 0;
    for (const auto &r : rows) {
        const int key = r.value(QStringLiteral("recordid")).toInt();
        if (previous > 0) {
            EXPECT_EQ(key, previous + 1);
        }
        previous = key;
        deliveries.insert(key);
        EXPECT_EQ(r.value(QStringLiteral("dp")).toInt(), r.value(QStringLiteral("ip")).toInt());
    }
    EXPECT_EQ(deliveries.size(), 3 * runs);
}

TEST_P(FulfilRunTest, NoticesQuestionAndProgress)
{
    // No candidates: the notice, nothing written, no progress window.
    auto r = fulfil(ownServiceNoItems());
    EXPECT_EQ(r.outcome, ListFulfilment::Outcome::NoCandidates);
    EXPECT_EQ(prompts.notices(), QStringList{ListFulfilment::kNoCandidatesMessage});
    EXPECT_TRUE(prompts.questions().isEmpty());
    EXPECT_EQ(progress.begun, 0);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);

    for (int p = 1; p <= 3; ++p) {
        tdb->addClient(p);
        tdb->addMember(listId, p);
    }
    // Declining the count writes nothing.
    prompts.clear();
    prompts.answer(kv::Prompts::Answer::Cancel);
    r = fulfil(ownServiceNoItems());
    EXPECT_EQ(r.outcome, ListFulfilment::Outcome::Declined);
    EXPECT_EQ(prompts.questions(), QStringList{QStringLiteral("Please confirm that you would like to fulfill this list of 3 member(s)!")});
    EXPECT_EQ(prompts.kinds.last(), kv::Prompts::Kind::Confirmation);
    EXPECT_EQ(prompts.buttons.last(), kv::Prompts::Buttons::OkCancel);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
    EXPECT_EQ(progress.begun, 0);

    // Confirmed: the progress window's texts, and 100 only after the last member.
    prompts.clear();
    // Counted on the run's own connection: its rows are not committed yet.
    // SQLite writes each delivery as its member is reached; PostgreSQL holds
    // the rows back for one batch, sent after the last member.
    kv::Query written(dm->DatabaseLists, QStringLiteral("Written"));
    written.setSql(QStringLiteral("Select count(*) from EpisodicDeliveries"));
    QList<qint64> writtenAtPercent;
    progress.onPercent = [&](int) {
        written.close();
        written.open();
        writtenAtPercent << written.value(0).toLongLong();
    };
    FulfilmentOptions withItem = ownServiceNoItems();
    withItem.itemsIndex = FulfilmentOptions::SelectedItem;
    withItem.itemId = 31;
    r = fulfil(withItem);
    EXPECT_EQ(r.outcome, ListFulfilment::Outcome::Fulfilled);
    EXPECT_EQ(progress.message, QStringLiteral("Scheduling Deliveries..."));
    EXPECT_EQ(progress.count, QStringLiteral("Total Deliveries: 3"));
    EXPECT_EQ(progress.percents, (QList<int>{0, 33, 66, 100}));
    EXPECT_EQ(writtenAtPercent, GetParam() == kv::Backend::SQLite ? (QList<qint64>{0, 1, 2, 3}) : (QList<qint64>{0, 0, 0, 0}));
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), 3);
    EXPECT_EQ(progress.ended, 1);
}

TEST_P(FulfilRunTest, ARerunAsksOnceAboutMembersAlreadyScheduled)
{
    for (int p = 1; p <= 3; ++p) {
        tdb->addClient(p);
        tdb->addMember(listId, p);
    }
    fulfil(ownServiceNoItems());
    fulfil(ownServiceNoItems(kWednesday.addDays(1))); // another date does not count
    const QString date = QLocale::system().toString(kWednesday, QLocale::ShortFormat); // the note's
    const QString shown = QLocale().toString(kWednesday, QStringLiteral("M/d/yyyy")); // the questions'

    prompts.clear();
    prompts.buttons.clear();
    prompts.answer(kv::Prompts::Answer::Cancel);
    auto r = fulfil(ownServiceNoItems());
    EXPECT_EQ(r.outcome, ListFulfilment::Outcome::Declined);
    EXPECT_EQ(prompts.questions(),
              QStringList{QStringLiteral("3 of these 3 members already have a delivery from this list on %1. Schedule them again?").arg(shown)});
    EXPECT_EQ(prompts.buttons, QList<kv::Prompts::Buttons>{kv::Prompts::Buttons::YesNoCancel});
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 6);

    // No when every member already has one: said as it is, and nothing written.
    const QStringList tables{QStringLiteral("EpisodicDeliveries"), QStringLiteral("DefDels"), QStringLiteral("History")};
    const QStringList before = tableSnapshot(*tdb, tables);
    prompts.clear();
    prompts.answerNo();
    r = fulfil(ownServiceNoItems());
    EXPECT_EQ(prompts.notices(),
              QStringList{QStringLiteral("All 3 members already have a delivery from this list on %1. Nothing was scheduled.").arg(shown)});
    EXPECT_EQ(r.skipped, 3);
    EXPECT_EQ(tableSnapshot(*tdb, tables), before);

    // No: the count question and the note carry only the members written.
    tdb->addClient(4);
    tdb->addMember(listId, 4);
    prompts.clear();
    prompts.answerNo();
    r = fulfil(ownServiceNoItems());
    EXPECT_EQ(prompts.questions(), (QStringList{ListFulfilment::rerunQuestion(3, 4, shown),
                                                QStringLiteral("Please confirm that you would like to fulfill this list of 1 member(s)!")}));
    EXPECT_EQ(r.deliveries, 1);
    EXPECT_EQ(r.skipped, 3);
    EXPECT_EQ(progress.count, QStringLiteral("Total Deliveries: 1"));
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries"), QStringLiteral("Person_ID = 4")), 1);
    EXPECT_EQ(tdb->count(QStringLiteral("History"), QStringLiteral("Event = :E"),
                         {{QStringLiteral("E"), kv::HistoryNoteWriter::fulfilled(QStringLiteral("Holiday"), 1, date)}}),
              1);
}

TEST_P(FulfilRunTest, HistoryNoteAndStampCutTheNamesToWholeCharacters)
{
    tdb->addClient(1);
    tdb->addMember(listId, 1);
    tdb->addMember(listId, 1);
    const QString smile = QStringLiteral("\U0001F600"); // two code units, one character
    const QString u32(32, QLatin1Char('u'));
    const struct
    {
        QString listName, user, noteName, noteUser;
    } cases[] = {
        {QStringLiteral("Holiday Meals List   and more"), QStringLiteral("Ann"), QStringLiteral("Holiday Meals List"), QStringLiteral("Ann")},
        // The 20th and the 33rd character are an emoji that a cut by code units would halve.
        {QString(19, QLatin1Char('x')) + smile + QStringLiteral(" next"), u32 + smile + QStringLiteral(" tail"),
         QString(19, QLatin1Char('x')) + smile, u32 + smile},
        {QString(20, QLatin1Char('y')) + smile, QString(40, QLatin1Char('a')), QString(20, QLatin1Char('y')), QString(33, QLatin1Char('a'))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.user.toStdString());
        tdb->exec(QStringLiteral("Delete from History"));
        tdb->exec(QStringLiteral("Delete from EpisodicDeliveries"));
        userName = c.user;
        FulfilmentOptions o = ownServiceNoItems();
        o.listName = c.listName;
        fulfil(o);
        const auto notes = tdb->rows(QStringLiteral("Select * from History"));
        ASSERT_EQ(notes.size(), 1);
        EXPECT_EQ(notes[0].value(QStringLiteral("event")).toString(),
                  c.noteName + QStringLiteral(" list fulfilled to 2 for ") + QLocale::system().toString(kWednesday, QLocale::ShortFormat));
        EXPECT_EQ(notes[0].value(QStringLiteral("user")).toString(), c.noteUser);
        EXPECT_LE(qAbs(notes[0].value(QStringLiteral("tran_date")).toDateTime().secsTo(QDateTime::currentDateTime())), 5);
        EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries"), QStringLiteral("Created_By = :C"),
                             {{QStringLiteral("C"), c.noteUser + QStringLiteral(" (List)")}}),
                  2);
    }
}

TEST_P(FulfilRunTest, AnEmptyServiceOrItemChoiceIsRefusedBeforeAnythingIsWritten)
{
    tdb->addClient(1);
    tdb->addMember(listId, 1);
    FulfilmentOptions noService = ownServiceNoItems();
    noService.serviceIndex = FulfilmentOptions::SelectedService; // but no service chosen
    FulfilmentOptions noGroup = ownServiceNoItems();
    noGroup.serviceIndex = -1;
    FulfilmentOptions noItem = ownServiceNoItems();
    noItem.itemsIndex = FulfilmentOptions::SelectedItem;
    FulfilmentOptions noDate = ownServiceNoItems(QDate());
    for (const FulfilmentOptions &o : {noService, noGroup, noItem, noDate}) {
        EXPECT_FALSE(ListFulfilment::check(o).isEmpty());
        EXPECT_THROW(fulfil(o), kv::Error);
    }
    EXPECT_TRUE(prompts.shown().isEmpty());
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_TRUE(ListFulfilment::check(ownServiceNoItems()).isEmpty());
}

TEST_P(FulfilRunTest, AnErrorMidwayWritesNothingAndHidesTheProgressWindow)
{
    for (int p = 1; p <= 3; ++p) {
        tdb->addClient(p);
        tdb->addMember(listId, p);
    }
    tdb->db().execute(QStringLiteral("Drop table DefDels"));
    FulfilmentOptions o = ownServiceNoItems();
    o.itemsIndex = FulfilmentOptions::SelectedItem;
    o.itemId = 31;
    EXPECT_THROW(fulfil(o), kv::RolledBack);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
    EXPECT_EQ(progress.begun, 1);
    EXPECT_EQ(progress.ended, 1);
}

TEST_P(FulfilRunTest, LocatingTheListWarnsWhenItIsNotThere)
{
    ListFulfilment f(*dm, prompts, progress, [] { return QString(); });
    EXPECT_TRUE(f.locateList(listId));
    EXPECT_EQ(dm->QueryListLookup->fieldValue(QStringLiteral("List_Name")).toString(), QStringLiteral("Holiday"));
    EXPECT_TRUE(prompts.shown().isEmpty());
    EXPECT_FALSE(f.locateList(0));
    EXPECT_EQ(prompts.notices(), QStringList{QStringLiteral("Error locating the List using the List ID!")});
    EXPECT_EQ(prompts.shown().last().kind, kv::Prompts::Kind::Warning);
    // A list saved after the data module read the lookup is found, and again
    // after a run has closed the lookup.
    const int fresh = tdb->addList(QStringLiteral("Fresh"));
    EXPECT_TRUE(f.locateList(fresh));
    f.finish();
    EXPECT_FALSE(dm->QueryListLookup->isOpen());
    const int fresher = tdb->addList(QStringLiteral("Fresher"));
    EXPECT_TRUE(f.locateList(fresher));
}

TEST(ListDefaultsTest, LettersMapByTheirKeyStrings)
{
    using kv::ListDefaults;
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kConfirmedKeys, QStringLiteral("C")), 0);
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kConfirmedKeys, QStringLiteral("N")), 2);
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kConfirmedKeys, QStringLiteral("I")), 3);
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kConfirmedKeys, QStringLiteral("X")), -1);
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kConfirmedKeys, QString()), -1);
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kConfirmedKeys, QStringLiteral("c")), -1);
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kServiceKeys, QStringLiteral("S")), 1);
    EXPECT_EQ(ListDefaults::indexOfCode(ListDefaults::kItemsKeys, QStringLiteral("D")), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, FulfilRunTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL));

} // namespace
