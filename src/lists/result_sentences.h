#pragma once

#include "data/translate.h"

#include <QDate>
#include <QString>

namespace kv {

// What a fulfilment or a cancelling did, in the sentence the command line
// prints and the lists window shows in its status bar, in the user's language.
inline QString fulfilmentResultText(int deliveries, const QString &listName, const QDate &date, int skipped)
{
    return shown("ListFulfilment", "%1 deliveries scheduled for %2 on %3, %4 members skipped.")
        .arg(deliveries)
        .arg(listName, date.toString(Qt::ISODate))
        .arg(skipped);
}

inline QString cancelPendingResultText(int removed, const QString &listName)
{
    return shown("CancelPendingDeliveries", "%1 pending deliveries of %2 cancelled.").arg(removed).arg(listName);
}

} // namespace kv
