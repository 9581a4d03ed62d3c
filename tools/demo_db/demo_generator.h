#pragma once

#include "data/engine/database.h"

#include <QDate>
#include <QString>
#include <QVariant>

// Fills a database that has every table with a deterministic demo data set:
// clients with their days, routes and stops, households, services, items,
// cuisines, the agency's Config row, three lists with members in every
// Invited/Confirmed state plus one list of another kind, and pending and
// fulfilled deliveries with their items. Everything goes in one transaction.
class DemoGenerator
{
public:
    struct Options
    {
        int clients = 2000;
        quint32 seed = 20261102;
        // Every date is measured from this day so that a seed always gives the same file.
        QDate baseDate = QDate(2026, 11, 2);
    };

    struct Counts
    {
        int clients = 0;
        int households = 0;
        int services = 0;
        int items = 0;
        int lists = 0;
        int members = 0;
        int deliveries = 0;
        int deliveryItems = 0;
    };

    DemoGenerator(kv::Database &db, Options options);

    // Throws kv::DbError when a statement fails; nothing of the run stays then.
    Counts generate();

    // The service ids written; those whose type is 'D' are delivery services.
    static QList<int> serviceIds();
    static QList<int> deliveryServiceIds();

private:
    QVariant date(const QDate &d) const;
    QVariant dateTime(const QDateTime &dt) const;
    QVariant boolean(bool b) const;

    kv::Database &m_db;
    Options m_options;
};
