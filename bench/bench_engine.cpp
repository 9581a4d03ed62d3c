// The engine's insert as the operations write rows (a batch insert inside one
// unit of work) against SQLite's C API doing the same work in one
// transaction, both with synchronous=FULL.

#include "bench_support.h"

#include "data/data_module.h"
#include "data/engine/batch_insert.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"

#include <QDate>
#include <QDateTime>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// One delivery as fulfilment writes it; the values change from row to row.
struct Delivery
{
    int person;
    QString clientId;
    QDate day;
    QString route;
    double stop;
};

Delivery deliveryFor(int i, const QDate &base)
{
    return {1000 + i, QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')), base.addDays(i % 7),
            QStringLiteral("R%1").arg(i % 40, 2, 10, QLatin1Char('0')), double(i % 60) + 0.5};
}

double engineInsert(kv::Database &db, int rows, const QDate &base, const QDateTime &now)
{
    kv::Query q(&db, QStringLiteral("QueryCreateScheduledDelivery"));
    q.setSql(TDataModuleLists::kCreateScheduledDeliverySql);
    const auto start = Clock::now();
    kv::UnitOfWork unit(db);
    kv::BatchInsert batch(q);
    for (int i = 0; i < rows; ++i) {
        const Delivery d = deliveryFor(i, base);
        q.paramByName(QStringLiteral("Person_ID")).setAsInteger(d.person);
        q.paramByName(QStringLiteral("Client_ID")).setAsString(d.clientId);
        q.paramByName(QStringLiteral("List_ID")).setAsInteger(7);
        q.paramByName(QStringLiteral("Deliv_Date")).setAsDate(d.day);
        q.paramByName(QStringLiteral("Svcs_Used")).setAsInteger(3);
        q.paramByName(QStringLiteral("Delivery_Type")).setAsString(QStringLiteral("D"));
        q.paramByName(QStringLiteral("Schedule_Type")).setAsString(QStringLiteral("S"));
        q.paramByName(QStringLiteral("Route")).setAsString(d.route);
        q.paramByName(QStringLiteral("Stop")).setAsFloat(d.stop);
        q.paramByName(QStringLiteral("Fulfilled")).setAsString(QString());
        q.paramByName(QStringLiteral("Create_Date")).setAsDate(base);
        q.paramByName(QStringLiteral("Last_Updated")).setAsDateTime(now);
        q.paramByName(QStringLiteral("Created_By")).setAsString(QStringLiteral("bench (List)"));
        batch.addRow();
    }
    batch.flush();
    unit.commit();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double rawInsert(RawSqlite &raw, int rows, const QDate &base, const QDateTime &now)
{
    const QByteArray sql = TDataModuleLists::kCreateScheduledDeliverySql.join(QLatin1Char('\n')).toUtf8();
    sqlite3_stmt *s = raw.prepare(sql.constData());
    auto idx = [&](const char *name) { return sqlite3_bind_parameter_index(s, name); };
    const int pPerson = idx(":Person_ID"), pClient = idx(":Client_ID"), pList = idx(":List_ID"), pDay = idx(":Deliv_Date"),
              pSvc = idx(":Svcs_Used"), pDelType = idx(":Delivery_Type"), pSched = idx(":Schedule_Type"), pRoute = idx(":Route"),
              pStop = idx(":Stop"), pFulfilled = idx(":Fulfilled"), pCreate = idx(":Create_Date"), pUpdated = idx(":Last_Updated"),
              pBy = idx(":Created_By");
    const auto start = Clock::now();
    raw.exec("BEGIN IMMEDIATE");
    for (int i = 0; i < rows; ++i) {
        const Delivery d = deliveryFor(i, base);
        const QByteArray client = d.clientId.toUtf8();
        const QByteArray day = d.day.toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
        const QByteArray route = d.route.toUtf8();
        const QByteArray created = base.toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
        const QByteArray updated = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        sqlite3_bind_int(s, pPerson, d.person);
        sqlite3_bind_text(s, pClient, client.constData(), int(client.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(s, pList, 7);
        sqlite3_bind_text(s, pDay, day.constData(), int(day.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(s, pSvc, 3);
        sqlite3_bind_text(s, pDelType, "D", 1, SQLITE_STATIC);
        sqlite3_bind_text(s, pSched, "S", 1, SQLITE_STATIC);
        sqlite3_bind_text(s, pRoute, route.constData(), int(route.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(s, pStop, d.stop);
        sqlite3_bind_null(s, pFulfilled);
        sqlite3_bind_text(s, pCreate, created.constData(), int(created.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, pUpdated, updated.constData(), int(updated.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, pBy, "bench (List)", -1, SQLITE_STATIC);
        if (sqlite3_step(s) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(s);
    }
    raw.exec("COMMIT");
    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
    sqlite3_finalize(s);
    return secs;
}

void BM_EngineInsert(benchmark::State &state)
{
    const int rows = int(state.range(0));
    BenchDatabase bench;
    RawSqlite raw(bench.path());
    raw.exec("PRAGMA synchronous=FULL");
    const QDate base(2026, 11, 2);
    const QDateTime now(base, QTime(10, 30, 0));
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const double t = engineInsert(*bench.db, rows, base, now);
        state.SetIterationTime(t);
        ours += t;
        state.PauseTiming();
        raw.exec("DELETE FROM EpisodicDeliveries");
        theirs += rawInsert(raw, rows, base, now);
        raw.exec("DELETE FROM EpisodicDeliveries");
        state.ResumeTiming();
    }
    // The raw twin is the same work, one transaction: both figures are the same.
    state.counters["ratio_vs_raw"] = ours > 0 ? theirs / ours : 0.0;
    state.counters["ratio_vs_raw_txn"] = state.counters["ratio_vs_raw"];
    state.counters["us_per_row"] = state.iterations() > 0 ? ours * 1e6 / (double(rows) * double(state.iterations())) : 0.0;
    state.SetItemsProcessed(state.iterations() * rows);
}

BENCHMARK(BM_EngineInsert)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
