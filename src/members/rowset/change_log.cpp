#include "members/rowset/change_log.h"

#include "members/rowset/column_store.h"

namespace kv::rowset {

void ChangeLog::clear()
{
    m_entries.clear();
    m_index.clear();
}

void ChangeLog::append(int row, ChangeKind kind, const ColumnStore &store)
{
    QVector<QVariant> loaded(MemberFields::FieldCount);
    for (int f = 0; f < MemberFields::FieldCount; ++f)
        loaded[f] = store.value(row, f);
    m_index.insert(row, int(m_entries.size()));
    m_entries.push_back({row, kind, std::move(loaded)});
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
    m_entries.push_back({row, ChangeKind::Modified, loaded});
}

QVector<QVariant> *ChangeLog::loadedValues(int row)
{
    const auto found = m_index.constFind(row);
    return found == m_index.constEnd() ? nullptr : &m_entries[*found].loaded;
}

void ChangeLog::forget(int row)
{
    const auto found = m_index.constFind(row);
    if (found == m_index.constEnd())
        return;
    m_entries.erase(m_entries.begin() + *found);
    m_index.clear();
    for (int i = 0; i < int(m_entries.size()); ++i)
        m_index.insert(m_entries[i].row, i);
}

void ChangeLog::drain(const std::function<void(const Entry &)> &apply, const std::function<void()> &finish)
{
    std::vector<Entry> entries;
    entries.swap(m_entries);
    QHash<int, int> index;
    index.swap(m_index);
    try {
        for (const Entry &e : entries)
            apply(e);
        if (finish)
            finish();
    } catch (...) {
        m_entries.swap(entries);
        m_index.swap(index);
        throw;
    }
}

qint64 ChangeLog::bytes() const
{
    return qint64(m_entries.size()) * qint64(sizeof(Entry) + MemberFields::FieldCount * sizeof(QVariant));
}

} // namespace kv::rowset
