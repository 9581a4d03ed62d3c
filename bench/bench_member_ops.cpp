// Member operations against SQLite's C API doing the same statements:
// adding clients by status, hiding members by delivery days, and copying
// selected members into another list. Each operation runs in one unit of
// work; ratio_vs_raw_txn compares it with the twin writing the same rows in
// one transaction, ratio_vs_raw with the old row-by-row baseline.

#include "bench_support.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/engine/sql_dialect.h"
#include "data/engine/unit_of_work.h"
#include "members/add_members.h"
#include "members/copy_members.h"
#include "members/member_load_save.h"
#include "members/member_row_set.h"
#include "members/visibility.h"
#include "shell/progress.h"

#include <QDate>
#include <QDateTime>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Clients 1..n; every fifth one is active (status 'A') when activeShare is 5,
// and the weekdays vary from client to client.
void addClients(RawSqlite &raw, int n, int activeEvery)
{
    raw.exec("BEGIN");
    sqlite3_stmt *s = raw.prepare(
        "INSERT INTO Clients (Person_ID, Client_ID, First_Name, Last_Name, City, Status, Delivery_Type, Svcs_Used, "
        "Monday, Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    static const char *other[] = {"N", "W", "S", "I"};
    for (int i = 1; i <= n; ++i) {
        const QByteArray cid = QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
        const QByteArray first = QStringLiteral("First%1").arg(i).toUtf8();
        const QByteArray last = QStringLiteral("Last%1").arg((i * 7919) % n).toUtf8();
        sqlite3_bind_int(s, 1, i);
        sqlite3_bind_text(s, 2, cid.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, first.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 4, last.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 5, "Springfield", -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 6, i % activeEvery == 0 ? "A" : other[i % 4], -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 7, "O", -1, SQLITE_STATIC);
        sqlite3_bind_int(s, 8, 1 + i % 5);
        for (int d = 0; d < 7; ++d)
            sqlite3_bind_int(s, 9 + d, (i + d) % 7 == 0 ? 1 : 0);
        if (sqlite3_step(s) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    raw.exec("COMMIT");
}

int addList(RawSqlite &raw, const char *name)
{
    sqlite3_stmt *s = raw.prepare("INSERT INTO Lists (List_Name, Reason) VALUES (?, 'LST')");
    sqlite3_bind_text(s, 1, name, -1, SQLITE_STATIC);
    sqlite3_step(s);
    sqlite3_finalize(s);
    return int(sqlite3_last_insert_rowid(raw.h));
}

void addMembers(RawSqlite &raw, int listId, int n)
{
    raw.exec("BEGIN");
    sqlite3_stmt *s = raw.prepare("INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited) "
                                  "VALUES (?, ?, ?, 1, 'N')");
    for (int i = 1; i <= n; ++i) {
        const QByteArray cid = QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
        sqlite3_bind_int(s, 1, listId);
        sqlite3_bind_int(s, 2, i);
        sqlite3_bind_text(s, 3, cid.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    raw.exec("COMMIT");
}

QByteArray sqliteText(const QStringList &lines)
{
    return kv::SqlDialect::translate(lines.join(QLatin1Char('\n')), kv::Backend::SQLite).toUtf8();
}

// The member insert as the add and copy operations write it.
struct RawMemberInsert
{
    sqlite3_stmt *s;
    int pList, pPerson, pClient, pInvited, pConfirmed, pCreate, pBy, pUpdate;
    explicit RawMemberInsert(RawSqlite &raw)
    {
        s = raw.prepare(sqliteText(kv::MemberWriter::kAddMemberSql).constData());
        auto idx = [&](const char *n) { return sqlite3_bind_parameter_index(s, n); };
        pList = idx(":List_ID");
        pPerson = idx(":Person_ID");
        pClient = idx(":Client_ID");
        pInvited = idx(":Invited");
        pConfirmed = idx(":Confirmed");
        pCreate = idx(":Create_Date");
        pBy = idx(":Updated_By");
        pUpdate = idx(":Last_Update");
    }
    ~RawMemberInsert() { sqlite3_finalize(s); }
    void insert(RawSqlite &raw, int list, int person, const QByteArray &client, const char *invited, const char *confirmed)
    {
        const QByteArray today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
        const QByteArray now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        sqlite3_bind_int(s, pList, list);
        sqlite3_bind_int(s, pPerson, person);
        sqlite3_bind_text(s, pClient, client.constData(), int(client.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, pInvited, invited, -1, SQLITE_STATIC);
        if (confirmed)
            sqlite3_bind_text(s, pConfirmed, confirmed, -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(s, pConfirmed);
        sqlite3_bind_text(s, pCreate, today.constData(), int(today.size()), SQLITE_TRANSIENT);
        sqlite3_bind_null(s, pBy);
        sqlite3_bind_text(s, pUpdate, now.constData(), int(now.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(s) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(raw.h));
        sqlite3_reset(s);
    }
};

// Times the raw twin of an operation twice: in one transaction, as the
// operation writes now (synchronous=FULL, as the engine runs), and row by row,
// the old baseline (synchronous=NORMAL: with FULL it would flush once a row and
// measure the disk, not the work). prepare() puts the rows back before each run.
template<typename Prepare, typename Work>
void timeRawTwins(RawSqlite &raw, double &theirs, double &theirsTxn, Prepare prepare, Work work)
{
    for (bool txn : {true, false}) {
        prepare();
        raw.exec(txn ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
        const auto rawStart = Clock::now();
        if (txn)
            raw.exec("BEGIN IMMEDIATE");
        work();
        if (txn)
            raw.exec("COMMIT");
        (txn ? theirsTxn : theirs) += std::chrono::duration<double>(Clock::now() - rawStart).count();
    }
    raw.exec("PRAGMA synchronous=NORMAL");
}

std::unique_ptr<TDataModuleLists> dataModuleFor(const BenchDatabase &bench, kv::Prompts &prompts)
{
    TDataModuleLists::Overrides o;
    o.mode = QStringLiteral("F");
    o.alias = bench.dir.path();
    auto dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, o);
    dm->DataModuleCreate();
    return dm;
}

void loadRows(TDataModuleLists &dm, kv::MemberRowSet &rows, int listId)
{
    rows.close();
    dm.QueryListMembers->close();
    dm.QueryListMembers->paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    dm.QueryListMembers->open();
    rows.fill(*dm.QueryListMembers);
    dm.QueryListMembers->close();
}

// --- Adding by status -----------------------------------------------------------

void BM_AddMembersByStatus(benchmark::State &state)
{
    const int wanted = int(state.range(0));
    BenchDatabase bench;
    RawSqlite raw(bench.path());
    addClients(raw, wanted * 5, 5);
    const int listId = addList(raw, "Bench");
    QuietPrompts prompts;
    kv::NullProgress progress;

    kv::AddMembersChoice choice;
    choice.method = kv::AddMembersChoice::ByStatus;
    choice.statusIndex = 3;
    const QByteArray select = sqliteText(kv::AddMembers::selectionLines(choice));

    double ours = 0, theirs = 0, theirsTxn = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        kv::AddMembers op(*bench.db, prompts, progress);
        const int added = op.run(listId, choice).added;
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(t);
        ours += t;
        state.PauseTiming();
        if (added != wanted)
            state.SkipWithError("unexpected number of members added");
        timeRawTwins(
            raw, theirs, theirsTxn, [&] { raw.exec("DELETE FROM List_Members"); },
            [&] {
                sqlite3_stmt *sel = raw.prepare(select.constData());
                sqlite3_bind_int(sel, sqlite3_bind_parameter_index(sel, ":List_ID"), listId);
                std::vector<std::pair<int, QByteArray>> found;
                while (sqlite3_step(sel) == SQLITE_ROW)
                    found.emplace_back(sqlite3_column_int(sel, 0),
                                       QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(sel, 1))));
                sqlite3_finalize(sel);
                RawMemberInsert ins(raw);
                for (const auto &[person, client] : found)
                    ins.insert(raw, listId, person, client, "N", nullptr);
            });
        raw.exec("DELETE FROM List_Members");
        state.ResumeTiming();
    }
    state.counters["ratio_vs_raw"] = ours > 0 ? theirs / ours : 0.0;
    state.counters["ratio_vs_raw_txn"] = ours > 0 ? theirsTxn / ours : 0.0;
    state.counters["us_per_member"] =
        state.iterations() > 0 ? ours * 1e6 / (double(wanted) * double(state.iterations())) : 0.0;
}
BENCHMARK(BM_AddMembersByStatus)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// --- Hiding by delivery days ----------------------------------------------------

void BM_HideByDays(benchmark::State &state)
{
    const int n = int(state.range(0));
    BenchDatabase bench;
    RawSqlite raw(bench.path());
    addClients(raw, n, 5);
    const int listId = addList(raw, "Bench");
    addMembers(raw, listId, n);
    QuietPrompts prompts;
    kv::NullProgress progress;
    auto dm = dataModuleFor(bench, prompts);
    kv::MemberLoadSave loadSave(*dm, prompts);
    kv::MemberRowSet rows;
    rows.setFilter(QStringLiteral("RecVisible = True"));
    rows.setFiltered(true);
    kv::Visibility::Days days{};
    days[0] = true; // Monday
    days[2] = true; // Wednesday

    const QByteArray update = sqliteText({kv::MemberLoadSave::kUpdateListMemberSql});
    double ours = 0, theirs = 0, theirsTxn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        raw.exec("UPDATE List_Members SET RecVisible = 1");
        loadRows(*dm, rows, listId);
        rows.setIndexName(QStringLiteral("Last_Name"));
        state.ResumeTiming();

        const auto start = Clock::now();
        kv::Visibility op(*dm->DatabaseLists, progress);
        double saveSecs = 0;
        int hidden = 0;
        // As the window runs it: the walk and the save in one unit of work.
        kv::UnitOfWork::run(*dm->DatabaseLists, [&] {
            hidden = op.hideByDays(rows, days, [&] {
                const auto s0 = Clock::now();
                loadSave.saveChanges(rows);
                saveSecs = std::chrono::duration<double>(Clock::now() - s0).count();
            });
        });
        state.counters["save_ms"] = saveSecs * 1000;
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(t);
        ours += t;

        state.PauseTiming();
        timeRawTwins(raw, theirs, theirsTxn, [&] { raw.exec("UPDATE List_Members SET RecVisible = 1"); }, [&] {
            sqlite3_stmt *sel = raw.prepare(
                "SELECT List_Members.Record_ID, Invited, Confirmed, Quantity, Monday, Tuesday, Wednesday, Thursday, "
                "Friday, Saturday, Sunday FROM List_Members JOIN Clients ON List_Members.Person_ID = Clients.Person_ID "
                "WHERE List_ID = ?");
            sqlite3_bind_int(sel, 1, listId);
            sqlite3_stmt *up = raw.prepare(update.constData());
            auto idx = [&](const char *p) { return sqlite3_bind_parameter_index(up, p); };
            const int pVis = idx(":RecVisible"), pInv = idx(":Invited"), pConf = idx(":Confirmed"),
                      pQty = idx(":Quantity"), pLast = idx(":Last_Update"), pBy = idx(":Updated_By"),
                      pId = idx(":Record_ID");
            // Read the rows first: an update made while the select is still
            // stepping would join its transaction instead of committing alone.
            struct Row
            {
                int id;
                QVariant invited, confirmed, quantity;
                bool match;
            };
            std::vector<Row> read;
            read.reserve(size_t(n));
            auto text = [&](int col) {
                return sqlite3_column_type(sel, col) == SQLITE_NULL
                    ? QVariant()
                    : QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(sel, col))));
            };
            while (sqlite3_step(sel) == SQLITE_ROW) {
                bool match = false;
                for (int d = 0; d < 7 && !match; ++d)
                    match = days[size_t(d)] && sqlite3_column_int(sel, 4 + d) != 0;
                read.push_back({sqlite3_column_int(sel, 0), text(1), text(2),
                                sqlite3_column_type(sel, 3) == SQLITE_NULL ? QVariant() : QVariant(sqlite3_column_int(sel, 3)),
                                match});
            }
            sqlite3_finalize(sel);
            int rawHidden = 0;
            for (const Row &r : read) {
                if (!r.match)
                    continue;
                const QByteArray now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
                const QByteArray inv = r.invited.toString().toUtf8();
                const QByteArray conf = r.confirmed.toString().toUtf8();
                sqlite3_bind_int(up, pVis, 0);
                if (r.invited.isValid())
                    sqlite3_bind_text(up, pInv, inv.constData(), int(inv.size()), SQLITE_TRANSIENT);
                else
                    sqlite3_bind_null(up, pInv);
                if (r.confirmed.isValid())
                    sqlite3_bind_text(up, pConf, conf.constData(), int(conf.size()), SQLITE_TRANSIENT);
                else
                    sqlite3_bind_null(up, pConf);
                if (r.quantity.isValid())
                    sqlite3_bind_int(up, pQty, r.quantity.toInt());
                else
                    sqlite3_bind_null(up, pQty);
                sqlite3_bind_text(up, pLast, now.constData(), int(now.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(up, pBy, "(List)", -1, SQLITE_STATIC);
                sqlite3_bind_int(up, pId, r.id);
                if (sqlite3_step(up) != SQLITE_DONE)
                    throw std::runtime_error(sqlite3_errmsg(raw.h));
                sqlite3_reset(up);
                ++rawHidden;
            }
            sqlite3_finalize(up);
            if (rawHidden != hidden)
                state.SkipWithError("raw and engine hid different numbers of members");
        });
        state.ResumeTiming();
    }
    state.counters["ratio_vs_raw"] = ours > 0 ? theirs / ours : 0.0;
    state.counters["ratio_vs_raw_txn"] = ours > 0 ? theirsTxn / ours : 0.0;
    state.counters["us_per_member"] = state.iterations() > 0 ? ours * 1e6 / (double(n) * double(state.iterations())) : 0.0;
}
BENCHMARK(BM_HideByDays)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// --- Copying selected members ---------------------------------------------------

void BM_CopyMembers(benchmark::State &state)
{
    const int n = int(state.range(0));
    BenchDatabase bench;
    RawSqlite raw(bench.path());
    addClients(raw, n, 5);
    const int sourceId = addList(raw, "Source");
    const int destinationId = addList(raw, "Destination");
    addMembers(raw, sourceId, n);
    QuietPrompts prompts;
    kv::NullProgress progress;
    auto dm = dataModuleFor(bench, prompts);
    kv::MemberRowSet rows;
    rows.setFilter(QStringLiteral("RecVisible = True"));
    rows.setFiltered(true);
    loadRows(*dm, rows, sourceId);
    rows.setIndexName(QStringLiteral("Last_Name"));
    QList<kv::MemberRowSet::Bookmark> selection;
    for (int r = 0; r < rows.recordCount(); ++r)
        selection << rows.bookmarkAt(r);

    double ours = 0, theirs = 0, theirsTxn = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        kv::CopyMembers op(*dm->DatabaseLists, progress);
        const int copied = op.copy(rows, selection, destinationId, false, {});
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(t);
        ours += t;

        state.PauseTiming();
        if (copied != n)
            state.SkipWithError("not every member was copied");
        // The same rows in the same order, read beforehand as the row set holds them.
        std::vector<std::pair<int, QByteArray>> source;
        source.reserve(size_t(n));
        for (int r = 0; r < rows.recordCount(); ++r)
            source.emplace_back(rows.valueAt(r, kv::MemberRowSet::Person_ID).toInt(),
                                rows.valueAt(r, kv::MemberRowSet::Client_ID).toString().toUtf8());
        const QByteArray clear = QStringLiteral("DELETE FROM List_Members WHERE List_ID = %1").arg(destinationId).toUtf8();
        timeRawTwins(
            raw, theirs, theirsTxn, [&] { raw.exec(clear.constData()); },
            [&] {
                RawMemberInsert ins(raw);
                for (const auto &[person, client] : source)
                    ins.insert(raw, destinationId, person, client, "N", nullptr);
            });
        raw.exec(QStringLiteral("DELETE FROM List_Members WHERE List_ID = %1").arg(destinationId).toUtf8().constData());
        state.ResumeTiming();
    }
    state.counters["ratio_vs_raw"] = ours > 0 ? theirs / ours : 0.0;
    state.counters["ratio_vs_raw_txn"] = ours > 0 ? theirsTxn / ours : 0.0;
    state.counters["us_per_member"] = state.iterations() > 0 ? ours * 1e6 / (double(n) * double(state.iterations())) : 0.0;
}
BENCHMARK(BM_CopyMembers)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
