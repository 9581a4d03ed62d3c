// A coordinator's day by the keyboard alone: every step below is key events
// sent to whatever has the focus, the way a user without a mouse works the
// two windows and their dialogs. Questions are answered by the scripted
// prompts; the report preview is replaced by a counter.

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/ui/form_registry_editor.h"
#include "lists/ui/form_list_fulfillment_options.h"
#include "lists/result_sentences.h"
#include "lists/ui/form_lists.h"
#include "members/member_reports.h"
#include "members/ui/form_add_list_members.h"
#include "members/ui/form_client_lookup.h"
#include "members/ui/form_get_quantity.h"
#include "members/ui/form_hide_delivery_days.h"
#include "members/ui/form_list_members.h"
#include "members/ui/form_save_to_new_list.h"
#include "report/ui/report_preview.h"
#include "shell/ui/record_navigator.h"
#include "support/modal_driver.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QSet>
#include <QAction>
#include <QLineEdit>
#include <QMap>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The window the day starts in.
QPointer<QWidget> g_home;

QWidget *focused()
{
    // The offscreen platform has no window manager to give the window back its
    // activation when a dialog over it closes; a desktop does that itself.
    QWidget *top = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : g_home.data();
    if (top && !QApplication::activePopupWidget() && QApplication::activeWindow() != top) {
        QApplication::setActiveWindow(top);
        QCoreApplication::processEvents();
    }
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup;
    if (QWidget *w = QApplication::focusWidget())
        return w;
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
}

void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(focused(), Qt::Key(k), mods);
    QCoreApplication::processEvents();
}

void type(const QString &text)
{
    QTest::keyClicks(focused(), text);
    QCoreApplication::processEvents();
}

// Alt+letter on a button. The button answers as a click would, a moment
// later (it shows itself pressed first): its clicked signal says when.
void button(char letter)
{
    QAbstractButton *target = nullptr;
    const QKeySequence wanted(Qt::ALT | Qt::Key(letter));
    for (QAbstractButton *b : focused()->window()->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->shortcut() == wanted)
            target = b;
    ASSERT_NE(target, nullptr) << "no button for Alt+" << letter;
    QSignalSpy clicked(target, &QAbstractButton::clicked);
    key(letter, Qt::AltModifier);
    if (clicked.isEmpty()) {
        EXPECT_TRUE(clicked.wait(5000));
    }
}

// Alt+letter, then the letters of the entries in the menus it opens.
void menu(char title, const QString &entries)
{
    key(title, Qt::AltModifier);
    for (QChar c : entries) {
        QTest::keyClick(focused(), c.toLatin1());
        QCoreApplication::processEvents();
    }
}

// Tab until a widget of that class (or inside one of that object name) has the focus.
template<class T>
bool tabTo(const QString &name = QString(), int limit = 30)
{
    for (int i = 0; i < limit; ++i) {
        for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (qobject_cast<T *>(w) && (name.isEmpty() || w->objectName() == name))
                return true;
        key(Qt::Key_Tab);
    }
    return false;
}

// The next modal dialog of that class gets these keys.
void inDialog(const QString &cls, std::function<void()> keys)
{
    kv::ModalDriver::whenShown([keys](QWidget *dialog) {
        QApplication::setActiveWindow(dialog);
        keys();
    }, cls);
}

