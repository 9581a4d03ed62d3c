// The member row set: loading a list, switching orders, saving the change log,
// each against SQLite's C API doing the same work where there is such a twin.

#include "bench_support.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "members/member_load_save.h"
#include "members/member_row_set.h"

#include <QDate>
#include <QDateTime>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
using RS = kv::MemberRowSet;

constexpr int kListId = 1;

// A list of n members whose clients have every column the load reads.
void populate(const QString &path, int n)
{
    RawSqlite raw(path);
    raw.exec("BEGIN");
    raw.exec("INSERT INTO Lists (Record_ID, List_Name, Reason) VALUES (1, 'Holiday Meals', 'LST')");
    for (int h = 1; h <= 200; ++h) {
        const QByteArray sql = QStringLiteral("INSERT INTO Households (Household_ID, Household_Name) VALUES (%1, 'Household %1')")
                                   .arg(h)
                                   .toUtf8();
        raw.exec(sql.constData());
    }
    for (int s = 1; s <= 12; ++s) {
        const QByteArray sql =
            QStringLiteral("INSERT INTO Services (Service_ID, Service_Desc, Service_Type) VALUES (%1, 'Service %1', 'D')").arg(s).toUtf8();
        raw.exec(sql.constData());
    }
    sqlite3_stmt *client = raw.prepare(
        "INSERT INTO Clients (Person_ID, Client_ID, First_Name, Last_Name, Address1, City, Svcs_Used, Status, Start_Dte, "
        "Stop_Dte, Delivery_Type, Dependent, Household_ID, Def_Rte, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday, "
        "Sunday, Add_Dte) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 'A', '2024-01-15', NULL, 'O', 'N', ?8, ?9, ?10, ?11, ?12, ?13, "
        "?14, 0, 0, ?15)");
    sqlite3_stmt *member = raw.prepare(
        "INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited, Confirmed, Quantity, Create_Date, "
        "Updated_By, Last_Update) VALUES (1, ?1, ?2, ?3, ?4, ?5, ?6, '2024-02-01', 'bench', '2024-02-01 10:00:00')");
    static const char *firsts[] = {"Anna", "Bert", "Cara", "Dov", "Eli", "Fay", "Gus", "Hana"};
    static const char *lasts[] = {"Smith", "jones", "Brown", "Garcia", "miller", "Davis", "Lopez", "Wilson", "Moore", "Taylor"};
    static const char *cities[] = {"Springfield", "Riverside", "Fairview", "Madison", "Georgetown"};
    for (int p = 1; p <= n; ++p) {
        const QByteArray cid = QStringLiteral("C%1").arg(p, 6, 10, QLatin1Char('0')).toUtf8();
        const QByteArray last = QStringLiteral("%1%2").arg(QString::fromLatin1(lasts[p % 10])).arg(p % 997).toUtf8();
        const QByteArray addr = QStringLiteral("%1 Main Street").arg(p).toUtf8();
        const QByteArray rte = QStringLiteral("R%1").arg(p % 40, 2, 10, QLatin1Char('0')).toUtf8();
        const QByteArray added = QDate(2015, 1, 1).addDays(p % 3000).toString(Qt::ISODate).toUtf8();
        sqlite3_bind_int(client, 1, p);
        sqlite3_bind_text(client, 2, cid.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(client, 3, firsts[p % 8], -1, SQLITE_STATIC);
        sqlite3_bind_text(client, 4, last.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(client, 5, addr.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(client, 6, cities[p % 5], -1, SQLITE_STATIC);
        sqlite3_bind_int(client, 7, 1 + p % 12);
        if (p % 4)
            sqlite3_bind_int(client, 8, 1 + p % 200);
        else
            sqlite3_bind_null(client, 8);
        sqlite3_bind_text(client, 9, rte.constData(), -1, SQLITE_TRANSIENT);
        for (int d = 0; d < 5; ++d)
            sqlite3_bind_int(client, 10 + d, (p + d) % 3 == 0);
        sqlite3_bind_text(client, 15, added.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(client) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(client);

        sqlite3_bind_int(member, 1, p);
        sqlite3_bind_text(member, 2, cid.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(member, 3, p % 10 != 0);
        sqlite3_bind_text(member, 4, p % 2 ? "Y" : "N", 1, SQLITE_STATIC);
        if (p % 3)
            sqlite3_bind_text(member, 5, p % 3 == 1 ? "Y" : "N", 1, SQLITE_STATIC);
        else
            sqlite3_bind_null(member, 5);
        sqlite3_bind_int(member, 6, 1 + p % 4);
        if (sqlite3_step(member) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(member);
    }
    sqlite3_finalize(client);
    sqlite3_finalize(member);
    raw.exec("COMMIT");
}

QByteArray loadSql()
{
    return TDataModuleLists::kListMembersSql.join(QLatin1Char('\n')).toUtf8();
}

double ourLoad(kv::Database &db, RS &rows)
{
    kv::Query q(&db, QStringLiteral("QueryListMembers"));
    q.setSql(TDataModuleLists::kListMembersSql);
    const auto start = Clock::now();
    q.paramByName(QStringLiteral("List_ID")).setAsInteger(kListId);
    rows.load(q);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Every column of every row read as the type SQLite holds it in.
double rawLoad(RawSqlite &raw, qint64 *checksum)
{
    const QByteArray sql = loadSql();
    const auto start = Clock::now();
    sqlite3_stmt *s = raw.prepare(sql.constData());
    sqlite3_bind_int(s, sqlite3_bind_parameter_index(s, ":List_ID"), kListId);
    const int cols = sqlite3_column_count(s);
    qint64 sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER: sum += sqlite3_column_int64(s, c); break;
            case SQLITE_FLOAT: sum += qint64(sqlite3_column_double(s, c)); break;
            case SQLITE_TEXT: sum += sqlite3_column_bytes(s, c) + (sqlite3_column_text(s, c) ? 1 : 0); break;
            default: break;
            }
        }
    }
    sqlite3_finalize(s);
    *checksum += sum;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_LoadMembers(benchmark::State &state)
{
    const int n = int(state.range(0));
    BenchDatabase bench;
    populate(bench.path(), n);
    RawSqlite raw(bench.path());
    double ours = 0, theirs = 0;
    qint64 checksum = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        RS rows;
        const double t = ourLoad(*bench.db, rows);
        state.SetIterationTime(t);
        ours += t;
        state.PauseTiming();
        if (rows.totalRowCount() != n)
            state.SkipWithError("wrong number of rows");
        bytes = rows.approximateBytes();
        theirs += rawLoad(raw, &checksum);
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(checksum);
    state.counters["ratio_vs_raw"] = ours > 0 ? theirs / ours : 0.0;
    state.counters["bytes_per_row"] = double(bytes) / double(n);
    state.counters["us_per_member"] = state.iterations() > 0 ? ours * 1e6 / (double(n) * double(state.iterations())) : 0.0;
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_LoadMembers)->Arg(10000)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Every one of the 24 orders in turn, from a freshly loaded row set each time,
// so that the first use of an order (its sort) is in the figure.
void BM_SwitchOrder(benchmark::State &state)
{
    const int n = int(state.range(0));
    BenchDatabase bench;
    populate(bench.path(), n);
    RS rows;
    rows.setFilter(QStringLiteral("RecVisible = True"));
    rows.setFiltered(true);
    double total = 0;
    qint64 switches = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ourLoad(*bench.db, rows);
        rows.setRecNo(rows.recordCount() / 2);
        state.ResumeTiming();
        const auto start = Clock::now();
        for (const QString &order : RS::orderNames())
            rows.setIndexName(order);
        rows.setIndexName(QString());
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(t);
        total += t;
        switches += RS::orderNames().size() + 1;
    }
    state.counters["ms_per_switch"] = switches > 0 ? total * 1000.0 / double(switches) : 0.0;
    state.SetItemsProcessed(switches);
}

BENCHMARK(BM_SwitchOrder)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void modifyEveryRow(RS &rows, int round)
{
    rows.disableControls();
    for (rows.first(); !rows.eof(); rows.next()) {
        rows.edit();
        rows.setFieldValue(RS::Quantity, 10 + round + rows.recNo() % 7);
        rows.setFieldValue(RS::Confirmed, round % 2 ? QStringLiteral("Y") : QString());
        rows.post();
    }
    rows.enableControls();
}

// The save's updates through the C API: in one transaction as the save runs
// now (synchronous=FULL, as the engine), or row by row, the old baseline
// (synchronous=NORMAL, else it would time the disk's flushes).
double rawUpdates(RawSqlite &raw, const std::vector<int> &ids, int round, bool oneTransaction)
{
    const QByteArray sql = kv::MemberLoadSave::kUpdateListMemberSql.toUtf8();
    raw.exec(oneTransaction ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
    const auto start = Clock::now();
    if (oneTransaction)
        raw.exec("BEGIN IMMEDIATE");
    sqlite3_stmt *s = raw.prepare(sql.constData());
    auto idx = [&](const char *name) { return sqlite3_bind_parameter_index(s, name); };
    const int pVis = idx(":RecVisible"), pInv = idx(":Invited"), pConf = idx(":Confirmed"), pQty = idx(":Quantity"),
              pUpd = idx(":Last_Update"), pBy = idx(":Updated_By"), pId = idx(":Record_ID");
    for (size_t i = 0; i < ids.size(); ++i) {
        const QByteArray now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        sqlite3_bind_int(s, pVis, 1);
        sqlite3_bind_text(s, pInv, "Y", 1, SQLITE_STATIC);
        if (round % 2)
            sqlite3_bind_text(s, pConf, "Y", 1, SQLITE_STATIC);
        else
            sqlite3_bind_null(s, pConf);
        sqlite3_bind_int(s, pQty, 10 + round + int(i % 7));
        sqlite3_bind_text(s, pUpd, now.constData(), int(now.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, pBy, "(List)", 6, SQLITE_STATIC);
        sqlite3_bind_int(s, pId, ids[i]);
        if (sqlite3_step(s) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    if (oneTransaction)
        raw.exec("COMMIT");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_SaveChangeLog(benchmark::State &state)
{
    const int n = int(state.range(0));
    BenchDatabase bench;
    populate(bench.path(), n);
    const QString dir = bench.dir.path();
    bench.db.reset(); // the data module opens the file under the same connection name

    QuietPrompts prompts;
    TDataModuleLists::Overrides o;
    o.mode = QStringLiteral("F");
    o.alias = dir;
    TDataModuleLists dm(prompts, [] {}, nullptr, o);
    dm.DataModuleCreate();
    kv::MemberLoadSave loadSave(dm, prompts);
    RS rows;
    RawSqlite raw(dm.DatabaseLists->filePath());
    std::vector<int> ids;

    double ours = 0, theirs = 0, theirsTxn = 0;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!loadSave.load(rows, QStringLiteral("Holiday Meals")).completed)
            state.SkipWithError("load failed");
        rows.setFiltered(false);
        ids.clear();
        for (int r = 0; r < rows.recordCount(); ++r)
            ids.push_back(rows.valueAt(r, RS::Record_ID).toInt());
        modifyEveryRow(rows, ++round);
        if (rows.changeCount() != n)
            state.SkipWithError("change log incomplete");
        state.ResumeTiming();
        const auto start = Clock::now();
        loadSave.saveChanges(rows);
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(t);
        ours += t;
        state.PauseTiming();
        if (loadSave.savedRows() != n)
            state.SkipWithError("rows not saved");
        theirsTxn += rawUpdates(raw, ids, ++round, true);
        theirs += rawUpdates(raw, ids, ++round, false);
        state.ResumeTiming();
    }
    state.counters["ratio_vs_raw"] = ours > 0 ? theirs / ours : 0.0;
    state.counters["ratio_vs_raw_txn"] = ours > 0 ? theirsTxn / ours : 0.0;
    state.counters["us_per_member"] = state.iterations() > 0 ? ours * 1e6 / (double(n) * double(state.iterations())) : 0.0;
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_SaveChangeLog)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
