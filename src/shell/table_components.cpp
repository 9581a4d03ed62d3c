#include "shell/table_components.h"

#include <QObject>

namespace kv {

int applyTableCommand(const QString &command, QObject *owner)
{
    if (!owner || (command != QLatin1String("O") && command != QLatin1String("R") && command != QLatin1String("C")))
        return 0;
    int reached = 0;
    for (QObject *child : owner->findChildren<QObject *>()) {
        auto *table = dynamic_cast<TableComponent *>(child);
        if (!table)
            continue;
        if (command == QLatin1String("O"))
            table->open();
        else if (command == QLatin1String("R"))
            table->refresh();
        else
            table->close();
        ++reached;
    }
    return reached;
}

} // namespace kv
