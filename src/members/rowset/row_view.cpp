#include "members/rowset/row_view.h"

#include "members/rowset/column_store.h"
#include "members/rowset/member_filter.h"

#include <algorithm>

namespace kv::rowset {

void RowView::reset()
{
    m_rows.clear();
    for (auto &o : m_orders)
        o.reset();
    m_sumQuantity = 0;
    m_quantityCount = 0;
    m_countClients = 0;
}

RowOrder RowView::orderOf(const ColumnStore &s, int order)
{
    if (order < 0)
        return RowOrder(s, -1, false, false);
    const OrderDef &od = orderDef(order);
    return RowOrder(s, od.field, od.noCase, od.descending);
}

const std::vector<int> &RowView::permutation(const ColumnStore &s, int order)
{
    auto &cached = m_orders[order];
    if (!cached) {
        std::vector<int> perm(s.rows);
        for (int i = 0; i < s.rows; ++i)
            perm[i] = i;
        std::sort(perm.begin(), perm.end(), orderOf(s, order));
        cached = std::move(perm);
    }
    return *cached;
}

void RowView::rebuild(const ColumnStore &s, int order, const MemberFilter *filter)
{
    m_rows.clear();
    m_rows.reserve(s.rows);
    auto take = [&](int r) {
        if (!s.deleted[r] && (!filter || filter->matches(s, r)))
            m_rows.push_back(r);
    };
    if (order < 0) {
        for (int r = 0; r < s.rows; ++r)
            take(r);
    } else {
        for (int r : permutation(s, order))
            take(r);
    }
    recomputeTotals(s);
}

int RowView::insertionPoint(const ColumnStore &s, int order, int row) const
{
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), row, orderOf(s, order));
    return int(it - m_rows.begin());
}

int RowView::find(const ColumnStore &s, int order, int row) const
{
    // The view is kept sorted by the active order (ties by load position), so
    // a row is found by halving rather than by walking every row.
    const int pos = insertionPoint(s, order, row);
    if (pos < size() && m_rows[pos] == row)
        return pos;
    auto it = std::find(m_rows.begin(), m_rows.end(), row);
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

void RowView::afterChange(const ColumnStore &s, int activeOrder, int row,
                          const std::array<bool, MemberFields::FieldCount> &changed)
{
    for (int o = 0; o < orderCount(); ++o) {
        if (!changed[orderDef(o).field] || !m_orders[o])
            continue;
        if (o != activeOrder) {
            m_orders[o].reset();
            continue;
        }
        std::vector<int> &perm = *m_orders[o];
        perm.erase(std::find(perm.begin(), perm.end(), row));
        auto pos = std::lower_bound(perm.begin(), perm.end(), row, orderOf(s, o));
        perm.insert(pos, row);
    }
}

void RowView::addToTotals(const ColumnStore &s, int row)
{
    if (!s.isEmpty(row, MemberFields::Quantity)) {
        m_sumQuantity += s.ints[ColumnStore::slot(MemberFields::Quantity)][row];
        ++m_quantityCount;
    }
    if (!s.isEmpty(row, MemberFields::Client_ID))
        ++m_countClients;
}

void RowView::takeFromTotals(const ColumnStore &s, int row)
{
    if (!s.isEmpty(row, MemberFields::Quantity)) {
        m_sumQuantity -= s.ints[ColumnStore::slot(MemberFields::Quantity)][row];
        --m_quantityCount;
    }
    if (!s.isEmpty(row, MemberFields::Client_ID))
        --m_countClients;
}

void RowView::recomputeTotals(const ColumnStore &s)
{
    m_sumQuantity = 0;
    m_quantityCount = 0;
    m_countClients = 0;
    const auto &qty = s.ints[ColumnStore::slot(MemberFields::Quantity)];
    const auto &ids = s.texts[ColumnStore::slot(MemberFields::Client_ID)].len;
    for (int r : m_rows) {
        if (qty[r] != kNullInt) {
            m_sumQuantity += qty[r];
            ++m_quantityCount;
        }
        if (ids[r] != 0)
            ++m_countClients;
    }
}

qint64 RowView::bytes() const
{
    qint64 n = qint64(m_rows.capacity() * sizeof(int));
    for (const auto &o : m_orders)
        if (o)
            n += qint64(o->capacity() * sizeof(int));
    return n;
}

} // namespace kv::rowset
