#include "data/trace.h"

Q_LOGGING_CATEGORY(lcTrace, "kestrovan.trace", QtWarningMsg)

namespace kv {

bool Trace::enabled()
{
    return lcTrace().isDebugEnabled();
}

void Trace::message(const QString &text)
{
    qCDebug(lcTrace).noquote() << text;
}

void Trace::value(const QString &label, const QString &v)
{
    qCDebug(lcTrace).noquote() << label << "=" << v;
}

void Trace::value(const QString &label, qint64 v)
{
    qCDebug(lcTrace).noquote() << label << "=" << v;
}

void Trace::value(const QString &label, bool v)
{
    qCDebug(lcTrace).noquote() << label << "=" << (v ? "True" : "False");
}

void Trace::lines(const QString &label, const QStringList &lines)
{
    if (!enabled())
        return;
    qCDebug(lcTrace).noquote() << label << ":";
    for (const QString &l : lines)
        qCDebug(lcTrace).noquote() << "    " << l;
}

TraceScope::TraceScope(const QString &name)
    : m_name(name)
{
    qCDebug(lcTrace).noquote() << "Enter" << m_name;
}

TraceScope::~TraceScope()
{
    qCDebug(lcTrace).noquote() << "Exit" << m_name;
}

} // namespace kv
