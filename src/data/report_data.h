#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace kv {

class Database;
class Query;

// The host data the data module offers report templates besides the members
// and the client record, by the names a template uses: read-only queries that
// no operation of the plug-in runs. A template names a field of one as
// "Config.Agency_Name", or looks a name up by its key with
// "Lookup(Services.Service_Desc, Svcs_Used)".
class ReportData
{
public:
    static const QString kConfigSource; // "Config": every column of the host's Config table
    static const QString kServicesSource; // "Services": Service_Desc by Service_ID
    static const QString kCuisinesSource; // "Cuisines": Cuisine by Cuisine_ID

    static const QString kConfigSql; // "Select * from Config"
    static const QString kServiceNameSql; // "Select Service_ID, Service_Desc from Services where Service_ID = :Service_ID"
    static const QString kCuisineNameSql; // "Select Cuisine_ID, Cuisine from Cuisines where Cuisine_ID = :Cuisine_ID"

    static const QString kMissingTable; // "...needs the table %2, which this database does not have."

    // The names above, for a template's sources to be matched against.
    static QStringList sourceNames();
    static bool isSource(const QString &name);
    // The table behind a source and, for the look-ups, the key parameter.
    static QString tableOf(const QString &source);
    static QString keyOf(const QString &source); // empty for Config

    // A query for the named source on the lists database, read only: Config
    // opened, the look-ups prepared for their key. Throws kv::Error naming the
    // source and the table when the host's database has no such table.
    static std::unique_ptr<Query> open(Database &db, const QString &source);
};

} // namespace kv
