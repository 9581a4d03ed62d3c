// The members window's handlers at their boundary: a fault of any kind in the
// middle of one is shown with its text, the window goes on, and closing keeps
// the window's placement whatever the save of the members does.

#include "member_ops_window_fixture.h"

#include "members/ui/form_list_members.h"
#include "members/ui/form_save_to_new_list.h"
#include "support/find_widget.h"
#include "data/engine/query.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QTreeView>
#include <QApplication>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QCursor>
#include <QGuiApplication>
#include <QSettings>
#include <stdexcept>

namespace {

class HandlerBoundaryTest : public MemberOpsWindowFixture
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        for (int p = 1; p <= 3; ++p) {
            tdb->addClient(p);
            tdb->addMember(listId, p);
        }
        openWindow();
    }

    static void diskOnFire() { throw std::runtime_error("disk on fire"); }
};

TEST_P(HandlerBoundaryTest, AnyExceptionLeavingAHandlerIsShownAndTheWindowGoesOn)
{
    selectPersons({1, 2});
    prompts.failNextQuestion(diskOnFire);
    control<QAction>(QStringLiteral("ActionRemoveSelectedMembers"))->trigger();

    ASSERT_FALSE(prompts.shown().isEmpty());
    EXPECT_EQ(prompts.shown().last().kind, kv::Prompts::Kind::Error);
    EXPECT_EQ(prompts.shown().last().text, QStringLiteral("disk on fire"));
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members")), 3);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->isVisible());

    // The window still works: the same handler runs through.
    prompts.clear();
    selectPersons({1, 2});
    control<QAction>(QStringLiteral("ActionRemoveSelectedMembers"))->trigger();
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members")), 1);
    EXPECT_EQ(shown().recordCount(), 1);
}

TEST_P(HandlerBoundaryTest, ClosingKeepsThePlacementWhenSavingThePendingEditFails)
{
    dm->cAppDataFolder = sandbox.appDataDir() + QStringLiteral("/");
    shown().setRecNo(rowOf(2));
    shown().edit();
    shown().setFieldValue(kv::MemberRowSet::Quantity, 7);
    prompts.failNextQuestion(diskOnFire); // the save question before closing
    window->close();

    EXPECT_TRUE(prompts.notices().contains(QStringLiteral("disk on fire")));
    QSettings ini(sandbox.appDataDir() + QStringLiteral("/Brenqui.ini"), QSettings::IniFormat);
    EXPECT_TRUE(ini.contains(QStringLiteral("Form_Positions/FormListMembers")));
}

TEST_P(HandlerBoundaryTest, CopyDialogOffersQuantitiesFrom1To999AndKeeps250CharactersOfDescription)
{
    TFormSaveToNewList dialog(*dm->DatabaseLists, prompts, window.get());
    dialog.setStartTab(TFormSaveToNewList::kNewListTab);
    dialog.show();
    QApplication::processEvents();
    kv::Query &row = *dialog.queries().QueryLists;
    EXPECT_EQ(kv::test::need<QSpinBox>(&dialog, QStringLiteral("wwDBSpinEdit1"))->maximum(), 999);
    EXPECT_TRUE(kv::test::need<QSpinBox>(&dialog, QStringLiteral("wwDBSpinEdit1"))->text().trimmed().isEmpty()); // a new list has no quantity yet
    // 1 is a quantity like any other; the empty position below it stores none.
    for (int value : {1, TFormSaveToNewList::kMaxQuantity, TFormSaveToNewList::kNoQuantity}) {
        SCOPED_TRACE(value);
        kv::test::need<QSpinBox>(&dialog, QStringLiteral("wwDBSpinEdit1"))->setValue(value);
        const bool none = value == TFormSaveToNewList::kNoQuantity;
        EXPECT_EQ(kv::test::need<QSpinBox>(&dialog, QStringLiteral("wwDBSpinEdit1"))->text().trimmed(), none ? QString() : QString::number(value));
        EXPECT_EQ(row.isNull(QStringLiteral("Quantity")), none);
        if (!none) {
            EXPECT_EQ(row.fieldValue(QStringLiteral("Quantity")).toInt(), value);
        }
    }
    kv::test::need<QPlainTextEdit>(&dialog, QStringLiteral("DBMemo1"))->setPlainText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(kv::test::need<QPlainTextEdit>(&dialog, QStringLiteral("DBMemo1"))->toPlainText().size(), 250);
    // The service and item lookups show their titled column 40 characters wide.
    const int chars40 = dialog.fontMetrics().averageCharWidth() * 40;
    for (auto [combo, title] : {std::pair{kv::test::need<QComboBox>(&dialog, QStringLiteral("wwDBLookupComboService")), "Service"}, std::pair{kv::test::need<QComboBox>(&dialog, QStringLiteral("wwDBLookupComboItem")), "Item"}}) {
        EXPECT_EQ(combo->model()->headerData(0, Qt::Horizontal).toString(), QLatin1String(title));
        auto *view = qobject_cast<QTreeView *>(combo->view());
        ASSERT_NE(view, nullptr);
        EXPECT_FALSE(view->isHeaderHidden());
        EXPECT_GE(view->header()->sectionSize(0), chars40);
    }
    prompts.setDefaultAnswer(kv::Prompts::Answer::No); // nothing saved on the way out
    dialog.reject();
}

INSTANTIATE_TEST_SUITE_P(Backends, HandlerBoundaryTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL));

} // namespace
