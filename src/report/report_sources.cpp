#include "report/report_sources.h"

namespace kv {

void ReportSources::add(const QString &name, ReportDataSource *source, const QString &master)
{
    if (!m_sources.contains(name.toLower()))
        m_names << name;
    m_sources.insert(name.toLower(), {source, master});
}

const ReportDataSource *ReportSources::source(const QString &name) const
{
    return mutableSource(name);
}

ReportDataSource *ReportSources::mutableSource(const QString &name) const
{
    const auto it = m_sources.constFind(name.toLower());
    return it == m_sources.constEnd() ? nullptr : it->source;
}

QString ReportSources::masterOf(const QString &name) const
{
    return m_sources.value(name.toLower()).master;
}

} // namespace kv
