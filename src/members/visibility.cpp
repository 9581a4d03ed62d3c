#include "members/visibility.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/translate.h"
#include "members/row_loop.h"
#include "members/statement_progress.h"

#include <QScopeGuard>

namespace kv {

const QString Visibility::kSetAllVisibleSql =
    QStringLiteral("Update List_Members set RecVisible = True where List_ID = :List_ID");
const QStringList Visibility::kDayNames = {
    QString::fromUtf8(QT_TRANSLATE_NOOP("Visibility", "Monday")),   QString::fromUtf8(QT_TRANSLATE_NOOP("Visibility", "Tuesday")),
    QString::fromUtf8(QT_TRANSLATE_NOOP("Visibility", "Wednesday")), QString::fromUtf8(QT_TRANSLATE_NOOP("Visibility", "Thursday")),
    QString::fromUtf8(QT_TRANSLATE_NOOP("Visibility", "Friday")),   QString::fromUtf8(QT_TRANSLATE_NOOP("Visibility", "Saturday")),
    QString::fromUtf8(QT_TRANSLATE_NOOP("Visibility", "Sunday")),
};

Visibility::Visibility(Database &db, Progress &progress)
    : m_db(db)
    , m_progress(progress)
    , m_setAllVisible(new Query(&db, QStringLiteral("QuerySetAllVisible")))
{
    m_setAllVisible->setSql(kSetAllVisibleSql);
}

Visibility::~Visibility() = default;

void Visibility::makeAllVisible(int listId)
{
    ProgressReset reset(m_progress);
    m_setAllVisible->close();
    m_setAllVisible->paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    UnitOfWork::run(m_db, [&] {
        lockListRow(m_db, listId);
        m_setAllVisible->execSql();
    });
}

int Visibility::hideSelected(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection)
{
    ProgressReset reset(m_progress);
    return forEachSelectedRow(rows, selection, m_progress,
                              [](MemberRowSet &r) { r.setFieldValue(MemberRowSet::RecVisible, false); });
}

int Visibility::firstMatchingDay(const MemberRowSet &rows, const Days &days)
{
    for (int d = 0; d < 7; ++d) {
        if (!days[size_t(d)])
            continue;
        const QVariant v = rows.fieldValue(MemberRowSet::Monday + d);
        if (v.isValid() && !v.isNull() && v.toBool())
            return d;
    }
    return -1;
}

void Visibility::restoreAfterDays(MemberRowSet &rows, const QString &rememberedOrder)
{
    if (!rows.isOpen())
        return;
    rows.setIndexName(rememberedOrder);
    rows.setFiltered(true);
    rows.first();
}

int Visibility::hideByDays(MemberRowSet &rows, const Days &days, const std::function<void()> &reload)
{
    ProgressReset reset(m_progress);
    const QString rememberedOrder = rows.indexName();
    // The remembered order and the filter come back on every path, after the display resumes.
    const auto restore = qScopeGuard([&] {
        try {
            restoreAfterDays(rows, rememberedOrder);
        } catch (...) {
            // The remembered order always exists; nothing useful to report here.
        }
    });

    int hidden = 0;
    if (rows.isOpen()) {
        if (rows.state() == DataState::Edit)
            rows.post();
        // Every member in stored order, the hidden ones too, out of the grid's sight.
        MemberRowSet::SuspendDisplay paused(rows);
        rows.setIndexName(QString());
        rows.setFiltered(false);
        hidden = visitEveryRow(rows, m_progress, [&days](MemberRowSet &r) {
            if (firstMatchingDay(r, days) < 0)
                return false;
            r.edit();
            r.setFieldValue(MemberRowSet::RecVisible, false);
            r.post();
            return true;
        });
        paused.resume();
        rows.setFiltered(true);
    }
    if (reload)
        reload();
    return hidden;
}

ConfirmedFilter::State Visibility::chooseFilter(MemberRowSet &rows, ConfirmedFilter &filter,
                                                ConfirmedFilter::State entry)
{
    if (rows.filtered())
        rows.setFiltered(false);
    const ConfirmedFilter::State state = filter.choose(entry);
    rows.setFilter(filter.expression());
    rows.setFiltered(true);
    return state;
}

} // namespace kv
