#include "member_ops_fixture.h"

#include "data/engine/query.h"
#include "lists/fulfil_list.h"
#include "members/add_members.h"
#include "members/copy_members.h"
#include "members/import_members.h"
#include "members/member_flags.h"
#include "members/member_reports.h"
#include "members/quantities.h"
#include "members/remove_members.h"
#include "members/visibility.h"
#include "report/report_test_support.h"
#include "support/statement_counter.h"

#include <QFile>

#include <functional>

// A workstation far from the server pays a round trip per statement, so an
// operation's statements must not grow with its rows: counted on the server
// for the same operation over a small and a ten times larger lis
namespace {

class MemberOpsRoundTripsTest : public MemberOpsTest
{
protected:
    static constexpr int kSmall = 300;
    static constexpr int kLarge = 3000;

    // A fresh database with n clients, every one a member of the list, an
    // empty second list, a service and an item; the row set loaded.
    void populate(int n)
    {
        rows.close();
        loadSave.reset();
        dm.reset();
        tdb = std::make_unique<TestDatabase>(GetParam());
        listId = tdb->addList(kListName);
        otherId = tdb->addList(QStringLiteral("Other"));
        tdb->exec(QStringLiteral("Insert into Clients (Person_ID, Client_ID, First_Name, Last_Name, Status, Delivery_Type, "
                                 "Def_Rte, Def_Stop, Svcs_Used) Select g, 'C' || CAST(g AS text), 'First', 'Last' || CAST(g AS text), "
                                 "'A', 'O', 'R1', 1, 7 from generate_series(1, :N) AS g"),
                  {{QStringLiteral("N"), n}});
        tdb->exec(QStringLiteral("Insert into List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited) "
                                 "Select :L, Person_ID, Client_ID, True, 'N' from Clients"),
                  {{QStringLiteral("L"), listId}});
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 7}, {QStringLiteral("Service_Desc"), QStringLiteral("Holiday")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
        connect();
        load();
        ASSERT_EQ(rows.recordCount(), n);
    }

    QList<kv::MemberRowSet::Bookmark> everyRow()
    {
        QList<kv::MemberRowSet::Bookmark> all;
        for (int r = 0; r < rows.recordCount(); ++r)
            all << rows.bookmarkAt(r);
        return all;
    }

    using Operation = std::function<void()>;

    // The statements the operation sends over a list of n members.
    int statementsFor(const Operation &op, int n, QString *log)
    {
        populate(n);
        ServerStatementCounter counter(db());
        prompts.setDefaultAnswer(ScriptedPrompts::Answer::Yes);
        counter.start();
        op();
        *log = counter.statements();
        return counter.count();
    }

    int otherId = 0;
};

TEST_P(MemberOpsRoundTripsTest, EveryOperationSendsAsManyStatementsForTenTimesTheRows)
{
    using kv::FulfilmentOptions;
    const struct
    {
        const char *name;
        Operation op;
    } cases[] = {
        {"add members by status",
         [this] {
             kv::AddMembersChoice choice;
             kv::AddMembers(db(), prompts, progress).run(otherId, choice);
         }},
        {"import a file of client ids",
         [this] {
             kv::MemberImportFile file;
             for (int r = 0; r < rows.recordCount(); ++r)
                 file.ids << rows.valueAt(r, kv::MemberRowSet::Client_ID).toString();
             kv::ImportMembers(db(), progress).run(otherId, file, {});
         }},
        {"copy with the membership test",
         [this] { kv::CopyMembers(db(), progress).copy(rows, everyRow(), otherId, true, {}); }},
        {"remove selected",
         [this] {
             kv::RemoveMembers(db(), prompts, progress).removeSelected(listId, rows, everyRow());
         }},
        {"confirm selected, then save",
         [this] {
             kv::MemberFlags(db(), progress).setSelectedConfirmed(rows, everyRow(), true);
             loadSave->saveChanges(rows);
         }},
        {"quantity of selected, then save",
         [this] {
             kv::Quantities(progress).setSelected(rows, everyRow(), 2);
             loadSave->saveChanges(rows);
         }},
        {"hide selected, then save",
         [this] {
             kv::Visibility(db(), progress).hideSelected(rows, everyRow());
             loadSave->saveChanges(rows);
         }},
        {"load the list", [this] { load(); }},
        {"phone list with each member's client row",
         [this] {
             const QString name = kv::MemberReports::kPhoneListTemplate.mid(1);
             ASSERT_TRUE(QFile::copy(reporttest::templatesDir() + QLatin1Char('/') + name, tdb->directory() + QLatin1Char('/') + name));
             const kv::MemberReports::Context c{*dm, prompts, rows, *loadSave->QueryClientInfo, listId, kListName};
             int outputs = 0;
             kv::MemberReports::print(kv::MemberReports::Report::PhoneList, c,
                                      [&](const kv::ReportTemplate &t, const kv::ReportSources &s, const kv::ReportRun &r) {
                                          reporttest::RecordingDevice().render(t, s, r);
                                          ++outputs;
                                      });
             EXPECT_EQ(outputs, 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
         }},
        {"fulfil with an item",
         [this] {
             FulfilmentOptions o;
             o.deliveryDate = QDate(2026, 12, 23);
             o.confirmedIndex = FulfilmentOptions::ConfirmedIrrelevant;
             o.serviceIndex = FulfilmentOptions::ClientsOwnService;
             o.itemsIndex = FulfilmentOptions::SelectedItem;
             o.itemId = 31;
             o.quantity = 1;
             o.listName = kListName;
             kv::ListFulfilment f(*dm, prompts, progress, [] { return QStringLiteral("Ann"); });
             EXPECT_EQ(f.run(listId, o).deliveries, rows.recordCount());
             f.finish();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString smallLog, largeLog;
        const int small = statementsFor(c.op, kSmall, &smallLog);
        const int large = statementsFor(c.op, kLarge, &largeLog);
        RecordProperty(c.name, QStringLiteral("%1 %2").arg(small).arg(large).toStdString());
        EXPECT_GT(small, 0) << "the server's log shows no statement of the connection";
        EXPECT_LE(std::abs(large - small), std::max(1, small / 10))
            << small << " statements for " << kSmall << " rows, " << large << " for " << kLarge << ":\n"
            << largeLog.left(4000).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, MemberOpsRoundTripsTest, ::testing::Values(kv::Backend::PostgreSQL),
                         [](const ::testing::TestParamInfo<kv::Backend> &) { return std::string("PostgreSQL"); });

} // namespace
