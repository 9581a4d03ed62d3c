#include "data/engine/unit_of_work.h"

#include "data/engine/database.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace kv {

const QString UnitOfWork::kNothingWritten = QStringLiteral("Nothing was written: the data is as it was before.");
const QString UnitOfWork::kCancelledText = QStringLiteral("The operation was cancelled.");

Cancelled::Cancelled()
    : Error(UnitOfWork::kCancelledText)
{
}

RolledBack::RolledBack(const QString &causeText, bool cancelled)
    : Error(causeText + QStringLiteral("\n\n") + UnitOfWork::kNothingWritten)
    , m_cause(causeText)
    , m_cancelled(cancelled)
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
    } catch (const RolledBack &) {
        rollbackQuietly(unit);
        throw;
    } catch (const Cancelled &e) {
        rollbackQuietly(unit);
        throw RolledBack(e.text(), true);
    } catch (const EditConflict &e) {
        rollbackQuietly(unit);
        throw RolledBack(e);
    } catch (const Error &e) {
        rollbackQuietly(unit);
        throw RolledBack(e.text(), false);
    } catch (const std::exception &e) {
        rollbackQuietly(unit);
        throw RolledBack(QString::fromLocal8Bit(e.what()), false);
    }
}

} // namespace

UnitOfWork::UnitOfWork(Database &db)
    : m_db(db)
{
    if (db.m_txnDepth == 0) {
        exec(db, db.engine().beginTransactionSql(), QStringLiteral("Starting a transaction"));
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
        throw Error(QStringLiteral("A part of the operation failed."));
    }
    try {
        exec(m_db, QStringLiteral("COMMIT"), QStringLiteral("Committing"));
    } catch (...) {
        // A failed COMMIT on SQLite can leave the transaction open.
        QSqlQuery q(m_db.connection());
        q.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
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

void UnitOfWork::complete(UnitOfWork &begun, const std::function<void()> &fn)
{
    struct Borrowed
    {
        UnitOfWork *unit;
        UnitOfWork *operator->() const { return unit; }
        explicit operator bool() const { return unit != nullptr; }
    };
    Borrowed unit{&begun};
    finish(unit, fn);
}

} // namespace kv
