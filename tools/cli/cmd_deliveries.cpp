// kestrovan deliveries: a list's scheduled deliveries as a driver's sheet.

#include "tools/cli/cli.h"

#include "data/engine/query.h"
#include "lists/deliveries_sheet.h"

namespace {

int runDeliveries(kv::cli::Context &ctx)
{
    const QDate date = ctx.dateOption(QStringLiteral("date"));
    const bool pending = ctx.flag(QStringLiteral("pending"));
    ctx.machineReadable();
    // The list is chosen first: the lookup travels with the connection's first trip.
    TDataModuleLists &dm = ctx.dataModule({&TDataModuleLists::QueryListLookup});
    const int listId = ctx.chosenList().id;
    dm.QueryListLookup->close();

    const QList<kv::SheetDelivery> sheet = kv::DeliveriesSheet::read(*dm.DatabaseLists, listId, pending, date);
    const QStringList titles{QStringLiteral("Date"),    QStringLiteral("Route"), QStringLiteral("Stop"),  QStringLiteral("Client ID"),
                             QStringLiteral("Name"),    QStringLiteral("Address"), QStringLiteral("City"), QStringLiteral("Phone"),
                             QStringLiteral("Item"),    QStringLiteral("Qty"),   QStringLiteral("Fulfilled")};
    const QStringList keys{QStringLiteral("date"),    QStringLiteral("route"),   QStringLiteral("stop"), QStringLiteral("client_id"),
                           QStringLiteral("name"),    QStringLiteral("address"), QStringLiteral("city"), QStringLiteral("phone"),
                           QStringLiteral("item"),    QStringLiteral("quantity"), QStringLiteral("fulfilled")};
    QList<QStringList> rows;
    for (const kv::SheetDelivery &d : sheet) {
        const QString person = d.firstName.isEmpty() ? d.lastName : d.lastName + QStringLiteral(", ") + d.firstName;
        rows << QStringList{d.date.toString(Qt::ISODate),
                            d.route,
                            QString::number(d.stop),
                            d.clientId,
                            person,
                            d.address,
                            d.city,
                            d.phone,
                            d.item,
                            d.item.isEmpty() ? QString() : QString::number(d.quantity),
                            d.fulfilled ? QStringLiteral("Y") : QStringLiteral("N")};
    }
    ctx.printRows(titles, keys, rows);
    if (!ctx.machineReadable())
        ctx.out() << QStringLiteral("Deliveries: ") << sheet.size() << Qt::endl;
    return 0;
}

kv::cli::Registration reg{{
    .name = QStringLiteral("deliveries"),
    .summary = QStringLiteral("the deliveries a list scheduled, by route and stop: a driver's sheet"),
    .usage = QStringLiteral("kestrovan deliveries (--list NAME | --list-id N) [--pending] [--date YYYY-MM-DD] [--csv | --json]"),
    .options = kv::cli::listOptions(QStringLiteral("the list"))
        + QList<kv::cli::OptionSpec>{
            {QStringLiteral("pending"), QString(), QStringLiteral("only deliveries not yet fulfilled")},
            {QStringLiteral("date"), QStringLiteral("YYYY-MM-DD"), QStringLiteral("only deliveries on that day")},
            kv::cli::csvOption(),
            kv::cli::jsonOption(QStringLiteral("date, route, stop, client_id, name, address, city, phone, item, quantity, fulfilled")),
        },
    .run = &runDeliveries,
}};

} // namespace
