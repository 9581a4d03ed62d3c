#pragma once

#include "report/report_data_source.h"

namespace kv {

class Query;

// An open query of the engine walked as a report source.
class QueryReportSource : public ReportDataSource
{
public:
    explicit QueryReportSource(Query &query);

    QStringList fieldNames() const override;
    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString &field) const override;

protected:
    Query &m_query;
};

} // namespace kv
