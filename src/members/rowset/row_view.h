#pragma once

// What the grid sees of the member rows: the rows in the active order,
// filtered when the filter is on, and the running totals over them. The
// permutation of each named order is built on first use and kept until the
// next fill; a post moves the changed row within the active order's
// permutation and drops the others it touches.

#include "members/rowset/member_fields.h"

#include <QVariant>
#include <array>
#include <optional>
#include <vector>

namespace kv {

class MemberFilter;

namespace rowset {

class ColumnStore;
class RowOrder;

class RowView
{
public:
    // Rows (positions in the store) in view, in view order.
    const std::vector<int> &rows() const { return m_rows; }
    int size() const { return int(m_rows.size()); }
    bool empty() const { return m_rows.empty(); }
    int at(int viewRow) const { return m_rows[viewRow]; }

    // Forgets the rows, the permutations and the totals (new content).
    void reset();
    // Takes the rows of the store in the order (-1: load order) that pass the
    // filter (null: every row), deleted rows left out, and totals them.
    void rebuild(const ColumnStore &s, int order, const MemberFilter *filter);

    // The view position of a row, -1 when it is not in view.
    int find(const ColumnStore &s, int order, int row) const;
    // Where the row belongs in view order.
    int insertionPoint(const ColumnStore &s, int order, int row) const;
    void insert(int viewRow, int row) { m_rows.insert(m_rows.begin() + viewRow, row); }
    void erase(int viewRow) { m_rows.erase(m_rows.begin() + viewRow); }

    // After a post changed the fields marked in changed: keeps the active
    // order's permutation right and drops the other permutations it touches.
    void afterChange(const ColumnStore &s, int activeOrder, int row, const std::array<bool, MemberFields::FieldCount> &changed);

    // Running totals over the rows in view.
    void addToTotals(const ColumnStore &s, int row);
    void takeFromTotals(const ColumnStore &s, int row);
    QVariant sumQuantity() const { return m_quantityCount > 0 ? QVariant(m_sumQuantity) : QVariant(); }
    int countClients() const { return m_countClients; }

    qint64 bytes() const;

private:
    // Rows compared by a named order (-1: the load order), ties by load position.
    static RowOrder orderOf(const ColumnStore &s, int order);
    const std::vector<int> &permutation(const ColumnStore &s, int order);
    void recomputeTotals(const ColumnStore &s);

    std::vector<int> m_rows;
    std::vector<std::optional<std::vector<int>>> m_orders = std::vector<std::optional<std::vector<int>>>(orderCount());
    qint64 m_sumQuantity = 0;
    int m_quantityCount = 0;
    int m_countClients = 0;
};

} // namespace rowset
} // namespace kv
