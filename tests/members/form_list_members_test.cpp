// The members window driven as a user drives it: tabs, grid, footer, check
// boxes, sorting, paging, search, menus, closing, layout and placement.

#include "data/data_module.h"
#include "data/engine/query.h"
#include "members/member_row_set.h"
#include "members/ui/form_client_editor.h"
#include "members/ui/form_list_members.h"
#include "members/ui/members_grid.h"
#include "shell/ui/record_navigator.h"
#include "shell/ui/date_field.h"
#include "support/modal_driver.h"
#include "shell/window_placement.h"
#include "member_ops_fixture.h"
#include "support/fault_injection.h"
#include "support/find_widget.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCalendarWidget>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using RS = kv::MemberRowSet;

namespace {

// The window on either backend: the refusals it must survive come from the database.
class MembersWindowTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    SettingsSandbox sandbox;
    std::unique_ptr<TestDatabase> tdb;
    ScriptedPrompts prompts;
    std::unique_ptr<TDataModuleLists> dm;
    std::unique_ptr<TFormListMembers> form;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
    }

    void TearDown() override
    {
        kv::ModalDriver::cancelAll();
        tester.reset();
        form.reset();
    }

    QString iniPath() const { return sandbox.appDataDir() + QStringLiteral("/Brenqui.ini"); }

    // Connects, makes `current` the lists window's current list and shows the window.
    void open(const QString &current)
    {
        if (!dm) {
            dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
            dm->DataModuleCreate();
            dm->cAppDataFolder = sandbox.appDataDir() + QStringLiteral("/");
        }
        dm->QueryLists->refresh();
        if (!current.isEmpty())
            dm->QueryLists->locate({QStringLiteral("List_Name")}, {current});
        form = std::make_unique<TFormListMembers>(*dm, prompts);
        tester = std::make_unique<QAbstractItemModelTester>(form->ClientDataSetListMembers,
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        form->show();
        QApplication::setActiveWindow(form.get());
        QCoreApplication::processEvents();
    }

    void closeForm()
    {
        form->close();
        QCoreApplication::processEvents();
    }

    RS &rows() { return *form->ClientDataSetListMembers; }

    // One of the window's controls, by its object name.
    template<class T>
    T *control(const QString &name) const
    {
        return kv::test::need<T>(form.get(), name);
    }
    kv::MembersGrid *grid() { return control<kv::MembersGrid>(QStringLiteral("wwDBGridListMembers")); }
    QTabBar *tabBar() { return control<QTabBar>(QStringLiteral("RzTabControl1")); }
    QLineEdit *searchBox() { return control<QLineEdit>(QStringLiteral("wwIncrementalSearch1")); }

    QStringList tabs()
    {
        QStringList t;
        for (int i = 0; i < tabBar()->count(); ++i)
            t << tabBar()->tabText(i);
        return t;
    }

    QStringList column(int field)
    {
        QStringList out;
        for (int r = 0; r < rows().recordCount(); ++r)
            out << rows().valueAt(r, field).toString();
        return out;
    }

    void clickTitle(int field)
    {
        QHeaderView *h = grid()->horizontalHeader();
        if (rows().recordCount() > 0)
            grid()->scrollTo(rows().index(0, field));
        QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(h->sectionViewportPosition(field) + h->sectionSize(field) / 2, h->height() - 5));
    }

    void clickCell(int viewRow, int field, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QModelIndex idx = rows().index(viewRow, field);
        grid()->scrollTo(idx);
        const QRect r = grid()->visualRect(idx);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, mods, r.center());
    }

    QVariantMap member(int person)
    {
        const auto r = tdb->rows(QStringLiteral("Select * from List_Members where Person_ID = :P"), {{QStringLiteral("P"), person}});
        return r.isEmpty() ? QVariantMap() : r.first();
    }

    static QStringList entries(const QMenu *menu)
    {
        QStringList out;
        for (QAction *a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : QString(a->text()).remove(QLatin1Char('&')));
        return out;
    }
};

TEST_P(MembersWindowTest, ShowsOneTabPerListInNameOrderAndLoadsTheCurrentList)
{
    const int beta = tdb->addList(QStringLiteral("Beta"));
    tdb->addList(QStringLiteral("Alpha"));
    tdb->addList(QStringLiteral("Gamma"));
    tdb->addList(QStringLiteral("Other"), {{QStringLiteral("Reason"), QStringLiteral("XYZ")}});
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Zed")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("Amos")}});
    tdb->addMember(beta, 1, {{QStringLiteral("Quantity"), 2}});
    tdb->addMember(beta, 2, {{QStringLiteral("Quantity"), 3}});
    open(QStringLiteral("Beta"));

    EXPECT_EQ(form->windowTitle(), QStringLiteral("List Members"));
    EXPECT_EQ(form->size(), QSize(800, 600));
    EXPECT_EQ(FormListMembers, form.get());
    EXPECT_EQ(tabs(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")}));
    EXPECT_EQ(tabBar()->currentIndex(), 1);
    EXPECT_EQ(form->nCurrentListID, beta);
    EXPECT_EQ(column(RS::Last_Name), (QStringList{QStringLiteral("Amos"), QStringLiteral("Zed")}));
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneListName"))->text(), QStringLiteral("Beta"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneMemberCount"))->text(), QStringLiteral("Members: 2"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneFilter"))->text(), QStringLiteral("Filter: None"));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzKeyCombo"))->currentText(), QStringLiteral("Last Name"));
    EXPECT_EQ(control<QProgressBar>(QStringLiteral("RzProgressBar1"))->value(), 0);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(searchBox()));

    // Another tab loads its own list.
    tabBar()->setCurrentIndex(0);
    EXPECT_EQ(rows().recordCount(), 0);
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneMemberCount"))->text(), QStringLiteral("Members: 0"));
    EXPECT_EQ(grid()->footerText(RS::Quantity), QStringLiteral("0"));
    EXPECT_EQ(grid()->footerText(RS::Client_ID), QStringLiteral("0"));
    closeForm();
    EXPECT_EQ(FormListMembers, nullptr);
}

