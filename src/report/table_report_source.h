#pragma once

#include "report/report_data_source.h"

#include <QHash>
#include <QVariantMap>
#include <QVector>

namespace kv {

// Rows held in memory: tests, benchmarks and small command-line runs.
class TableReportSource : public ReportDataSource
{
public:
    explicit TableReportSource(QStringList fields = {});

    void setFields(const QStringList &fields);
    void addRow(const QVector<QVariant> &values);
    void addRow(const QVariantMap &values); // keyed by field name, case-insensitive
    int rowCount() const { return int(m_rows.size()); }

    QStringList fieldNames() const override { return m_fields; }
    void first() override { m_cur = 0; }
    void next() override
    {
        if (m_cur < rowCount())
            ++m_cur;
    }
    bool eof() const override { return m_cur >= rowCount(); }
    QVariant value(const QString &field) const override;

private:
    QStringList m_fields;
    QHash<QString, int> m_index; // lower-case name -> column
    QVector<QVector<QVariant>> m_rows;
    int m_cur = 0;
};

} // namespace kv
