#pragma once

// A driver's sheet: the deliveries a list scheduled, with the client, the
// address, route and stop, item and quantity, ordered as a route is driven.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

class Database;

struct SheetDelivery
{
    QDate date;
    QString route;
    double stop = 0;
    qint64 personId = 0;
    QString clientId;
    QString lastName;
    QString firstName;
    QString address; // Address1 and Address2
    QString city;
    QString phone;
    QString item; // empty without an item row
    int quantity = 0;
    bool fulfilled = false;
};

class DeliveriesSheet
{
public:
    // Lines of the statement; the optional ones are added as asked.
    static const QStringList kSelectLines;
    static const QString kPendingLine;
    static const QString kDateLine;
    static const QString kOrderLine;

    // Reads only. pendingOnly: deliveries not marked fulfilled; date: that day only.
    static QList<SheetDelivery> read(Database &db, int listId, bool pendingOnly, const QDate &date = QDate());
};

} // namespace kv
