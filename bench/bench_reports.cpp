// The members window's phone list and address labels for a 5,000-member list,
// written to PDF: pages per second, and the process's peak memory so that a
// renderer which kept its pages would show.

#include "bench_support.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "members/confirmed_filter.h"
#include "members/member_load_save.h"
#include "members/member_reports.h"
#include "members/member_row_set.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

// A list of n members with their client records, loaded as the members window loads it.
struct ReportFixture
{
    BenchDatabase bench;
    kv::Query load{bench.db.get(), QStringLiteral("QueryListMembers")};
    kv::Query clientInfo{bench.db.get(), QStringLiteral("QueryClientInfo")};
    kv::MemberRowSet rows;

    explicit ReportFixture(int n)
    {
        static const char *const kFirst[] = {"Mary", "John", "Aisha", "Wei", "Carlos", "Olga", "Samuel", "Grace", "Linda", "Omar"};
        static const char *const kLast[] = {"Abernathy", "Brown", "Castillo", "Diaz", "Evans", "Fischer", "Garcia", "Huang",
                                            "Ivanova", "Johnson", "Kowalski", "Lopez", "Miller", "Nguyen", "Okafor", "Patel"};
        static const char *const kCities[] = {"Harrisburg", "Camp Hill", "Mechanicsburg", "Hershey", "Carlisle", "York"};
        RawSqlite raw(bench.path());
        raw.exec("BEGIN");
        raw.exec("INSERT INTO Lists (Record_ID, List_Name, Reason) VALUES (1, 'Bench List', 'LST')");
        sqlite3_stmt *client = raw.prepare(
            "INSERT INTO Clients (Person_ID, Client_ID, First_Name, Last_Name, Address1, Address2, City, State, ZIP, Phone, "
            "OPhone, Status, Delivery_Type, Monday, Wednesday, Friday, Def_Rte, Def_Stop) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, 'PA', ?, ?, ?, 'A', 'O', 1, 0, 1, 'R01', 3)");
        sqlite3_stmt *member = raw.prepare("INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited, Confirmed) "
                                           "VALUES (1, ?, ?, 1, 'Y', 'Y')");
        for (int i = 1; i <= n; ++i) {
            const std::string id = QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')).toStdString();
            const std::string last = std::string(kLast[(i * 7) % 16]) + std::to_string(i % 97);
            const std::string addr = std::to_string(100 + i % 9000) + " Market St";
            const std::string apt = "Apt " + std::to_string(i % 40);
            const std::string zip = "17" + std::to_string(100 + i % 900);
            const std::string phone = "(717) 555-" + std::to_string(1000 + i % 9000);
            sqlite3_bind_int(client, 1, i);
            sqlite3_bind_text(client, 2, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(client, 3, kFirst[i % 10], -1, SQLITE_STATIC);
            sqlite3_bind_text(client, 4, last.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(client, 5, addr.c_str(), -1, SQLITE_TRANSIENT);
            if (i % 4 == 0)
                sqlite3_bind_text(client, 6, apt.c_str(), -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(client, 6);
            sqlite3_bind_text(client, 7, kCities[i % 6], -1, SQLITE_STATIC);
            sqlite3_bind_text(client, 8, zip.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(client, 9, phone.c_str(), -1, SQLITE_TRANSIENT);
            if (i % 5 == 0)
                sqlite3_bind_text(client, 10, phone.c_str(), -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(client, 10);
            sqlite3_step(client);
            sqlite3_reset(client);
            sqlite3_bind_int(member, 1, i);
            sqlite3_bind_text(member, 2, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(member);
            sqlite3_reset(member);
        }
        sqlite3_finalize(client);
        sqlite3_finalize(member);
        raw.exec("COMMIT");

        load.setSql(TDataModuleLists::kListMembersSql);
        load.paramByName(QStringLiteral("List_ID")).setAsInteger(1);
        load.open();
        rows.fill(load);
        rows.setFilter(kv::ConfirmedFilter::kInitialExpression);
        rows.setFiltered(true);
        rows.setIndexName(QStringLiteral("Last_Name"));
        clientInfo.setSql(kv::MemberLoadSave::kClientInfoSql);
    }
};

double statusMb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double peakRssMb()
{
    return statusMb("VmHWM:");
}

// Starts a new peak (Linux: "5" to clear_refs resets the high-water mark) and
// answers the memory in use now.
double startPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
    return statusMb("VmRSS:");
}

QString templatePath(kv::MemberReports::Report r)
{
    const QString dir = QStringLiteral(KESTROVAN_SOURCE_DIR "/templates");
    return kv::MemberReports::fullTemplateName(dir, r);
}

void runReport(benchmark::State &state, kv::MemberReports::Report report)
{
    static std::map<int, std::unique_ptr<ReportFixture>> fixtures;
    const int n = int(state.range(0));
    auto &fx = fixtures[n];
    if (!fx)
        fx = std::make_unique<ReportFixture>(n);
    const kv::ReportTemplate tmpl = kv::ReportTemplate::load(templatePath(report));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));

    int pages = 0;
    const double before = startPeak();
    for (auto _ : state) {
        kv::MemberRowSetReportSource members(fx->rows);
        kv::QueryDetailSource clients(fx->clientInfo, QStringLiteral("Person_ID"), QStringLiteral("Person_ID"));
        kv::ReportSources sources;
        kv::MemberReports::addSources(sources, members, clients);
        kv::ReportRun run;
        run.listName = QStringLiteral("Bench List");
        pages = kv::ReportRenderer::renderToPdf(tmpl, sources, run, pdf).pages;
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pdf_mb"] = double(QFileInfo(pdf).size()) / (1024.0 * 1024.0);
    // What drawing the report added on top of the loaded list: it must not
    // grow with the number of pages (the PDF goes to its file as it is written).
    state.counters["render_peak_mb"] = peakRssMb() - before;
    state.counters["peak_rss_mb"] = peakRssMb();
}

void BM_ReportPhoneList(benchmark::State &state)
{
    runReport(state, kv::MemberReports::Report::PhoneList);
}

void BM_ReportLabels(benchmark::State &state)
{
    runReport(state, kv::MemberReports::Report::AddressLabels);
}

} // namespace

BENCHMARK(BM_ReportPhoneList)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReportLabels)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(3);
// Ten times the members: render_peak_mb must stay where it was at 5,000.
BENCHMARK(BM_ReportPhoneList)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReportLabels)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);
