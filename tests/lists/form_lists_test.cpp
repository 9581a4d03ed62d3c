// The lists window on a real database: its controls, the new-list defaults,
// closing with unsaved rows, the consistency rules and the Browse grid.

#include "data/data_module.h"
#include "data/engine/query.h"
#include "lists/lists_window_state.h"
#include "lists/ui/form_list_fulfillment_options.h"
#include "lists/ui/form_lists.h"
#include "members/ui/form_list_members.h"
#include "shell/ui/form_message_box.h"
#include "lists/ui/query_table_model.h"
#include "support/fault_injection.h"
#include "support/find_widget.h"
#include "support/modal_driver.h"
#include "shell/ui/radio_group.h"
#include "shell/window_placement.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using kv::DataState;

// The host's control as the plug-in sees it: it answers the host interface.
class ListsTestHost : public QWidget, public kestrovan::IHostInterface
{
    Q_OBJECT
    Q_INTERFACES(kestrovan::IUnknown)
public:
    kestrovan::HResult QueryInterface(const QUuid &iid, void **out) override
    {
        *out = iid == kestrovan::IID_IHostInterface ? static_cast<kestrovan::IHostInterface *>(this) : nullptr;
        return *out ? kestrovan::S_Ok : kestrovan::E_NoInterface;
    }
    std::uint32_t AddRef() override { return 1; }
    std::uint32_t Release() override { return 1; }
    QString GetCurrentUserName() override
    {
        ++calls;
        return QStringLiteral("hostuser");
    }
    int calls = 0;
};

class FormListsTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 1}, {QStringLiteral("Service_Desc"), QStringLiteral("Hot Meals")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 2}, {QStringLiteral("Service_Desc"), QStringLiteral("Frozen Meals")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 7}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey Dinner")}});
        alpha = tdb->addList(QStringLiteral("Alpha"), {{QStringLiteral("Service_Method"), QStringLiteral("S")},
                                                       {QStringLiteral("Service_Used"), 1},
                                                       {QStringLiteral("Item_Method"), QStringLiteral("S")},
                                                       {QStringLiteral("Item_to_Deliver"), 7},
                                                       {QStringLiteral("Quantity"), 2},
                                                       {QStringLiteral("List_Desc"), QStringLiteral("Holiday meal")}});
        beta = tdb->addList(QStringLiteral("Beta"), {{QStringLiteral("Service_Method"), QStringLiteral("S")},
                                                     {QStringLiteral("Service_Used"), 2},
                                                     {QStringLiteral("Item_Method"), QStringLiteral("S")}});
        // Stale defaults: a service with "Client's Own Service", an item with
        // "Defaults for the service to be used".
        gamma = tdb->addList(QStringLiteral("Gamma"), {{QStringLiteral("Service_Method"), QStringLiteral("C")},
                                                       {QStringLiteral("Service_Used"), 2},
                                                       {QStringLiteral("Item_Method"), QStringLiteral("D")},
                                                       {QStringLiteral("Item_to_Deliver"), 7},
                                                       {QStringLiteral("Quantity"), 3}});
        DataModuleLists = new TDataModuleLists(prompts, [] {}, nullptr, tdb->overrides());
        DataModuleLists->DataModuleCreate();
        form = std::make_unique<TFormLists>(nullptr, &prompts);
        form->setMembersWindowOpener(TFormListMembers::opener());
        form->useDataModule(DataModuleLists);
        tester = std::make_unique<QAbstractItemModelTester>(form->listsModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        form->show();
    }

    void TearDown() override
    {
        kv::ModalDriver::cancelAll();
        tester.reset();
        form.reset();
        delete DataModuleLists;
        DataModuleLists = nullptr;
    }

    kv::Query &lists() { return *DataModuleLists->QueryLists; }
    // A control of the window by its object name; a missing one fails the test.
    template<class T>
    T *need(const char *name)
    {
        return kv::test::need<T>(form.get(), QString::fromLatin1(name));
    }
    void moveTo(const QString &name)
    {
        ASSERT_TRUE(lists().locate({QStringLiteral("List_Name")}, {name}));
    }
    void screenshot(const char *name)
    {
        const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS");
        if (!dir.isEmpty())
            form->grab().save(dir + QLatin1Char('/') + QLatin1String(name));
    }

    SettingsSandbox sandbox;
    std::unique_ptr<TestDatabase> tdb;
    ScriptedPrompts prompts;
    ListsTestHost host; // outlives the plug-in object, as the host's control does
    std::unique_ptr<TFormLists> form;
    std::unique_ptr<QAbstractItemModelTester> tester;
    int alpha = 0, beta = 0, gamma = 0;
};

