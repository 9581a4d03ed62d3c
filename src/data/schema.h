#pragma once

#include "data/engine/database.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace kv {

enum class ColumnType { AutoIncrement, Integer, Text, Memo, Boolean, Date, DateTime, Float };

struct ColumnDef
{
    QString name;
    ColumnType type;
    int size = 0; // characters, for Text
};

struct TableDef
{
    QString name;
    QVector<ColumnDef> columns;
    QString key; // primary key column; empty for none
    bool hostTable = true;
};

struct IndexDef
{
    QString name;
    QString table;
    QStringList columns;
};

// The tables the plug-in reads and writes. The two list tables are ours and are
// created at connect when missing; the host's tables are only ever created by
// the demo generator and the tests.
class Schema
{
public:
    static const QVector<TableDef> &tables();
    static const QVector<IndexDef> &indexes();
    static const TableDef *table(const QString &name);

    // Host tables the plug-in cannot work without.
    static QStringList requiredHostTables();

    static QString createTableSql(const TableDef &t, const SqlBackend &engine);
    static QString createIndexSql(const IndexDef &i);

    // Creates the plug-in's own tables and indexes when missing (never a host table).
    static void ensurePluginTables(Database &db);
    // Creates every table, index and collation (demo database, tests).
    static void createAll(Database &db);
    // The case-insensitive collation that "NoCase" orders by, where the engine has none built in.
    static void ensureCollation(Database &db);
};

} // namespace kv
