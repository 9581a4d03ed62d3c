#pragma once

namespace kv {

class Database;

// Serialises the writers of one list inside an open unit of work. On
// PostgreSQL it locks the list's row (SELECT ... FOR UPDATE) until the unit
// ends, so two operations on the same list (fulfil and cancel-pending, two
// adds of members) run one after the other and each sees the other's rows.
// On SQLite the unit's BEGIN IMMEDIATE already holds the database's write
// lock, so nothing more is needed. Waits for the lock under the session's
// lock wait and throws DbError when it runs out. A list that does not exist
// locks nothing.
void lockListRow(Database &db, int listId);

} // namespace kv
