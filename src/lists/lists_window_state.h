#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TDataModuleLists;

namespace kv {

class Prompts;
class Query;

// What the lists window holds between the user's steps: the current row of
// the data module's lists and its pending edit, and every write the window
// makes, each an explicit step in a unit of work of its own. Opening,
// browsing and closing write nothing the user did not ask for: an edit that
// only the defaults' consistency rules made (clearing a service or an item
// that the stored method does not use) is shown, but never written on its
// own. A save another user's change refused asks the one read-again/keep
// question, wherever the save was asked for (Post, a move, Close, Edit
// Members, Delete).
class ListsWindowState
{
public:
    // Asked after another user's change to the list refused a save.
    static const QString kReloadAfterConflict;
    // The fields the rules clear by themselves; the user cannot edit them in
    // the lists window.
    static const QStringList kRuleFields;

    ListsWindowState(TDataModuleLists &dm, Prompts &prompts);

    Query &lists() const;
    // The Record_ID of the current list; 0 with no list or on a new one.
    int currentListId() const;
    bool hasPendingEdit() const;
    // A new row, or an edit of a field beyond the rules'.
    bool hasUserEdit() const;

    // Opening the window: opens the lists, or reads them afresh. An edit of
    // the rules alone is dropped first (the rules make it again on show); a
    // user's edit is kept, and then nothing is read.
    void show();
    // The reads a showing makes (the services lookup, and the lists unless a
    // user's edit keeps them) travel together to a server far away; answers
    // not taken are dropped when the returned scope ends.
    [[nodiscard]] std::shared_ptr<void> sendShowingReadsAhead();
    // The navigator's Post: writes the pending edit in a unit of work.
    // Answers whether it was written; after another user's change the user
    // chose to read the list again (edit dropped) or to keep the edit. Other
    // failures throw kv::RolledBack, the edit still pending.
    bool post();
    // Before leaving the row (a move, an insert, Delete): an edit of the rules
    // alone is dropped, a user's edit is saved as post() does. False: the
    // edit was not written and the caller does not go on.
    bool leaveRow();
    // Before Close or Edit Members: as leaveRow(), but a user's edit is
    // written only when the user answers Yes to question (No drops it).
    bool resolve(const QString &question);
    // A move of the navigator or the grid, made once the row was left.
    bool move(const std::function<void()> &step);

private:
    TDataModuleLists &m_dm;
    Prompts &m_prompts;
};

} // namespace kv
