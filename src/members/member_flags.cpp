#include "members/member_flags.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/prompts.h"
#include "data/translate.h"
#include "members/row_loop.h"
#include "members/statement_progress.h"

#include <QLocale>

namespace kv {

const QString MemberFlags::kSetAllInvitedSql =
    QStringLiteral("Update List_Members set Invited = :Invited where List_ID = :List_ID");
const QString MemberFlags::kSetAllConfirmedSql =
    QStringLiteral("Update List_Members set Confirmed = :Confirmed where List_ID = :List_ID");
const QString MemberFlags::kCheckAllConfirmedQuestion =
    QString::fromUtf8(QT_TRANSLATE_NOOP("MemberFlags", "Check the Confirmed mark of all %1 members of the list?"));
const QString MemberFlags::kClearAllConfirmedQuestion =
    QString::fromUtf8(QT_TRANSLATE_NOOP("MemberFlags", "Clear the Confirmed mark of all %1 members of the list?"));
const QString MemberFlags::kClearAllInvitedQuestion =
    QString::fromUtf8(QT_TRANSLATE_NOOP("MemberFlags", "Clear the Invited mark of all %1 members of the list?"));
const QString MemberFlags::kChecked = QStringLiteral("Y");
const QString MemberFlags::kUnchecked = QStringLiteral("N");

MemberFlags::MemberFlags(Database &db, Progress &progress)
    : m_db(db)
    , m_progress(progress)
    , m_invited(new Query(&db, QStringLiteral("QuerySetAllInvited")))
    , m_confirmed(new Query(&db, QStringLiteral("QuerySetAllConfirmed")))
{
    m_invited->setSql(kSetAllInvitedSql);
    m_confirmed->setSql(kSetAllConfirmedSql);
}

MemberFlags::~MemberFlags() = default;

QString MemberFlags::allQuestion(Flag flag, bool checked, int members)
{
    const QString &text = flag == Flag::Confirmed ? (checked ? kCheckAllConfirmedQuestion : kClearAllConfirmedQuestion)
        : checked                                 ? QString()
                                                  : kClearAllInvitedQuestion;
    return text.isEmpty() ? text : shown("MemberFlags", text).arg(QLocale().toString(members));
}

bool MemberFlags::askAll(Prompts &prompts, Flag flag, bool checked, int members)
{
    const QString question = allQuestion(flag, checked, members);
    return question.isEmpty() || prompts.confirmDestroying(question);
}

void MemberFlags::runAll(Query &query, const QString &param, int listId, bool checked)
{
    ProgressReset reset(m_progress);
    query.close();
    query.paramByName(param).setAsString(checked ? kChecked : kUnchecked);
    query.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    UnitOfWork::run(m_db, [&] {
        lockListRow(m_db, listId);
        StatementProgress relay(m_db.session(), m_progress);
        query.execSql();
    });
}

void MemberFlags::setAllInvited(int listId, bool checked)
{
    runAll(*m_invited, QStringLiteral("Invited"), listId, checked);
}

void MemberFlags::setAllConfirmed(int listId, bool checked)
{
    runAll(*m_confirmed, QStringLiteral("Confirmed"), listId, checked);
}

namespace {
bool isEmptyFlag(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.toString().isEmpty();
}
} // namespace

QVariant MemberFlags::nextConfirmed(const QVariant &current)
{
    if (isEmptyFlag(current))
        return kChecked;
    const QString text = current.toString();
    if (text == kChecked)
        return kUnchecked;
    if (text == kUnchecked)
        return QVariant(); // unknown, saved as null
    return current;
}

QVariant MemberFlags::nextInvited(const QVariant &current)
{
    if (isEmptyFlag(current))
        return kChecked;
    const QString text = current.toString();
    if (text == kChecked)
        return kUnchecked;
    if (text == kUnchecked)
        return kChecked;
    return current;
}

int MemberFlags::setSelectedConfirmed(MemberRowSet &rows, const QList<MemberRowSet::Bookmark> &selection, bool checked)
{
    ProgressReset reset(m_progress);
    const QString value = checked ? kChecked : kUnchecked;
    return forEachSelectedRow(rows, selection, m_progress,
                              [&value](MemberRowSet &r) { r.setFieldValue(MemberRowSet::Confirmed, value); });
}

void MemberFlags::cycleConfirmed(MemberRowSet &rows)
{
    if (!rows.isOpen() || rows.recNo() < 0)
        return;
    if (rows.state() != DataState::Edit)
        rows.edit();
    rows.setFieldValue(MemberRowSet::Confirmed, nextConfirmed(rows.fieldValue(MemberRowSet::Confirmed)));
}

void MemberFlags::cycleInvited(MemberRowSet &rows)
{
    if (!rows.isOpen() || rows.recNo() < 0)
        return;
    if (rows.state() != DataState::Edit)
        rows.edit();
    rows.setFieldValue(MemberRowSet::Invited, nextInvited(rows.fieldValue(MemberRowSet::Invited)));
}

} // namespace kv
