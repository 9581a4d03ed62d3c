// kestrovan lists: the lists the lists window shows, in its order, with the
// columns of its Browse page.

#include "tools/cli/cli.h"

#include "data/engine/query.h"

#include <QHash>

namespace {

struct Column
{
    const char *title;
    const char *key; // --json
    QString (*value)(const kv::Query &lists, const QHash<qint64, QString> &services);
};

QString text(const kv::Query &q, const char *field)
{
    return q.asString(QString::fromLatin1(field));
}

QString lastUpdate(const kv::Query &q, const QHash<qint64, QString> &)
{
    const QVariant v = q.fieldValue(QStringLiteral("Last_Update"));
    return v.isValid() && !v.isNull() ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

const Column kColumns[] = {
    {"List", "list", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "List_Name"); }},
    {"Description", "description", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "List_Desc"); }},
    {"Assigned Service", "assigned_service",
     [](const kv::Query &q, const QHash<qint64, QString> &services) {
         return q.isNull(QStringLiteral("Service_Used")) ? QString() : services.value(q.asInteger(QStringLiteral("Service_Used")));
     }},
    {"Updated By", "updated_by", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "Updated_By"); }},
    {"Created", "created", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "Create_Date"); }},
    {"Updated", "updated", &lastUpdate},
    // What --list-id takes, for two lists of one name.
    {"ID", "id", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "Record_ID"); }},
};

int runLists(kv::cli::Context &ctx)
{
    // Both travel with the connection's catalogue query: one round trip.
    TDataModuleLists &dm = ctx.dataModule({&TDataModuleLists::QueryServices, &TDataModuleLists::QueryLists});
    kv::Query &lists = *dm.QueryLists;
    kv::Query &servicesQuery = *dm.QueryServices;
    // What the window shows: the lists as they are now, the service names from the lookup.
    if (!servicesQuery.isOpen())
        servicesQuery.open();
    QHash<qint64, QString> services;
    for (int r = 0; r < servicesQuery.recordCount(); ++r)
        services.insert(servicesQuery.valueAt(r, servicesQuery.fieldIndex(QStringLiteral("Service_ID"))).toLongLong(),
                        servicesQuery.valueAt(r, servicesQuery.fieldIndex(QStringLiteral("Service_Desc"))).toString());
    if (lists.isOpen())
        lists.refresh();
    else
        lists.open();

    constexpr int n = int(std::size(kColumns));
    QList<QStringList> rows;
    QStringList titles, keys;
    for (const Column &c : kColumns) {
        titles << QString::fromLatin1(c.title);
        keys << QString::fromLatin1(c.key);
    }
    for (lists.first(); !lists.eof(); lists.next()) {
        QStringList row;
        for (int i = 0; i < n; ++i)
            row << kColumns[i].value(lists, services);
        rows << row;
    }
    ctx.printRows(titles, keys, rows);
    return 0;
}

kv::cli::Registration reg{{
    .name = QStringLiteral("lists"),
    .summary = QStringLiteral("the plug-in's lists, as the lists window shows them"),
    .usage = QStringLiteral("kestrovan lists [--json | --csv]"),
    .options = {kv::cli::jsonOption(QStringLiteral("list, description, assigned_service, updated_by, created, updated, id")),
                kv::cli::csvOption()},
    .run = &runLists,
}};

} // namespace
