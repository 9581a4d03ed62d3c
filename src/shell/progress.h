#pragma once

#include <QString>

namespace kv {

// Where an operation reports how far it has come. The windows paint a bar and
// let pending events through; the command line and tests keep the numbers.
class Progress
{
public:
    virtual ~Progress() = default;
    // Shown before the work starts (a message and a total, as the operation words them).
    virtual void begin(const QString &message, const QString &countText) { Q_UNUSED(message) Q_UNUSED(countText) }
    // Called after every row of a loop. It may throw kv::Cancelled when the
    // user asked to stop (a Cancel button, Escape, SIGINT): the unit of work
    // around the operation then rolls back.
    virtual void setPercent(int percent) = 0;
    virtual void end() {}
    // Said around a stretch of work that has no percentages to show (a long
    // statement, a unit of work): the windows show the busy cursor meanwhile.
    // Calls nest; each busy(true) is followed by one busy(false).
    virtual void busy(bool on) { Q_UNUSED(on) }
};

// Announces busy work to a progress for the life of the object, ending the
// announcement on every path out of the operation.
class BusyScope
{
public:
    explicit BusyScope(Progress &progress)
        : m_progress(progress)
    {
        m_progress.busy(true);
    }
    ~BusyScope() { m_progress.busy(false); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    Progress &m_progress;
};

// The whole part of done / total × 100, as every row loop reports it.
inline int percentOf(qint64 done, qint64 total)
{
    return total <= 0 ? 0 : int(done * 100 / total);
}

class NullProgress : public Progress
{
public:
    void setPercent(int) override {}
};

} // namespace kv