TEST_P(MembersWindowTest, FooterCountsShownRowsWhileTheStatusCountsEveryMember)
{
    const int list = tdb->addList(QStringLiteral("L"));
    for (int p = 1; p <= 4; ++p)
        tdb->addClient(p, {{QStringLiteral("Last_Name"), QStringLiteral("N%1").arg(p)}});
    tdb->addMember(list, 1, {{QStringLiteral("Quantity"), 2}});
    tdb->addMember(list, 2, {{QStringLiteral("Quantity"), 5}, {QStringLiteral("Client_ID"), QString()}});
    tdb->addMember(list, 3, {{QStringLiteral("Quantity"), 40}, {QStringLiteral("RecVisible"), false}});
    tdb->addMember(list, 4); // no quantity
    tdb->addMember(list, 77); // no client row
    open(QStringLiteral("L"));
    // The pane says that the footer's rows are not all of them.
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneMemberCount"))->text(), QStringLiteral("Members: 4, 1 hidden"));
    EXPECT_EQ(rows().recordCount(), 3);
    EXPECT_EQ(grid()->footerText(RS::Client_ID), QStringLiteral("2"));
    EXPECT_EQ(grid()->footerText(RS::Quantity), QStringLiteral("7"));

    // A quantity typed into the grid shows in the footer once posted.
    rows().setRecNo(0);
    rows().edit();
    rows().setFieldValue(RS::Quantity, 12);
    rows().post();
    EXPECT_EQ(grid()->footerText(RS::Quantity), QStringLiteral("17"));

    // Hiding one more is counted once the list is read again; the numbers are the user's.
    rows().setRecNo(0);
    grid()->selectBookmarks({rows().getBookmark()});
    form->ActionHideSelectedExecute();
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneMemberCount"))->text(), QStringLiteral("Members: 4, 2 hidden"));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(TFormListMembers::memberCountText(1651, 1, us), QStringLiteral("Members: 1,651, 1 hidden"));
    EXPECT_EQ(TFormListMembers::memberCountText(1651, 0, us), QStringLiteral("Members: 1,651"));
}

TEST_P(MembersWindowTest, EveryMemberHiddenLeavesAnEmptyGridAndZeroFooters)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1);
    tdb->addMember(list, 1, {{QStringLiteral("Quantity"), 2}, {QStringLiteral("RecVisible"), false}});
    open(QStringLiteral("L"));
    EXPECT_EQ(rows().recordCount(), 0);
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneMemberCount"))->text(), QStringLiteral("Members: 1, 1 hidden"));
    EXPECT_EQ(grid()->footerText(RS::Client_ID), QStringLiteral("0"));
    EXPECT_EQ(grid()->footerText(RS::Quantity), QStringLiteral("0"));
}

