#include "data/list_lock.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"

namespace kv {

namespace {
const QString kLockListSql = QStringLiteral("Select Record_ID from Lists where Record_ID = :Record_ID for update");
}

void lockListRow(Database &db, int listId)
{
    Q_ASSERT(UnitOfWork::isActive(db)); // outside a unit the lock would end with the statement
    if (db.backend() != Backend::PostgreSQL)
        return;
    Query lock(&db, QStringLiteral("QueryLockList"));
    lock.setSql(kLockListSql);
    lock.paramByName(QStringLiteral("Record_ID")).setAsInteger(listId);
    lock.open();
    lock.close();
}

} // namespace kv
