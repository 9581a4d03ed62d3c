// Editing the member row set: the row buffer, posting it into the column
// store, and the pending edits kept across a reload.

#include "members/rowset/member_row_set.h"

#include "data/engine/db_error.h"
#include "data/engine/row_stream.h"

#include <algorithm>

namespace kv {

using rowset::ColumnStore;

QVariant MemberRowSet::bufferedValue(int field) const
{
    return m_touched[field] ? m_buffer[field] : m_store->value(m_view.at(m_cur), field);
}

void MemberRowSet::clearBuffer()
{
    for (int f = 0; f < FieldCount; ++f)
        if (std::exchange(m_touched[f], false))
            m_buffer[f] = QVariant();
    m_bufferChanged = false;
}

void MemberRowSet::edit()
{
    requireRow("Edit");
    if (m_state == DataState::Edit)
        return;
    clearBuffer();
    setState(DataState::Edit);
}

void MemberRowSet::setFieldValue(int field, const QVariant &value)
{
    if (field < 0 || field >= FieldCount)
        throw Error(QStringLiteral("ClientDataSetListMembers: Field not found"));
    if (m_state != DataState::Edit)
        throw Error(QStringLiteral("ClientDataSetListMembers: Dataset not in edit or insert mode"));
    const QVariant v = ColumnStore::normalise(field, value);
    const QVariant cur = bufferedValue(field);
    if (cur == v && cur.isValid() == v.isValid())
        return;
    m_buffer[field] = v;
    m_touched[field] = true;
    m_bufferChanged = true;
    emitRowChanged(m_cur);
}

void MemberRowSet::setFieldValue(const QString &name, const QVariant &value)
{
    const int f = fieldIndex(name);
    if (f < 0)
        throw Error(QStringLiteral("ClientDataSetListMembers: Field '%1' not found").arg(name));
    setFieldValue(f, value);
}

void MemberRowSet::cancel()
{
    if (m_state != DataState::Edit)
        return;
    clearBuffer();
    setState(DataState::Browse);
    emitRowChanged(m_cur);
}

void MemberRowSet::post()
{
    if (m_state != DataState::Edit)
        return;
    const int row = m_view.at(m_cur);
    if (!m_bufferChanged) {
        clearBuffer();
        setState(DataState::Browse);
        return;
    }
    ColumnStore &s = *m_store;
    std::array<bool, FieldCount> changed{};
    bool any = false;
    for (int f = 0; f < FieldCount; ++f) {
        if (!m_touched[f])
            continue; // untouched fields read through to the store: unchanged
        const QVariant cur = s.value(row, f);
        changed[f] = !(cur == m_buffer[f] && cur.isValid() == m_buffer[f].isValid());
        any = any || changed[f];
    }
    if (any)
        m_log.noteModified(row, s);
    // The row's old share leaves the totals before it changes.
    m_view.takeFromTotals(s, row);
    for (int f = 0; f < FieldCount; ++f)
        if (changed[f])
            s.put(row, f, m_buffer[f], false);
    clearBuffer();
    m_state = DataState::Browse;
    placeAfterPost(row, changed);
    Q_EMIT stateChanged(m_state);
    Q_EMIT afterPost();
    Q_EMIT totalsChanged();
}

// After a post: keep the orders, the view, the totals and the current row right.
// The posted row was the current one, so it was in view.
void MemberRowSet::placeAfterPost(Bookmark row, const std::array<bool, FieldCount> &changed)
{
    const ColumnStore &s = *m_store;
    m_view.afterChange(s, m_order, row, changed);
    const bool nowInView = !s.deleted[row] && (!m_filtered || m_filterExpr->matches(s, row));
    if (nowInView)
        m_view.addToTotals(s, row);
    const bool orderChanged = m_order >= 0 && changed[rowset::orderDef(m_order).field];
    const int oldPos = m_cur;
    if (nowInView && !orderChanged) {
        emitRowChanged(oldPos);
        return;
    }
    const bool notify = !controlsDisabled();
    if (notify)
        beginRemoveRows(QModelIndex(), oldPos, oldPos);
    m_view.erase(oldPos);
    if (notify)
        endRemoveRows();
    if (nowInView) {
        const int newPos = m_view.insertionPoint(s, m_order, row);
        if (notify)
            beginInsertRows(QModelIndex(), newPos, newPos);
        m_view.insert(newPos, row);
        if (notify)
            endInsertRows();
        m_cur = newPos;
    } else {
        // The row left the view: the one that took its place becomes current.
        m_cur = m_view.empty() ? -1 : std::min(oldPos, m_view.size() - 1);
    }
    m_eof = m_view.empty();
    m_bof = m_view.empty();
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::deleteCurrent()
{
    requireRow("Delete");
    if (m_state == DataState::Edit)
        cancel();
    ColumnStore &s = *m_store;
    const int row = m_view.at(m_cur);
    m_log.noteDeleted(row, s);
    m_view.takeFromTotals(s, row);
    s.deleted[row] = 1;
    const int pos = m_cur;
    const bool notify = !controlsDisabled();
    if (notify)
        beginRemoveRows(QModelIndex(), pos, pos);
    m_view.erase(pos);
    if (notify)
        endRemoveRows();
    m_cur = m_view.empty() ? -1 : std::min(pos, m_view.size() - 1);
    m_eof = m_bof = m_view.empty();
    Q_EMIT totalsChanged();
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::applyUpdates(const std::function<void(const UpdateRecord &)> &apply, const std::function<void()> &finish)
{
    if (!m_open)
        return;
    post();
    m_log.drain(
        [&](const rowset::ChangeLog::Entry &e, const ColumnStore &loaded) {
            UpdateRecord rec;
            rec.m_set = this;
            rec.m_row = e.row;
            rec.m_kind = e.kind;
            rec.m_loaded = &loaded;
            rec.m_loadedRow = e.loaded;
            apply(rec);
        },
        finish);
}

void MemberRowSet::adoptStored(const EditConflict &conflict)
{
    if (!m_open)
        return;
    QHash<qlonglong, int> rowOf;
    for (const rowset::ChangeLog::Entry &e : m_log.entries())
        rowOf.insert(m_store->value(e.row, Record_ID).toLongLong(), e.row);
    for (const EditConflict::Row &r : conflict.rows()) {
        const auto it = rowOf.constFind(r.key.toLongLong());
        if (it == rowOf.constEnd())
            continue;
        if (r.gone) {
            m_log.forget(*it);
            continue;
        }
        for (const EditConflict::Change &c : r.changes) {
            const int f = fieldIndex(c.column);
            if (f >= 0)
                m_log.setLoadedValue(*it, f, c.now);
        }
    }
}

void MemberRowSet::refreshRow(const QVariant &recordId, const QHash<int, QVariant> &values)
{
    if (!m_open)
        return;
    std::vector<Bookmark> touched;
    for (int r = 0; r < m_store->rows; ++r) {
        if (m_store->deleted[r] || m_store->value(r, Record_ID).toLongLong() != recordId.toLongLong())
            continue;
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (!isEditableField(it.key()) && it.key() != Record_ID)
                m_store->put(r, it.key(), it.value(), false);
        touched.push_back(r);
    }
    if (touched.empty())
        return;
    setIndexName(m_indexName); // a changed name or city may move the row
    if (controlsDisabled())
        return;
    for (Bookmark b : touched)
        if (const int pos = viewRowOf(b); pos >= 0)
            Q_EMIT dataChanged(index(pos, 0), index(pos, FieldCount - 1));
}

std::vector<MemberRowSet::PendingEdit> MemberRowSet::pendingEdits() const
{
    std::vector<PendingEdit> edits;
    if (!m_open)
        return edits;
    for (const rowset::ChangeLog::Entry &e : m_log.entries()) {
        if (e.kind != rowset::ChangeKind::Modified)
            continue;
        PendingEdit p;
        p.loaded = m_log.loadedValues(e);
        p.recordId = p.loaded.value(Record_ID);
        p.current.resize(FieldCount);
        for (int f = 0; f < FieldCount; ++f)
            p.current[f] = m_store->value(e.row, f);
        edits.push_back(std::move(p));
    }
    return edits;
}

int MemberRowSet::restorePendingEdits(const std::vector<PendingEdit> &edits)
{
    if (!m_open || edits.empty())
        return 0;
    post();
    ColumnStore &s = *m_store;
    QHash<qlonglong, int> rowOf;
    for (int r = 0; r < s.rows; ++r)
        if (!s.deleted[r])
            rowOf.insert(s.value(r, Record_ID).toLongLong(), r);
    int restored = 0;
    // The orders may have changed with the values.
    reseatView(
        [&] {
            for (const PendingEdit &p : edits) {
                const auto it = rowOf.constFind(p.recordId.toLongLong());
                if (it == rowOf.constEnd())
                    continue;
                const int row = it.value();
                for (int f = 0; f < FieldCount; ++f) {
                    const QVariant v = p.current.value(f);
                    const QVariant cur = s.value(row, f);
                    if (!(cur == v && cur.isValid() == v.isValid()))
                        s.put(row, f, v, false);
                }
                m_log.noteModifiedFrom(row, p.loaded);
                ++restored;
            }
        },
        kNoBookmark, DropOrders);
    return restored;
}

} // namespace kv
