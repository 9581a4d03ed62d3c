#include "report/query_detail_source.h"

#include "data/engine/query.h"

namespace kv {

QueryDetailSource::QueryDetailSource(Query &query, QString paramName, QString masterField)
    : QueryReportSource(query)
    , m_paramName(std::move(paramName))
    , m_masterField(std::move(masterField))
{
}

void QueryDetailSource::readAllFrom(Query &allRows, const QString &keyField)
{
    m_all = &allRows;
    m_keyField = keyField;
    m_allRead = false;
}

void QueryDetailSource::readAll() const
{
    if (m_allRead)
        return;
    m_all->close();
    m_all->open();
    m_rowsOf.clear();
    const int key = m_all->fieldIndex(m_keyField);
    for (int r = 0; key >= 0 && r < m_all->recordCount(); ++r) {
        const QVariant v = m_all->valueAt(r, key);
        if (v.isValid() && !v.isNull())
            m_rowsOf[v.toLongLong()].append(r);
    }
    m_allRead = true;
}

void QueryDetailSource::first()
{
    if (m_fromAll)
        m_at = 0;
    else
        QueryReportSource::first();
}

void QueryDetailSource::next()
{
    if (!m_fromAll)
        QueryReportSource::next();
    else if (m_at < m_current.size())
        ++m_at;
}

bool QueryDetailSource::eof() const
{
    return m_fromAll ? m_at >= m_current.size() : QueryReportSource::eof();
}

QVariant QueryDetailSource::value(const QString &field) const
{
    if (!m_fromAll)
        return QueryReportSource::value(field);
    if (eof())
        return {};
    const int i = m_all->fieldIndex(field);
    return i < 0 ? QVariant() : m_all->valueAt(m_current[m_at], i);
}

QStringList QueryDetailSource::fieldNames() const
{
    if (m_all) {
        readAll();
        QStringList names;
        for (const Field &f : m_all->fields())
            names << f.name;
        return names;
    }
    if (!m_query.isOpen()) {
        m_query.paramByName(m_paramName).clear();
        m_query.open();
    }
    return QueryReportSource::fieldNames();
}

void QueryDetailSource::masterMoved(const ReportDataSource &master)
{
    const QVariant key = master.eof() ? QVariant() : master.value(m_masterField);
    if (m_all) {
        readAll();
        const bool none = !key.isValid() || key.isNull();
        const auto found = none ? m_rowsOf.constEnd() : m_rowsOf.constFind(key.toLongLong());
        m_fromAll = none || found != m_rowsOf.constEnd();
        if (m_fromAll) {
            m_current = none ? QVector<int>() : *found;
            m_at = 0;
            return;
        }
    }
    m_query.close();
    if (key.isValid() && !key.isNull())
        m_query.paramByName(m_paramName).setAsInteger(key.toLongLong());
    else
        m_query.paramByName(m_paramName).clear();
    m_query.open();
}

} // namespace kv
