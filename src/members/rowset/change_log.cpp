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

void ChangeLog::drain(const std::function<void(const Entry &)> &apply)
{
    std::vector<Entry> entries;
    entries.swap(m_entries);
    m_index.clear();
    for (size_t i = 0; i < entries.size(); ++i) {
        try {
            apply(entries[i]);
        } catch (...) {
            for (size_t k = i + 1; k < entries.size(); ++k) {
                m_index.insert(entries[k].row, int(m_entries.size()));
                m_entries.push_back(std::move(entries[k]));
            }
            throw;
        }
    }
}

qint64 ChangeLog::bytes() const
{
    return qint64(m_entries.size()) * qint64(sizeof(Entry) + MemberFields::FieldCount * sizeof(QVariant));
}

} // namespace kv::rowset