TEST_P(MembersWindowTest, GridColumnsTitlesAndGroups)
{
    tdb->addList(QStringLiteral("L"));
    open(QStringLiteral("L"));
    EXPECT_EQ(grid()->visualFieldOrder(),
              (QStringList{QStringLiteral("Client_ID"), QStringLiteral("First_Name"), QStringLiteral("Last_Name"),
                           QStringLiteral("Address1"), QStringLiteral("City"), QStringLiteral("Invited"),
                           QStringLiteral("Confirmed"), QStringLiteral("Quantity"), QStringLiteral("Service_Desc"),
                           QStringLiteral("Status"), QStringLiteral("Start_Dte"), QStringLiteral("Stop_Dte"),
                           QStringLiteral("Dependent"), QStringLiteral("Household_Name"), QStringLiteral("Delivery_Type"),
                           QStringLiteral("Def_Rte"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
                           QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
                           QStringLiteral("Saturday"), QStringLiteral("Sunday"), QStringLiteral("Add_Dte")}));
    EXPECT_EQ(grid()->columnOfField(RS::Client_ID)->title, QStringLiteral("Client~ID"));
    EXPECT_EQ(grid()->columnOfField(RS::Last_Name)->group, QStringLiteral("Name"));
    EXPECT_EQ(grid()->columnOfField(RS::Sunday)->group, QStringLiteral("Delivery Days"));
    EXPECT_EQ(grid()->columnWidth(RS::Last_Name), grid()->designWidthPixels(13));
    EXPECT_TRUE(grid()->isColumnHidden(RS::Record_ID));
    EXPECT_TRUE(grid()->isColumnHidden(RS::RecVisible));
    EXPECT_EQ(grid()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_P(MembersWindowTest, MenusAndPopupHoldEveryEntryInOrder)
{
    tdb->addList(QStringLiteral("L"));
    open(QStringLiteral("L"));
    const QList<QAction *> top = control<QMenuBar>(QStringLiteral("MainMenu1"))->actions();
    QStringList titles;
    for (QAction *a : top)
        titles << QString(a->text()).remove(QLatin1Char('&')); // the underlined letters aside
    EXPECT_EQ(titles, (QStringList{QStringLiteral("File"), QStringLiteral("Manage Members"),
                                   QStringLiteral("Manage Checkmarks and Visibility"), QStringLiteral("Filtered Reports"),
                                   QStringLiteral("Help")}));
    EXPECT_EQ(entries(top[0]->menu()), QStringList{QStringLiteral("Close")});
    EXPECT_EQ(entries(top[1]->menu()),
              (QStringList{QStringLiteral("Add Names"), QStringLiteral("-"), QStringLiteral("Remove selected names from list"),
                           QStringLiteral("Remove all names from list"), QStringLiteral("-"),
                           QStringLiteral("Copy selected names to another list")}));
    EXPECT_EQ(entries(top[2]->menu()),
              (QStringList{QStringLiteral("Check all Invited checkmarks"), QStringLiteral("Clear all Invited checkmarks"),
                           QStringLiteral("-"), QStringLiteral("Check selected Confirmed checkmarks"),
                           QStringLiteral("Check all Confirmed checkmarks"), QStringLiteral("Clear selected Confirmed checkmarks"),
                           QStringLiteral("Clear all Confirmed checkmarks"), QStringLiteral("-"),
                           QStringLiteral("Set Selected Quantities"), QStringLiteral("-"),
                           QStringLiteral("Filter list to Confirmed status is checked"),
                           QStringLiteral("Filter list to Confirmed status is not checked"),
                           QStringLiteral("Filter list to Confirmed status is unknown"), QStringLiteral("-"),
                           QStringLiteral("Hide specified delivery days"), QStringLiteral("Hide selected names"),
                           QStringLiteral("Make all names visible")}));
    EXPECT_EQ(entries(top[3]->menu()), (QStringList{QStringLiteral("Print"), QStringLiteral("Export")}));
    EXPECT_EQ(entries(top[3]->menu()->actions()[0]->menu()),
              (QStringList{QStringLiteral("Complete Information"), QStringLiteral("Phone List"), QStringLiteral("Address Labels"),
                           QStringLiteral("-"), QStringLiteral("Label Stock"), QStringLiteral("Label Alignment Page")}));
    EXPECT_EQ(entries(top[3]->menu()->actions()[0]->menu()->actions()[4]->menu()),
              (QStringList{QStringLiteral("30 to a sheet, 1 x 2 5/8 in"), QStringLiteral("10 to a sheet, 2 x 4 in"),
                           QStringLiteral("14 to a sheet, 1 1/3 x 4 in")}));
    EXPECT_FALSE(top[3]->menu()->actions()[1]->isEnabled());
    EXPECT_EQ(entries(top[4]->menu()), QStringList{QStringLiteral("About")});
    EXPECT_EQ(entries(control<QMenu>(QStringLiteral("PopupMenu1"))),
              (QStringList{QStringLiteral("Add names to list"), QStringLiteral("-"), QStringLiteral("Remove selected names from list"),
                           QStringLiteral("Remove all names from list"), QStringLiteral("-"),
                           QStringLiteral("Copy selected names to another list"), QStringLiteral("-"),
                           QStringLiteral("Check selected Confirmed checkmarks"), QStringLiteral("Check all Confirmed checkmarks"),
                           QStringLiteral("Clear selected Confirmed checkmarks"), QStringLiteral("Clear all Confirmed checkmarks"),
                           QStringLiteral("-"), QStringLiteral("Check all Invited checkmarks"),
                           QStringLiteral("Clear all Invited checkmarks"), QStringLiteral("-"),
                           QStringLiteral("Set Selected Quantities"), QStringLiteral("-"),
                           QStringLiteral("Filter list to Confirmed status is checked"),
                           QStringLiteral("Filter list to Confirmed status is not checked"),
                           QStringLiteral("Filter list to Confirmed status is unknown"), QStringLiteral("-"),
                           QStringLiteral("Hide specified delivery days"), QStringLiteral("Hide selected names"),
                           QStringLiteral("Make all names visible")}));
    for (const char *name : {"ActionAddMembers", "ActionClickConfirm", "ActionClickInvited", "ActionSearch",
                             "ActionShowClientEditor", "ActionMakeAllVisible"})
        EXPECT_NE(form->findChild<QAction *>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(control<QAction>(QStringLiteral("ActionAddMembers"))->text(), QStringLiteral("Add"));
    EXPECT_EQ(control<QAction>(QStringLiteral("ActionClickConfirm"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(control<QAction>(QStringLiteral("ActionClickInvited"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+I")));
    const auto *nav = control<kv::RecordNavigator>(QStringLiteral("wwDBNavigator1"));
    EXPECT_EQ(nav->buttons().size(), 8);
    EXPECT_EQ(nav->buttons()[1]->accessibleName(), QStringLiteral("Move backward 10 records"));
    EXPECT_EQ(nav->buttons()[4]->accessibleName(), QStringLiteral("Move forward 10 records"));
}

TEST_P(MembersWindowTest, ACheckBoxChangesOnOneClickAndTheChangesAreSavedOnClose)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("A")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("B")}});
    tdb->addMember(list, 1, {{QStringLiteral("Invited"), QStringLiteral("N")}, {QStringLiteral("Confirmed"), QStringLiteral("N")}});
    tdb->addMember(list, 2, {{QStringLiteral("Invited"), QStringLiteral("Y")}, {QStringLiteral("Quantity"), 3}});
    open(QStringLiteral("L"));

    clickCell(0, RS::Invited);
    EXPECT_EQ(rows().valueAt(0, RS::Invited).toString(), QStringLiteral("Y"));
    clickCell(0, RS::Confirmed); // "N" → unknown
    EXPECT_FALSE(rows().valueAt(0, RS::Confirmed).isValid());
    EXPECT_EQ(rows().data(rows().index(0, RS::Confirmed), Qt::CheckStateRole).toInt(), Qt::PartiallyChecked);
    clickCell(1, RS::Invited); // moving on posts the first row
    EXPECT_EQ(rows().valueAt(1, RS::Invited).toString(), QStringLiteral("N"));
    EXPECT_EQ(rows().changeCount(), 1);
    // A quantity cleared in the grid: no quantity.
    rows().setData(rows().index(1, RS::Quantity), QVariant());
    closeForm();
    EXPECT_TRUE(prompts.questions().contains(TFormListMembers::kSaveBeforeClosing)); // pending edit, answered Yes

    const QVariantMap m1 = member(1), m2 = member(2);
    EXPECT_EQ(m1.value(QStringLiteral("invited")).toString(), QStringLiteral("Y"));
    EXPECT_TRUE(m1.value(QStringLiteral("confirmed")).isNull());
    EXPECT_EQ(m1.value(QStringLiteral("updated_by")).toString(), QStringLiteral("(List)"));
    EXPECT_EQ(m2.value(QStringLiteral("invited")).toString(), QStringLiteral("N"));
    EXPECT_TRUE(m2.value(QStringLiteral("quantity")).isNull());
}

TEST_P(MembersWindowTest, ClosingWithAnUnpostedEditAndNoDiscardsOnlyThatEdit)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("A")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("B")}});
    tdb->addMember(list, 1, {{QStringLiteral("Quantity"), 1}});
    tdb->addMember(list, 2, {{QStringLiteral("Quantity"), 1}});
    open(QStringLiteral("L"));
    rows().setData(rows().index(0, RS::Quantity), 5);
    rows().setData(rows().index(1, RS::Quantity), 6); // posts the first
    prompts.answerNo();
    closeForm();
    EXPECT_EQ(prompts.questions(), QStringList{TFormListMembers::kSaveBeforeClosing});
    EXPECT_EQ(member(1).value(QStringLiteral("quantity")).toInt(), 5);
    EXPECT_EQ(member(2).value(QStringLiteral("quantity")).toInt(), 1);
}

TEST_P(MembersWindowTest, AQuantityEditorLeftUnchangedEditsNothingAndLongValuesWrapInGrownRows)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("A")},
                      {QStringLiteral("Address1"), QStringLiteral("12 Long Winding Road, Apartment 56")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("B")}, {QStringLiteral("Address1"), QStringLiteral("1 Elm")}});
    tdb->addMember(list, 1, {{QStringLiteral("Quantity"), 4}});
    tdb->addMember(list, 2, {{QStringLiteral("Quantity"), QVariant()}});
    open(QStringLiteral("L"));

    // A long value wraps and its row grows; a short one keeps the usual height.
    const int lineHeight = grid()->fontMetrics().height();
    EXPECT_GE(grid()->rowHeight(0), 2 * lineHeight);
    EXPECT_EQ(grid()->rowHeight(1), grid()->verticalHeader()->defaultSectionSize());

    // Opening the quantity editor and leaving it as it was (a figure, and none).
    for (int row : {0, 1}) {
        const QModelIndex idx = rows().index(row, RS::Quantity);
        grid()->setCurrentIndex(idx);
        grid()->edit(idx);
        auto *editor = grid()->findChild<QLineEdit *>(QStringLiteral("QuantityEditor"));
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_EQ(rows().state(), kv::DataState::Browse) << row;
    }
    EXPECT_EQ(rows().changeCount(), 0);
    closeForm();
    EXPECT_TRUE(prompts.questions().isEmpty());
}

