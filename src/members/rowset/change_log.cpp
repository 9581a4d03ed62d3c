#include "members/rowset/change_log.h"

#include <utility>

namespace kv::rowset {

void ChangeLog::clear()
{
    m_entries.clear();
    m_index.clear();
    m_loaded = ColumnStore();
}

void ChangeLog::append(int row, ChangeKind kind, const ColumnStore &store)
{
    m_index.insert(row, int(m_entries.size()));
    m_entries.push_back({row, kind, m_loaded.rows});
    m_loaded.appendRow(store, row);
}

void ChangeLog::noteModified(int row, const ColumnStore &store)
{
    if (!m_index.contains(row))
        append(row, ChangeKind::Modified, store);
}

void ChangeLog::noteDeleted(int row, const ColumnStore &store)
{
    auto found = m_index.constFind(row);
    if (found != m_index.constEnd())
        m_entries[*found].kind = ChangeKind::Deleted;
    else
        append(row, ChangeKind::Deleted, store);
}

void ChangeLog::noteModifiedFrom(int row, const QVector<QVariant> &loaded)
{
    if (m_index.contains(row))
        return;
    m_index.insert(row, int(m_entries.size()));
    m_entries.push_back({row, ChangeKind::Modified, m_loaded.rows});
    m_loaded.appendValues(loaded);
}

QVector<QVariant> ChangeLog::loadedValues(const Entry &e) const
{
    QVector<QVariant> values(MemberFields::FieldCount);
    for (int f = 0; f < MemberFields::FieldCount; ++f)
        values[f] = m_loaded.value(e.loaded, f);
    return values;
}

void ChangeLog::setLoadedValue(int row, int field, const QVariant &value)
{
    const auto found = m_index.constFind(row);
    if (found != m_index.constEnd())
        m_loaded.put(m_entries[*found].loaded, field, value, false);
}

void ChangeLog::forget(int row)
{
    const auto found = m_index.constFind(row);
    if (found == m_index.constEnd())
        return;
    // Its loaded values stay in the store, unreferenced, until the log empties.
    m_entries.erase(m_entries.begin() + *found);
    m_index.clear();
    for (int i = 0; i < int(m_entries.size()); ++i)
        m_index.insert(m_entries[i].row, i);
}

void ChangeLog::drain(const std::function<void(const Entry &, const ColumnStore &)> &apply,
                      const std::function<void()> &finish)
{
    std::vector<Entry> entries;
    entries.swap(m_entries);
    QHash<int, int> index;
    index.swap(m_index);
    ColumnStore loaded = std::exchange(m_loaded, ColumnStore());
    try {
        for (const Entry &e : entries)
            apply(e, loaded);
        if (finish)
            finish();
    } catch (...) {
        m_entries.swap(entries);
        m_index.swap(index);
        m_loaded = std::move(loaded);
        throw;
    }
}

qint64 ChangeLog::bytes() const
{
    return qint64(m_entries.capacity() * sizeof(Entry)) + qint64(m_index.capacity()) * qint64(2 * sizeof(int))
        + m_loaded.bytes();
}

} // namespace kv::rowset
