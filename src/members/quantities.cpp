#include "members/quantities.h"

#include "members/row_loop.h"
#include "members/statement_progress.h"

#include <cmath>

namespace kv {

int Quantities::wholePart(double value)
{
    return int(std::trunc(value));
}

int Quantities::setSelected(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, double value)
{
    ProgressReset reset(m_progress);
    const int quantity = wholePart(value);
    return forEachSelectedRow(rows, selection, m_progress,
                              [quantity](MemberRowSet &r) { r.setFieldValue(MemberRowSet::Quantity, quantity); });
}

} // namespace kv