TEST_P(MembersWindowTest, TheQuantityCellTakesZeroTo999AndEmptyClearsIt)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1);
    tdb->addMember(list, 1, {{QStringLiteral("Quantity"), 4}});
    open(QStringLiteral("L"));
    const struct
    {
        const char *typed;
        QVariant stored;
    } cases[] = {{"100000", 100}, {"", QVariant()}, {"0", 0}, {"999", 999}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        const QModelIndex idx = rows().index(0, RS::Quantity);
        grid()->setCurrentIndex(idx);
        grid()->edit(idx);
        auto *editor = grid()->findChild<QLineEdit *>(QStringLiteral("QuantityEditor"));
        ASSERT_NE(editor, nullptr);
        editor->clear();
        QTest::keyClicks(editor, QString::fromLatin1(c.typed));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits after the key
        EXPECT_EQ(rows().fieldValue(RS::Quantity), c.stored);
        rows().post();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the closed editor
    }
    if (const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS"); !dir.isEmpty())
        form->grab().save(dir + QStringLiteral("/list_members_footer.png"));
}

TEST_P(MembersWindowTest, AnEditIsSavedForThePreviousTabBeforeTheNewTabLoads)
{
    const int a = tdb->addList(QStringLiteral("A"));
    const int b = tdb->addList(QStringLiteral("B"));
    tdb->addClient(1);
    tdb->addMember(a, 1, {{QStringLiteral("Quantity"), 1}});
    open(QStringLiteral("A"));
    rows().setData(rows().index(0, RS::Quantity), 9);
    tabBar()->setCurrentIndex(1);
    EXPECT_EQ(form->nCurrentListID, b);
    EXPECT_EQ(member(1).value(QStringLiteral("quantity")).toInt(), 9);
    EXPECT_EQ(rows().recordCount(), 0);
}

