#include "data/engine/unit_of_work.h"

#include "data/engine/database.h"
#include "data/translate.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace kv {

const QString UnitOfWork::kNothingWritten =
    QString::fromUtf8(QT_TRANSLATE_NOOP("UnitOfWork", "Nothing was written: the data is as it was before."));
const QString UnitOfWork::kCancelledText = QString::fromUtf8(QT_TRANSLATE_NOOP("UnitOfWork", "The operation was cancelled."));
const QString UnitOfWork::kWrittenThoughConnectionLost = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "UnitOfWork",
    "The connection to the database server was lost after everything was written: the server, asked again, confirms "
    "that the changes were saved."));
const QString UnitOfWork::kOutcomeUnknown = QString::fromUtf8(QT_TRANSLATE_NOOP(
    "UnitOfWork",
    "The connection to the database server was lost just as the changes were being saved, and the server could not be "
    "asked afterwards whether it saved them: whether anything was written is unknown. Look at the list's members and "
    "its pending deliveries before you try again; running the operation again without looking may do its work twice."));

Cancelled::Cancelled()
    : Error(shown("UnitOfWork", UnitOfWork::kCancelledText))
{
}

RolledBack::RolledBack(const QString &causeText, bool cancelled)
    : Error(causeText + QStringLiteral("\n\n") + shown("UnitOfWork", UnitOfWork::kNothingWritten))
    , m_cause(causeText)
    , m_cancelled(cancelled)
{
}

OutcomeUnknown::OutcomeUnknown(const QString &causeText)
    : Error(causeText + QStringLiteral("\n\n") + shown("UnitOfWork", UnitOfWork::kOutcomeUnknown))
    , m_cause(causeText)
{
}

RolledBack::RolledBack(const EditConflict &cause)
    : RolledBack(cause.text(), false)
{
    m_conflict = std::make_shared<const EditConflict>(cause);
}

namespace {

std::function<void()> &beforeCommit()
{
    static std::function<void()> check;
    return check;
}

void exec(Database &db, const QString &sql, const QString &what)
{
    QSqlQuery q(db.connection());
    if (!q.exec(sql))
        throw DbError(QStringLiteral("%1 on the %2 database").arg(what, db.databaseName()), q.lastError().text(), sql);
}

// The cause is what the user must read; a rollback that fails as well (a lost
// connection) discards the transaction anyway.
template<typename UnitRef>
void rollbackQuietly(UnitRef &unit)
{
    if (!unit)
        return;
    try {
        unit->rollback();
    } catch (...) {
    }
}

template<typename UnitRef>
void finish(UnitRef &unit, const std::function<void()> &fn)
{
    try {
        fn();
        unit->commit();
    } catch (const ApplicationEnding &) {
        throw;
    } catch (const OutcomeUnknown &) {
        throw;
    } catch (const RolledBack &) {
        rollbackQuietly(unit);
        throw;
    } catch (const Cancelled &e) {
        rollbackQuietly(unit);
        throw RolledBack(e.text(), true);
    } catch (const EditConflict &e) {
        rollbackQuietly(unit);
        throw RolledBack(e);
    } catch (const std::exception &) {
        // Ours or the standard library's; anything else (the command line's
        // refused question) passes on as it is, and the unit's destructor rolls back.
        rollbackQuietly(unit);
        throw RolledBack(currentErrorText(), false);
    }
}

} // namespace

UnitOfWork::UnitOfWork(Database &db)
    : m_db(db)
{
    if (db.m_txnDepth == 0) {
        const QString sql = db.engine().beginTransactionSql();
        QSqlQuery q(db.connection());
        if (!q.exec(sql))
            throw DbError(QStringLiteral("Starting a transaction on the %1 database").arg(db.databaseName()), q.lastError().text(), sql);
        if (q.next())
            m_ticket = {q.value(0).toString(), q.value(1).toLongLong()};
        m_outermost = true;
        db.m_txnDoomed = false;
    }
    ++db.m_txnDepth;
}

UnitOfWork::~UnitOfWork()
{
    if (!m_done) {
        try {
            rollback();
        } catch (...) {
            // The connection may be gone; the server or SQLite discards the
            // open transaction with it.
        }
    }
}

void UnitOfWork::commit()
{
    if (m_done)
        return;
    // Before the unit counts as done, so that a throw leaves it to roll back.
    if (m_outermost && !m_db.m_txnDoomed && beforeCommit())
        beforeCommit()();
    m_done = true;
    --m_db.m_txnDepth;
    if (!m_outermost)
        return;
    if (m_db.m_txnDoomed) {
        m_db.m_txnDoomed = false;
        exec(m_db, QStringLiteral("ROLLBACK"), QStringLiteral("Rolling back"));
        throw Error(shown("UnitOfWork", "A part of the operation failed."));
    }
    sendCommit();
}

void UnitOfWork::sendCommit()
{
    const QString sql = QStringLiteral("COMMIT");
    QSqlQuery q(m_db.connection());
    if (q.exec(sql))
        return;
    const QSqlError error = q.lastError();
    // A failed COMMIT on SQLite can leave the transaction open; on a lost
    // connection this only tells the driver that the transaction is gone.
    QSqlQuery(m_db.connection()).exec(QStringLiteral("ROLLBACK"));
    const DbError cause(QStringLiteral("Committing on the %1 database").arg(m_db.databaseName()), error.text(), sql);
    // The server answered (a deferred check failed, say): it did not commit.
    if (error.type() != QSqlError::ConnectionError || m_ticket.isEmpty())
        throw cause;
    switch (m_db.engine().commitOutcome(m_db, m_ticket)) {
    case CommitOutcome::Committed: m_db.notice(shown("UnitOfWork", kWrittenThoughConnectionLost)); return;
    case CommitOutcome::Aborted: throw cause;
    case CommitOutcome::Unknown: break;
    }
    throw OutcomeUnknown(cause.text());
}

void UnitOfWork::rollback()
{
    if (m_done)
        return;
    m_done = true;
    --m_db.m_txnDepth;
    if (!m_outermost) {
        m_db.m_txnDoomed = true;
        return;
    }
    m_db.m_txnDoomed = false;
    if (m_db.isConnected())
        exec(m_db, QStringLiteral("ROLLBACK"), QStringLiteral("Rolling back"));
}

void UnitOfWork::setBeforeCommit(std::function<void()> check)
{
    beforeCommit() = std::move(check);
}

bool UnitOfWork::isActive(const Database &db)
{
    return db.m_txnDepth > 0;
}

void UnitOfWork::run(Database &db, const std::function<void()> &fn)
{
    if (isActive(db)) {
        fn();
        return;
    }
    std::optional<UnitOfWork> unit;
    finish(unit, [&] {
        // A begin that cannot get the lock has written nothing either.
        unit.emplace(db);
        fn();
    });
}

} // namespace kv
