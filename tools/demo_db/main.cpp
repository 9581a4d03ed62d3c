// kestrovan-demo-db: creates the demo database, writes the demo's connection
// settings and prints what the data module sees of it.
//
//   kestrovan-demo-db [--clients N] [--seed S] (--data DIR | --server HOST [--port P] [--schema S])
//                     [--registry] [--replace]
//   kestrovan-demo-db --summary (--data DIR | --server HOST [--port P] [--schema S])

#include "demo_generator.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/registry.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <cstdio>
#include <memory>

namespace {

constexpr const char *kUsage =
    "usage: kestrovan-demo-db [--clients N] [--seed S] (--data DIR | --server HOST [--port P] [--schema S])\n"
    "                         [--registry | --registry-only] [--replace]\n"
    "       kestrovan-demo-db --summary (--data DIR | --server HOST [--port P] [--schema S])\n";

struct Args
{
    int clients = 2000;
    quint32 seed = 20261102;
    QString data;
    QString server;
    int port = 12005;
    QString schema;
    bool registry = false;
    bool registryOnly = false;
    bool summary = false;
    bool replace = false;
};

[[noreturn]] void usage(const QString &problem)
{
    std::fprintf(stderr, "%s\n%s", qPrintable(problem), kUsage);
    std::exit(2);
}

Args parse(const QStringList &a)
{
    Args r;
    for (int i = 0; i < a.size(); ++i) {
        const QString o = a.at(i);
        auto value = [&]() -> QString {
            if (i + 1 >= a.size())
                usage(QStringLiteral("%1 needs a value").arg(o));
            return a.at(++i);
        };
        auto number = [&](qint64 min) -> qint64 {
            bool ok = false;
            const QString v = value();
            const qint64 n = v.toLongLong(&ok);
            if (!ok || n < min)
                usage(QStringLiteral("%1: \"%2\" is not a number of %3 or more").arg(o, v).arg(min));
            return n;
        };
        if (o == QLatin1String("--clients"))
            r.clients = int(qMin<qint64>(number(0), 10'000'000));
        else if (o == QLatin1String("--seed"))
            r.seed = quint32(number(0));
        else if (o == QLatin1String("--data"))
            r.data = value();
        else if (o == QLatin1String("--server"))
            r.server = value();
        else if (o == QLatin1String("--port"))
            r.port = int(number(1));
        else if (o == QLatin1String("--schema"))
            r.schema = value();
        else if (o == QLatin1String("--registry"))
            r.registry = true;
        else if (o == QLatin1String("--registry-only"))
            r.registryOnly = true;
        else if (o == QLatin1String("--summary"))
            r.summary = true;
        else if (o == QLatin1String("--replace"))
            r.replace = true;
        else if (o == QLatin1String("--help") || o == QLatin1String("-h")) {
            std::fprintf(stdout, "%s", kUsage);
            std::exit(0);
        } else
            usage(QStringLiteral("unknown option %1").arg(o));
    }
    if (r.data.isEmpty() && r.server.isEmpty())
        usage(QStringLiteral("--data or --server is required"));
    return r;
}

// Prompts of the summary's data module: everything goes to the terminal.
class TerminalPrompts : public kv::Prompts
{
public:
    Answer ask(Kind, const QString &text, Buttons buttons) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No;
    }
    void show(Kind, const QString &text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        m_shown = true;
    }
    bool shown() const { return m_shown; }

private:
    bool m_shown = false;
};

void removeSqliteFiles(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(path + suffix);
}

// Report templates live beside the database; another part of the build writes them.
int copyTemplates(const QString &toDir)
{
#ifdef KESTROVAN_TEMPLATE_DIR
    // An installed program takes the templates installed with it; one run from
    // the build folder takes them from the sources.
    QDir from(QStringLiteral(KESTROVAN_TEMPLATE_DIR));
#ifdef KESTROVAN_TEMPLATE_RELDIR
    const QDir installed(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(KESTROVAN_TEMPLATE_RELDIR)));
    if (installed.exists())
        from = installed;
#endif
    int copied = 0;
    for (const QString &name : from.entryList({QStringLiteral("*.rtm")}, QDir::Files)) {
        const QString target = QDir(toDir).filePath(name);
        QFile::remove(target);
        if (QFile::copy(from.filePath(name), target))
            ++copied;
        else
            std::fprintf(stderr, "could not copy the report template %s\n", qPrintable(name));
    }
    return copied;
#else
    Q_UNUSED(toDir);
    return 0;
#endif
}

int writeRegistry(const Args &a)
{
    const QString dir = a.data.isEmpty() ? QString() : QDir::toNativeSeparators(QFileInfo(a.data).absoluteFilePath());
    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("Mode"), a.server.isEmpty() ? QStringLiteral("F") : QStringLiteral("C")},
        {QStringLiteral("Alias"), dir},
        {QStringLiteral("Server IP"), a.server.isEmpty() ? QStringLiteral("127.0.0.1") : a.server},
        {QStringLiteral("Connection"), QStringLiteral("LAN")},
    };
    int failed = 0;
    for (const auto &v : values) {
        if (!kv::SetRegString(v.first, v.second)) {
            std::fprintf(stderr, "%s (%s)\n", kv::ErrorOpeningKeyMessage, qPrintable(v.first));
            ++failed;
        }
    }
    return failed ? 2 : 0;
}

