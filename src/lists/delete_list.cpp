#include "lists/delete_list.h"

#include "lists/cancel_pending.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/prompts.h"
#include "data/trace.h"
#include "data/translate.h"
#include "lists/history_note.h"

namespace kv {

const QString DeleteList::kConfirmQuestion =
    QString::fromUtf8(QT_TRANSLATE_NOOP("DeleteList", "Delete the selected list and all list members?"));
const QString DeleteList::kDeleteMembersSql = QStringLiteral("Delete from List_Members where List_ID = :List_ID");
const QString DeleteList::kDeleteListSql = QStringLiteral("Delete from Lists where Record_ID = :Record_ID");

DeleteList::DeleteList(TDataModuleLists &dm, Prompts &prompts, std::function<QString()> userName)
    : m_dm(dm)
    , m_prompts(prompts)
    , m_userName(std::move(userName))
    , QueryDelete(std::make_unique<Query>(dm.DatabaseLists, QStringLiteral("QueryDelete")))
{
}

DeleteList::~DeleteList() = default;

int DeleteList::runDelete(const QString &sql, const QString &param, int id)
{
    QueryDelete->close();
    QueryDelete->setSql(sql);
    QueryDelete->paramByName(param).setAsInteger(id);
    Trace::lines(QStringLiteral("QueryDelete.SQL"), QueryDelete->sql());
    QueryDelete->execSql();
    QueryDelete->close();
    return QueryDelete->rowsAffected();
}

DeleteList::Outcome DeleteList::run()
{
    TraceScope trace(QStringLiteral("DeleteList.run"));
    Outcome out;
    Query &lists = *m_dm.QueryLists;
    // With no list shown there is nothing to delete, and no note to write about it.
    if (!lists.isOpen() || lists.isEmpty())
        return out;
    if (!m_prompts.warnDestroying(shown("DeleteList", kConfirmQuestion)))
        return out;
    if (lists.state() == DataState::Edit || lists.state() == DataState::Insert) {
        if (m_leaveRow) {
            if (!m_leaveRow())
                return out;
        } else {
            UnitOfWork::run(*m_dm.DatabaseLists, [&lists] { lists.post(); });
        }
    }

    out.listId = int(lists.asInteger(QStringLiteral("Record_ID")));
    out.listName = lists.asString(QStringLiteral("List_Name"));
    Trace::value(QStringLiteral("ListID"), qint64(out.listId));

    // Both questions come before anything is written, so no lock is held
    // while the user reads; then every statement and the note are one unit.
    const bool withPending = m_prompts.warnDestroying(shown("CancelPendingDeliveries", CancelPendingDeliveries::kQuestion));
    Database &db = *m_dm.DatabaseLists;
    UnitOfWork::run(db, [&] {
        lockListRow(db, out.listId);
        out.members = runDelete(kDeleteMembersSql, QStringLiteral("List_ID"), out.listId);
        runDelete(kDeleteListSql, QStringLiteral("Record_ID"), out.listId);
        if (withPending) {
            out.deliveryItems = runDelete(CancelPendingDeliveries::kDeleteItemsSql, QStringLiteral("List_ID"), out.listId);
            out.deliveries = runDelete(CancelPendingDeliveries::kDeleteSql, QStringLiteral("List_ID"), out.listId);
        }
        HistoryNoteWriter(db, m_userName).write(HistoryNoteWriter::listDeleted(out.listName));
    });
    out.deleted = true;
    out.pendingDeleted = withPending;

    lists.close();
    lists.open();
    m_dm.QueryListMembers->close();
    m_dm.QueryListMembers->open();
    return out;
}

} // namespace kv
