#include "report/report_data_source.h"

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