int generate(const Args &a)
{
    kv::Session session(QStringLiteral("DemoSession"));
    kv::Database db(QStringLiteral("Brenquistal"));
    db.setSession(&session);
    if (a.server.isEmpty()) {
        if (!QDir().mkpath(a.data))
            throw kv::Error(QStringLiteral("The data folder %1 cannot be created.").arg(a.data));
        db.setDirectory(a.data);
        const QString path = db.filePath();
        if (QFileInfo::exists(path)) {
            if (!a.replace)
                throw kv::Error(QStringLiteral("%1 already exists; pass --replace to make a new demo database.").arg(path));
            removeSqliteFiles(path);
        }
        db.setCreateIfMissing(true);
        db.connect();
    } else {
        session.setSessionType(kv::SessionType::Remote);
        session.setRemoteAddress(a.server);
        session.setRemotePort(a.port);
        session.setRemoteUser(TDataModuleLists::kRemoteUser);
        session.setRemotePassword(TDataModuleLists::kRemoteUser);
        db.connect();
        if (!a.schema.isEmpty()) {
            QString quoted = a.schema;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
            if (a.replace)
                db.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(quoted));
            db.execute(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(quoted));
            db.execute(QStringLiteral("SET search_path TO %1").arg(quoted));
        }
        for (const kv::TableDef &t : kv::Schema::tables()) {
            if (!db.tableExists(t.name))
                continue;
            if (!a.replace)
                throw kv::Error(QStringLiteral("The table %1 already exists; pass --replace to make a new demo database.").arg(t.name));
            db.execute(QStringLiteral("DROP TABLE %1 CASCADE").arg(t.name));
        }
    }
    QElapsedTimer timer;
    timer.start();
    kv::Schema::createAll(db);
    DemoGenerator::Options o;
    o.clients = a.clients;
    o.seed = a.seed;
    const DemoGenerator::Counts c = DemoGenerator(db, o).generate();
    // The planner's statistics of the new rows, table by table (on a shared
    // server a bare ANALYZE would visit every schema), then the data on disk.
    for (const kv::TableDef &t : kv::Schema::tables())
        db.execute(QStringLiteral("ANALYZE %1").arg(t.name));
    db.engine().flush(db.connection());
    const qint64 ms = timer.elapsed();
    db.disconnect();
    int templates = 0;
    if (!a.data.isEmpty())
        templates = copyTemplates(a.data);
    std::fprintf(stdout,
                 "demo database %s: %d clients, %d households, %d services, %d items, %d lists, %d members, "
                 "%d deliveries, %d delivery items, %d report templates (%lld ms)\n",
                 qPrintable(a.server.isEmpty() ? QDir::toNativeSeparators(db.filePath()) : a.server + QLatin1Char('/')
                                                          + (a.schema.isEmpty() ? QStringLiteral("public") : a.schema)),
                 c.clients, c.households, c.services, c.items, c.lists, c.members, c.deliveries, c.deliveryItems, templates,
                 static_cast<long long>(ms));
    return 0;
}

// What the lists window would show, read through the data module itself.
int summary(const Args &a)
{
    TerminalPrompts prompts;
    TDataModuleLists::Overrides o;
    if (a.server.isEmpty()) {
        o.mode = QStringLiteral("F");
        o.alias = a.data;
    } else {
        o.mode = QStringLiteral("C");
        o.alias = a.data.isEmpty() ? QDir::currentPath() : a.data;
        o.serverIp = a.server;
        o.serverPort = a.port;
        o.connection = QStringLiteral("LAN");
        o.pgSchema = a.schema;
    }
    TDataModuleLists dm(prompts, [] {}, nullptr, o);
    dm.DataModuleCreate();
    if (prompts.shown())
        return 2;
    kv::Query count(dm.DatabaseLists, QStringLiteral("QueryMemberCount"));
    count.setSql(QStringLiteral("Select count(*) as Members from List_Members where List_ID = :List_ID"));
    kv::Query &lists = *dm.QueryLists;
    int width = 4;
    for (lists.first(); !lists.eof(); lists.next())
        width = qMax(width, int(lists.asString(QStringLiteral("List_Name")).size()));
    std::fprintf(stdout, "%-*s  %s\n", width, "List", "Members");
    int shown = 0;
    for (lists.first(); !lists.eof(); lists.next()) {
        count.close();
        count.paramByName(QStringLiteral("List_ID")).setAsInteger(lists.asInteger(QStringLiteral("Record_ID")));
        count.open();
        std::fprintf(stdout, "%-*s  %7lld\n", width, qPrintable(lists.asString(QStringLiteral("List_Name"))),
                     static_cast<long long>(count.value(0).toLongLong()));
        ++shown;
    }
    std::fprintf(stdout, "%d list%s\n", shown, shown == 1 ? "" : "s");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Args a = parse(app.arguments().mid(1));
    try {
        if (a.summary)
            return summary(a);
        if (a.registryOnly)
            return writeRegistry(a);
        const int rc = generate(a);
        if (rc == 0 && a.registry)
            return writeRegistry(a);
        return rc;
    } catch (const kv::ApplicationEnding &) {
        return 2; // already shown
    } catch (...) {
        std::fprintf(stderr, "%s\n", qPrintable(kv::currentErrorText()));
        return 2;
    }
}
