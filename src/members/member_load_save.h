#pragma once

// The data steps of the members window's load procedure and its save routine:
// the list id looked up by the tab's name, the pending edits of the member row
// set saved row by row, the members read afresh, and the current member's
// client row kept at hand for the client editor and the reports.

#include "data/prompts.h"
#include "members/member_row_set.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class TDataModuleLists;

namespace kv {

class BatchUpdate;
class Query;
class RolledBack;

class MemberLoadSave
{
public:
    // Every editable column written; the save writes only the changed ones,
    // each on condition that it still holds the value read (updateSqlFor).
    static const QString kUpdateListMemberSql; // QueryUpdateListMember
    static const QString kStoredMemberSql;     // the values stored now, after a conflict
    static const QString kClientInfoSql;       // QueryClientInfo
    static const QString kUpdatedBy;           // "(List)"
    static const QString kMemberRowName;       // "the member %1"
    static const QString kClientRowName;       // "the client %1"
    // Asked after another user's change refused a save.
    static const QString kReloadAfterConflict;

    MemberLoadSave(TDataModuleLists &dm, Prompts &prompts);
    ~MemberLoadSave();

    // What a load found.
    struct LoadResult
    {
        bool completed = false;   // every step ran without an error
        bool listIdKnown = false; // the rows were dropped for the list listId
        int listId = 0;
        int memberCount = 0; // all members of the list, hidden ones included
    };

    // Steps 3 to 6 and the closing steps of the load procedure: looks up the
    // list id by name, posts and saves pending edits, reads the members of the
    // list into the row set and opens the client row. The closing steps run
    // on every path, so the row set is open again (with its old rows when the
    // error came before they were dropped, otherwise read afresh with the list
    // id the load statement was last given) and its order is "Last_Name";
    // then the first error is thrown for the caller's boundary to show (a
    // failed save keeps the shown list, its edits pending, and leaves
    // listIdKnown false). A save that another user's change refused asks
    // reloadAfterConflict's question instead; kept edits end the load without
    // an error and without completed. A caller that already knows which list
    // the name stands for (two lists may share a name) gives its id, and the
    // name is not looked up.
    LoadResult load(MemberRowSet &rows, const QString &listName, std::optional<int> knownListId = std::nullopt);
    // What the last load reached, also when it threw: the list whose rows it
    // left on display.
    const LoadResult &lastLoad() const { return m_lastLoad; }

    // Unsaved edits of the list listId that a read failed to show again: kept
    // here, off screen, and put back by the next load that reads that list.
    void keepEdits(int listId, std::vector<MemberRowSet::PendingEdit> edits);
    bool hasKeptEdits() const { return !m_kept.empty(); }
    void dropKeptEdits() { m_kept.clear(); }

    // Looks a list up by its name; 0 when no list bears it.
    int listIdByName(const QString &listName);

    // Posts a pending edit and hands every logged row to the save routine, in
    // one unit of work. A failing row rolls the whole save back: kv::RolledBack
    // is thrown (nothing written) and every row stays in the change log; its
    // conflict() is set when another user changed rows meanwhile.
    void saveChanges(MemberRowSet &rows);

    // The save routine for one logged row: writes the editable columns the
    // user changed (none: no statement), each on condition that it still holds
    // the value read. A row another user changed or removed meanwhile is
    // noted; saveChanges then refuses the whole save with an EditConflict
    // naming every such member. A failing update throws.
    void DataSetProvider1BeforeUpdateRecord(const MemberRowSet::UpdateRecord &row);

    // The update of the editable columns in the mask `changed` (bits in the
    // order RecVisible, Invited, Confirmed, Quantity); those in `readEmpty`
    // were read empty and are compared with "is null".
    static QString updateSqlFor(unsigned changed, unsigned readEmpty);

    // After a save that another user's change refused (e.conflict() set):
    // shows what changed and asks whether to read the list afresh. Yes answers
    // true: the caller drops the edits and reloads. No keeps the edits on
    // screen, counted from the values now stored, so the next save writes them.
    bool reloadAfterConflict(MemberRowSet &rows, const RolledBack &e);

    // The client row of the current member ("Select * from Clients where
    // Person_ID = :Person_ID"), reopened when the current member changes while
    // the display is not suspended. Closed until the first load. Owned here;
    // the pointer stays the same for the object's life.
private:
    std::unique_ptr<Query> m_clientInfo;

public:
    Query *const QueryClientInfo;
    // The member rows of this person in the list, as the load reads them.
    static const QString kOneClientCondition;
    // Reads the client's columns of this person's rows in the list afresh
    // (after the client editor posted) into the row set, which keeps its
    // order, current row, selection and pending edits.
    void refreshClient(MemberRowSet &rows, int listId, const QVariant &personId);
    void openClientInfo(const MemberRowSet &rows);
    void followCurrentRow(const MemberRowSet &rows);
    void closeClientInfo();

    // The captions conflict messages name the member columns by (the grid's
    // titles), keyed by field; a field without one is named as it is.
    void setColumnCaptions(const QHash<int, QString> &captions) { m_captions = captions; }

    // Number of rows the last save handed to the database.
    int savedRows() const { return m_saved; }

private:
    Query &updateFor(unsigned changed, unsigned readEmpty);
    void restoreKeptEdits(MemberRowSet &rows, int listId);
    void runBatches();
    EditConflict::Row conflictOf(const MemberRowSet::UpdateRecord &row, unsigned changed);

    TDataModuleLists &m_dm;
    Prompts &m_prompts;
    LoadResult m_lastLoad;
    int m_saved = 0;
    QDateTime m_saveStamp; // Last_Update of every row of the save under way
    // One prepared statement per set of changed and empty-read columns.
    std::map<unsigned, std::unique_ptr<Query>> m_updates;
    // The rows of the save under way, one batch per statement; the rows whose
    // outcome the batches tell at their run.
    std::map<unsigned, std::unique_ptr<BatchUpdate>> m_batches;
    struct Pending
    {
        MemberRowSet::UpdateRecord row;
        unsigned changed;
    };
    std::vector<Pending> m_pending;
    std::unique_ptr<Query> m_stored;
    std::unique_ptr<Query> m_oneClient;
    QVector<EditConflict::Row> m_conflicts;
    QHash<int, QString> m_captions;
    std::vector<MemberRowSet::PendingEdit> m_kept;
    int m_keptListId = 0;
};

} // namespace kv
