#include "members/remove_members.h"

#include "data/engine/batch_update.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/prompts.h"
#include "data/translate.h"
#include "members/row_loop.h"
#include "members/statement_progress.h"
#include "shell/progress.h"

namespace kv {

const QString RemoveMembers::kDeleteListMemberSql = QStringLiteral("Delete from List_Members where Record_ID = :Record_ID");
const QString RemoveMembers::kClearListSql = QStringLiteral("Delete from List_Members where List_ID = :List_ID");
const QString RemoveMembers::kRemoveSelectedMember =
    QString::fromUtf8(QT_TRANSLATE_NOOP("RemoveMembers", "Remove the selected member from the list?"));
const QString RemoveMembers::kRemoveSelectedMembers =
    QString::fromUtf8(QT_TRANSLATE_NOOP("RemoveMembers", "Remove the selected members from the list?"));
const QString RemoveMembers::kRemoveAllMembers =
    QString::fromUtf8(QT_TRANSLATE_NOOP("RemoveMembers", "Remove all members from the list?"));

RemoveMembers::RemoveMembers(Database &db, Prompts &prompts, Progress &progress)
    : m_db(db)
    , m_prompts(prompts)
    , m_progress(progress)
    , m_delete(new Query(&db, QStringLiteral("QueryDeleteListMember")))
    , m_clear(new Query(&db, QStringLiteral("QueryClearList")))
{
    m_delete->setSql(kDeleteListMemberSql);
    m_clear->setSql(kClearListSql);
}

RemoveMembers::~RemoveMembers() = default;

const QString &RemoveMembers::selectedQuestion(int selectedCount)
{
    return selectedCount <= 1 ? kRemoveSelectedMember : kRemoveSelectedMembers;
}

void RemoveMembers::deleteMember(int recordId)
{
    m_delete->close();
    m_delete->paramByName(QStringLiteral("Record_ID")).setAsInteger(recordId);
    m_delete->execSql();
}

int RemoveMembers::removeSelected(int listId, MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection)
{
    ProgressReset reset(m_progress);
    if (rows.isOpen() && rows.state() == DataState::Edit)
        rows.post();
    const int n = int(selection.size());
    if (!m_prompts.confirmDestroying(shown("RemoveMembers", selectedQuestion(n))))
        return 0;
    if (!rows.isOpen())
        return 0;
    const MemberRowSet::SuspendDisplay paused(rows);

    if (n <= 1) {
        // The question speaks of the selected row: with one selected, that
        // row goes, wherever a Ctrl-click left the current row.
        if (n == 1 && !rows.gotoBookmark(selection.first()))
            return 0;
        if (rows.recNo() < 0)
            return 0; // an empty grid has no current row to remove
        UnitOfWork::run(m_db, [&] {
            lockListRow(m_db, listId);
            deleteMember(rows.fieldValue(MemberRowSet::Record_ID).toInt());
        });
        rows.deleteCurrent();
        return 1;
    }
    int removed = 0;
    UnitOfWork::run(m_db, [&] {
        lockListRow(m_db, listId);
        BatchUpdate batch(*m_delete, QStringLiteral("Record_ID"));
        removed = visitSelectedRows(rows, selection, m_progress, [&](MemberRowSet &r) {
            m_delete->paramByName(QStringLiteral("Record_ID")).setAsInteger(r.fieldValue(MemberRowSet::Record_ID).toInt());
            batch.addRow();
            r.deleteCurrent();
            return true;
        });
        batch.run();
    });
    return removed;
}

bool RemoveMembers::removeAll(int listId)
{
    ProgressReset reset(m_progress);
    if (!m_prompts.confirmDestroying(shown("RemoveMembers", kRemoveAllMembers)))
        return false;
    m_clear->close();
    m_clear->paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    UnitOfWork::run(m_db, [&] {
        lockListRow(m_db, listId);
        StatementProgress relay(m_db.session(), m_progress);
        m_clear->execSql();
    });
    return true;
}

} // namespace kv
