#include "lists/cancel_pending.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/trace.h"
#include "data/translate.h"
#include "lists/history_note.h"
#include "shell/progress.h"


namespace kv {

const QString CancelPendingDeliveries::kQuestion =
    QString::fromUtf8(QT_TRANSLATE_NOOP("CancelPendingDeliveries", "Delete all pending deliveries to this list's members?"));
const QString CancelPendingDeliveries::kDeleteSql =
    QStringLiteral("Delete from EpisodicDeliveries where List_ID = :List_ID and not (Fulfilled = 'Y') ");
const QString CancelPendingDeliveries::kDeleteItemsSql = QStringLiteral(
    "Delete from DefDels where Deliv_ID in (select RecordID from EpisodicDeliveries where List_ID = :List_ID and not (Fulfilled = 'Y'))");
const QString CancelPendingDeliveries::kUnsavedListMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "CancelPendingDeliveries",
    "This list has not been saved yet, so it has no pending deliveries to cancel. Please save the list first."));

namespace {

// Where a run without a window announces its work: nowhere.
Progress &unshown()
{
    static NullProgress none;
    return none;
}

} // namespace

CancelPendingDeliveries::CancelPendingDeliveries(Database &db, Prompts &prompts, std::function<QString()> userName)
    : CancelPendingDeliveries(db, prompts, std::move(userName), unshown())
{
}

CancelPendingDeliveries::CancelPendingDeliveries(Database &db, Prompts &prompts, std::function<QString()> userName,
                                                 Progress &progress)
    : m_db(db)
    , m_prompts(prompts)
    , m_progress(progress)
    , m_userName(std::move(userName))
{
}

int CancelPendingDeliveries::deletePending(Database &db, int listId)
{
    Query items(&db, QStringLiteral("QueryDeleteItems"));
    items.setSql(kDeleteItemsSql);
    items.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    items.execSql();

    Query deliveries(&db, QStringLiteral("QueryDelete"));
    deliveries.setSql(kDeleteSql);
    deliveries.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    deliveries.execSql();
    return deliveries.rowsAffected();
}

std::optional<int> CancelPendingDeliveries::run(const QVariant &listRecordId, const QString &listName)
{
    TraceScope trace(QStringLiteral("CancelPendingDeliveries.run"));
    // Without a key the statement would aim at deliveries of list 0, which no
    // list of ours owns.
    if (!listRecordId.isValid() || listRecordId.isNull() || listRecordId.toInt() <= 0) {
        m_prompts.warn(shown("CancelPendingDeliveries", kUnsavedListMessage));
        return std::nullopt;
    }
    if (!m_prompts.warnDestroying(shown("CancelPendingDeliveries", kQuestion)))
        return std::nullopt;

    const BusyScope busy(m_progress);

    // The item rows, the deliveries and the note go together or not at all;
    // a fulfilment of the same list running meanwhile is waited for.
    const int listId = listRecordId.toInt();
    int removed = 0;
    UnitOfWork::run(m_db, [&] {
        lockListRow(m_db, listId);
        removed = deletePending(m_db, listId);
        Trace::value(QStringLiteral("Pending deliveries removed"), qint64(removed));
        HistoryNoteWriter note(m_db, m_userName);
        note.write(HistoryNoteWriter::pendingCancelled(listName));
    });
    return removed;
}

} // namespace kv
