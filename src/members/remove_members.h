#pragma once

#include "members/member_row_set.h"

#include <QList>
#include <QString>
#include <memory>

namespace kv {

class Database;
class Progress;
class Prompts;
class Query;

// Taking members out of a list: one member row by its record id, or every
// member of the list (hidden ones included). The clients are not touched.
class RemoveMembers
{
public:
    static const QString kDeleteListMemberSql;
    static const QString kClearListSql;
    static const QString kRemoveSelectedMember; // at most one selected row
    static const QString kRemoveSelectedMembers; // two or more
    static const QString kRemoveAllMembers;

    RemoveMembers(Database &db, Prompts &prompts, Progress &progress);
    ~RemoveMembers();

    // The question for a selection of that many rows.
    static const QString &selectedQuestion(int selectedCount);

    void deleteMember(int recordId);
    // Asks the question for the selection's size; on Yes deletes, in one unit
    // of work, each member's row from the database and then from the row set:
    // the selected row (the current one when none is selected), else every
    // selected row in the grid's order. Answers the number of members removed. On an
    // error or a cancel nothing is deleted in the database (kv::RolledBack)
    // while the row set may have dropped rows: the caller reads it afresh.
    // A list that no longer exists is refused (nothing deleted).
    int removeSelected(int listId, MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection);
    // Asks first; on Yes deletes every member of the list in one unit of work,
    // the bar following the statement's progress events. Answers whether it ran.
    bool removeAll(int listId);

private:
    Database &m_db;
    Prompts &m_prompts;
    Progress &m_progress;
    std::unique_ptr<Query> m_delete;
    std::unique_ptr<Query> m_clear;
};

} // namespace kv
