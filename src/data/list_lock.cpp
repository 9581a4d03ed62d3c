#include "data/list_lock.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/translate.h"

namespace kv {

const QString kListGoneMessage = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "ListLock", "This list no longer exists: another user may have deleted it. Close the window and open it again."));

namespace {
const QString kFindListSql = QStringLiteral("Select Record_ID from Lists where Record_ID = :Record_ID");
} // namespace

void lockListRow(Database &db, int listId)
{
    Q_ASSERT(UnitOfWork::isActive(db)); // outside a unit the lock would end with the statement
    Query lock(&db, QStringLiteral("QueryLockList"));
    lock.setSql(kFindListSql + db.engine().rowLockSuffix());
    lock.paramByName(QStringLiteral("Record_ID")).setAsInteger(listId);
    lock.open();
    const bool exists = !lock.isEmpty();
    lock.close();
    if (!exists)
        throw Error(shown("ListLock", kListGoneMessage));
}

} // namespace kv
