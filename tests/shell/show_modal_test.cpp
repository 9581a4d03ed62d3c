// The menu entry's flow: data module made on the first successful choice,
// the folder copied on every choice, the lists window shown modally.

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "lists/ui/form_lists.h"
#include "support/scripted_prompts.h"
#include "support/modal_driver.h"
#include "support/test_database.h"

#include <QApplication>
#include <QMenu>
#include <QAction>
#include <gtest/gtest.h>

class ShowModalTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        kv::ModalDriver::cancelAll();
        delete DataModuleLists;
        DataModuleLists = nullptr;
    }

    // Closes the lists window once it is the modal one, noting what was seen.
    void closeWhenShown()
    {
        kv::ModalDriver::whenShown(
            [this](QWidget *w) {
                seenModal = w;
                seenTitle = w->windowTitle();
                seenCursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
                kv::ModalDriver::reject(w);
            },
            QStringLiteral("FormLists"));
    }

    SettingsSandbox sandbox;
    TestDatabase tdb{kv::Backend::SQLite};
    ScriptedPrompts prompts;
    QWidget *seenModal = nullptr;
    QString seenTitle;
    Qt::CursorShape seenCursor = Qt::BlankCursor;
};

TEST_F(ShowModalTest, FailedCreationIsShownAndTheNextChoiceTriesAgain)
{
    TFormLists form(nullptr, &prompts);
    int made = 0;
    form.setDataModuleFactory([&](kv::Prompts &p, std::function<void()> shutdown) {
        ++made;
        if (made == 1)
            throw kv::DbError(QStringLiteral("Connecting"), QStringLiteral("server unreachable"));
        return std::make_unique<TDataModuleLists>(p, std::move(shutdown), nullptr, tdb.overrides());
    });
    QMenu menu;
    form.SetMenu(&menu);
    QAction *entry = menu.actions().first();

    closeWhenShown();
    entry->trigger();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(DataModuleLists, nullptr);
    ASSERT_EQ(prompts.notices().size(), 1);
    EXPECT_TRUE(prompts.notices().first().contains(QStringLiteral("server unreachable")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // restored on the error path
    QApplication::processEvents();
    EXPECT_EQ(seenModal, nullptr); // the window did not open

    kv::ModalDriver::cancelAll();
    closeWhenShown();
    entry->trigger();
    EXPECT_EQ(made, 2);
    ASSERT_NE(DataModuleLists, nullptr);
    EXPECT_EQ(DataModuleLists->parent(), qApp);
    EXPECT_EQ(seenModal, &form);
    EXPECT_EQ(seenTitle, QStringLiteral("Lists Maintenance"));
    EXPECT_EQ(seenCursor, Qt::ArrowCursor); // normal cursor while the window is open
    EXPECT_EQ(DataModuleLists->cAppDataFolder, form.cAppDataFolder);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The next choice reuses the data module and copies the folder again.
    TDataModuleLists *first = DataModuleLists;
    DataModuleLists->cAppDataFolder = QStringLiteral("stale");
    seenModal = nullptr;
    closeWhenShown();
    entry->trigger();
    EXPECT_EQ(made, 2);
    EXPECT_EQ(DataModuleLists, first);
    EXPECT_EQ(seenModal, &form);
    EXPECT_EQ(DataModuleLists->cAppDataFolder, form.cAppDataFolder);
}

TEST_F(ShowModalTest, DataLocationErrorAsksTheHostToEnd)
{
    TFormLists form(nullptr, &prompts);
    int shutdowns = 0;
    form.setShutdownRequest([&] { ++shutdowns; });
    TDataModuleLists::Overrides o = tdb.overrides();
    o.alias = QString(); // no data location defined
    form.setDataModuleFactory([&](kv::Prompts &p, std::function<void()> shutdown) {
        return std::make_unique<TDataModuleLists>(p, std::move(shutdown), nullptr, o);
    });
    closeWhenShown();
    form.FormListsShowModal();
    EXPECT_EQ(shutdowns, 1);
    EXPECT_EQ(DataModuleLists, nullptr);
    EXPECT_EQ(prompts.notices(), QStringList{TDataModuleLists::kNotDefinedMessage}); // shown once, by the data module
    QApplication::processEvents();
    EXPECT_EQ(seenModal, nullptr);
}
