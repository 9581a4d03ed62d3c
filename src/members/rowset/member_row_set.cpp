#include "members/rowset/member_row_set.h"

#include "data/engine/db_error.h"
#include "data/engine/row_stream.h"

#include <algorithm>

namespace kv {

using rowset::ColumnStore;

// ---------------------------------------------------------------------------
// UpdateRecord

QVariant MemberRowSet::UpdateRecord::oldValue(int field) const
{
    if (!m_loaded)
        return m_set->storedValue(m_row, field);
    return field < 0 || field >= FieldCount ? QVariant() : m_loaded->value(m_loadedRow, field);
}

QVariant MemberRowSet::UpdateRecord::newValue(int field) const
{
    return m_kind == ChangeKind::Deleted ? oldValue(field) : m_set->storedValue(m_row, field);
}

QVariant MemberRowSet::UpdateRecord::oldValue(const QString &field) const
{
    const int f = fieldIndex(field);
    return f < 0 ? QVariant() : oldValue(f);
}

QVariant MemberRowSet::UpdateRecord::newValue(const QString &field) const
{
    const int f = fieldIndex(field);
    return f < 0 ? QVariant() : newValue(f);
}

// ---------------------------------------------------------------------------
// MemberRowSet

MemberRowSet::MemberRowSet(QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(std::make_unique<ColumnStore>())
{
    setObjectName(QStringLiteral("ClientDataSetListMembers"));
    m_indexName = QStringLiteral("Last_Name");
    m_order = rowset::orderIndexOf(m_indexName);
    m_filterText = QStringLiteral("RecVisible = True");
    m_filterExpr = MemberFilter::parse(m_filterText);
}

MemberRowSet::~MemberRowSet() = default;

bool MemberRowSet::isEditableField(int field)
{
    return field == Invited || field == Confirmed || field == Quantity;
}

void MemberRowSet::requireOpen(const char *what) const
{
    if (!m_open)
        throw Error(QStringLiteral("ClientDataSetListMembers: Cannot perform %1 on a closed dataset").arg(QLatin1String(what)));
}

void MemberRowSet::requireRow(const char *what) const
{
    requireOpen(what);
    if (m_cur < 0)
        throw Error(QStringLiteral("ClientDataSetListMembers: Cannot perform %1 on an empty dataset").arg(QLatin1String(what)));
}

void MemberRowSet::setState(DataState s)
{
    if (m_state == s)
        return;
    m_state = s;
    if (!controlsDisabled() && m_cur >= 0)
        Q_EMIT headerDataChanged(Qt::Vertical, m_cur, m_cur);
    Q_EMIT stateChanged(s);
}

void MemberRowSet::fill(Query &query)
{
    auto store = std::make_unique<ColumnStore>();
    ColumnStore &s = *store;
    int source[FieldCount];
    for (int f = 0; f < FieldCount; ++f)
        source[f] = query.fieldIndex(fieldName(f));
    const int n = query.recordCount();
    s.rows = n;
    s.deleted.assign(n, 0);
    for (int r = 0; r < n; ++r)
        for (int f = 0; f < FieldCount; ++f)
            s.put(r, f, source[f] < 0 ? QVariant() : query.valueAt(r, source[f]), true);
    adopt(std::move(store));
}

void MemberRowSet::load(Query &query)
{
    auto store = std::make_unique<ColumnStore>();
    int source[FieldCount];
    std::fill(std::begin(source), std::end(source), -1);
    streamRows(
        query,
        [&](const QVector<kv::Field> &fields) {
            for (int f = 0; f < FieldCount; ++f)
                for (int c = 0; c < fields.size(); ++c)
                    if (fields[c].name.compare(fieldName(f), Qt::CaseInsensitive) == 0) {
                        source[f] = c;
                        break;
                    }
        },
        [&](const StreamRow &row) { store->appendFrom(row, source); });
    adopt(std::move(store));
}

// Takes freshly read rows as the row set's content: a new view, an empty log.
void MemberRowSet::adopt(std::unique_ptr<ColumnStore> store)
{
    store->squeeze();
    reseatView(
        [&] {
            m_state = DataState::Inactive;
            clearBuffer();
            m_log.clear();
            m_store = std::move(store);
            m_open = true;
            m_state = DataState::Browse;
        },
        kNoBookmark, DropOrders | AnnounceState);
}

void MemberRowSet::close()
{
    if (!m_open)
        return;
    reseatView(
        [&] {
            m_open = false;
            m_state = DataState::Inactive;
            clearBuffer();
            m_log.clear();
            m_store = std::make_unique<ColumnStore>();
        },
        kNoBookmark, DropOrders | AnnounceState);
}

void MemberRowSet::reseatView(const std::function<void()> &change, Bookmark keep, int flags)
{
    const bool notify = !controlsDisabled();
    if (notify)
        beginResetModel();
    change();
    if (flags & DropOrders)
        m_view.reset();
    rebuildView();
    const int pos = viewRowOf(keep);
    m_cur = pos >= 0 ? pos : (m_view.empty() ? -1 : 0);
    m_bof = m_cur <= 0;
    m_eof = m_view.empty();
    if (notify)
        endResetModel();
    if (flags & AnnounceState)
        Q_EMIT stateChanged(m_state);
    Q_EMIT totalsChanged();
    Q_EMIT currentRowChanged(m_cur);
    // A closed row set has no row to scroll to.
    if (m_open)
        Q_EMIT afterScroll();
}

int MemberRowSet::totalRowCount() const
{
    return m_open ? int(std::count(m_store->deleted.begin(), m_store->deleted.end(), quint8(0))) : 0;
}

QVariant MemberRowSet::storedValue(Bookmark row, int field) const
{
    if (!m_open || row < 0 || row >= m_store->rows || field < 0 || field >= FieldCount)
        return QVariant();
    return m_store->value(row, field);
}

QVariant MemberRowSet::fieldValue(int field) const
{
    if (field < 0 || field >= FieldCount || m_cur < 0)
        return QVariant();
    if (m_state == DataState::Edit)
        return bufferedValue(field);
    return m_store->value(m_view.at(m_cur), field);
}

QVariant MemberRowSet::fieldValue(const QString &name) const
{
    const int f = fieldIndex(name);
    if (f < 0)
        throw Error(QStringLiteral("ClientDataSetListMembers: Field '%1' not found").arg(name));
    return fieldValue(f);
}

QString MemberRowSet::asString(const QString &name) const
{
    const QVariant v = fieldValue(name);
    if (!v.isValid())
        return QString();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QVariant MemberRowSet::valueAt(int viewRow, int field) const
{
    if (viewRow < 0 || viewRow >= m_view.size() || field < 0 || field >= FieldCount)
        return QVariant();
    if (viewRow == m_cur && m_state == DataState::Edit)
        return bufferedValue(field);
    return m_store->value(m_view.at(viewRow), field);
}

// ---------------------------------------------------------------------------
// Editing

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

// ---------------------------------------------------------------------------
// Orders, filter, view

void MemberRowSet::rebuildView()
{
    if (!m_open) {
        m_view.reset();
        return;
    }
    m_view.rebuild(*m_store, m_order, m_filtered ? m_filterExpr.get() : nullptr);
}

void MemberRowSet::setIndexName(const QString &orderName)
{
    const int order = rowset::orderIndexOf(orderName);
    if (order < 0 && !orderName.isEmpty())
        throw Error(QStringLiteral("ClientDataSetListMembers: Index '%1' not found").arg(orderName));
    post();
    m_indexName = order < 0 ? QString() : QString::fromLatin1(rowset::orderDef(order).name);
    m_order = order;
    if (!m_open)
        return;
    const Bookmark keep = getBookmark();
    const bool notify = !controlsDisabled();
    if (notify)
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<int> oldRows;
    oldRows.reserve(persistent.size());
    for (const QModelIndex &i : persistent)
        oldRows.push_back(m_view.at(i.row()));
    rebuildView();
    if (notify) {
        QModelIndexList to;
        for (int i = 0; i < persistent.size(); ++i) {
            const int pos = viewRowOf(oldRows[i]);
            to << (pos < 0 ? QModelIndex() : index(pos, persistent[i].column()));
        }
        changePersistentIndexList(persistent, to);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    const int pos = viewRowOf(keep);
    m_cur = pos >= 0 ? pos : (m_view.empty() ? -1 : 0);
    m_eof = m_view.empty();
    m_bof = m_cur <= 0;
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::setFilter(const QString &expression)
{
    auto parsed = MemberFilter::parse(expression);
    post();
    m_filterExpr = std::move(parsed);
    m_filterText = expression;
    if (m_filtered && m_open)
        reseatView([] {}, kNoBookmark, KeepOrders);
}

void MemberRowSet::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    post();
    m_filtered = on;
    if (!m_open)
        return;
    reseatView([] {}, getBookmark(), KeepOrders);
}

// ---------------------------------------------------------------------------
// Navigation and bookmarks

void MemberRowSet::setCurrent(int viewRow, bool postFirst)
{
    if (postFirst && m_state == DataState::Edit && viewRow != m_cur) {
        const Bookmark target = bookmarkAt(viewRow);
        post();
        // Posting may move rows; follow the target row.
        const int pos = viewRowOf(target);
        viewRow = pos >= 0 ? pos : std::clamp(viewRow, 0, m_view.size() - 1);
    }
    if (m_view.empty()) {
        m_cur = -1;
        return;
    }
    viewRow = std::clamp(viewRow, 0, m_view.size() - 1);
    if (viewRow == m_cur)
        return;
    const int old = m_cur;
    m_cur = viewRow;
    if (!controlsDisabled()) {
        if (old >= 0 && old < m_view.size())
            Q_EMIT headerDataChanged(Qt::Vertical, old, old);
        Q_EMIT headerDataChanged(Qt::Vertical, m_cur, m_cur);
    }
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::first()
{
    requireOpen("First");
    setCurrent(0);
    m_bof = true;
    m_eof = m_view.empty();
}

void MemberRowSet::last()
{
    requireOpen("Last");
    setCurrent(m_view.size() - 1);
    m_eof = true;
    m_bof = m_view.empty();
}

void MemberRowSet::next()
{
    moveBy(1);
}

void MemberRowSet::prior()
{
    moveBy(-1);
}

int MemberRowSet::moveBy(int n)
{
    requireOpen("MoveBy");
    if (m_view.empty()) {
        m_eof = m_bof = true;
        return 0;
    }
    const int from = m_cur;
    const int target = std::clamp(qint64(from) + n, qint64(0), qint64(m_view.size()) - 1);
    setCurrent(int(target));
    const int moved = m_cur - from;
    m_eof = n > 0 && moved < n;
    m_bof = n < 0 && moved > n;
    return moved;
}

void MemberRowSet::setRecNo(int viewRow)
{
    requireOpen("RecNo");
    setCurrent(viewRow);
    m_eof = m_view.empty();
    m_bof = m_view.empty();
}

MemberRowSet::Bookmark MemberRowSet::bookmarkAt(int viewRow) const
{
    return viewRow >= 0 && viewRow < m_view.size() ? m_view.at(viewRow) : kNoBookmark;
}

int MemberRowSet::viewRowOf(Bookmark b) const
{
    if (b < 0 || !m_open || b >= m_store->rows)
        return -1;
    return m_view.find(*m_store, m_order, b);
}

MemberRowSet::Bookmark MemberRowSet::getBookmark() const
{
    return bookmarkAt(m_cur);
}

bool MemberRowSet::gotoBookmark(Bookmark b)
{
    const int pos = viewRowOf(b);
    if (pos < 0)
        return false;
    setCurrent(pos);
    m_eof = m_bof = false;
    // Posting the previous row can move the target; make sure we are on it.
    const int again = viewRowOf(b);
    if (again < 0)
        return false;
    if (again != m_cur)
        setCurrent(again, false);
    return true;
}

bool MemberRowSet::bookmarkValid(Bookmark b) const
{
    return m_open && b >= 0 && b < m_store->rows && !m_store->deleted[b];
}

// ---------------------------------------------------------------------------
// Display

void MemberRowSet::disableControls()
{
    if (m_disabled++ == 0)
        beginResetModel();
}

void MemberRowSet::enableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0)
        endResetModel();
}

qint64 MemberRowSet::approximateBytes() const
{
    return qint64(sizeof(*this)) + m_store->bytes() + m_view.bytes() + m_log.bytes();
}

} // namespace kv
