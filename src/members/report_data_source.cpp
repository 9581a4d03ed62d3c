#include "members/report_data_source.h"

#include "data/engine/query.h"

namespace kv {

TableReportSource::TableReportSource(QStringList fields)
{
    setFields(fields);
}

void TableReportSource::setFields(const QStringList &fields)
{
    m_fields = fields;
    m_index.clear();
    for (int i = 0; i < fields.size(); ++i)
        m_index.insert(fields[i].toLower(), i);
}

void TableReportSource::addRow(const QVector<QVariant> &values)
{
    QVector<QVariant> row = values;
    row.resize(m_fields.size());
    m_rows.push_back(std::move(row));
}

void TableReportSource::addRow(const QVariantMap &values)
{
    QVector<QVariant> row(m_fields.size());
    for (auto it = values.begin(); it != values.end(); ++it) {
        const int i = m_index.value(it.key().toLower(), -1);
        if (i >= 0)
            row[i] = it.value();
    }
    m_rows.push_back(std::move(row));
}

QVariant TableReportSource::value(const QString &field) const
{
    if (eof())
        return {};
    const int i = m_index.value(field.toLower(), -1);
    return i < 0 ? QVariant() : m_rows[m_cur][i];
}

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

QueryDetailSource::QueryDetailSource(Query &query, QString paramName, QString masterField)
    : QueryReportSource(query)
    , m_paramName(std::move(paramName))
    , m_masterField(std::move(masterField))
{
}

QStringList QueryDetailSource::fieldNames() const
{
    if (!m_query.isOpen()) {
        m_query.paramByName(m_paramName).clear();
        m_query.open();
    }
    return QueryReportSource::fieldNames();
}

void QueryDetailSource::masterMoved(const ReportDataSource &master)
{
    m_query.close();
    const QVariant key = master.eof() ? QVariant() : master.value(m_masterField);
    if (key.isValid() && !key.isNull())
        m_query.paramByName(m_paramName).setAsInteger(key.toLongLong());
    else
        m_query.paramByName(m_paramName).clear();
    m_query.open();
}

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
