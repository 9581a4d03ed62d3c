#pragma once

#include "data/engine/db_error.h"
#include "data/engine/edit_conflict.h"
#include "data/engine/sql_backend.h"

#include <QString>
#include <functional>
#include <memory>

namespace kv {

class Database;

// Raised when the user stops a running operation (the progress window's Cancel,
// Escape in a status-bar loop, SIGINT/SIGTERM on the command line). The unit of
// work around it rolls back.
class Cancelled : public Error
{
public:
    Cancelled();
};

// Raised by UnitOfWork::run after it rolled back: the cause's own text followed
// by the sentence that tells the user nothing was written.
class RolledBack : public Error
{
public:
    RolledBack(const QString &causeText, bool cancelled);
    // Rolled back because another user changed a row the save had read.
    explicit RolledBack(const EditConflict &cause);
    QString causeText() const { return m_cause; }
    bool wasCancelled() const { return m_cancelled; }
    // The conflict that caused the rollback, or null.
    const EditConflict *conflict() const { return m_conflict.get(); }

private:
    QString m_cause;
    bool m_cancelled;
    std::shared_ptr<const EditConflict> m_conflict;
};

// Raised when COMMIT was sent, its answer was lost with the connection, and
// the server could not tell afterwards whether the transaction committed: the
// work may be written or not, so the user is told to look before trying again.
class OutcomeUnknown : public Error
{
public:
    explicit OutcomeUnknown(const QString &causeText);
    QString causeText() const { return m_cause; }

private:
    QString m_cause;
};

// One transaction on one database: every writing operation runs inside one, so
// a failure, a lock wait that runs out, a cancel or a killed process leaves the
// data exactly as it was. SQLite begins IMMEDIATE (the write lock is taken up
// front, after the usual lock wait); PostgreSQL runs one transaction under
// lock_timeout. A unit opened while another is open on the same database joins
// it: only the outermost commits, and an inner one that ends without commit()
// dooms the outer. When a server's answer to COMMIT is lost, the unit asks the
// server on a new connection how its transaction ended: committed, it goes on
// as done and says so (Database::notice); aborted, it fails as any rollback;
// otherwise it throws OutcomeUnknown, never claiming that nothing was written.
class UnitOfWork
{
public:
    // The sentence appended to an error that rolled a unit back.
    static const QString kNothingWritten;
    // The text shown when the user cancelled.
    static const QString kCancelledText;
    // Told when COMMIT's answer was lost and the server says it committed.
    static const QString kWrittenThoughConnectionLost;
    // Follows the cause when nobody can say whether COMMIT took effect.
    static const QString kOutcomeUnknown;

    explicit UnitOfWork(Database &db);
    ~UnitOfWork();
    UnitOfWork(const UnitOfWork &) = delete;
    UnitOfWork &operator=(const UnitOfWork &) = delete;

    void commit();
    // Rolls back now (the outermost unit), or dooms the outer one.
    void rollback();

    // Runs fn in a unit of work and commits. On any exception the unit rolls
    // back and, when it is the outermost, RolledBack carries the cause's text
    // and kNothingWritten; ApplicationEnding passes through unchanged. Inside
    // an open unit, fn simply joins it.
    static void run(Database &db, const std::function<void()> &fn);

    // True while a unit is open on db.
    static bool isActive(const Database &db);

    // Called by the outermost unit just before it sends COMMIT, while the
    // transaction can still be rolled back: the command line throws Cancelled
    // there when Ctrl+C came after the last progress tick. Process-wide.
    static void setBeforeCommit(std::function<void()> check);

private:
    void sendCommit();

    Database &m_db;
    TransactionTicket m_ticket;
    bool m_outermost = false;
    bool m_done = false;
};

} // namespace kv
