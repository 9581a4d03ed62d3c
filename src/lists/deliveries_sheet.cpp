#include "lists/deliveries_sheet.h"

#include "data/engine/query.h"

namespace kv {

const QStringList DeliveriesSheet::kSelectLines = {
    QStringLiteral("Select EpisodicDeliveries.Deliv_Date, EpisodicDeliveries.Route, EpisodicDeliveries.Stop, "
                   "EpisodicDeliveries.Person_ID, EpisodicDeliveries.Client_ID, EpisodicDeliveries.Fulfilled, "),
    QStringLiteral("Clients.Last_Name, Clients.First_Name, Clients.Address1, Clients.Address2, Clients.City, Clients.Phone, "
                   "Items.Meal_Item, DefDels.Quantity "),
    QStringLiteral("from EpisodicDeliveries left join Clients on Clients.Person_ID = EpisodicDeliveries.Person_ID "),
    QStringLiteral("left join DefDels on DefDels.Deliv_ID = EpisodicDeliveries.RecordID "),
    QStringLiteral("left join Items on Items.Item_ID = DefDels.Item_ID "),
    QStringLiteral("where EpisodicDeliveries.List_ID = :List_ID "),
};
const QString DeliveriesSheet::kPendingLine = QStringLiteral(" and not (EpisodicDeliveries.Fulfilled = 'Y') ");
const QString DeliveriesSheet::kDateLine = QStringLiteral(" and EpisodicDeliveries.Deliv_Date = :Deliv_Date ");
// Empty routes and stops sort first on both backends.
const QString DeliveriesSheet::kOrderLine = QStringLiteral(
    "order by EpisodicDeliveries.Deliv_Date, COALESCE(EpisodicDeliveries.Route, ''), COALESCE(EpisodicDeliveries.Stop, 0), "
    "EpisodicDeliveries.RecordID, DefDels.RecordID");

namespace {

QString text(const QVariant &v)
{
    return (!v.isValid() || v.isNull()) ? QString() : v.toString();
}

} // namespace

QList<SheetDelivery> DeliveriesSheet::read(Database &db, int listId, bool pendingOnly, const QDate &date)
{
    QStringList lines = kSelectLines;
    if (pendingOnly)
        lines << kPendingLine;
    if (date.isValid())
        lines << kDateLine;
    lines << kOrderLine;
    Query q(&db, QStringLiteral("QueryDeliveriesSheet"));
    q.setSql(lines);
    q.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    if (date.isValid())
        q.paramByName(QStringLiteral("Deliv_Date")).setAsDate(date);
    q.open();
    QList<SheetDelivery> sheet;
    sheet.reserve(q.recordCount());
    for (q.first(); !q.eof(); q.next()) {
        SheetDelivery d;
        d.date = q.fieldValue(QStringLiteral("Deliv_Date")).toDate();
        d.route = text(q.fieldValue(QStringLiteral("Route")));
        d.stop = q.fieldValue(QStringLiteral("Stop")).toDouble();
        d.personId = q.fieldValue(QStringLiteral("Person_ID")).toLongLong();
        d.clientId = text(q.fieldValue(QStringLiteral("Client_ID")));
        d.lastName = text(q.fieldValue(QStringLiteral("Last_Name")));
        d.firstName = text(q.fieldValue(QStringLiteral("First_Name")));
        const QString a1 = text(q.fieldValue(QStringLiteral("Address1"))).trimmed();
        const QString a2 = text(q.fieldValue(QStringLiteral("Address2"))).trimmed();
        d.address = a2.isEmpty() ? a1 : a1 + QStringLiteral(", ") + a2;
        d.city = text(q.fieldValue(QStringLiteral("City")));
        d.phone = text(q.fieldValue(QStringLiteral("Phone")));
        d.item = text(q.fieldValue(QStringLiteral("Meal_Item")));
        d.quantity = q.fieldValue(QStringLiteral("Quantity")).toInt();
        d.fulfilled = text(q.fieldValue(QStringLiteral("Fulfilled"))) == QLatin1String("Y");
        sheet << d;
    }
    q.close();
    return sheet;
}

} // namespace kv
