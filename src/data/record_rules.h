#pragma once

namespace kv {

class Query;

// The rules every path that creates or posts a list row applies, in one place.
class ListRecordRules
{
public:
    // Defaults of a new list row, set as soon as it is inserted.
    static void applyInsertDefaults(Query &lists);
    // The lists window's query: defaults on insert, Last_Update on every post,
    // and a flush after it so that other users see the row at once.
    static void attachToListsQuery(Query &lists);
    // The copy dialog's own lists query: defaults only (no stamp, no flush).
    static void attachDefaultsOnly(Query &lists);
};

} // namespace kv
