#pragma once

#include "members/member_row_set.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

namespace kv {

class Database;
class Progress;
class Prompts;
class MemberRowSet;
class Query;

// The Invited and Confirmed marks of members. The "all" operations are single
// statements that change the flag column only (no stamps) of every member of
// the list, hidden ones included; the "selected" and keyboard ones change the
// member row set and are stamped when the window saves it.
class MemberFlags
{
public:
    static const QString kSetAllInvitedSql;
    static const QString kSetAllConfirmedSql;
    static const QString kChecked; // "Y"
    static const QString kUnchecked; // "N"

    enum class Flag { Invited, Confirmed };
    // The questions before an "all" operation that takes marks away or sets
    // Confirmed for everyone; %1 is the number of members.
    static const QString kCheckAllConfirmedQuestion;
    static const QString kClearAllConfirmedQuestion;
    static const QString kClearAllInvitedQuestion;

    MemberFlags(Database &db, Progress &progress);
    ~MemberFlags();

    // An "all" operation changes every member at once and cannot be undone,
    // so all but "Check all Invited" ask first, naming the count (members:
    // all of the list, hidden ones included), with No as the default. True
    // when the operation may go ahead.
    static bool askAll(Prompts &prompts, Flag flag, bool checked, int members);
    // The question askAll asks, empty for "Check all Invited".
    static QString allQuestion(Flag flag, bool checked, int members);

    void setAllInvited(int listId, bool checked);
    void setAllConfirmed(int listId, bool checked);

    // Sets Confirmed of each selected row in the row set, in the selection's
    // order; the window's save path stamps them at the next load. Answers the
    // number of rows changed.
    int setSelectedConfirmed(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, bool checked);

    // The keyboard cycles on the current row, which is left in edit.
    static void cycleConfirmed(MemberRowSet &rows);
    static void cycleInvited(MemberRowSet &rows);

    // Ctrl+C: unknown -> "Y" -> "N" -> unknown; any other value stays.
    static QVariant nextConfirmed(const QVariant &current);
    // Ctrl+I: empty or "N" -> "Y", "Y" -> "N"; any other value stays.
    static QVariant nextInvited(const QVariant &current);

private:
    void runAll(Query &query, const QString &param, int listId, bool checked);

    Database &m_db;
    Progress &m_progress;
    std::unique_ptr<Query> m_invited;
    std::unique_ptr<Query> m_confirmed;
};

} // namespace kv
