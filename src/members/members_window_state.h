#pragma once

#include "members/member_load_save.h"
#include "members/member_row_set.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TDataModuleLists;

namespace kv {

class Prompts;

// What the members window holds between the user's steps, without its
// widgets: the member row set, the list on display by its id with its name
// and member count, the load that moves them together, the save of the
// pending edits, and the roll-back-and-reload after a failed operation that
// keeps the user's edits. The window shows it and adds the widget work.
class MembersWindowState
{
public:
    MembersWindowState(TDataModuleLists &dm, Prompts &prompts);
    ~MembersWindowState();

    MemberRowSet &rows() { return *m_rows; }
    MemberLoadSave &loadSave() { return *m_loadSave; }

    // The list on display: 0 and empty before the first load that got as far
    // as the list (and with no list at all).
    int listId() const { return m_listId; }
    QString listName() const { return m_listName; }
    // All members of the list on display, hidden ones included.
    int memberCount() const { return m_memberCount; }
    // Of those, the members no filter shows (RecVisible not true), counted
    // with memberCount() at the same load.
    int hiddenCount() const { return m_hiddenCount; }

    // The load procedure's data steps for the list (listId, name): pending
    // edits are saved, then the list is read. The list on display, its name
    // and count change together, and only once the save let the load go on
    // to the new list; answers whether they did (false: the old list is still
    // on display, with its edits). A failed load throws its error for the
    // caller's boundary to show, after the state followed the rows it left
    // (loadMoved() tells whether it moved).
    bool load(int listId, const QString &name);
    // Whether the last load moved the list on display, also when it threw.
    bool loadMoved() const { return m_moved; }

    // Runs a writing operation. On kv::RolledBack after another user's change
    // the read-again/keep question is asked and false answered; after any
    // other rollback the list is read afresh with the user's unsaved edits
    // from before the operation put back (kept until a read succeeds), and
    // the rollback is thrown on for the boundary to show. Other errors pass
    // through. Answers whether write completed.
    bool runWrite(const std::function<void()> &write);
    // Writes the pending edits now (the navigator's Post): a refused save
    // keeps them; after another user's change the question is asked.
    void saveNow();
    // Reads the list on display afresh: dropping the unsaved edits, or keeping
    // them to be put back into the rows read.
    void reloadDiscardingEdits();
    void reloadKeeping(std::vector<MemberRowSet::PendingEdit> edits);

    // The window's load procedure, which reads through load() and shows the
    // outcome; by default load() of the list on display.
    void setReload(std::function<void()> reload) { m_reload = std::move(reload); }

private:
    void reload();

    std::unique_ptr<MemberRowSet> m_rows;
    std::unique_ptr<MemberLoadSave> m_loadSave;
    std::function<void()> m_reload;
    int m_listId = 0;
    QString m_listName;
    int m_memberCount = 0;
    int m_hiddenCount = 0;
    bool m_moved = false;
};

} // namespace kv
