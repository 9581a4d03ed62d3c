#pragma once

#include <QString>
#include <functional>
#include <memory>

class TDataModuleLists;

namespace kv {

class Prompts;
class Query;

// Deleting the current list of the lists window: its members, the list row,
// on request the list's pending deliveries together with their items, and a
// history note. Both questions are asked first; the statements and the note
// then run in one unit of work, so an error leaves everything as it was.
class DeleteList
{
public:
    static const QString kConfirmQuestion; // "Delete the selected list and all list members?"
    static const QString kDeleteMembersSql;
    static const QString kDeleteListSql;
    // The pending deliveries go with the question and statements of
    // cancelling them (CancelPendingDeliveries), items first.

    struct Outcome
    {
        bool deleted = false; // false: the user said No (or there was no list)
        bool pendingDeleted = false;
        int listId = 0;
        QString listName;
        int members = 0;
        int deliveries = 0;
        int deliveryItems = 0;
    };

    DeleteList(TDataModuleLists &dm, Prompts &prompts, std::function<QString()> userName);
    ~DeleteList();
    DeleteList(const DeleteList &) = delete;
    DeleteList &operator=(const DeleteList &) = delete;

    // Works on the current row of the data module's QueryLists. Throws
    // kv::RolledBack on failure, with nothing deleted.
    Outcome run();

    // How a pending edit of the list row is dealt with once the user said Yes
    // (the lists window's own save, with its read-again question); false
    // stops the delete with nothing deleted. By default the row is posted in
    // a unit of work of its own.
    void setLeaveRow(std::function<bool()> leaveRow) { m_leaveRow = std::move(leaveRow); }

private:
    int runDelete(const QString &sql, const QString &param, int id);

    TDataModuleLists &m_dm;
    Prompts &m_prompts;
    std::function<QString()> m_userName;
    std::function<bool()> m_leaveRow;
    std::unique_ptr<Query> QueryDelete;
};

} // namespace kv
