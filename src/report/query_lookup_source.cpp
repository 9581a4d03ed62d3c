#include "report/query_lookup_source.h"

#include "data/engine/query.h"

namespace kv {

QueryLookupSource::QueryLookupSource(Query &query, QString paramName)
    : m_query(query)
    , m_paramName(std::move(paramName))
{
}

QStringList QueryLookupSource::fieldNames() const
{
    if (!m_query.isOpen()) {
        m_query.paramByName(m_paramName).clear();
        m_query.open();
    }
    QStringList names;
    for (const Field &f : m_query.fields())
        names << f.name;
    return names;
}

QVariant QueryLookupSource::lookup(const QString &field, const QVariant &key) const
{
    bool ok = false;
    const qint64 id = key.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return {};
    const QString k = QString::number(id);
    auto it = m_rows.find(k);
    if (it == m_rows.end()) {
        QVariantMap row;
        m_query.close();
        m_query.paramByName(m_paramName).setAsInteger(id);
        m_query.open();
        if (!m_query.eof())
            for (int i = 0; i < m_query.fieldCount(); ++i)
                row.insert(m_query.fields()[i].name.toLower(), m_query.value(i));
        it = m_rows.insert(k, row);
    }
    return it->value(field.toLower());
}

} // namespace kv
