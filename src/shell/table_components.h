#pragma once

#include <QString>

class QObject;

namespace kv {

// A component that holds a table open: what the module's Tables and DMTables
// entries open, refresh and close. The plug-in's own windows and data module
// hold queries, not tables, so today nothing implements it.
class TableComponent
{
public:
    virtual ~TableComponent() = default;
    virtual void open() = 0;
    virtual void refresh() = 0;
    virtual void close() = 0;
};

// Runs command on every table component owned by owner (its children at any
// depth): "O" opens, "R" refreshes, "C" closes; any other command, or no
// owner, does nothing. Answers how many components it reached.
int applyTableCommand(const QString &command, QObject *owner);

} // namespace kv
