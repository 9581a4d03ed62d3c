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

int MemberRowSet::hiddenRowCount() const
{
    if (!m_open)
        return 0;
    int hidden = 0;
    for (int r = 0; r < m_store->rows; ++r)
        if (!m_store->deleted[r] && !m_store->value(r, RecVisible).toBool())
            ++hidden;
    return hidden;
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
