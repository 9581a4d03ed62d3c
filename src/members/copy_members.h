#pragma once

#include "members/add_members.h"
#include "members/member_row_set.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>
#include <memory>
#include <optional>

namespace kv {

class Database;
class Progress;
class Query;

// The copy dialog's own queries: the destination list row (editable, with the
// insert defaults of every list but no stamp), the lists to pick from, and the
// services and items its pick lists offer.
class CopyDestinationQueries
{
public:
    static const QString kListsSql; // "Select * from Lists"
    static const QString kListLookUpSql;
    static const QString kDeliveryServiceLookUpSql;
    static const QString kItemLookUpSql;

    // The service and item pick lists read through the same database (and so
    // the same session) as the lists: they are host tables of that database.
    explicit CopyDestinationQueries(Database &db);
    ~CopyDestinationQueries();
    CopyDestinationQueries(const CopyDestinationQueries &) = delete;
    CopyDestinationQueries &operator=(const CopyDestinationQueries &) = delete;

    void open();
    // An unposted row is discarded.
    void close();

    std::unique_ptr<Query> QueryLists;
    std::unique_ptr<Query> QueryListLookUp;
    std::unique_ptr<Query> QueryDeliveryServiceLookUp;
    std::unique_ptr<Query> QueryItemLookUp;
};

// How a copied member's flags are set: kept from the source row, or the
// state of the dialog's box.
struct CopyFlagOptions
{
    bool leaveInvited = true;
    bool invited = false;
    bool leaveConfirmed = true;
    Qt::CheckState confirmed = Qt::PartiallyChecked;
};

// The Lists row a copy into a new list creates: the name and the fulfilment
// defaults as the copy dialog showed them when OK was pressed. An empty text
// is stored as no value; Reason, Add_Mode and Create_Date are the insert
// defaults every new list gets.
struct NewListValues
{
    QString name;
    QString description;
    QString activeOnly;      // "Y" or "N"
    QString checkboxSetting; // C, U, N or I
    QString serviceMethod;   // C or S
    std::optional<int> serviceUsed;
    QString itemMethod;      // D or S
    std::optional<int> itemToDeliver;
    std::optional<int> quantity;
};

// What the copy dialog's OK chose, as a value: the destination (a list to
// create, or an existing one) and how the copies' flags are set. The dialog
// has written nothing for a new list; the copy creates it.
struct CopyChoice
{
    bool newList = false;
    int listId = 0; // an existing list; 0: found by listName
    QString listName;
    NewListValues list; // the list to create (newList)
    CopyFlagOptions flags;
};

// Copying the selected members of the shown list into another list. The
// source list is not changed; copies are visible and carry no quantity.
class CopyMembers
{
public:
    static const QString kAlreadyInDestination; // trace text when a person is skipped
    static const QString kNewListSql; // the live query a new list is inserted through; reads no row

    CopyMembers(Database &db, Progress &progress);

    // The Record_ID of the first list the name lookup returns; 0 when none.
    static int destinationByName(Query &listIdFromListName, const QString &listName);

    // Copies each selected row, in the grid's order, into the destination, in
    // one unit of work with the destination's row locked first, so concurrent
    // copies and adds never write a person twice. testMembership: skip persons
    // already in it (an existing destination). Answers the number of rows
    // inserted; throws kv::RolledBack with nothing written on an error or a cancel.
    int copy(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, int destinationId,
             bool testMembership, const CopyFlagOptions &options);

    // Creates the list (its Lists row, with the insert defaults of every list)
    // and copies every selected row into it without a membership test, all in
    // one unit of work: a copy that fails or is cancelled leaves no new list
    // behind, and throws kv::RolledBack. Answers the new list's Record_ID.
    int copyToNewList(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, const NewListValues &list,
                      const CopyFlagOptions &options);

private:
    int insertList(const NewListValues &list);
    int copyRows(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, int destinationId,
                 bool testMembership, const CopyFlagOptions &options);

    Database &m_db;
    Progress &m_progress;
    MemberWriter m_writer;
};

} // namespace kv
