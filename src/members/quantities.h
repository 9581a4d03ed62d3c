#pragma once

#include "members/member_row_set.h"

#include <QList>

namespace kv {

class Progress;

// "Set Selected Quantities": every selected row gets the same quantity; the
// window's save path writes and stamps them at the next load.
class Quantities
{
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 999;

    explicit Quantities(Progress &progress)
        : m_progress(progress)
    {
    }

    // The whole part of the value goes into every selected row. Answers the
    // number of rows changed.
    int setSelected(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, double value);

    static int wholePart(double value);

private:
    Progress &m_progress;
};

} // namespace kv
