#pragma once

#include "report/report_data_source.h"
#include "report/report_expression.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace kv {

// The data sources of one report run by their user names; a detail source
// names its master and is moved along with it.
class ReportSources : public ReportSourceLookup
{
public:
    void add(const QString &name, ReportDataSource *source, const QString &master = QString());
    const ReportDataSource *source(const QString &name) const override;
    ReportDataSource *mutableSource(const QString &name) const;
    QString masterOf(const QString &name) const;
    QStringList names() const { return m_names; }

private:
    struct Entry
    {
        ReportDataSource *source = nullptr;
        QString master;
    };
    QHash<QString, Entry> m_sources; // keyed by lower-case name
    QStringList m_names;
};

} // namespace kv