class KeyboardWalk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tdb = std::make_unique<TestDatabase>(kv::Backend::SQLite);
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 1}, {QStringLiteral("Service_Desc"), QStringLiteral("Hot Meals")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        const char *names[] = {"Abbott", "Brook", "Carver", "Dunn"};
        for (int p = 1; p <= 4; ++p)
            tdb->addClient(p, {{QStringLiteral("Last_Name"), QString::fromLatin1(names[p - 1])}, {QStringLiteral("Thursday"), true},
                               {QStringLiteral("Svcs_Used"), 1}});
        for (const char *file : {"ListMembersAllInfo.rtm", "ListMembersPhoneList.rtm", "ListMembersAddressLabel.rtm"})
            QFile::copy(QStringLiteral(KESTROVAN_SOURCE_DIR "/templates/") + QLatin1String(file), tdb->directory() + QLatin1Char('/') + QLatin1String(file));
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
        dm->cAppDataFolder = sandbox.appDataDir() + QStringLiteral("/");
        kv::ReportPreview::setOutputOverride([this](const kv::ReportTemplate &, const kv::ReportSources &, const kv::ReportRun &) { ++reports; });
    }

    void TearDown() override
    {
        kv::ModalDriver::cancelAll();
        kv::ReportPreview::setOutputOverride({});
    }

    int walkList() { return tdb->exec(QStringLiteral("Select Record_ID from Lists where List_Name = 'Walk List'")).toInt(); }
    qint64 walkMembers(const QString &where = QStringLiteral("1 = 1"))
    {
        return tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L and ") + where, {{QStringLiteral("L"), walkList()}});
    }

    SettingsSandbox sandbox;
    std::unique_ptr<TestDatabase> tdb;
    ScriptedPrompts prompts;
    std::unique_ptr<TDataModuleLists> dm;
    int reports = 0;
};

struct Step
{
    const char *task;
    std::function<void()> keys;
    std::function<void()> check;
};

void walk(const std::vector<Step> &steps)
{
    for (const Step &s : steps) {
        SCOPED_TRACE(s.task);
        s.keys();
        s.check();
    }
}

