// Fulfilling a list with a selected item against SQLite's C API doing the same
// work: the candidates statement, then per member one delivery insert, its new
// key, one item insert, and the history note. The raw twin runs twice: all of
// it in one transaction as the operation does (ratio_vs_raw_txn, the physical
// limit of the work), and each statement in autocommit (ratio_vs_raw, the way
// the operation used to write). The progress window's repaint per member is
// measured on its own, since the raw twin paints nothing. BM_FulfilPg runs the
// same operation against the test PostgreSQL server when one is configured.

#include "bench_support.h"

#include "data/data_module.h"
#include "data/engine/sql_dialect.h"
#include "lists/fulfil_list.h"
#include "shell/progress.h"
#include "shell/ui/form_message_box.h"

#include <QApplication>
#include <QSqlQuery>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

const QDate kDate(2026, 12, 9); // a Wednesday

void addClientsAndMembers(RawSqlite &raw, int listId, int n)
{
    raw.exec("BEGIN");
    sqlite3_stmt *c = raw.prepare("INSERT INTO Clients (Person_ID, Client_ID, First_Name, Last_Name, Status, Delivery_Type, Svcs_Used, "
                                  "Def_Rte, Def_Stop, Wed_Rte, Wed_Stop) VALUES (?,?,?,?,'A',?,?,'R1',1.0,?,?)");
    sqlite3_stmt *m = raw.prepare("INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible, Confirmed, Quantity) "
                                  "VALUES (?,?,?,1,?,?)");
    for (int i = 1; i <= n; ++i) {
        const QByteArray cid = QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
        const QByteArray first = QStringLiteral("First%1").arg(i).toUtf8();
        const QByteArray last = QStringLiteral("Last%1").arg(i).toUtf8();
        sqlite3_bind_int(c, 1, i);
        sqlite3_bind_text(c, 2, cid.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(c, 3, first.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(c, 4, last.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(c, 5, i % 3 == 0 ? "E" : "O", -1, SQLITE_STATIC);
        sqlite3_bind_int(c, 6, 1 + i % 4);
        if (i % 2 == 0) {
            sqlite3_bind_text(c, 7, "W2", -1, SQLITE_STATIC);
            sqlite3_bind_double(c, 8, double(i % 50));
        } else {
            sqlite3_bind_null(c, 7);
            sqlite3_bind_null(c, 8);
        }
        if (sqlite3_step(c) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(c);
        sqlite3_bind_int(m, 1, listId);
        sqlite3_bind_int(m, 2, i);
        sqlite3_bind_text(m, 3, cid.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(m, 4, i % 5 == 0 ? "N" : "Y", -1, SQLITE_STATIC);
        if (i % 4 == 0)
            sqlite3_bind_null(m, 5);
        else
            sqlite3_bind_int(m, 5, i % 4);
        if (sqlite3_step(m) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(m);
    }
    sqlite3_finalize(c);
    sqlite3_finalize(m);
    raw.exec("COMMIT");
}

int addList(RawSqlite &raw)
{
    raw.exec("INSERT INTO Services (Service_ID, Service_Desc, Service_Type) VALUES (7, 'Holiday', 'D')");
    raw.exec("INSERT INTO Items (Item_ID, Meal_Item) VALUES (31, 'Turkey')");
    raw.exec("INSERT INTO Lists (List_Name, Reason, Quantity) VALUES ('Bench list', 'LST', 2)");
    return int(sqlite3_last_insert_rowid(raw.h));
}

kv::FulfilmentOptions benchOptions()
{
    kv::FulfilmentOptions o;
    o.deliveryDate = kDate;
    o.activeOnly = true;
    o.confirmedIndex = kv::FulfilmentOptions::ConfirmedIrrelevant;
    o.serviceIndex = kv::FulfilmentOptions::ClientsOwnService;
    o.itemsIndex = kv::FulfilmentOptions::SelectedItem;
    o.itemId = 31;
    o.quantity = 2;
    o.listName = QStringLiteral("Bench list");
    return o;
}

const char *textOf(sqlite3_stmt *s, int col)
{
    return reinterpret_cast<const char *>(sqlite3_column_text(s, col));
}

// The same work through the C API: what the operation does, minus our layers.
int rawFulfil(RawSqlite &raw, int listId, const QByteArray &candidates, bool oneTransaction)
{
    if (oneTransaction)
        raw.exec("BEGIN IMMEDIATE");
    const QByteArray date = kDate.toString(Qt::ISODate).toUtf8();
    const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toUtf8();
    const QByteArray delDay = QLocale::system().toString(kDate, QStringLiteral("ddd")).toUpper().toUtf8();
    sqlite3_stmt *sel = raw.prepare(candidates.constData());
    sqlite3_bind_int(sel, sqlite3_bind_parameter_index(sel, ":List_ID"), listId);
    sqlite3_bind_text(sel, sqlite3_bind_parameter_index(sel, ":Stop_Dte"), date.constData(), -1, SQLITE_TRANSIENT);
    struct Row
    {
        int person;
        QByteArray client, type, route;
        double stop;
        int service;
        int quantity;
    };
    std::vector<Row> rows;
    while (sqlite3_step(sel) == SQLITE_ROW) {
        Row r;
        r.person = sqlite3_column_int(sel, 0);
        r.client = textOf(sel, 1);
        r.quantity = sqlite3_column_int(sel, 2);
        r.service = sqlite3_column_int(sel, 4);
        r.type = textOf(sel, 5) ? textOf(sel, 5) : "";
        const char *wed = textOf(sel, 12); // Wed_Rte
        if (wed && *wed) {
            r.route = wed;
            r.stop = sqlite3_column_double(sel, 13);
        } else {
            r.route = textOf(sel, 6) ? textOf(sel, 6) : "";
            r.stop = sqlite3_column_double(sel, 7);
        }
        rows.push_back(std::move(r));
    }
    sqlite3_finalize(sel);

    sqlite3_stmt *del = raw.prepare(
        "Insert into EpisodicDeliveries (Person_ID, Client_ID, List_ID, Deliv_Date, Svcs_Used, Delivery_Type, Schedule_Type, Route, "
        "Stop, Fulfilled, Create_Date, Last_Updated, Created_By) values (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    sqlite3_stmt *item = raw.prepare(
        "Insert into DefDels (Person_ID, Deliv_ID, Del_Day, Service_ID, Quantity, Item_ID, Sort_Order) values (?,?,?,?,?,?,?)");
    for (const Row &r : rows) {
        const QByteArray now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        const QByteArray createdBy = QByteArray("Bench") + " (List)";
        sqlite3_bind_int(del, 1, r.person);
        sqlite3_bind_text(del, 2, r.client.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_int(del, 3, listId);
        sqlite3_bind_text(del, 4, date.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_int(del, 5, r.service);
        sqlite3_bind_text(del, 6, "D", -1, SQLITE_STATIC);
        sqlite3_bind_text(del, 7, r.type == "E" ? "E" : "S", -1, SQLITE_STATIC);
        sqlite3_bind_text(del, 8, r.route.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_double(del, 9, r.stop);
        sqlite3_bind_null(del, 10);
        sqlite3_bind_text(del, 11, today.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_text(del, 12, now.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_text(del, 13, createdBy.constData(), -1, SQLITE_STATIC);
        if (sqlite3_step(del) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(del);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(raw.h);
        int q = std::max(r.quantity, 2);
        sqlite3_bind_int(item, 1, r.person);
        sqlite3_bind_int64(item, 2, id);
        sqlite3_bind_text(item, 3, delDay.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_int(item, 4, r.service);
        sqlite3_bind_int(item, 5, q == 0 ? 1 : q);
        sqlite3_bind_int(item, 6, 31);
        sqlite3_bind_int(item, 7, 0);
        if (sqlite3_step(item) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(item);
    }
    sqlite3_finalize(del);
    sqlite3_finalize(item);
    sqlite3_stmt *note = raw.prepare("Insert into History (Tran_Date, Event, User) values (?, ?, ?)");
    const QByteArray now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    sqlite3_bind_text(note, 1, now.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(note, 2, "Bench list list fulfilled", -1, SQLITE_STATIC);
    sqlite3_bind_text(note, 3, "Bench", -1, SQLITE_STATIC);
    sqlite3_step(note);
    sqlite3_finalize(note);
    if (oneTransaction)
        raw.exec("COMMIT");
    return int(rows.size());
}

void clearDeliveries(RawSqlite &raw)
{
    raw.exec("DELETE FROM DefDels");
    raw.exec("DELETE FROM EpisodicDeliveries");
    raw.exec("DELETE FROM History");
}

void BM_Fulfil(benchmark::State &state)
{
    const int n = int(state.range(0));
    BenchDatabase bench;
    RawSqlite raw(bench.path());
    const int listId = addList(raw);
    addClientsAndMembers(raw, listId, n);
    QuietPrompts prompts;
    TDataModuleLists::Overrides o;
    o.mode = QStringLiteral("F");
    o.alias = bench.dir.path();
    TDataModuleLists dm(prompts, [] {}, nullptr, o);
    dm.DataModuleCreate();
    kv::NullProgress progress;
    const kv::FulfilmentOptions options = benchOptions();
    const QByteArray candidates =
        kv::SqlDialect::translate(kv::ListFulfilment::candidateSql(options).join(QLatin1Char('\n')), kv::Backend::SQLite).toUtf8();

    double ours = 0, theirs = 0, theirsTxn = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        kv::ListFulfilment op(dm, prompts, progress, [] { return QStringLiteral("Bench"); });
        const int written = op.run(listId, options).deliveries;
        op.finish();
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(t);
        ours += t;
        state.PauseTiming();
        if (written != n)
            state.SkipWithError("unexpected number of deliveries");
        clearDeliveries(raw);
        for (bool txn : {true, false}) {
            // The engine runs synchronous=FULL, and so does the twin of one
            // transaction. The autocommit twin keeps the settings the old
            // baseline was taken with (NORMAL): with FULL it would flush once
            // a row and measure the disk, not the work.
            raw.exec(txn ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
            const auto rawStart = Clock::now();
            const int rawWritten = rawFulfil(raw, listId, candidates, txn);
            (txn ? theirsTxn : theirs) += std::chrono::duration<double>(Clock::now() - rawStart).count();
            if (rawWritten != n)
                state.SkipWithError("raw twin wrote another number of deliveries");
            clearDeliveries(raw);
        }
        state.ResumeTiming();
    }
    // The progress window as fulfilment drives it: bar, repaint and events per member.
    TFormMessageBox painted;
    const int paintCount = std::min(n, 2000);
    painted.begin(kv::ListFulfilment::kProgressMessage, kv::ListFulfilment::kProgressCountPrefix + QString::number(n));
    const auto paintStart = Clock::now();
    for (int i = 1; i <= paintCount; ++i)
        painted.setPercent(kv::percentOf(i, paintCount));
    const double paint = std::chrono::duration<double>(Clock::now() - paintStart).count();
    painted.end();

    state.counters["ratio_vs_raw"] = ours > 0 ? theirs / ours : 0.0;
    state.counters["ratio_vs_raw_txn"] = ours > 0 ? theirsTxn / ours : 0.0;
    state.counters["raw_txn_us_per_member"] = state.iterations() > 0 ? theirsTxn * 1e6 / (double(n) * double(state.iterations())) : 0.0;
    state.counters["us_per_member"] = state.iterations() > 0 ? ours * 1e6 / (double(n) * double(state.iterations())) : 0.0;
    state.counters["raw_us_per_member"] = state.iterations() > 0 ? theirs * 1e6 / (double(n) * double(state.iterations())) : 0.0;
    state.counters["repaint_us_per_member"] = paint * 1e6 / paintCount;
}
BENCHMARK(BM_Fulfil)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Fulfil)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// ---------------------------------------------------------------- PostgreSQL

// A schema of its own on the test server, with n clients on one list.
struct PgBench
{
    QString schema = QStringLiteral("bench_%1").arg(QCoreApplication::applicationPid());
    kv::Session session{QStringLiteral("BenchPgSession")};
    kv::Database db{QStringLiteral("Brenquistal")};
    int listId = 0;

    PgBench(const QString &host, int port, int n)
    {
        session.setSessionType(kv::SessionType::Remote);
        session.setRemoteAddress(host);
        session.setRemotePort(port);
        session.setRemoteUser(TDataModuleLists::kRemoteUser);
        session.setRemotePassword(TDataModuleLists::kRemoteUser);
        db.setSession(&session);
        {
            kv::Database setup(QStringLiteral("BenchPgSetup"));
            setup.setRemoteDatabase(QStringLiteral("Brenquistal"));
            setup.setSession(&session);
            setup.connect();
            setup.execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
            setup.execute(QStringLiteral("CREATE SCHEMA %1").arg(schema));
        }
        db.setRemoteDatabase(QStringLiteral("Brenquistal"));
        db.setSchema(schema);
        db.connect();
        kv::Schema::createAll(db);
        db.execute(QStringLiteral("INSERT INTO Services (Service_ID, Service_Desc, Service_Type) VALUES (7, 'Holiday', 'D')"));
        db.execute(QStringLiteral("INSERT INTO Items (Item_ID, Meal_Item) VALUES (31, 'Turkey')"));
        db.execute(QStringLiteral("INSERT INTO Lists (List_Name, Reason, Quantity) VALUES ('Bench list', 'LST', 2)"));
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT max(Record_ID) FROM Lists"));
        q.next();
        listId = q.value(0).toInt();
        db.execute(QStringLiteral("INSERT INTO Clients (Person_ID, Client_ID, First_Name, Last_Name, Status, Delivery_Type, Svcs_Used, "
                                  "Def_Rte, Def_Stop, Wed_Rte, Wed_Stop) SELECT i, 'C' || i, 'First' || i, 'Last' || i, 'A', "
                                  "CASE WHEN i % 3 = 0 THEN 'E' ELSE 'O' END, 1 + i % 4, 'R1', 1.0, "
                                  "CASE WHEN i % 2 = 0 THEN 'W2' END, CASE WHEN i % 2 = 0 THEN i % 50 END FROM generate_series(1, %1) i")
                       .arg(n));
        db.execute(QStringLiteral("INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible, Confirmed, Quantity) "
                                  "SELECT %1, i, 'C' || i, true, CASE WHEN i % 5 = 0 THEN 'N' ELSE 'Y' END, "
                                  "CASE WHEN i % 4 <> 0 THEN i % 4 END FROM generate_series(1, %2) i")
                       .arg(listId)
                       .arg(n));
        db.execute(QStringLiteral("ANALYZE Clients"));
        db.execute(QStringLiteral("ANALYZE List_Members"));
    }
    ~PgBench()
    {
        try {
            db.execute(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema));
        } catch (...) {
        }
        db.disconnect();
    }
    bool setting(const char *name)
    {
        QSqlQuery q(db.connection());
        return q.exec(QStringLiteral("SHOW %1").arg(QLatin1String(name))) && q.next() && q.value(0).toString() == QLatin1String("on");
    }
    void clear()
    {
        db.execute(QStringLiteral("DELETE FROM DefDels"));
        db.execute(QStringLiteral("DELETE FROM EpisodicDeliveries"));
        db.execute(QStringLiteral("DELETE FROM History"));
    }
};

void BM_FulfilPg(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QString host = qEnvironmentVariable("KESTROVAN_PG_HOST");
    const int port = qEnvironmentVariableIntValue("KESTROVAN_PG_PORT");
    PgBench pg(host, port, n);
    // The test cluster turns both off for speed; then the figure is no
    // durable one, and the counters and the note say so.
    const bool fsync = pg.setting("fsync");
    const bool syncCommit = pg.setting("synchronous_commit");
    if (!fsync || !syncCommit)
        std::fprintf(stderr, "BM_FulfilPg: the server runs with fsync %s and synchronous_commit %s; the figure is not that of a durable "
                             "server\n", fsync ? "on" : "off", syncCommit ? "on" : "off");
    QuietPrompts prompts;
    TDataModuleLists::Overrides o;
    QTemporaryDir alias;
    o.mode = QStringLiteral("C");
    o.alias = alias.path();
    o.serverIp = host;
    o.serverPort = port;
    o.connection = QStringLiteral("LAN");
    o.pgSchema = pg.schema;
    TDataModuleLists dm(prompts, [] {}, nullptr, o);
    dm.DataModuleCreate();
    kv::NullProgress progress;
    const kv::FulfilmentOptions options = benchOptions();
    double ours = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        kv::ListFulfilment op(dm, prompts, progress, [] { return QStringLiteral("Bench"); });
        const int written = op.run(pg.listId, options).deliveries;
        op.finish();
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(t);
        ours += t;
        state.PauseTiming();
        if (written != n)
            state.SkipWithError("unexpected number of deliveries");
        pg.clear();
        state.ResumeTiming();
    }
    state.counters["us_per_member"] = state.iterations() > 0 ? ours * 1e6 / (double(n) * double(state.iterations())) : 0.0;
    state.counters["server_fsync_on"] = fsync ? 1 : 0;
    state.counters["server_synchronous_commit_on"] = syncCommit ? 1 : 0;
}

// Only where the test server's variables say where it is.
const bool pgRegistered = [] {
    if (qEnvironmentVariableIsEmpty("KESTROVAN_PG_HOST") || qEnvironmentVariableIsEmpty("KESTROVAN_PG_PORT"))
        return false;
    benchmark::RegisterBenchmark("BM_FulfilPg", BM_FulfilPg)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
    return true;
}();

} // namespace