TEST_P(MembersWindowTest, TitleClicksAndTheKeyComboChooseOrdersAndBands)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Cole")}, {QStringLiteral("Monday"), true},
                      {QStringLiteral("Add_Dte"), QDate(2020, 1, 1)}, {QStringLiteral("City"), QStringLiteral("Oslo")}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("Adams")}, {QStringLiteral("Monday"), false},
                      {QStringLiteral("Add_Dte"), QDate(2024, 1, 1)}, {QStringLiteral("City"), QStringLiteral("Bergen")}});
    tdb->addClient(3, {{QStringLiteral("Last_Name"), QStringLiteral("Berg")}, {QStringLiteral("Monday"), true},
                      {QStringLiteral("Add_Dte"), QDate(2022, 1, 1)}, {QStringLiteral("City"), QStringLiteral("Bergen")}});
    for (int p = 1; p <= 3; ++p)
        tdb->addMember(list, p);
    open(QStringLiteral("L"));

    clickTitle(RS::Address1);
    EXPECT_EQ(rows().indexName(), QStringLiteral("Last_Name"));
    EXPECT_EQ(form->groupColumn(), QString());
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzKeyCombo"))->currentIndex(), 2);

    clickTitle(RS::Monday);
    EXPECT_EQ(rows().indexName(), QStringLiteral("Monday"));
    EXPECT_EQ(form->groupColumn(), QStringLiteral("Monday"));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzKeyCombo"))->currentText(), QStringLiteral("Monday"));
    EXPECT_EQ(column(RS::Last_Name), (QStringList{QStringLiteral("Adams"), QStringLiteral("Cole"), QStringLiteral("Berg")}));
    // Bands follow Monday: Adams alone, then Cole and Berg together.
    EXPECT_FALSE(grid()->rowTinted(0));
    EXPECT_TRUE(grid()->rowTinted(1));
    EXPECT_TRUE(grid()->rowTinted(2));

    form->RzKeyComboChange(2); // "Last Name": order changes, the bands still follow Monday
    EXPECT_EQ(rows().indexName(), QStringLiteral("Last_Name"));
    EXPECT_EQ(form->groupColumn(), QStringLiteral("Monday"));

    form->RzKeyComboChange(23);
    EXPECT_EQ(column(RS::Last_Name), (QStringList{QStringLiteral("Adams"), QStringLiteral("Berg"), QStringLiteral("Cole")}));

    clickTitle(RS::City);
    EXPECT_EQ(form->groupColumn(), QStringLiteral("City"));
    clickTitle(RS::Client_ID);
    EXPECT_EQ(form->groupColumn(), QString());

    // A load brings back "Last_Name" and "Last Name", and leaves the group column.
    clickTitle(RS::Monday);
    form->RzTabControl1Change();
    EXPECT_EQ(rows().indexName(), QStringLiteral("Last_Name"));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzKeyCombo"))->currentText(), QStringLiteral("Last Name"));
    EXPECT_EQ(form->groupColumn(), QStringLiteral("Monday"));
    EXPECT_EQ(TFormListMembers::keyComboEntries().size(), 24);
}

TEST_P(MembersWindowTest, PageButtonsMove23RowsAndStopAtTheEnds)
{
    const int list = tdb->addList(QStringLiteral("L"));
    for (int p = 1; p <= 30; ++p) {
        tdb->addClient(p, {{QStringLiteral("Last_Name"), QStringLiteral("N%1").arg(p, 2, 10, QLatin1Char('0'))}});
        tdb->addMember(list, p);
    }
    open(QStringLiteral("L"));
    auto *next = control<kv::RecordNavigator>(QStringLiteral("wwDBNavigator1"))->button(kv::RecordNavigator::NextPage);
    auto *prior = control<kv::RecordNavigator>(QStringLiteral("wwDBNavigator1"))->button(kv::RecordNavigator::PriorPage);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(rows().recNo(), 23);
    EXPECT_EQ(grid()->currentIndex().row(), 23);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(rows().recNo(), 29);
    rows().setRecNo(2);
    QTest::mouseClick(prior, Qt::LeftButton);
    EXPECT_EQ(rows().recNo(), 0);
}