TEST_P(FormListsTest, ShowsTheListsWithTheirControlsAndCaptions)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Lists Maintenance"));
    EXPECT_EQ(need<QTabWidget>("PageControl")->currentWidget(), need<QWidget>("TabSheetEdit"));
    EXPECT_EQ(need<QTabWidget>("PageControl")->tabText(0), QStringLiteral("Edit"));
    EXPECT_EQ(need<QTabWidget>("PageControl")->tabText(1), QStringLiteral("Browse"));
    EXPECT_EQ(lists().recordCount(), 3);
    EXPECT_TRUE(DataModuleLists->QueryServices->isOpen());
    EXPECT_TRUE(DataModuleLists->QueryItems->isOpen());

    moveTo(QStringLiteral("Alpha"));
    EXPECT_EQ(need<QLineEdit>("DBEditListName")->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(need<QPlainTextEdit>("DBMemo1")->toPlainText(), QStringLiteral("Holiday meal"));
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboService")->currentText(), QStringLiteral("Hot Meals"));
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboItem")->currentText(), QStringLiteral("Turkey Dinner"));
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->value(), 2);
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupService")->itemIndex(), 1);
    EXPECT_EQ(need<QLineEdit>("DBEditListName")->maxLength(), 50);
    EXPECT_EQ(need<QLineEdit>("DBEdituser")->maxLength(), 25);
    EXPECT_EQ(need<QLabel>("StatusListName")->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(need<QLabel>("StatusRowState")->text(), TFormLists::stateText(int(DataState::Browse)));

    // Only the check box of the options can be changed here.
    EXPECT_TRUE(need<QCheckBox>("wwCheckBoxCurrentlyActive")->isEnabled());
    for (const char *name : {"RzDBRadioGroupConfirmedStatus", "RzDBRadioGroupService", "wwDBLookupComboService",
                             "RzDBRadioGroupItems", "wwDBSpinEditQuantity", "wwDBLookupComboItem"})
        if (QWidget *w = need<QWidget>(name)) {
            EXPECT_FALSE(w->isEnabled()) << name;
        }

    const QStringList hints = {QStringLiteral("Move to first record"), QStringLiteral("Move to prior record"),
                               QStringLiteral("Move to next record"), QStringLiteral("Move to last record"),
                               QStringLiteral("Insert new record"), QStringLiteral("Post changes of current record"),
                               QStringLiteral("Cancel changes made to current record")};
    const char *const nav[] = {"NavFirst", "NavPrior", "NavNext", "NavLast", "NavInsert", "NavPost", "NavCancel"};
    for (int i = 0; i < hints.size(); ++i)
        if (QToolButton *b = need<QToolButton>(nav[i])) {
            EXPECT_EQ(b->accessibleName(), hints[i]);
            EXPECT_TRUE(b->toolTip().startsWith(hints[i] + QStringLiteral(" ("))) << b->toolTip().toStdString(); // and its key
        }
    EXPECT_EQ(need<QPushButton>("ButtonCancelPending")->text().remove(QLatin1Char('&')), QStringLiteral("Cancel Pendg"));
    EXPECT_EQ(need<QAction>("MenuDeleteList")->text().remove(QLatin1Char('&')), QStringLiteral("Delete List"));
    EXPECT_TRUE(need<QMenu>("MenuReports")->actions().isEmpty());
    QStringList menus;
    for (QAction *a : need<QMenuBar>("MainMenu1")->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"), QStringLiteral("&Utilities"),
                                  QStringLiteral("&Reports"), QStringLiteral("&Help")}));
    for (const char *name : {"ActionFulfill", "ActionEditListMembers", "ActionDeleteList", "ActionCancelPending"})
        if (QAction *a = need<QAction>(name)) {
            EXPECT_TRUE(a->shortcut().isEmpty()) << name;
        }
    screenshot("lists_edit_page.png");
}

