// The members window's handlers at their boundary: a fault of any kind in the
// middle of one is shown with its text, the window goes on, and closing keeps
// the window's placement whatever the save of the members does.

#include "member_ops_window_fixture.h"

#include "members/ui/form_list_members.h"

#include <QAction>
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
    window->ActionRemoveSelectedMembers->trigger();

    ASSERT_FALSE(prompts.shown().isEmpty());
    EXPECT_EQ(prompts.shown().last().kind, kv::Prompts::Kind::Error);
    EXPECT_EQ(prompts.shown().last().text, QStringLiteral("disk on fire"));
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members")), 3);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->isVisible());

    // The window still works: the same handler runs through.
    prompts.clear();
    selectPersons({1, 2});
    window->ActionRemoveSelectedMembers->trigger();
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

INSTANTIATE_TEST_SUITE_P(Backends, HandlerBoundaryTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL));

} // namespace