TEST_P(MembersWindowTest, SelectionFollowsPlainCtrlAndShiftClicks)
{
    const int list = tdb->addList(QStringLiteral("L"));
    for (int p = 1; p <= 6; ++p) {
        tdb->addClient(p, {{QStringLiteral("Last_Name"), QStringLiteral("N%1").arg(p)}});
        tdb->addMember(list, p);
    }
    open(QStringLiteral("L"));
    auto persons = [&] {
        QStringList out;
        for (auto b : form->gridSelection())
            out << rows().storedValue(b, RS::Person_ID).toString();
        return out;
    };
    clickCell(1, RS::Last_Name);
    EXPECT_EQ(persons(), QStringList{QStringLiteral("2")});
    clickCell(3, RS::Last_Name, Qt::ControlModifier);
    EXPECT_EQ(persons(), (QStringList{QStringLiteral("2"), QStringLiteral("4")}));
    clickCell(1, RS::Last_Name, Qt::ControlModifier);
    EXPECT_EQ(persons(), QStringList{QStringLiteral("4")});
    clickCell(3, RS::Last_Name, Qt::ControlModifier);
    clickCell(5, RS::Last_Name, Qt::ShiftModifier); // a range from the last click
    EXPECT_EQ(persons(), (QStringList{QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")}));
    clickCell(0, RS::Last_Name);
    EXPECT_EQ(persons(), QStringList{QStringLiteral("1")});
    // A change of order keeps the selection; a load empties it.
    form->RzKeyComboChange(0);
    EXPECT_EQ(persons(), QStringList{QStringLiteral("1")});
    form->RzTabControl1Change();
    EXPECT_TRUE(form->gridSelection().isEmpty());
}

TEST_P(MembersWindowTest, SearchBoxFindsAndCompletesOnTheActiveOrder)
{
    const int list = tdb->addList(QStringLiteral("L"));
    const char *names[] = {"Adams", "Baker", "smith", "Smythe", "Young"};
    for (int p = 1; p <= 5; ++p) {
        tdb->addClient(p, {{QStringLiteral("Last_Name"), QString::fromLatin1(names[p - 1])}});
        tdb->addMember(list, p);
    }
    open(QStringLiteral("L"));
    rows().first();
    grid()->setFocus();
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(searchBox()));
    QTest::keyClicks(searchBox(), QStringLiteral("SM"));
    EXPECT_EQ(rows().fieldValue(RS::Last_Name).toString(), QStringLiteral("smith"));
    EXPECT_EQ(searchBox()->text(), QStringLiteral("SMith"));
    QTest::keyClicks(searchBox(), QStringLiteral("y"));
    EXPECT_EQ(rows().fieldValue(RS::Last_Name).toString(), QStringLiteral("Smythe"));
    // No value begins with the text: the closest one after it.
    searchBox()->clear();
    QTest::keyClicks(searchBox(), QStringLiteral("W"));
    EXPECT_EQ(rows().fieldValue(RS::Last_Name).toString(), QStringLiteral("Young"));
}

TEST_P(MembersWindowTest, SearchLeavesTheFoundRowInViewWhileRowsAboveItGrow)
{
    const int list = tdb->addList(QStringLiteral("L"));
    for (int p = 1; p <= 60; ++p) {
        tdb->addClient(p, {{QStringLiteral("Last_Name"), QStringLiteral("N%1").arg(p, 2, 10, QLatin1Char('0'))},
                          {QStringLiteral("Address1"), QStringLiteral("12 Long Winding Road, Apartment %1").arg(p)}});
        tdb->addMember(list, p);
    }
    open(QStringLiteral("L"));
    QTest::keyClicks(searchBox(), QStringLiteral("N55"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(rows().fieldValue(RS::Last_Name).toString(), QStringLiteral("N55"));
    const QRect found = grid()->visualRect(rows().index(rows().recNo(), RS::Last_Name));
    EXPECT_GE(found.top(), 0);
    EXPECT_LE(found.bottom(), grid()->viewport()->height());
}

TEST_P(MembersWindowTest, KeyboardCyclesRunTheirActions)
{
    tdb->addList(QStringLiteral("L"));
    open(QStringLiteral("L"));
    int confirm = 0, invited = 0;
    QObject::connect(control<QAction>(QStringLiteral("ActionClickConfirm")), &QAction::triggered, [&] { ++confirm; });
    QObject::connect(control<QAction>(QStringLiteral("ActionClickInvited")), &QAction::triggered, [&] { ++invited; });
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(grid(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(confirm, 1);
    EXPECT_EQ(invited, 1);
    // Also from the search box, which has the focus when the window opens.
    searchBox()->setFocus();
    QTest::keyClick(searchBox(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(confirm, 2);
}

// Tabs stand for their lists by id: the one chosen in the lists window is
// selected, and each of two lists of one name shows its own members.
TEST_P(MembersWindowTest, TwoListsWithOneNameGetTwoTabsEachShowingItsOwnList)
{
    const int first = tdb->addList(QStringLiteral("Same"));
    const int second = tdb->addList(QStringLiteral("Same"));
    tdb->addList(QStringLiteral("Zulu & Co"));
    tdb->addClient(51);
    tdb->addMember(second, 51);
    open(QStringLiteral("Same"));
    EXPECT_EQ(tabs(), (QStringList{QStringLiteral("Same"), QStringLiteral("Same"), QStringLiteral("Zulu && Co")}));
    const int chosen = int(dm->QueryLists->asInteger(QStringLiteral("Record_ID")));
    EXPECT_EQ(form->nCurrentListID, chosen);
    for (const int tab : {0, 1}) {
        tabBar()->setCurrentIndex(tab);
        const int expected = tab == 0 ? first : second;
        EXPECT_EQ(form->nCurrentListID, expected);
        EXPECT_EQ(form->memberRowSet().totalRowCount(), expected == second ? 1 : 0);
    }
    tabBar()->setCurrentIndex(2);
    EXPECT_EQ(control<QLabel>(QStringLiteral("RzStatusPaneListName"))->text(), QStringLiteral("Zulu & Co"));
}

TEST_P(MembersWindowTest, WithNoListsThereAreNoTabsAndClosingSavesNothing)
{
    open(QString());
    EXPECT_EQ(tabBar()->count(), 0);
    EXPECT_EQ(rows().recordCount(), 0);
    closeForm();
    EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_P(MembersWindowTest, ColumnLayoutAndPlacementAreKeptInTheSettingsFile)
{
    tdb->addList(QStringLiteral("L"));
    {
        QSettings ini(iniPath(), QSettings::IniFormat);
        // A stored layout from before the "Added" column existed, with Last first.
        ini.setValue(QStringLiteral("FormListMembers.wwDBGridListMembers/Columns"),
                     QStringList{QStringLiteral("Last_Name;150"), QStringLiteral("Client_ID;60"), QStringLiteral("NoLonger;40")});
        ini.setValue(QStringLiteral("Form_Positions/FormListMembers"), QStringLiteral("0 20 0 560 800"));
    }
    open(QStringLiteral("L"));
    const QStringList order = grid()->visualFieldOrder();
    ASSERT_GE(order.size(), 3);
    EXPECT_EQ(order[0], QStringLiteral("Last_Name"));
    EXPECT_EQ(order[1], QStringLiteral("Client_ID"));
    EXPECT_TRUE(order.contains(QStringLiteral("Add_Dte")));
    EXPECT_EQ(order.size(), 24);
    EXPECT_EQ(grid()->columnWidth(RS::Last_Name), 150);
    EXPECT_EQ(form->width(), 800);
    EXPECT_EQ(form->height(), 560);
    grid()->setColumnWidth(RS::City, 99);
    closeForm();

    QSettings ini(iniPath(), QSettings::IniFormat);
    const QStringList saved = ini.value(QStringLiteral("FormListMembers.wwDBGridListMembers/Columns")).toStringList();
    EXPECT_EQ(saved.size(), 24);
    EXPECT_EQ(saved.filter(QRegularExpression(QStringLiteral("^Add_Dte;\\d+$"))).size(), 1);
    EXPECT_TRUE(saved.contains(QStringLiteral("City;99")));
    EXPECT_EQ(saved.first(), QStringLiteral("Last_Name;150"));
    EXPECT_TRUE(ini.contains(QStringLiteral("Form_Positions/FormListMembers")));
}

TEST_P(MembersWindowTest, ClientEditorFitsTheScreenRefusesASignAloneAndTheGridShowsThePostedValues)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Old")}, {QStringLiteral("Monday"), true},
                      {QStringLiteral("Org_Client"), QStringLiteral("N")}, {QStringLiteral("Child_Nbr"), 2}});
    tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("Middle")}});
    tdb->addMember(list, 1);
    tdb->addMember(list, 2);
    open(QStringLiteral("L"));
    rows().setRecNo(1); // "Old"
    ASSERT_EQ(rows().fieldValue(RS::Person_ID).toInt(), 1);

    bool seen = false;
    kv::ModalDriver::whenShown(
        [&](QWidget *dlg) {
            seen = true;
            EXPECT_EQ(dlg->windowTitle(), QStringLiteral("List Member Edit"));
            // Inside the screen's free area (the test screen is smaller than a
            // 1366 x 768 laptop's), with OK and Cancel in view.
            const QRect free = dlg->screen()->availableGeometry();
            EXPECT_TRUE(free.contains(dlg->frameGeometry())) << dlg->frameGeometry().x() << "," << dlg->frameGeometry().y() << " " << dlg->frameGeometry().width() << "x" << dlg->frameGeometry().height() << " in " << free.width() << "x" << free.height();
            auto *ed = static_cast<TFormClientEditor *>(dlg);
            for (QPushButton *b : {kv::ModalDriver::child<QPushButton>(dlg, QStringLiteral("BitBtnOK")),
                                   kv::ModalDriver::child<QPushButton>(dlg, QStringLiteral("BitBtnCancel"))})
                EXPECT_TRUE(dlg->rect().contains(QRect(b->mapTo(dlg, QPoint(0, 0)), b->size())));
            if (const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS"); !dir.isEmpty()) {
                dlg->grab().save(dir + QStringLiteral("/client_editor.png"));
                auto *scroll = kv::ModalDriver::child<QScrollArea>(dlg, QStringLiteral("ScrollBoxFields"));
                scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
                dlg->grab().save(dir + QStringLiteral("/client_editor_end.png"));
            }
            EXPECT_TRUE(kv::ModalDriver::child<QLineEdit>(dlg, QStringLiteral("CLIENT_ID"))->isReadOnly());
            kv::ModalDriver::child<QLineEdit>(dlg, QStringLiteral("LAST_NAME"))->setText(QStringLiteral("Aaron"));
            EXPECT_TRUE(ed->isChanged());
            // A sign alone is no number: refused, nothing written, the editor stays.
            auto *children = kv::ModalDriver::child<QLineEdit>(dlg, QStringLiteral("CHILD_NBR"));
            children->setText(QStringLiteral("-"));
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
            EXPECT_TRUE(dlg->isVisible());
            children->setText(QStringLiteral("3"));
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
        },
        QStringLiteral("wwRecordViewDialog1"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(prompts.notices(), QStringList{TFormClientEditor::kNotANumberMessage.arg(QStringLiteral("# Children"))});
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Last_Name from Clients where Person_ID = 1")).toString(), QStringLiteral("Aaron"));
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Child_Nbr from Clients where Person_ID = 1")).toInt(), 3);
    EXPECT_TRUE(tdb->exec(QStringLiteral("Select Monday from Clients where Person_ID = 1")).toBool());
    // The grid shows the stored name at once, on the row that stays current.
    EXPECT_EQ(rows().fieldValue(RS::Person_ID).toInt(), 1);
    EXPECT_EQ(rows().fieldValue(RS::Last_Name).toString(), QStringLiteral("Aaron"));
}

TEST_P(MembersWindowTest, ClientEditorAsksBeforeDroppingAChangeAndKeepsItAfterAPostError)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Old")}});
    tdb->addMember(list, 1);
    open(QStringLiteral("L"));

    // Closing by the frame after a change asks; No keeps the dialog, Yes drops the change.
    prompts.answerNo();
    prompts.answerYes();
    kv::ModalDriver::whenShown(
        [&](QWidget *dlg) {
            kv::ModalDriver::child<QLineEdit>(dlg, QStringLiteral("FIRST_NAME"))->setText(QStringLiteral("Changed"));
            dlg->close();
            EXPECT_TRUE(dlg->isVisible());
            dlg->close();
        },
        QStringLiteral("wwRecordViewDialog1"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();
    EXPECT_EQ(prompts.questions(), (QStringList{TFormClientEditor::kDiscardQuestion, TFormClientEditor::kDiscardQuestion}));
    EXPECT_NE(tdb->exec(QStringLiteral("Select First_Name from Clients where Person_ID = 1")).toString(), QStringLiteral("Changed"));

    // A rejected post is shown and the dialog stays open with the typed value.
    failAtRow(*tdb, QStringLiteral("Clients"), QStringLiteral("UPDATE"), 1);
    prompts.clear();
    bool stillOpen = false;
    kv::ModalDriver::whenShown(
        [&](QWidget *dlg) {
            auto *first = kv::ModalDriver::child<QLineEdit>(dlg, QStringLiteral("FIRST_NAME"));
            first->setText(QStringLiteral("Again"));
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
            stillOpen = dlg->isVisible() && first->text() == QLatin1String("Again");
            prompts.answerYes();
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnCancel"));
        },
        QStringLiteral("wwRecordViewDialog1"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();
    EXPECT_TRUE(stillOpen);
    ASSERT_FALSE(prompts.notices().isEmpty());
    EXPECT_TRUE(prompts.notices().first().contains(kInjectedFailure));
}

TEST_P(MembersWindowTest, ClientEditorShowsSetsAndClearsAnEmptyDate)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("A")}, {QStringLiteral("DOB"), QVariant()}});
    tdb->addMember(list, 1);
    open(QStringLiteral("L"));
    const auto dobOf = [](QWidget *dlg) { return kv::ModalDriver::child<kv::DateField>(dlg, QStringLiteral("DOB")); };
    const auto storedDob = [&] { return tdb->exec(QStringLiteral("Select DOB from Clients where Person_ID = 1")); };

    // Empty: shown empty, the calendar opens on today, a day picked there is saved.
    QDate calendarOpenedOn;
    kv::ModalDriver::whenShown(
        [&](QWidget *dlg) {
            kv::DateField *dob = dobOf(dlg);
            EXPECT_TRUE(dob->lineEdit()->text().isEmpty());
            QCalendarWidget *calendar = dob->showCalendar();
            calendarOpenedOn = calendar->selectedDate();
            Q_EMIT calendar->clicked(QDate(1941, 3, 9));
            EXPECT_EQ(dob->date(), QDate(1941, 3, 9));
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
        },
        QStringLiteral("wwRecordViewDialog1"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();
    EXPECT_EQ(calendarOpenedOn, QDate::currentDate());
    EXPECT_EQ(storedDob().toDate(), QDate(1941, 3, 9));

    // Text that is no date is refused on OK with nothing written; emptied, the date is cleared.
    kv::ModalDriver::whenShown(
        [&](QWidget *dlg) {
            kv::DateField *dob = dobOf(dlg);
            dob->lineEdit()->setText(QStringLiteral("13/45/1941"));
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
            EXPECT_TRUE(dlg->isVisible());
            dob->lineEdit()->clear();
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
        },
        QStringLiteral("wwRecordViewDialog1"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();
    ASSERT_EQ(prompts.notices().size(), 1);
    EXPECT_TRUE(prompts.notices().first().startsWith(QStringLiteral("\"DOB\" is not a date.")));
    EXPECT_TRUE(storedDob().isNull());
}

// The letter pick lists offer the field's letters and nothing else; an empty
// value shows no choice and, left alone, stays empty.
TEST_P(MembersWindowTest, ClientEditorLetterListsOfferOnlyTheirLetters)
{
    const int list = tdb->addList(QStringLiteral("L"));
    tdb->addClient(1, {{QStringLiteral("Phone_Desc"), QVariant()}, {QStringLiteral("Sex"), QStringLiteral("F")}});
    tdb->addMember(list, 1);
    open(QStringLiteral("L"));
    const QStringList before = tableSnapshot(*tdb, {QStringLiteral("Clients")});
    kv::ModalDriver::whenShown(
        [&](QWidget *dlg) {
            auto *phone = kv::ModalDriver::child<QComboBox>(dlg, QStringLiteral("PHONE_DESC"));
            EXPECT_EQ(phone->count(), 12);
            EXPECT_EQ(phone->findText(QString()), -1);
            EXPECT_EQ(phone->currentIndex(), -1);
            EXPECT_EQ(kv::ModalDriver::child<QComboBox>(dlg, QStringLiteral("DELIVERY_TYPE"))->count(), 2);
            auto *sex = kv::ModalDriver::child<QComboBox>(dlg, QStringLiteral("SEX"));
            EXPECT_EQ(sex->count(), 3);
            EXPECT_EQ(sex->currentText(), QStringLiteral("F"));
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
        },
        QStringLiteral("wwRecordViewDialog1"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();
    EXPECT_EQ(tableSnapshot(*tdb, {QStringLiteral("Clients")}), before);
}

TEST_P(MembersWindowTest, ClientEditorOnAnEmptyListShowsANoticeInsteadOfAnEmptyRecord)
{
    tdb->addList(QStringLiteral("L"));
    open(QStringLiteral("L"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();
    EXPECT_EQ(prompts.notices(), QStringList{TFormClientEditor::kNoMemberMessage});
}

KV_MEMBER_OPS_BACKENDS(MembersWindowTest);

} // namespace