TEST_P(FormListsTest, BrowseGridHasTheColumnsTitlesAndComputedService)
{
    QueryTableModel *m = form->listsModel();
    QStringList titles;
    for (int c = 0; c < m->columnCount(); ++c)
        titles << m->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("List"), QStringLiteral("Description"), QStringLiteral("Assigned\nService"),
                                   QStringLiteral("Updated\nBy"), QStringLiteral("Created"), QStringLiteral("Updated")}));
    EXPECT_EQ(m->index(0, 2).data().toString(), QStringLiteral("Hot Meals"));
    EXPECT_EQ(m->index(1, 2).data().toString(), QStringLiteral("Frozen Meals"));
    EXPECT_FALSE(m->flags(m->index(0, 0)).testFlag(Qt::ItemIsEditable));
    const int w = need<QTableView>("wwDBGridLists")->fontMetrics().averageCharWidth();
    EXPECT_GT(need<QTableView>("wwDBGridLists")->columnWidth(1), need<QTableView>("wwDBGridLists")->columnWidth(0));
    EXPECT_GE(need<QTableView>("wwDBGridLists")->columnWidth(0), 25 * w);

    form->ViewBrowseClick();
    screenshot("lists_browse_page.png");
    // A double click opens the Edit page on the clicked list.
    const QModelIndex second = m->index(1, 0);
    const QRect cell = need<QTableView>("wwDBGridLists")->visualRect(second);
    QTest::mouseClick(need<QTableView>("wwDBGridLists")->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(need<QTableView>("wwDBGridLists")->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(need<QTabWidget>("PageControl")->currentWidget(), need<QWidget>("TabSheetEdit"));
    EXPECT_EQ(lists().asString(QStringLiteral("List_Name")), QStringLiteral("Beta"));
    EXPECT_EQ(need<QLineEdit>("DBEditListName")->text(), QStringLiteral("Beta"));
}

TEST_P(FormListsTest, NewListGetsItsDefaultsAndStamps)
{
    form->ViewBrowseClick();
    need<QToolButton>("NavInsert")->click();
    EXPECT_EQ(need<QTabWidget>("PageControl")->currentWidget(), need<QWidget>("TabSheetEdit"));
    EXPECT_EQ(lists().state(), DataState::Insert);
    EXPECT_EQ(need<QComboBox>("wwDBComboBox1")->currentText(), QStringLiteral("Add to existing members"));
    EXPECT_TRUE(need<QCheckBox>("wwCheckBoxCurrentlyActive")->isChecked());
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupConfirmedStatus")->itemIndex(), 3);
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupService")->itemIndex(), 0);
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupItems")->itemIndex(), 1);
    EXPECT_EQ(need<QLabel>("StatusRowState")->text(), TFormLists::stateText(int(DataState::Insert)));

    QTest::keyClicks(need<QLineEdit>("DBEditListName"), QStringLiteral("Delta"));
    QTest::keyClicks(need<QLineEdit>("DBEdituser"), QStringLiteral("maria"));
    need<QToolButton>("NavPost")->click();
    EXPECT_EQ(lists().state(), DataState::Browse);
    const auto rows = tdb->rows(QStringLiteral("select * from Lists where List_Name = 'Delta'"));
    ASSERT_EQ(rows.size(), 1);
    const QVariantMap r = rows.first();
    EXPECT_EQ(r.value(QStringLiteral("reason")).toString(), QStringLiteral("LST"));
    EXPECT_EQ(r.value(QStringLiteral("add_mode")).toString(), QStringLiteral("A"));
    EXPECT_EQ(r.value(QStringLiteral("active_only")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(r.value(QStringLiteral("checkbox_setting")).toString(), QStringLiteral("I"));
    EXPECT_EQ(r.value(QStringLiteral("service_method")).toString(), QStringLiteral("C"));
    EXPECT_EQ(r.value(QStringLiteral("item_method")).toString(), QStringLiteral("S"));
    EXPECT_EQ(r.value(QStringLiteral("updated_by")).toString(), QStringLiteral("maria"));
    EXPECT_TRUE(r.value(QStringLiteral("service_used")).isNull());
    EXPECT_TRUE(r.value(QStringLiteral("quantity")).isNull());
    EXPECT_FALSE(r.value(QStringLiteral("last_update")).isNull());
    EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_P(FormListsTest, EditingTheDescriptionStampsLastUpdateButKeepsCreateDate)
{
    const QDate created(2025, 1, 2);
    const QDateTime updated(QDate(2025, 1, 3), QTime(10, 0));
    const int eta = tdb->addList(QStringLiteral("Eta"), {{QStringLiteral("Create_Date"), created}, {QStringLiteral("Last_Update"), updated}});
    lists().refresh();
    moveTo(QStringLiteral("Eta"));
    need<QPlainTextEdit>("DBMemo1")->setFocus();
    QTest::keyClicks(need<QPlainTextEdit>("DBMemo1"), QStringLiteral("Spring"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    need<QToolButton>("NavPost")->click();
    const auto rows = tdb->rows(QStringLiteral("select Create_Date, Last_Update, List_Desc from Lists where Record_ID = :id"),
                                {{QStringLiteral("id"), eta}});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().value(QStringLiteral("list_desc")).toString(), QStringLiteral("Spring"));
    EXPECT_EQ(rows.first().value(QStringLiteral("create_date")).toDate(), created);
    EXPECT_GE(rows.first().value(QStringLiteral("last_update")).toDateTime(), before);
}

TEST_P(FormListsTest, APostOverAnotherUsersChangeToTheListAsksAndReloadsOnYes)
{
    moveTo(QStringLiteral("Alpha"));
    need<QPlainTextEdit>("DBMemo1")->setFocus();
    QTest::keyClicks(need<QPlainTextEdit>("DBMemo1"), QStringLiteral(" mine"));
    tdb->exec(QStringLiteral("Update Lists set List_Desc = 'Theirs' where Record_ID = :id"), {{QStringLiteral("id"), alpha}});
    prompts.answerYes();
    need<QToolButton>("NavPost")->click();

    const QString stored = tdb->exec(QStringLiteral("select List_Desc from Lists where Record_ID = :id"), {{QStringLiteral("id"), alpha}}).toString();
    EXPECT_EQ(stored, QStringLiteral("Theirs"));
    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().first().contains(TDataModuleLists::kListRowName.arg(QStringLiteral("Alpha"))));
    EXPECT_TRUE(prompts.questions().first().endsWith(kv::ListsWindowState::kReloadAfterConflict));
    EXPECT_EQ(lists().state(), DataState::Browse);
    EXPECT_EQ(need<QPlainTextEdit>("DBMemo1")->toPlainText(), QStringLiteral("Theirs"));
}

// The window opens on a list whose stored defaults break the rules: it shows
// the row cleared, but looking, moving and closing write nothing.
TEST_P(FormListsTest, OpeningBrowsingAndClosingWithoutAnEditWritesNothing)
{
    tdb->addList(QStringLiteral("Aardvark"), {{QStringLiteral("Service_Method"), QStringLiteral("C")},
                                              {QStringLiteral("Service_Used"), 2},
                                              {QStringLiteral("Item_Method"), QStringLiteral("D")},
                                              {QStringLiteral("Item_to_Deliver"), 7},
                                              {QStringLiteral("Quantity"), 3}});
    form->reject();
    const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Lists")});
    form->show();
    ASSERT_EQ(lists().asString(QStringLiteral("List_Name")), QStringLiteral("Aardvark"));
    EXPECT_EQ(lists().state(), DataState::Edit) << "the rules show the row cleared";
    for (const char *button : {"NavNext", "NavLast", "NavFirst", "NavPrior", "NavNext", "NavNext"})
        need<QToolButton>(button)->click();
    need<QTableView>("wwDBGridLists")->selectRow(0);
    form->reject();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(prompts.texts().isEmpty()) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Lists")}), before);
}

// A server far away answers a showing's lookups and lists in one round trip.
TEST_P(FormListsTest, ShowingAgainReadsTheLookupsAndTheListsInOneRoundTrip)
{
    if (GetParam() != kv::Backend::PostgreSQL)
        GTEST_SKIP() << "a local file pays no round trips";
    form->reject();
    const qint64 before = DataModuleLists->DatabaseLists->roundTrips();
    form->show();
    EXPECT_EQ(DataModuleLists->DatabaseLists->roundTrips() - before, 1);
    EXPECT_TRUE(prompts.texts().isEmpty()) << prompts.texts().join(QLatin1Char('|')).toStdString();
}

// Every save of the window meets another user's change with the question
// Post asks; keeping the change leaves the window as it was, nothing written.
TEST_P(FormListsTest, CloseEditMembersAndDeleteOverAnotherUsersChangeOfferToReadAgain)
{
    const std::vector<std::pair<const char *, std::function<void()>>> saves = {
        {"close", [&] { form->reject(); }},
        {"edit members", [&] { need<QAction>("ActionEditListMembers")->trigger(); }},
        {"delete", [&] { need<QAction>("ActionDeleteList")->trigger(); }},
    };
    for (const auto &[name, press] : saves) {
        SCOPED_TRACE(name);
        prompts.clear();
        moveTo(QStringLiteral("Alpha"));
        QTest::keyClicks(need<QLineEdit>("DBEdituser"), QStringLiteral("me"));
        const QString theirs = QStringLiteral("Theirs ") + QLatin1String(name);
        tdb->exec(QStringLiteral("Update Lists set Updated_By = :d where Record_ID = :id"),
                  {{QStringLiteral("d"), theirs}, {QStringLiteral("id"), alpha}});
        const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("History")});
        prompts.answerYes(); // save first / delete the list
        prompts.answerNo();  // keep my change
        press();
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Lists"), QStringLiteral("History")}), before);
        ASSERT_EQ(prompts.questions().size(), 2);
        EXPECT_TRUE(prompts.questions().last().endsWith(kv::ListsWindowState::kReloadAfterConflict));
        EXPECT_EQ(lists().state(), DataState::Edit) << "the change is kept";
        EXPECT_EQ(lists().asString(QStringLiteral("Updated_By")), QStringLiteral("me"));
        // Kept over the stored values, the next Post writes it.
        need<QToolButton>("NavPost")->click();
        EXPECT_EQ(tdb->exec(QStringLiteral("select Updated_By from Lists where Record_ID = :id"), {{QStringLiteral("id"), alpha}}).toString(),
                  QStringLiteral("me"));
        tdb->exec(QStringLiteral("Update Lists set Updated_By = null where Record_ID = :id"), {{QStringLiteral("id"), alpha}});
        lists().refresh();
    }
}

TEST_P(FormListsTest, UncheckingActiveOnlyEditsTheRowAndStoresN)
{
    moveTo(QStringLiteral("Beta"));
    EXPECT_TRUE(need<QCheckBox>("wwCheckBoxCurrentlyActive")->isChecked());
    need<QCheckBox>("wwCheckBoxCurrentlyActive")->click();
    EXPECT_EQ(lists().state(), DataState::Edit);
    need<QToolButton>("NavPost")->click();
    EXPECT_EQ(tdb->exec(QStringLiteral("select Active_Only from Lists where Record_ID = :id"), {{QStringLiteral("id"), beta}}).toString(),
              QStringLiteral("N"));
}

TEST_P(FormListsTest, AListWithoutCodesShowsNoItemRatherThanThePreviousOnes)
{
    tdb->addList(QStringLiteral("Zeta"), {{QStringLiteral("Checkbox_Setting"), QVariant()}, {QStringLiteral("Active_Only"), QVariant()}});
    lists().refresh();
    moveTo(QStringLiteral("Alpha"));
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupConfirmedStatus")->itemIndex(), 3);
    moveTo(QStringLiteral("Zeta"));
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupConfirmedStatus")->itemIndex(), -1);
    EXPECT_FALSE(need<QCheckBox>("wwCheckBoxCurrentlyActive")->isChecked()); // null shows unchecked
    EXPECT_EQ(lists().state(), DataState::Browse);
}

TEST_P(FormListsTest, DescriptionKeepsTheColumnsLimit)
{
    moveTo(QStringLiteral("Beta"));
    need<QPlainTextEdit>("DBMemo1")->setFocus();
    QTest::keyClicks(need<QPlainTextEdit>("DBMemo1"), QString(260, QLatin1Char('x')));
    EXPECT_EQ(need<QPlainTextEdit>("DBMemo1")->toPlainText().size(), 250);
    EXPECT_EQ(lists().asString(QStringLiteral("List_Desc")).size(), 250);
    need<QToolButton>("NavCancel")->click();
    EXPECT_EQ(lists().state(), DataState::Browse);
    EXPECT_EQ(need<QPlainTextEdit>("DBMemo1")->toPlainText(), QString());
}

TEST_P(FormListsTest, ClosingWhileInsertingAsksAndNoDiscardsTheNewList)
{
    need<QToolButton>("NavInsert")->click();
    QTest::keyClicks(need<QLineEdit>("DBEditListName"), QStringLiteral("Discard me"));
    prompts.answerNo();
    form->reject();
    EXPECT_EQ(prompts.questions(), QStringList{TFormLists::kSaveBeforeClosing});
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(tdb->count(QStringLiteral("Lists")), 3);
    EXPECT_FALSE(lists().isOpen());
    EXPECT_FALSE(DataModuleLists->QueryServices->isOpen());
    // The placement is stored on close.
    QSettings ini(form->settingsFilePath(), QSettings::IniFormat);
    EXPECT_NE(ini.value(QStringLiteral("Form_Positions/FormLists")).toString(), QString());
}

TEST_P(FormListsTest, ClosingWithYesPostsTheEditedRow)
{
    moveTo(QStringLiteral("Alpha"));
    need<QLineEdit>("DBEditListName")->selectAll();
    QTest::keyClicks(need<QLineEdit>("DBEditListName"), QStringLiteral("Alpha 2"));
    EXPECT_EQ(lists().state(), DataState::Edit);
    prompts.answerYes();
    form->reject();
    EXPECT_EQ(tdb->exec(QStringLiteral("select List_Name from Lists where Record_ID = :id"), {{QStringLiteral("id"), alpha}}).toString(),
              QStringLiteral("Alpha 2"));
}

// Reached from a list with the same methods, a stale service stays (no rule
// runs); closing the window empties the lookups, which is no choice of the
// user's and must not turn the list's methods into "Selected ...".
TEST_P(FormListsTest, ClosingKeepsTheMethodsOfAListWithAStaleServiceAndItem)
{
    tdb->addList(QStringLiteral("Aardvark"), {{QStringLiteral("Service_Method"), QStringLiteral("C")},
                                              {QStringLiteral("Item_Method"), QStringLiteral("D")}});
    lists().close();
    lists().open();
    ASSERT_EQ(lists().asString(QStringLiteral("List_Name")), QStringLiteral("Aardvark"));
    moveTo(QStringLiteral("Gamma"));
    ASSERT_EQ(lists().state(), DataState::Browse);
    ASSERT_EQ(need<QComboBox>("wwDBLookupComboService")->currentText(), QStringLiteral("Frozen Meals"));
    QTest::keyClicks(need<QLineEdit>("DBEdituser"), QStringLiteral("lee"));
    ASSERT_EQ(lists().state(), DataState::Edit);
    prompts.answerYes();
    form->reject();
    const auto rows = tdb->rows(QStringLiteral("select * from Lists where List_Name = 'Gamma'"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().value(QStringLiteral("updated_by")).toString(), QStringLiteral("lee"));
    EXPECT_EQ(rows.first().value(QStringLiteral("service_method")).toString(), QStringLiteral("C"));
    EXPECT_EQ(rows.first().value(QStringLiteral("item_method")).toString(), QStringLiteral("D"));
}

// Lookup sets reopened under the row (the options dialog opens them after a
// refused close left them closed) are no choice of the user's: rules 3 and 4
// leave the row alone; picking a service does select "Selected Service:".
TEST_P(FormListsTest, ReopenedLookupsRunNoRuleButTheUsersChoiceDoes)
{
    tdb->addList(QStringLiteral("Aardvark"), {{QStringLiteral("Service_Method"), QStringLiteral("C")},
                                              {QStringLiteral("Item_Method"), QStringLiteral("D")}});
    lists().close();
    lists().open();
    ASSERT_EQ(lists().asString(QStringLiteral("List_Name")), QStringLiteral("Aardvark"));
    for (kv::Query *lookup : {DataModuleLists->QueryServices, DataModuleLists->QueryItems}) {
        lookup->close();
        lookup->open();
    }
    EXPECT_EQ(lists().state(), DataState::Browse);
    EXPECT_EQ(lists().asString(QStringLiteral("Service_Method")), QStringLiteral("C"));
    EXPECT_EQ(lists().asString(QStringLiteral("Item_Method")), QStringLiteral("D"));
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupService")->itemIndex(), 0);
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupItems")->itemIndex(), 0);

    need<QComboBox>("wwDBLookupComboService")->setCurrentIndex(1);
    Q_EMIT need<QComboBox>("wwDBLookupComboService")->activated(1);
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupService")->itemIndex(), 1);
    EXPECT_EQ(lists().asString(QStringLiteral("Service_Method")), QStringLiteral("S"));
    lists().cancel();
}

TEST_P(FormListsTest, MovingToAListWithOwnServiceClearsItsStaleServiceAndItem)
{
    moveTo(QStringLiteral("Alpha"));
    ASSERT_EQ(lists().state(), DataState::Browse);
    moveTo(QStringLiteral("Gamma"));
    EXPECT_EQ(lists().state(), DataState::Edit);
    EXPECT_TRUE(lists().isNull(QStringLiteral("Service_Used")));
    EXPECT_TRUE(lists().isNull(QStringLiteral("Item_to_Deliver")));
    EXPECT_TRUE(lists().isNull(QStringLiteral("Quantity")));
    EXPECT_EQ(lists().asString(QStringLiteral("Service_Method")), QStringLiteral("C")); // no rule flipped it back
    EXPECT_EQ(lists().asString(QStringLiteral("Item_Method")), QStringLiteral("D"));
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboService")->currentIndex(), -1);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboItem")->currentIndex(), -1);
    // Saved like any other edit of the row.
    need<QToolButton>("NavPost")->click();
    EXPECT_TRUE(tdb->exec(QStringLiteral("select Service_Used from Lists where Record_ID = :id"), {{QStringLiteral("id"), gamma}}).isNull());
}

TEST_P(FormListsTest, MovingBetweenListsWithTheSameMethodsRunsNoRule)
{
    moveTo(QStringLiteral("Alpha"));
    moveTo(QStringLiteral("Beta"));
    EXPECT_EQ(lists().state(), DataState::Browse);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboService")->currentText(), QStringLiteral("Frozen Meals"));
    EXPECT_EQ(need<kv::RadioGroup>("RzDBRadioGroupService")->itemIndex(), 1);
    EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_P(FormListsTest, EditMembersAsksToSaveFirst)
{
    moveTo(QStringLiteral("Beta"));
    QTest::keyClicks(need<QLineEdit>("DBEdituser"), QStringLiteral("x"));
    prompts.answerNo();
    kv::ModalDriver::whenShown([](QWidget *w) { kv::ModalDriver::reject(w); });
    need<QAction>("ActionEditListMembers")->trigger();
    ASSERT_FALSE(prompts.questions().isEmpty());
    EXPECT_EQ(prompts.questions().first(), TFormLists::kSaveBeforeMembers);
    EXPECT_EQ(lists().state(), DataState::Browse);
    EXPECT_TRUE(tdb->exec(QStringLiteral("select Updated_By from Lists where Record_ID = :id"), {{QStringLiteral("id"), beta}}).isNull());
}

TEST_P(FormListsTest, DeleteFromTheWindowNotesTheHostsUserAndShowsTheRest)
{
    form->Init(&host);
    tdb->addClient(501);
    tdb->addMember(alpha, 501);
    moveTo(QStringLiteral("Alpha"));
    need<QPushButton>("ButtonDelete")->click(); // Yes to both questions
    EXPECT_EQ(prompts.questions().size(), 2);
    EXPECT_EQ(tdb->count(QStringLiteral("Lists"), QStringLiteral("Record_ID = :id"), {{QStringLiteral("id"), alpha}}), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :id"), {{QStringLiteral("id"), alpha}}), 0);
    const auto notes = tdb->rows(QStringLiteral("select * from History"));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes.first().value(QStringLiteral("event")).toString(), QStringLiteral("Alpha list deleted."));
    EXPECT_EQ(notes.first().value(QStringLiteral("user")).toString(), QStringLiteral("hostuser"));
    EXPECT_EQ(lists().recordCount(), 2);
    EXPECT_EQ(form->listsModel()->rowCount(), 2);
}

TEST_P(FormListsTest, FulfilFromTheWindowWritesDeliveriesInTheHostUsersName)
{
    form->Init(&host);
    tdb->addClient(601);
    tdb->addMember(alpha, 601);
    moveTo(QStringLiteral("Alpha"));
    bool listShown = false;
    kv::ModalDriver::whenShown(
        [&](QWidget *w) {
            auto *dialog = qobject_cast<TFormListFulfillmentOptions *>(w);
            ASSERT_NE(dialog, nullptr);
            listShown = dialog->listText() == QStringLiteral("Alpha");
            EXPECT_EQ(FormListFulfillmentOptions, dialog);
            kv::test::need<TDeliveryDateEdit>(dialog, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(QDate(2026, 12, 24));
            kv::test::need<QCheckBox>(dialog, QStringLiteral("wwCheckBoxCurrentlyActive"))->setChecked(false);
            kv::test::need<kv::RadioGroup>(dialog, QStringLiteral("RzRadioGroupConfirmedStatus"))->setItemIndex(3);
            kv::ModalDriver::click(dialog, QStringLiteral("BitBtnOK"));
        },
        QStringLiteral("TFormListFulfillmentOptions"));
    prompts.answer(kv::Prompts::Answer::Ok); // the number of members
    need<QPushButton>("ButtonFulfill")->click();
    EXPECT_TRUE(listShown);
    const auto deliveries = tdb->rows(QStringLiteral("select * from EpisodicDeliveries"));
    ASSERT_EQ(deliveries.size(), 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(deliveries.first().value(QStringLiteral("created_by")).toString(), QStringLiteral("hostuser (List)"));
    EXPECT_EQ(deliveries.first().value(QStringLiteral("list_id")).toInt(), alpha);
    EXPECT_EQ(tdb->count(QStringLiteral("History"), QStringLiteral("\"User\" = 'hostuser'")), 1);
    // The dialog and the progress window are gone.
    EXPECT_EQ(FormListFulfillmentOptions, nullptr);
    EXPECT_TRUE(form->findChildren<TFormMessageBox *>().isEmpty());
    EXPECT_TRUE(form->findChildren<TFormListFulfillmentOptions *>().isEmpty());
}

TEST_P(FormListsTest, AboutBoxOpensModallyFromTheHelpMenu)
{
    QString title;
    kv::ModalDriver::whenShown([&](QWidget *w) {
        title = w->windowTitle();
        kv::ModalDriver::click(w, QStringLiteral("BitBtnClose"));
    });
    need<QAction>("MenuHelpAbout")->trigger();
    EXPECT_EQ(title, QStringLiteral("About..."));
    EXPECT_TRUE(form->findChildren<QDialog *>(QStringLiteral("FormAboutKestrovan")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, FormListsTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL));

#include "form_lists_test.moc"
