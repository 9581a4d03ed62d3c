#pragma once

#include <QString>

namespace kv {

class Database;

// Told when an operation is asked to write for a list that no longer exists
// (another user deleted it after this window read it).
extern const QString kListGoneMessage;

// Serialises the writers of one list inside an open unit of work, and makes
// sure the list still exists. On PostgreSQL it locks the list's row
// (SELECT ... FOR UPDATE) until the unit ends, so two operations on the same
// list (fulfil and cancel-pending, two adds of members) run one after the
// other and each sees the other's rows. On SQLite the unit's BEGIN IMMEDIATE
// already holds the database's write lock. Waits for the lock under the
// session's lock wait and throws DbError when it runs out; throws Error with
// kListGoneMessage when no list has this id (0 included), so the unit writes
// nothing for it.
void lockListRow(Database &db, int listId);

} // namespace kv
