#pragma once

#include "data/prompts.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace kv {

class Database;
class Progress;

// Removes the deliveries that fulfilments of one list wrote and that the host
// has not marked fulfilled yet ("Y"), with their item rows, and notes it in
// the history.
class CancelPendingDeliveries
{
public:
    static const QString kQuestion;
    static const QString kDeleteSql;
    // The item rows go first, while their deliveries can still be found.
    static const QString kDeleteItemsSql;
    static const QString kUnsavedListMessage;

    CancelPendingDeliveries(Database &db, Prompts &prompts, std::function<QString()> userName);
    // The windows pass a progress that shows the busy cursor while the
    // deliveries are removed.
    CancelPendingDeliveries(Database &db, Prompts &prompts, std::function<QString()> userName, Progress &progress);

    // listRecordId is the list row's Record_ID as stored: a list never saved
    // has none and is refused with a notice. Answers the number of deliveries
    // removed once the note is written, nothing when the user declined or the
    // list was refused. The removal and the note are one unit of work: on
    // failure it throws kv::RolledBack with nothing removed.
    std::optional<int> run(const QVariant &listRecordId, const QString &listName);

    // The removal alone: the pending deliveries of the list and their item
    // rows. Answers the number of deliveries removed. Runs in the caller's
    // unit of work.
    static int deletePending(Database &db, int listId);

private:
    Database &m_db;
    Prompts &m_prompts;
    Progress &m_progress;
    std::function<QString()> m_userName;
};

} // namespace kv
