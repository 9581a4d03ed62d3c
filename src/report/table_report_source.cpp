#include "report/table_report_source.h"

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

} // namespace kv
