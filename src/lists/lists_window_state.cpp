#include "lists/lists_window_state.h"

#include "data/conflict_question.h"
#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/prompts.h"

#include <QCoreApplication>

namespace kv {

const QString ListsWindowState::kReloadAfterConflict =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ListsWindowState", "Read the lists again from the database?\n\n"
                                        "Yes shows the values stored now and discards your change.\n"
                                        "No keeps your change; Post then writes it over the other user's values."));

const QStringList ListsWindowState::kRuleFields{QStringLiteral("Service_Used"), QStringLiteral("Item_to_Deliver"),
                                                QStringLiteral("Quantity")};

ListsWindowState::ListsWindowState(TDataModuleLists &dm, Prompts &prompts)
    : m_dm(dm)
    , m_prompts(prompts)
{
}

Query &ListsWindowState::lists() const
{
    return *m_dm.QueryLists;
}

int ListsWindowState::currentListId() const
{
    const Query &q = lists();
    if (!q.isOpen() || q.isEmpty() || q.state() == DataState::Insert)
        return 0;
    return int(q.asInteger(QStringLiteral("Record_ID")));
}

bool ListsWindowState::hasPendingEdit() const
{
    const DataState s = lists().state();
    return s == DataState::Edit || s == DataState::Insert;
}

bool ListsWindowState::hasUserEdit() const
{
    const Query &q = lists();
    if (q.state() == DataState::Insert)
        return true;
    const QStringList changed = q.modifiedFields();
    for (const QString &f : changed)
        if (!kRuleFields.contains(f, Qt::CaseInsensitive))
            return true;
    return false;
}

std::shared_ptr<void> ListsWindowState::sendShowingReadsAhead()
{
    m_dm.QueryServices->sendAhead();
    if (!lists().isOpen() || !hasPendingEdit())
        lists().sendAhead();
    Database *db = m_dm.DatabaseLists;
    return std::shared_ptr<void>(nullptr, [db](void *) { db->dropReadAhead(); });
}

void ListsWindowState::show()
{
    Query &q = lists();
    if (!q.isOpen()) {
        q.open();
        return;
    }
    if (hasPendingEdit()) {
        if (hasUserEdit())
            return;
        q.cancel();
    }
    q.refresh();
}

bool ListsWindowState::post()
{
    if (!hasPendingEdit())
        return true;
    return postAskingAfterConflict(*m_dm.DatabaseLists, lists(), m_prompts,
                                   QCoreApplication::translate("ListsWindowState", kReloadAfterConflict.toUtf8().constData()));
}

bool ListsWindowState::leaveRow()
{
    if (!hasPendingEdit())
        return true;
    if (!hasUserEdit()) {
        lists().cancel();
        return true;
    }
    return post();
}

bool ListsWindowState::resolve(const QString &question)
{
    if (!hasPendingEdit())
        return true;
    if (!hasUserEdit()) {
        lists().cancel();
        return true;
    }
    if (!m_prompts.confirm(question)) {
        lists().cancel();
        return true;
    }
    return post();
}

bool ListsWindowState::move(const std::function<void()> &step)
{
    if (!leaveRow())
        return false;
    step();
    return true;
}

} // namespace kv
