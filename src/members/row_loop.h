#pragma once

#include "members/member_row_set.h"
#include "shell/progress.h"

#include <QList>

namespace kv {

// The walk every "selected rows" operation makes: post a pending edit, keep
// the grid from repainting, visit each selected row in the grid's order,
// change it through edit/post, and advance the bar by the share done before
// the row (so it never reads 100 while rows remain). A bookmark whose row has
// left the view is passed over. Answers the number of rows changed.
template<typename Change>
int forEachSelectedRow(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, Progress &progress,
                       Change change)
{
    if (!rows.isOpen())
        return 0;
    if (rows.state() == DataState::Edit)
        rows.post();
    rows.disableControls();
    struct Resume
    {
        MemberRowSet &rows;
        ~Resume() { rows.enableControls(); }
    } resume{rows};

    const int n = int(selection.size());
    int changed = 0;
    for (int i = 0; i < n; ++i) {
        const MemberRowSet::Bookmark b = selection.at(i);
        const bool found = rows.gotoBookmark(b);
        rows.freeBookmark(b);
        if (!found)
            continue;
        rows.edit();
        change(rows);
        rows.post();
        ++changed;
        progress.setPercent(percentOf(i, n));
    }
    return changed;
}

} // namespace kv
