// kestrovan lists: the lists the lists window shows, in its order, with the
// columns of its Browse page.

#include "tools/cli/cli.h"

#include "data/engine/query.h"

#include <QHash>

namespace {

struct Column
{
    const char *title;
    QString (*value)(const kv::Query &lists, const QHash<qint64, QString> &services);
};

QString text(const kv::Query &q, const char *field)
{
    return q.asString(QString::fromLatin1(field)).simplified();
}

QString lastUpdate(const kv::Query &q, const QHash<qint64, QString> &)
{
    const QVariant v = q.fieldValue(QStringLiteral("Last_Update"));
    return v.isValid() && !v.isNull() ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

const Column kColumns[] = {
    {"List", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "List_Name"); }},
    {"Description", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "List_Desc"); }},
    {"Assigned Service",
     [](const kv::Query &q, const QHash<qint64, QString> &services) {
         return q.isNull(QStringLiteral("Service_Used")) ? QString() : services.value(q.asInteger(QStringLiteral("Service_Used")));
     }},
    {"Updated By", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "Updated_By"); }},
    {"Created", [](const kv::Query &q, const QHash<qint64, QString> &) { return text(q, "Create_Date"); }},
    {"Updated", &lastUpdate},
};

int runLists(kv::cli::Context &ctx)
{
    TDataModuleLists &dm = ctx.dataModule();
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
    QStringList titles;
    for (const Column &c : kColumns)
        titles << QString::fromLatin1(c.title);
    for (lists.first(); !lists.eof(); lists.next()) {
        QStringList row;
        for (int i = 0; i < n; ++i)
            row << kColumns[i].value(lists, services);
        rows << row;
    }
    kv::cli::printTable(ctx.out(), titles, rows);
    return 0;
}

kv::cli::Registration reg{QStringLiteral("lists"), QStringLiteral("kestrovan lists"), &runLists};

} // namespace
