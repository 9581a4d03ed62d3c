#include "members/member_load_save.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/trace.h"

#include <QDateTime>

namespace kv {

const QString MemberLoadSave::kUpdateListMemberSql = QStringLiteral(
    "Update List_Members set RecVisible = :RecVisible, Invited = :Invited, Confirmed = :Confirmed, Quantity = :Quantity, "
    "Last_Update = :Last_Update, Updated_By = :Updated_By where Record_ID = :Record_ID");
const QString MemberLoadSave::kClientInfoSql = QStringLiteral("Select * from Clients where Person_ID = :Person_ID");
const QString MemberLoadSave::kUpdatedBy = QStringLiteral("(List)");

MemberLoadSave::MemberLoadSave(TDataModuleLists &dm, Prompts &prompts)
    : m_dm(dm)
    , m_prompts(prompts)
{
    QueryUpdateListMember = new Query(dm.DatabaseLists, QStringLiteral("QueryUpdateListMember"));
    QueryUpdateListMember->setSql(kUpdateListMemberSql);
    QueryClientInfo = new Query(dm.DatabaseLists, QStringLiteral("QueryClientInfo"));
    QueryClientInfo->setSql(kClientInfoSql);
    QueryClientInfo->setRequestLive(true);
}

MemberLoadSave::~MemberLoadSave()
{
    delete QueryUpdateListMember;
    delete QueryClientInfo;
}

int MemberLoadSave::listIdByName(const QString &listName)
{
    Query *q = m_dm.QueryGetListIDFromListName;
    q->close();
    q->paramByName(QStringLiteral("List_Name")).setAsString(listName);
    q->open();
    const QVariant id = q->isEmpty() ? QVariant() : q->fieldValue(QStringLiteral("Record_ID"));
    return id.isValid() ? id.toInt() : 0;
}

void MemberLoadSave::saveChanges(MemberRowSet &rows)
{
    TraceScope trace(QStringLiteral("ClientDataSetListMembers.ApplyUpdates"));
    m_saved = 0;
    m_failed = 0;
    rows.post();
    if (rows.changeCount() == 0)
        return; // nothing to write: no unit, no write lock
    try {
        UnitOfWork::run(*m_dm.DatabaseLists, [&] {
            rows.applyUpdates([this](const MemberRowSet::UpdateRecord &r) { DataSetProvider1BeforeUpdateRecord(r); });
        });
    } catch (...) {
        ++m_failed;
        m_saved = 0;
        throw;
    }
}

void MemberLoadSave::DataSetProvider1BeforeUpdateRecord(const MemberRowSet::UpdateRecord &row)
{
    // Deleted rows were removed from the database by the operation that removed them.
    if (row.kind() != MemberRowSet::ChangeKind::Modified)
        return;
    Query *q = QueryUpdateListMember;
    q->close();
    const QVariant visible = row.newValue(MemberRowSet::RecVisible);
    if (visible.isValid())
        q->paramByName(QStringLiteral("RecVisible")).setAsBoolean(visible.toBool());
    else
        q->paramByName(QStringLiteral("RecVisible")).clear();
    q->paramByName(QStringLiteral("Invited")).setAsString(row.newValue(MemberRowSet::Invited).toString());
    q->paramByName(QStringLiteral("Confirmed")).setAsString(row.newValue(MemberRowSet::Confirmed).toString());
    const QVariant qty = row.newValue(MemberRowSet::Quantity);
    if (qty.isValid())
        q->paramByName(QStringLiteral("Quantity")).setAsInteger(qty.toLongLong());
    else
        q->paramByName(QStringLiteral("Quantity")).clear();
    q->paramByName(QStringLiteral("Last_Update")).setAsDateTime(QDateTime::currentDateTime());
    q->paramByName(QStringLiteral("Updated_By")).setAsString(kUpdatedBy);
    q->paramByName(QStringLiteral("Record_ID")).setAsInteger(row.oldValue(MemberRowSet::Record_ID).toLongLong());
    q->execSql();
    ++m_saved;
}

void MemberLoadSave::openClientInfo(const MemberRowSet &rows)
{
    QueryClientInfo->close();
    const QVariant person = rows.fieldValue(MemberRowSet::Person_ID);
    if (person.isValid())
        QueryClientInfo->paramByName(QStringLiteral("Person_ID")).setAsInteger(person.toLongLong());
    else
        QueryClientInfo->paramByName(QStringLiteral("Person_ID")).clear();
    QueryClientInfo->open();
}

void MemberLoadSave::followCurrentRow(const MemberRowSet &rows)
{
    if (!QueryClientInfo->isOpen() || rows.controlsDisabled())
        return;
    const QVariant person = rows.fieldValue(MemberRowSet::Person_ID);
    const QVariant bound = QueryClientInfo->paramByName(QStringLiteral("Person_ID")).value();
    if (person.isValid() == bound.isValid() && (!person.isValid() || person.toLongLong() == bound.toLongLong()))
        return;
    // An unposted change of the client row is not carried to another member.
    if (QueryClientInfo->state() != DataState::Browse)
        QueryClientInfo->cancel();
    openClientInfo(rows);
}

void MemberLoadSave::closeClientInfo()
{
    QueryClientInfo->close();
}

MemberLoadSave::LoadResult MemberLoadSave::load(MemberRowSet &rows, const QString &listName)
{
    TraceScope trace(QStringLiteral("TFormListMembers.RzTabControl1Change"));
    LoadResult result;
    Query *members = m_dm.QueryListMembers;
    try {
        const int listId = listIdByName(listName);
        // Pending edits of the list shown before are saved here, after the new
        // id has been looked up; the save does not depend on it. A save that
        // rolls back keeps them and the rows of that list on display.
        rows.post();
        if (rows.isOpen())
            saveChanges(rows);
        result.listId = listId;
        result.listIdKnown = true;
        rows.close();
        members->close();
        members->paramByName(QStringLiteral("List_ID")).setAsInteger(result.listId);
        rows.load(*members);
        openClientInfo(rows);
        result.memberCount = rows.totalRowCount();
        result.completed = true;
    } catch (const ApplicationEnding &) {
        throw;
    } catch (const Error &e) {
        m_prompts.show(Prompts::Kind::Error, e.text());
    } catch (const std::exception &e) {
        m_prompts.show(Prompts::Kind::Error, QString::fromLocal8Bit(e.what()));
    }

    // Closing steps, on every path.
    try {
        m_dm.QueryGetListIDFromListName->close();
        // An edit still pending here (the lookup failed before it was posted)
        // joins the change log, so the next load or the close saves it.
        if (rows.state() == DataState::Edit) {
            try {
                rows.post();
            } catch (const Error &) {
                rows.cancel();
                throw;
            }
        }
        rows.setIndexName(QStringLiteral("Last_Name"));
        if (!rows.isOpen())
            rows.load(*members); // with the list id the statement was last given
        rows.setIndexName(QStringLiteral("Last_Name"));
    } catch (const ApplicationEnding &) {
        throw;
    } catch (const Error &e) {
        m_prompts.show(Prompts::Kind::Error, e.text());
    }
    members->close();
    return result;
}

} // namespace kv
