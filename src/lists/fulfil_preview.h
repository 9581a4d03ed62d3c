#pragma once

// What a fulfilment would write, read without writing: one planned delivery
// per candidate, with the values the run computes for it (route and stop of
// the day, schedule type, service, item and quantity) and the names a person
// checks before scheduling.

#include "lists/fulfil_list.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

class TDataModuleLists;

namespace kv {

struct PlannedDelivery
{
    qint64 personId = 0;
    QString clientId;
    QString lastName;
    QString firstName;
    QDate date;
    QString day; // MON … SUN
    QString route;
    double stop = 0;
    QString scheduleType; // "S" or "E"
    std::optional<int> serviceId;
    QString serviceName;
    std::optional<int> itemId; // with "Selected Item:" only
    QString itemName;
    int quantity = 0; // with an item only
    bool alreadyScheduled = false; // has a delivery from the list on the date
};

class FulfilmentPreview
{
public:
    static const QString kNamesSql;
    static const QString kServiceNamesSql;

    // The deliveries run(listId, options) would write, in the order it writes
    // them: with skipScheduled, as when the question about members already
    // scheduled on the date is answered No, else as when it is answered Yes.
    // Reads only: no unit of work, no lock beyond the statements' own.
    // Throws kv::Error when the options cannot be fulfilled.
    static QList<PlannedDelivery> plan(TDataModuleLists &dm, int listId, const FulfilmentOptions &options, bool skipScheduled = false);
};

} // namespace kv
