#pragma once

#include "members/member_row_set.h"
#include "shell/progress.h"

#include <QList>

namespace kv {

// The walk every "selected rows" operation makes: post a pending edit, keep
// the grid from repainting, visit each selected row in the grid's order, and
// advance the bar by the share done before the row (so it never reads 100
// while rows remain). A bookmark whose row has left the view is passed over.
// visit(rows) answers whether it counted the row; the walk answers the count.
template<typename Visit>
int visitSelectedRows(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, Progress &progress, Visit visit)
{
    if (!rows.isOpen())
        return 0;
    if (rows.state() == DataState::Edit)
        rows.post();
    const MemberRowSet::SuspendDisplay paused(rows);

    const int n = int(selection.size());
    int counted = 0;
    for (int i = 0; i < n; ++i) {
        const MemberRowSet::Bookmark b = selection.at(i);
        const bool found = rows.gotoBookmark(b);
        rows.freeBookmark(b);
        if (!found)
            continue;
        if (visit(rows))
            ++counted;
        progress.setPercent(percentOf(i, n));
    }
    return counted;
}

// The walk over every row of the view, from the first in its order to the
// last: post a pending edit, keep the grid from repainting, and advance the
// bar by the share done after each row (100 after the last). visit(rows)
// answers whether it counted the row; the walk answers the count.
template<typename Visit>
int visitEveryRow(MemberRowSet &rows, Progress &progress, Visit visit)
{
    if (!rows.isOpen())
        return 0;
    if (rows.state() == DataState::Edit)
        rows.post();
    const MemberRowSet::SuspendDisplay paused(rows);

    rows.first();
    const int n = rows.recordCount();
    int done = 0;
    int counted = 0;
    while (!rows.eof()) {
        ++done;
        if (visit(rows))
            ++counted;
        progress.setPercent(percentOf(done, n));
        rows.next();
    }
    return counted;
}

// The same walk changing every row it visits through edit/post.
template<typename Change>
int forEachSelectedRow(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, Progress &progress,
                       Change change)
{
    return visitSelectedRows(rows, selection, progress, [&change](MemberRowSet &r) {
        r.edit();
        change(r);
        r.post();
        return true;
    });
}

} // namespace kv
