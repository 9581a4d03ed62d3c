#include "members/copy_members.h"
#include "members/row_loop.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/record_rules.h"
#include "data/trace.h"
#include "members/statement_progress.h"

#include <QScopeGuard>

namespace kv {

const QString CopyDestinationQueries::kListsSql = QStringLiteral("Select * from Lists");
const QString CopyDestinationQueries::kListLookUpSql = QStringLiteral("Select Record_ID, List_Name from Lists");
const QString CopyDestinationQueries::kDeliveryServiceLookUpSql =
    QStringLiteral("Select Service_ID, Service_Desc from Services where Service_Type = 'D'");
const QString CopyDestinationQueries::kItemLookUpSql = QStringLiteral("Select Item_ID, Meal_Item from Items");

CopyDestinationQueries::CopyDestinationQueries(Database &db)
    : QueryLists(std::make_unique<Query>(&db, QStringLiteral("QueryLists")))
    , QueryListLookUp(std::make_unique<Query>(&db, QStringLiteral("QueryListLookUp")))
    , QueryDeliveryServiceLookUp(std::make_unique<Query>(&db, QStringLiteral("QueryDeliveryServiceLookUp")))
    , QueryItemLookUp(std::make_unique<Query>(&db, QStringLiteral("QueryItemLookUp")))
{
    QueryLists->setSql(kListsSql);
    QueryLists->setRequestLive(true);
    QueryLists->setKeyField(QStringLiteral("Record_ID"));
    ListRecordRules::attachDefaultsOnly(*QueryLists);
    QueryListLookUp->setSql(kListLookUpSql);
    QueryDeliveryServiceLookUp->setSql(kDeliveryServiceLookUpSql);
    QueryItemLookUp->setSql(kItemLookUpSql);
}

CopyDestinationQueries::~CopyDestinationQueries()
{
    close();
}

void CopyDestinationQueries::open()
{
    QueryListLookUp->open();
    QueryLists->open();
    QueryDeliveryServiceLookUp->open();
    QueryItemLookUp->open();
}

void CopyDestinationQueries::close()
{
    if (QueryLists->state() == DataState::Edit || QueryLists->state() == DataState::Insert)
        QueryLists->cancel();
    QueryListLookUp->close();
    QueryLists->close();
    QueryDeliveryServiceLookUp->close();
    QueryItemLookUp->close();
}

const QString CopyMembers::kNewListSql = QStringLiteral("Select * from Lists where 1 = 0");
const QString CopyMembers::kAlreadyInDestination = QStringLiteral("That Person_ID existed in the destination list.");

CopyMembers::CopyMembers(Database &db, Progress &progress)
    : m_db(db)
    , m_progress(progress)
    , m_writer(db)
{
}

int CopyMembers::destinationByName(Query &q, const QString &listName)
{
    q.close();
    q.paramByName(QStringLiteral("List_Name")).setAsString(listName);
    q.open();
    const int id = q.recordCount() > 0 ? q.fieldValue(QStringLiteral("Record_ID")).toInt() : 0;
    q.close();
    return id;
}

namespace {
QString flagText(const QVariant &v)
{
    return v.isValid() && !v.isNull() ? v.toString() : QString();
}
} // namespace

int CopyMembers::copy(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, int destinationId,
                      bool testMembership, const CopyFlagOptions &options)
{
    TraceScope trace(QStringLiteral("CopyMembers.copy"));
    ProgressReset reset(m_progress);
    const auto closeWriter = qScopeGuard([this] { m_writer.close(); });

    int copied = 0;
    UnitOfWork::run(m_db, [&] {
        lockListRow(m_db, destinationId);
        copied = copyRows(rows, selection, destinationId, testMembership, options);
    });
    return copied;
}

int CopyMembers::copyToNewList(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection,
                               const NewListValues &list, const CopyFlagOptions &options)
{
    TraceScope trace(QStringLiteral("CopyMembers.copyToNewList"));
    ProgressReset reset(m_progress);
    const auto closeWriter = qScopeGuard([this] { m_writer.close(); });

    int listId = 0;
    UnitOfWork::run(m_db, [&] {
        // Nobody else sees the row before the unit commits: no lock to take.
        listId = insertList(list);
        copyRows(rows, selection, listId, false, options);
    });
    return listId;
}

namespace {
QVariant textValue(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant numberValue(const std::optional<int> &n)
{
    return n ? QVariant(*n) : QVariant();
}
} // namespace

int CopyMembers::insertList(const NewListValues &list)
{
    // A live query over no rows: the insert gets the defaults every path that
    // creates a list applies, then the values the user chose over them.
    Query q(&m_db, QStringLiteral("QueryNewList"));
    q.setSql(kNewListSql);
    q.setRequestLive(true);
    q.setKeyField(QStringLiteral("Record_ID"));
    ListRecordRules::attachDefaultsOnly(q);
    q.open();
    q.insert();
    q.setFieldValue(QStringLiteral("List_Name"), textValue(list.name));
    q.setFieldValue(QStringLiteral("List_Desc"), textValue(list.description));
    q.setFieldValue(QStringLiteral("Active_Only"), textValue(list.activeOnly));
    q.setFieldValue(QStringLiteral("Checkbox_Setting"), textValue(list.checkboxSetting));
    q.setFieldValue(QStringLiteral("Service_Method"), textValue(list.serviceMethod));
    q.setFieldValue(QStringLiteral("Service_Used"), numberValue(list.serviceUsed));
    q.setFieldValue(QStringLiteral("Item_Method"), textValue(list.itemMethod));
    q.setFieldValue(QStringLiteral("Item_to_Deliver"), numberValue(list.itemToDeliver));
    q.setFieldValue(QStringLiteral("Quantity"), numberValue(list.quantity));
    q.post();
    const int id = q.fieldValue(QStringLiteral("Record_ID")).toInt();
    q.close();
    return id;
}

int CopyMembers::copyRows(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, int destinationId,
                          bool testMembership, const CopyFlagOptions &options)
{
    NewMemberFlags fixed;
    fixed.invited = options.invited;
    fixed.confirmed = options.confirmed;
    // The destination's members read once, then kept as the rows are added,
    // so a person selected twice is still copied once.
    QSet<qint64> members;
    if (testMembership)
        members = m_writer.memberIds(destinationId);
    const int copied = visitSelectedRows(rows, selection, m_progress, [&](MemberRowSet &r) {
        const int personId = r.fieldValue(MemberRowSet::Person_ID).toInt();
        if (testMembership && members.contains(personId)) {
            Trace::message(kAlreadyInDestination);
            return false;
        }
        if (testMembership)
            members.insert(personId);
        const QString invited = options.leaveInvited ? flagText(r.fieldValue(MemberRowSet::Invited)) : fixed.invitedText();
        const QString confirmed =
            options.leaveConfirmed ? flagText(r.fieldValue(MemberRowSet::Confirmed)) : fixed.confirmedText();
        m_writer.insert(destinationId, personId, flagText(r.fieldValue(MemberRowSet::Client_ID)), invited, confirmed);
        return true;
    });
    m_writer.flush();
    return copied;
}

} // namespace kv
