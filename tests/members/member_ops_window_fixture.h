#pragma once

// The members window opened on the fixture's list, as the lists window opens
// it, for tests that run member operations through the window's handlers.

#include "member_ops_fixture.h"

#include "members/ui/form_list_members.h"
#include "members/ui/members_grid.h"
#include "support/find_widget.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTabBar>
#include <memory>

class MemberOpsWindowFixture : public MemberOpsTest
{
protected:
    // Connects, makes the fixture's list current and shows the window on it.
    void openWindow()
    {
        connect();
        ASSERT_TRUE(dm->QueryLists->locate({QStringLiteral("Record_ID")}, {listId}));
        window = std::make_unique<TFormListMembers>(*dm, prompts);
        window->show();
        QApplication::processEvents();
        ASSERT_EQ(window->nCurrentListID, listId);
    }

    void TearDown() override
    {
        if (window)
            window->close();
        window.reset();
    }

    kv::MemberRowSet &shown() { return window->memberRowSet(); }

    // One of the window's controls, by its object name.
    template<class T>
    T *control(const QString &name) const
    {
        return kv::test::need<T>(window.get(), name);
    }
    QTabBar *tabBar() const { return control<QTabBar>(QStringLiteral("RzTabControl1")); }
    kv::MembersGrid *grid() const { return control<kv::MembersGrid>(QStringLiteral("wwDBGridListMembers")); }

    int rowOf(int person)
    {
        for (int r = 0; r < shown().recordCount(); ++r)
            if (shown().valueAt(r, kv::MemberRowSet::Person_ID).toInt() == person)
                return r;
        return -1;
    }

    void selectPersons(const QList<int> &persons)
    {
        QList<kv::MemberRowSet::Bookmark> marks;
        for (int p : persons)
            if (rowOf(p) >= 0)
                marks << shown().bookmarkAt(rowOf(p));
        control<kv::MembersGrid>(QStringLiteral("wwDBGridListMembers"))->selectBookmarks(marks);
        ASSERT_EQ(window->gridSelection().size(), persons.size());
    }

    SettingsSandbox sandbox;
    std::unique_ptr<TFormListMembers> window;
};
