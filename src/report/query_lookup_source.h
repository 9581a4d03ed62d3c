#pragma once

#include "report/report_data_source.h"

#include <QHash>
#include <QVariantMap>

namespace kv {

class Query;

// A keyed look-up over a query with one parameter (a name by its id): each
// key is read once and remembered for the rest of the run.
class QueryLookupSource : public ReportDataSource
{
public:
    QueryLookupSource(Query &query, QString paramName);

    QStringList fieldNames() const override;
    void first() override { }
    void next() override { }
    bool eof() const override { return true; }
    QVariant value(const QString &) const override { return {}; }
    QVariant lookup(const QString &field, const QVariant &key) const override;

private:
    Query &m_query;
    QString m_paramName;
    mutable QHash<QString, QVariantMap> m_rows; // by key; an empty map for a key without a row
};

} // namespace kv
