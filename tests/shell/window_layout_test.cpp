// Every window and dialog on a small screen: a 1366 x 768 laptop, 1.5x
// scaling of a 1920 x 1080 screen (1280 x 720 logical pixels) and of the
// laptop (911 x 512 logical pixels). Each opens
// inside the available area with OK, Cancel and every caption on screen and
// whole, the dates of its grids whole, and every control named for a screen
// reader. CTest runs this under each screen
// (KESTROVAN_LAYOUT_SCREEN names it); elsewhere it is skipped.

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/ui/form_registry_editor.h"
#include "lists/ui/form_list_fulfillment_options.h"
#include "lists/ui/form_lists.h"
#include "members/ui/form_add_list_members.h"
#include "members/ui/form_client_lookup.h"
#include "members/ui/form_get_quantity.h"
#include "members/ui/form_hide_delivery_days.h"
#include "members/ui/form_list_members.h"
#include "members/ui/form_save_to_new_list.h"
#include "shell/ui/form_about_kestrovan.h"
#include "shell/ui/form_message_box.h"
#include "shell/ui/record_navigator.h"
#include "support/modal_driver.h"
#include "support/screen_reader_check.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QAbstractButton>
#include <QAction>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString rectText(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A caption is whole when its widget is given at least the room its text asks for.
int roomNeeded(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->wordWrap() || label->text().isEmpty() ? 0 : label->minimumSizeHint().width();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title().isEmpty() ? 0 : group->fontMetrics().horizontalAdvance(group->title());
    auto *button = qobject_cast<QAbstractButton *>(w);
    if (!button || button->text().isEmpty())
        return 0;
    const QStyle *style = button->style();
    const int text = button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&')));
    if (qobject_cast<QCheckBox *>(w))
        return style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + text;
    if (qobject_cast<QRadioButton *>(w))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing) + text;
    return text + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
}

QString captionOf(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return QString();
}

bool inScrollArea(QWidget *c, QWidget *window)
{
    for (QWidget *p = c->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<QAbstractScrollArea *>(p))
            return true;
    return false;
}

// Captions cut when the window is made as small as it lets itself be made.
QStringList cutAtMinimumSize(QWidget *window)
{
    const QSize before = window->size();
    window->resize(1, 1);
    QApplication::processEvents();
    QStringList cut;
    for (QWidget *c : window->findChildren<QWidget *>()) {
        if (c->isVisibleTo(window) && c->window() == window && !captionOf(c).isEmpty() && c->width() < roomNeeded(c))
            cut << captionOf(c);
    }
    window->resize(before);
    QApplication::processEvents();
    return cut;
}

void expectFits(QWidget *window, const QString &name)
{
    SCOPED_TRACE(name.toStdString());
    QApplication::processEvents();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry()))
        << rectText(window->frameGeometry()).toStdString() << " outside " << rectText(screen).toStdString();
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (QWidget *c : children) {
        if (!c->isVisibleTo(window) || c->window() != window)
            continue;
        const QString caption = captionOf(c);
        if (caption.isEmpty())
            continue;
        SCOPED_TRACE(caption.toStdString());
        // A caption in a scroll area is reached by scrolling; the area itself must fit.
        bool scrolled = false;
        for (QWidget *p = c->parentWidget(); p && p != window && !scrolled; p = p->parentWidget())
            scrolled = qobject_cast<QAbstractScrollArea *>(p) != nullptr;
        const QRect global(c->mapToGlobal(QPoint(0, 0)), c->size());
        if (!scrolled) {
            EXPECT_TRUE(screen.contains(global)) << rectText(global).toStdString();
        }
        EXPECT_GE(c->width(), roomNeeded(c)) << "cut: " << c->objectName().toStdString();
    }
    for (QTabBar *tabs : window->findChildren<QTabBar *>()) {
        if (!tabs->isVisibleTo(window))
            continue;
        for (int t = 0; t < tabs->count(); ++t)
            EXPECT_GE(tabs->tabRect(t).width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(t))) << tabs->tabText(t).toStdString();
    }
    // Dates in grids show whole.
    for (QTableView *grid : window->findChildren<QTableView *>()) {
        QAbstractItemModel *m = grid->model();
        if (!m)
            continue;
        for (int col = 0; col < m->columnCount(); ++col) {
            for (int row = 0; row < qMin(m->rowCount(), 20); ++row) {
                const QModelIndex i = m->index(row, col);
                const int type = i.data(Qt::EditRole).typeId();
                if (type != QMetaType::QDate && type != QMetaType::QDateTime)
                    continue;
                const QString shown = i.data(Qt::DisplayRole).toString();
                EXPECT_GE(grid->columnWidth(col), grid->fontMetrics().horizontalAdvance(shown) + 6) << shown.toStdString();
            }
        }
    }
    // What closes the window and the navigator never scroll away with the fields.
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        const QString n = b->objectName();
        const bool mainWindow = window->objectName() == QLatin1String("FormLists") || window->objectName() == QLatin1String("FormListMembers");
        const bool kept = n == QLatin1String("BitBtnOK") || n == QLatin1String("BitBtnCancel") || n == QLatin1String("BitBtnClose")
            || (mainWindow && qobject_cast<kv::RecordNavigator *>(b->parentWidget()));
        if (kept && b->isVisibleTo(window)) {
            EXPECT_FALSE(inScrollArea(b, window)) << n.toStdString();
        }
    }
    EXPECT_EQ(cutAtMinimumSize(window).join(QStringLiteral("; ")).toStdString(), "") << "at the minimum size";
    // Every control can be named by a screen reader.
    EXPECT_EQ(kv::test::controlsWithoutSpokenName(window).join(QStringLiteral("; ")).toStdString(), "") << name.toStdString();
    const QString dir = qEnvironmentVariable("KESTROVAN_SCREENSHOTS", QDir::tempPath());
    window->grab().save(QStringLiteral("%1/layout_%2_%3.png").arg(dir, qEnvironmentVariable("KESTROVAN_LAYOUT_SCREEN"), name));
}

