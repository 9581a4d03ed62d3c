#pragma once

#include "data/engine/session.h"
#include "shell/progress.h"

#include <QMetaObject>

namespace kv {

// Passes the percentages a long statement's progress events report to a
// progress sink while the object lives; the events never cancel the statement.
class StatementProgress
{
public:
    StatementProgress(Session *session, Progress &progress)
    {
        if (session)
            m_conn = QObject::connect(session, &Session::progress, session,
                                      [&progress](int percent) {
                                          // Raised inside the engine's progress callback, a
                                          // cancel could not unwind through it: ignored here.
                                          try {
                                              progress.setPercent(percent);
                                          } catch (...) {
                                          }
                                      });
    }
    ~StatementProgress() { QObject::disconnect(m_conn); }
    StatementProgress(const StatementProgress &) = delete;
    StatementProgress &operator=(const StatementProgress &) = delete;

private:
    QMetaObject::Connection m_conn;
};

// Sets the bar back to 0 when an operation ends, on every path.
class ProgressReset
{
public:
    explicit ProgressReset(Progress &progress)
        : m_progress(progress)
    {
    }
    ~ProgressReset()
    {
        // A sink may throw kv::Cancelled; a destructor must not pass it on.
        try {
            m_progress.setPercent(0);
        } catch (...) {
        }
    }
    ProgressReset(const ProgressReset &) = delete;
    ProgressReset &operator=(const ProgressReset &) = delete;

private:
    Progress &m_progress;
};

} // namespace kv
