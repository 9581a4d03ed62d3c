#include "data/report_data.h"

#include "data/engine/database.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/translate.h"

namespace kv {

const QString ReportData::kConfigSource = QStringLiteral("Config");
const QString ReportData::kServicesSource = QStringLiteral("Services");
const QString ReportData::kCuisinesSource = QStringLiteral("Cuisines");

const QString ReportData::kConfigSql = QStringLiteral("Select * from Config");
const QString ReportData::kServiceNameSql
    = QStringLiteral("Select Service_ID, Service_Desc from Services where Service_ID = :Service_ID");
const QString ReportData::kCuisineNameSql = QStringLiteral("Select Cuisine_ID, Cuisine from Cuisines where Cuisine_ID = :Cuisine_ID");

const QString ReportData::kMissingTable = QString::fromUtf8(
    QT_TRANSLATE_NOOP("ReportData", "The report data source \"%1\" needs the table %2, which this database does not have."));

QStringList ReportData::sourceNames()
{
    return {kConfigSource, kServicesSource, kCuisinesSource};
}

bool ReportData::isSource(const QString &name)
{
    return sourceNames().contains(name, Qt::CaseInsensitive);
}

QString ReportData::tableOf(const QString &source)
{
    for (const QString &s : sourceNames())
        if (s.compare(source, Qt::CaseInsensitive) == 0)
            return s; // each source is named after its table
    return QString();
}

QString ReportData::keyOf(const QString &source)
{
    if (source.compare(kServicesSource, Qt::CaseInsensitive) == 0)
        return QStringLiteral("Service_ID");
    if (source.compare(kCuisinesSource, Qt::CaseInsensitive) == 0)
        return QStringLiteral("Cuisine_ID");
    return QString();
}

std::unique_ptr<Query> ReportData::open(Database &db, const QString &source)
{
    const QString table = tableOf(source);
    if (table.isEmpty())
        throw Error(shown("ReportData", "There is no report data source \"%1\".").arg(source));
    if (!db.tableExists(table))
        throw Error(shown("ReportData", kMissingTable).arg(table, table));
    auto q = std::make_unique<Query>(&db, QStringLiteral("QueryReport") + table);
    if (table == kConfigSource) {
        q->setSql(kConfigSql);
        q->open();
    } else {
        q->setSql(table == kServicesSource ? kServiceNameSql : kCuisineNameSql);
    }
    return q;
}

} // namespace kv
