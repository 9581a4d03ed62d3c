#pragma once

// The row set's change log: the rows changed or deleted since the last fill
// or save, in the order they were first changed, each with its values as
// loaded, for the save routine that writes them back.

#include "members/rowset/column_store.h"

#include <QHash>
#include <QVariant>
#include <QVector>
#include <functional>
#include <vector>

namespace kv::rowset {

enum class ChangeKind { Modified, Deleted };

class ChangeLog
{
public:
    struct Entry
    {
        int row;
        ChangeKind kind;
        int loaded; // the row of the loaded values in the log's own store
    };

    int size() const { return int(m_entries.size()); }
    bool contains(int row) const { return m_index.contains(row); }
    void clear();

    // Logs a change of the row unless it is logged already, keeping the
    // values it has in the store now (call before the store changes).
    void noteModified(int row, const ColumnStore &store);
    // Logs the deletion; a row changed before keeps its values as loaded.
    void noteDeleted(int row, const ColumnStore &store);

    // Logs a change with the values the row was first read with (edits put
    // back after a fresh read keep what the user started from).
    void noteModifiedFrom(int row, const QVector<QVariant> &loaded);

    // Hands every entry, with the store holding its loaded values, to apply,
    // in order, then calls finish (when given), and empties the log. The save
    // runs in one unit of work, so when apply or finish throws nothing was
    // written and every entry stays in the log for the next save.
    void drain(const std::function<void(const Entry &, const ColumnStore &loaded)> &apply,
               const std::function<void()> &finish = {});

    // Replaces a logged row's loaded value by the one another user stored, so
    // the edit is then saved over it; a row not logged is passed over.
    void setLoadedValue(int row, int field, const QVariant &value);
    // Drops a row's entry (its edit can no longer be saved).
    void forget(int row);

    const std::vector<Entry> &entries() const { return m_entries; }
    QVector<QVariant> loadedValues(const Entry &e) const;

    qint64 bytes() const;

private:
    void append(int row, ChangeKind kind, const ColumnStore &store);

    std::vector<Entry> m_entries;
    QHash<int, int> m_index; // row -> position in m_entries
    // The loaded values stay cells, as the row set keeps them: a save reads
    // only the few fields it writes, so most are never made into values.
    ColumnStore m_loaded;
};

} // namespace kv::rowset