TEST_F(KeyboardWalk, ACoordinatorsDayNeedsNoMouse)
{
    TFormLists lists(nullptr, &prompts);
    lists.setMembersWindowOpener(TFormListMembers::opener());
    lists.useDataModule(dm.get());
    lists.show();
    g_home = &lists;
    QApplication::setActiveWindow(&lists);
    QCoreApplication::processEvents();
    TFormListMembers *members = nullptr;
    auto grid = [&] { return members->findChild<QTableView *>(QStringLiteral("wwDBGridListMembers")); };
    auto rows = [&]() -> kv::MemberRowSet & { return *members->ClientDataSetListMembers; };

    // The members window's part of the day, run while it is open.
    const std::vector<Step> inMembers = {
        {"add by status", [&] { inDialog(QStringLiteral("TFormAddListMembers"), [] { key(Qt::Key_Return); }); button('A'); },
         [&] { EXPECT_EQ(walkMembers(), 4); }},
        {"find", [&] { key('S', Qt::ControlModifier); type(QStringLiteral("Car")); },
         [&] { EXPECT_EQ(rows().fieldValue(kv::MemberRowSet::Last_Name).toString(), QStringLiteral("Carver")); }},
        {"Tab reaches the grid and leaves it again",
         [&] { EXPECT_TRUE(tabTo<QTableView>(QStringLiteral("wwDBGridListMembers"))); key(Qt::Key_Tab); },
         [&] {
             EXPECT_NE(QApplication::focusWidget(), grid());
             key(Qt::Key_Tab, Qt::ShiftModifier);
             EXPECT_EQ(QApplication::focusWidget(), grid());
         }},
        {"flag invited and post", [&] { key('I', Qt::ControlModifier); key(Qt::Key_Return, Qt::ControlModifier); },
         [&] {
             EXPECT_EQ(rows().state(), kv::DataState::Browse);
             EXPECT_EQ(rows().fieldValue(kv::MemberRowSet::Invited).toString(), QStringLiteral("Y"));
         }},
        {"cycle confirmed and cancel", [&] { key('C', Qt::ControlModifier); key(Qt::Key_Escape); },
         [&] { EXPECT_EQ(rows().state(), kv::DataState::Browse); EXPECT_TRUE(members->isVisible()) << "Escape cancelled the edit only"; }},
        {"quantity for two selected", [&] {
             key(Qt::Key_Home, Qt::ControlModifier);
             key(Qt::Key_Down);
             key(Qt::Key_Down, Qt::ShiftModifier);
             inDialog(QStringLiteral("TFormGetQuantity"), [] { key('A', Qt::ControlModifier); type(QStringLiteral("7")); key(Qt::Key_Return); });
             menu('C', QStringLiteral("q"));
         },
         [&] { EXPECT_EQ(walkMembers(QStringLiteral("Quantity = 7")), 2); }},
        {"hide one", [&] { key(Qt::Key_End, Qt::ControlModifier); key(Qt::Key_Up); menu('C', QStringLiteral("h")); },
         [&] { EXPECT_EQ(walkMembers(QStringLiteral("RecVisible = False")), 1); }},
        {"copy to a new list", [&] {
             key(Qt::Key_Home, Qt::ControlModifier);
             key(Qt::Key_Down);
             key(Qt::Key_Down, Qt::ShiftModifier);
             inDialog(QStringLiteral("TFormSaveToNewList"), [] {
                 EXPECT_TRUE(tabTo<QLineEdit>(QStringLiteral("DBEditListName")));
                 type(QStringLiteral("Copy List"));
                 key(Qt::Key_Return);
             });
             menu('M', QStringLiteral("c"));
         },
         [&] {
             const int copy = tdb->exec(QStringLiteral("Select Record_ID from Lists where List_Name = 'Copy List'")).toInt();
             EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), copy}}), 2);
         }},
        {"print the phone list", [&] { menu('R', QStringLiteral("pp")); }, [&] { EXPECT_EQ(reports, 1); }},
        {"close", [&] { button('O'); }, [&] { EXPECT_FALSE(members->isVisible()); }},
    };

    const std::vector<Step> day = {
        {"create a list", [&] { key(Qt::Key_Insert); type(QStringLiteral("Walk List")); key(Qt::Key_Return, Qt::ControlModifier); },
         [&] { EXPECT_GT(walkList(), 0); }},
        {"edit its members", [&] {
             kv::ModalDriver::whenShown([&](QWidget *w) {
                 members = qobject_cast<TFormListMembers *>(w);
                 QApplication::setActiveWindow(w);
                 walk(inMembers);
             }, QStringLiteral("TFormListMembers"));
             button('M');
         },
         [&] { EXPECT_NE(members, nullptr); }},
        {"fulfil", [&] {
             inDialog(QStringLiteral("TFormListFulfillmentOptions"), [] {
                 EXPECT_TRUE(tabTo<TDeliveryDateEdit>());
                 key('A', Qt::ControlModifier);
                 type(QStringLiteral("12/24/2026"));
                 // A new list asks for a specified item; the service's own items will do.
                 EXPECT_TRUE(tabTo<QWidget>(QStringLiteral("RzRadioGroupItems")));
                 key(Qt::Key_Up);
                 key(Qt::Key_Space);
                 key(Qt::Key_Return);
             });
             button('L');
         },
         [&] {
             EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 3) << prompts.texts().join(QLatin1Char('|')).toStdString();
             // Said in the window, in the command line's words, with no box to click.
             EXPECT_EQ(lists.findChild<QStatusBar *>()->currentMessage(),
                       kv::fulfilmentResultText(3, QStringLiteral("Walk List"), QDate(2026, 12, 24), 0));
         }},
        {"cancel the pending deliveries", [&] { button('P'); },
         [&] {
             EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0) << prompts.texts().join(QLatin1Char('|')).toStdString();
             EXPECT_EQ(lists.findChild<QStatusBar *>()->currentMessage(), kv::cancelPendingResultText(3, QStringLiteral("Walk List")));
         }},
    };
    walk(day);
    lists.close();
}