class WindowLayout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("KESTROVAN_LAYOUT_SCREEN"))
            GTEST_SKIP() << "runs under the small screens CTest sets up (WindowLayout.laptop, WindowLayout.scaled, WindowLayout.laptop_scaled)";
        tdb = std::make_unique<TestDatabase>(kv::Backend::SQLite);
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 1}, {QStringLiteral("Service_Desc"), QStringLiteral("Hot Meals")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 7}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey Dinner")}});
        list = tdb->addList(QStringLiteral("Thanksgiving Holiday Meals"),
                            {{QStringLiteral("List_Desc"), QStringLiteral("Everyone who gets a holiday meal")},
                             {QStringLiteral("Updated_By"), QStringLiteral("Administrator")},
                             {QStringLiteral("Last_Update"), QDateTime(QDate(2026, 12, 28), QTime(23, 59))},
                             {QStringLiteral("Create_Date"), QDate(2026, 12, 28)}});
        tdb->addList(QStringLiteral("Winter Boxes"));
        tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Wolfeschlegelsteinhausen")}});
        tdb->addMember(list, 1);
        DataModuleLists = new TDataModuleLists(prompts, [] {}, nullptr, tdb->overrides());
        DataModuleLists->DataModuleCreate();
    }

    void TearDown() override
    {
        kv::ModalDriver::cancelAll();
        delete DataModuleLists;
        DataModuleLists = nullptr;
    }

    SettingsSandbox sandbox;
    std::unique_ptr<TestDatabase> tdb;
    ScriptedPrompts prompts;
    int list = 0;
};

TEST_F(WindowLayout, EveryWindowAndDialogFitsTheScreenWhole)
{
    TDataModuleLists &dm = *DataModuleLists;
    TFormLists lists(nullptr, &prompts);
    lists.useDataModule(&dm);
    lists.show();
    ASSERT_TRUE(dm.QueryLists->locate({QStringLiteral("Record_ID")}, {list}));
    expectFits(&lists, QStringLiteral("lists"));
    kv::test::need<QTabWidget>(&lists, QStringLiteral("PageControl"))->setCurrentIndex(1);
    expectFits(&lists, QStringLiteral("lists_browse"));

    {
        TFormListFulfillmentOptions options(dm, prompts, &lists);
        options.setListText(QStringLiteral("Thanksgiving Holiday Meals"));
        kv::test::need<TDeliveryDateEdit>(&options, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(QDate(2026, 12, 30));
        options.show();
        expectFits(&options, QStringLiteral("fulfilment_options"));
    }
    {
        TFormMessageBox progress(&lists);
        progress.begin(QStringLiteral("Scheduling Deliveries..."), QStringLiteral("Total Deliveries: 1000"));
        expectFits(&progress, QStringLiteral("progress"));
        progress.end();
    }
    {
        TFormAboutKestrovan about(&lists);
        about.show();
        expectFits(&about, QStringLiteral("about"));
    }
    {
        TFormRegistryEditor settings(prompts, &lists);
        settings.show();
        expectFits(&settings, QStringLiteral("settings"));
    }

    TFormListMembers members(dm, prompts, &lists);
    members.show();
    expectFits(&members, QStringLiteral("members"));
    for (int tab : {TFormSaveToNewList::kNewListTab, TFormSaveToNewList::kExistingListTab}) {
        TFormSaveToNewList copy(*dm.DatabaseLists, prompts, &members);
        copy.setStartTab(tab);
        copy.show();
        expectFits(&copy, QStringLiteral("copy_%1").arg(tab));
        prompts.setDefaultAnswer(kv::Prompts::Answer::No);
        copy.reject();
    }
    {
        TFormAddListMembers add(*dm.QueryServices, *dm.QueryClientLookUp, &members);
        add.show();
        expectFits(&add, QStringLiteral("add_members"));
    }
    {
        TFormGetQuantity quantity(&members);
        quantity.show();
        expectFits(&quantity, QStringLiteral("quantity"));
    }
    {
        TFormHideDeliveryDays days(&members);
        days.show();
        expectFits(&days, QStringLiteral("hide_days"));
    }
    {
        kv::TFormClientLookup lookup(*dm.QueryClientLookUp, &members);
        lookup.show();
        expectFits(&lookup, QStringLiteral("client_lookup"));
    }

    members.close();
}

// The client editor, opened from the members window as the user opens it.
TEST_F(WindowLayout, TheClientEditorFitsTheScreenWhole)
{
    TFormListMembers members(*DataModuleLists, prompts);
    members.show();
    bool seen = false;
    kv::ModalDriver::whenShown(
        [&](QWidget *editor) {
            seen = true;
            expectFits(editor, QStringLiteral("client_editor"));
            kv::ModalDriver::reject(editor);
        },
        QStringLiteral("wwRecordViewDialog1"));
    kv::test::need<QAction>(&members, QStringLiteral("ActionShowClientEditor"))->trigger();
    EXPECT_TRUE(seen);
    members.close();
}

} // namespace
