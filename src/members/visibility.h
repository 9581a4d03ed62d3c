#pragma once

#include "members/confirmed_filter.h"
#include "members/member_row_set.h"

#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <memory>

namespace kv {

class Database;
class Progress;
class Query;

// Hiding and unhiding members, and the Confirmed filters of the members
// window. A hidden member keeps its row with RecVisible false.
class Visibility
{
public:
    static const QString kSetAllVisibleSql;
    // The seven days of the days dialog, Monday first.
    static const QStringList kDayNames;
    using Days = std::array<bool, 7>;

    Visibility(Database &db, Progress &progress);
    ~Visibility();

    // Every member of the list visible again, in the database (one unit of work).
    void makeAllVisible(int listId);

    // RecVisible false on each selected row; the load saves them. Answers the
    // number of rows hidden.
    int hideSelected(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection);

    // The first day, Monday to Sunday, checked in days and delivered on by the
    // row (an empty weekday counts as not delivering); -1 when none.
    static int firstMatchingDay(const MemberRowSet &rows, const Days &days);

    // Visits every row in load order with the filter off (hidden rows and rows
    // outside a Confirmed filter included) and hides those delivering on a
    // checked day; then switches the filter on and runs reload (the window's
    // load procedure). Afterwards, also after an error, the remembered order
    // is active again, the filter is on and the first row is current. Answers
    // the number of rows hidden.
    int hideByDays(MemberRowSet &rows, const Days &days, const std::function<void()> &reload);
    // What the days action restores on every path, Cancel included.
    static void restoreAfterDays(MemberRowSet &rows, const QString &rememberedOrder);

    // Choosing a filter entry: the filter is switched off, the entry's
    // expression set (or the plain visibility one when the entry was in force)
    // and the filter switched on again. Answers the new state.
    static ConfirmedFilter::State chooseFilter(MemberRowSet &rows, ConfirmedFilter &filter,
                                               ConfirmedFilter::State entry);

private:
    Database &m_db;
    Progress &m_progress;
    std::unique_ptr<Query> m_setAllVisible;
};

} // namespace kv
