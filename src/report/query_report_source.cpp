#include "report/query_report_source.h"

#include "data/engine/query.h"

namespace kv {

QueryReportSource::QueryReportSource(Query &query)
    : m_query(query)
{
}

QStringList QueryReportSource::fieldNames() const
{
    QStringList names;
    for (const Field &f : m_query.fields())
        names << f.name;
    return names;
}

void QueryReportSource::first()
{
    if (m_query.isOpen())
        m_query.first();
}

void QueryReportSource::next()
{
    if (m_query.isOpen())
        m_query.next();
}

bool QueryReportSource::eof() const
{
    return !m_query.isOpen() || m_query.eof();
}

QVariant QueryReportSource::value(const QString &field) const
{
    if (eof())
        return {};
    const int i = m_query.fieldIndex(field);
    return i < 0 ? QVariant() : m_query.value(i);
}

} // namespace kv
