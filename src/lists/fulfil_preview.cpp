#include "lists/fulfil_preview.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"

#include <QHash>
#include <QSet>

namespace kv {

const QString FulfilmentPreview::kNamesSql = QStringLiteral(
    "Select List_Members.Person_ID, Clients.Last_Name, Clients.First_Name from List_Members join Clients on "
    "List_Members.Person_ID = Clients.Person_ID where List_Members.List_ID = :List_ID");
const QString FulfilmentPreview::kServiceNamesSql = QStringLiteral("Select Service_ID, Service_Desc from Services");

namespace {

QString text(const QVariant &v)
{
    return (!v.isValid() || v.isNull()) ? QString() : v.toString();
}

} // namespace

QList<PlannedDelivery> FulfilmentPreview::plan(TDataModuleLists &dm, int listId, const FulfilmentOptions &o, bool skipScheduled)
{
    const QString problem = ListFulfilment::check(o);
    if (!problem.isEmpty())
        throw Error(problem);
    Database *db = dm.DatabaseLists;

    QHash<qint64, QPair<QString, QString>> names;
    Query nameQuery(db, QStringLiteral("QueryPreviewNames"));
    nameQuery.setSql(kNamesSql);
    nameQuery.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    nameQuery.open();
    for (int r = 0; r < nameQuery.recordCount(); ++r)
        names.insert(nameQuery.valueAt(r, 0).toLongLong(), {text(nameQuery.valueAt(r, 1)), text(nameQuery.valueAt(r, 2))});
    nameQuery.close();

    QHash<qint64, QString> services;
    Query serviceQuery(db, QStringLiteral("QueryPreviewServices"));
    serviceQuery.setSql(kServiceNamesSql);
    serviceQuery.open();
    for (int r = 0; r < serviceQuery.recordCount(); ++r)
        services.insert(serviceQuery.valueAt(r, 0).toLongLong(), text(serviceQuery.valueAt(r, 1)));
    serviceQuery.close();

    QSet<qint64> scheduled;
    Query scheduledQuery(db, QStringLiteral("QueryPreviewScheduled"));
    scheduledQuery.setSql(ListFulfilment::kScheduledSql);
    scheduledQuery.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    scheduledQuery.paramByName(QStringLiteral("Deliv_Date")).setAsDate(o.deliveryDate);
    scheduledQuery.open();
    for (int r = 0; r < scheduledQuery.recordCount(); ++r)
        scheduled.insert(scheduledQuery.valueAt(r, 0).toLongLong());
    scheduledQuery.close();

    const bool withItem = o.itemsIndex == FulfilmentOptions::SelectedItem;
    const bool ownService = o.serviceIndex == FulfilmentOptions::ClientsOwnService;
    QString itemName;
    if (withItem) {
        FulfilmentNameLookups lookups(dm);
        itemName = lookups.itemName(*o.itemId);
    }

    // The run's own statement, parameters and per-member decisions.
    Query c(db, QStringLiteral("QueryPreviewCandidates"));
    c.setSql(ListFulfilment::candidateSql(o));
    if (o.activeOnly)
        c.paramByName(QStringLiteral("Stop_Dte")).setAsDate(o.deliveryDate);
    c.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    c.open();
    const int fPerson = c.fieldIndex(QStringLiteral("Person_ID"));
    const int fClient = c.fieldIndex(QStringLiteral("Client_ID"));
    const int fQuantity = c.fieldIndex(QStringLiteral("Quantity"));
    const int fSvcs = c.fieldIndex(QStringLiteral("Svcs_Used"));
    const int fType = c.fieldIndex(QStringLiteral("Delivery_Type"));

    QList<PlannedDelivery> plan;
    plan.reserve(c.recordCount());
    const QString day = ListFulfilment::deliveryDay(o.deliveryDate);
    for (c.first(); !c.eof(); c.next()) {
        PlannedDelivery d;
        d.personId = c.value(fPerson).toLongLong();
        d.alreadyScheduled = scheduled.contains(d.personId);
        if (skipScheduled && d.alreadyScheduled)
            continue;
        d.clientId = c.value(fClient).toString();
        const auto name = names.value(d.personId);
        d.lastName = name.first;
        d.firstName = name.second;
        d.date = o.deliveryDate;
        d.day = day;
        const ListFulfilment::RouteStop rs = ListFulfilment::routeFor(o.deliveryDate, c);
        d.route = rs.route;
        d.stop = rs.stop;
        d.scheduleType = c.value(fType).toString() == QLatin1String("E") ? QStringLiteral("E") : QStringLiteral("S");
        const QVariant service = ownService ? c.value(fSvcs) : QVariant(*o.serviceId);
        if (service.isValid() && !service.isNull()) {
            d.serviceId = service.toInt();
            d.serviceName = services.value(*d.serviceId);
        }
        if (withItem) {
            d.itemId = *o.itemId;
            d.itemName = itemName;
            d.quantity = ListFulfilment::itemQuantity(c.value(fQuantity), o.quantity);
        }
        plan << d;
    }
    c.close();
    return plan;
}

} // namespace kv