// No two keys of a window do different things, and the described ones stay.
TEST_F(KeyboardWalk, NoKeyOfAWindowClashesWithAnother)
{
    TFormLists lists(nullptr, &prompts);
    lists.useDataModule(dm.get());
    dm->QueryLists->refresh();
    TFormListMembers members(*dm, prompts);
    for (QWidget *window : {static_cast<QWidget *>(&lists), static_cast<QWidget *>(&members)}) {
        SCOPED_TRACE(window->metaObject()->className());
        QMap<QString, QString> owner;
        for (QAction *a : window->findChildren<QAction *>()) {
            for (const QKeySequence &k : a->shortcuts()) {
                const QString text = k.toString();
                EXPECT_FALSE(owner.contains(text)) << text.toStdString() << ": " << owner.value(text).toStdString() << " and "
                                                   << a->objectName().toStdString();
                owner.insert(text, a->objectName());
            }
        }
        for (QMenuBar *bar : window->findChildren<QMenuBar *>()) {
            for (QAction *a : bar->actions()) {
                const QString text = QKeySequence::mnemonic(a->text()).toString();
                EXPECT_FALSE(text.isEmpty()) << "menu without an underlined letter: " << a->text().toStdString();
                EXPECT_FALSE(owner.contains(text)) << text.toStdString() << " of menu " << a->text().toStdString();
                owner.insert(text, a->text());
            }
        }
        for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
            const QString text = b->shortcut().toString();
            if (text.isEmpty())
                continue;
            EXPECT_FALSE(owner.contains(text)) << text.toStdString() << " of " << b->objectName().toStdString();
            owner.insert(text, b->objectName());
        }
    }
    EXPECT_EQ(members.findChild<QAction *>(QStringLiteral("ActionClickConfirm"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(members.findChild<QAction *>(QStringLiteral("ActionClickInvited"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_EQ(members.findChild<QAction *>(QStringLiteral("ActionSearch"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
}

// What a screen reader is told: every control either takes the focus or names
// the key that reaches it, so nothing needs the mouse.
void collectUnreachable(QAccessibleInterface *item, QStringList &out)
{
    if (!item || item->state().invisible)
        return;
    static const QSet<QAccessible::Role> controls = {
        QAccessible::PushButton, QAccessible::CheckBox,  QAccessible::RadioButton, QAccessible::EditableText,
        QAccessible::ComboBox,   QAccessible::SpinBox,   QAccessible::Table,       QAccessible::PageTab,
        QAccessible::ButtonMenu, QAccessible::ButtonDropDown, QAccessible::List,  QAccessible::Slider};
    if (controls.contains(item->role()) && !item->state().focusable) {
        QStringList keys;
        if (QAccessibleActionInterface *actions = item->actionInterface())
            for (const QString &action : actions->actionNames())
                keys += actions->keyBindingsForAction(action);
        keys.removeAll(QString());
        if (keys.isEmpty() && item->text(QAccessible::Accelerator).isEmpty())
            out << item->text(QAccessible::Name) + QStringLiteral(" (") + QString::number(item->role()) + QLatin1Char(')');
    }
    for (int i = 0; i < item->childCount(); ++i)
        collectUnreachable(item->child(i), out);
}

TEST_F(KeyboardWalk, EveryControlTakesTheFocusOrNamesItsKey)
{
    TFormLists lists(nullptr, &prompts);
    lists.useDataModule(dm.get());
    lists.show();
    TFormListMembers members(*dm, prompts, &lists);
    members.show();
    TFormListFulfillmentOptions options(*dm, prompts, &lists);
    TFormRegistryEditor settings(prompts, &lists);
    TFormSaveToNewList copy(*dm->DatabaseLists, prompts, &members);
    TFormAddListMembers add(*dm->QueryServices, *dm->QueryClientLookUp, &members);
    TFormGetQuantity quantity(&members);
    TFormHideDeliveryDays days(&members);
    kv::TFormClientLookup lookup(*dm->QueryClientLookUp, &members);
    const QList<QWidget *> windows = {&lists, &members, &options, &settings, &copy, &add, &quantity, &days, &lookup};
    for (QWidget *window : windows) {
        SCOPED_TRACE(window->metaObject()->className());
        window->show();
        QCoreApplication::processEvents();
        QStringList unreachable;
        collectUnreachable(QAccessible::queryAccessibleInterface(window), unreachable);
        EXPECT_TRUE(unreachable.isEmpty()) << unreachable.join(QStringLiteral(", ")).toStdString();
        if (window != &lists && window != &members)
            window->hide();
    }
    prompts.setDefaultAnswer(kv::Prompts::Answer::No);
    copy.reject();
    members.close();
    lists.close();
}

} // namespace
