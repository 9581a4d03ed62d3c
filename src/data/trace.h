#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

namespace kv {

// The diagnostic trace: entry and exit lines of handlers and operations, free
// messages and labelled values. Off unless "kestrovan.trace" is enabled
// (QT_LOGGING_RULES="kestrovan.trace=true"); it never changes behaviour.
class Trace
{
public:
    static void message(const QString &text);
    static void value(const QString &label, const QString &v);
    static void value(const QString &label, qint64 v);
    static void value(const QString &label, bool v);
    static void lines(const QString &label, const QStringList &lines);
    static bool enabled();
};

class TraceScope
{
public:
    explicit TraceScope(const QString &name);
    ~TraceScope();
    TraceScope(const TraceScope &) = delete;
    TraceScope &operator=(const TraceScope &) = delete;

private:
    QString m_name;
};

} // namespace kv
