// The command line's data in and out: CSV and JSON that survive a spreadsheet,
// the import's counts, the dry run against the run, and an interrupted run.

#include "cli_tool.h"

#include "data/engine/unit_of_work.h"
#include "data/list_stamp.h"
#include "lists/fulfil_list.h"
#include "members/import_members.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QScopeGuard>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#ifdef Q_OS_UNIX
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QStringList args(std::initializer_list<const char *> list)
{
    QStringList a;
    for (const char *s : list)
        a << QString::fromUtf8(s);
    return a;
}

const QString kHostile[] = {
    QStringLiteral("Smith, \"Jr.\""), QStringLiteral("two\nlines"), QStringLiteral("crlf\r\ninside"),
    QStringLiteral("  spaced  "),     QStringLiteral("Zoë \"Ω\""),   QStringLiteral("\"quoted\""),
};

TEST(CliOutput, CsvAndJsonCarryHostileValuesThroughASpreadsheetReader)
{
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(kv::Backend::SQLite);
    const int list = tdb.addList(QStringLiteral("Holiday"), {{QStringLiteral("List_Desc"), kHostile[1]}});
    int person = 0;
    for (const QString &v : kHostile) {
        ++person;
        // Last names sort in person order.
        tdb.addClient(person, {{QStringLiteral("Last_Name"), QStringLiteral("%1 %2").arg(person).arg(v)},
                               {QStringLiteral("Address1"), v}});
        tdb.addMember(list, person);
    }

    const ToolRun csv = runCli(&tdb, args({"members", "--list", "Holiday", "--csv"}));
    ASSERT_EQ(csv.code, 0) << csv.why();
    QString expected = QStringLiteral("[");
    person = 0;
    for (const QString &v : kHostile) {
        ++person;
        const auto quote = [](const QString &s) {
            QString j = s;
            j.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("\""), QLatin1String("\\\""));
            j.replace(QLatin1String("\r"), QLatin1String("\\r")).replace(QLatin1String("\n"), QLatin1String("\\n"));
            j.replace(QStringLiteral("ë"), QStringLiteral("\\u00eb")).replace(QStringLiteral("Ω"), QStringLiteral("\\u03a9"));
            return QLatin1Char('"') + j + QLatin1Char('"');
        };
        expected += (person > 1 ? QStringLiteral(", [") : QStringLiteral("[")) + quote(QStringLiteral("%1 %2").arg(person).arg(v))
            + QStringLiteral(", ") + quote(v) + QLatin1Char(']');
    }
    expected += QStringLiteral("]\n");
    // Python's reader, given the bytes as a spreadsheet reads them, gives back every field whole.
    EXPECT_EQ(runPython(QStringLiteral("import csv, sys, io, json\n"
                                       "rows = list(csv.reader(io.TextIOWrapper(sys.stdin.buffer, encoding='utf-8', newline=''), strict=True))\n"
                                       "print(json.dumps([[r[1], r[3]] for r in rows[1:]]))"),
                        csv.out.toUtf8()),
              expected);

    const ToolRun json = runCli(&tdb, args({"members", "--list", "Holiday", "--json"}));
    ASSERT_EQ(json.code, 0) << json.why();
    EXPECT_EQ(runPython(QStringLiteral("import sys, json\n"
                                       "print(json.dumps([[o['last_name'], o['address']] for o in map(json.loads, sys.stdin)]))"),
                        json.out.toUtf8()),
              expected);
    const ToolRun lists = runCli(&tdb, args({"lists", "--json"}));
    ASSERT_EQ(lists.code, 0) << lists.why();
    EXPECT_EQ(runPython(QStringLiteral("import sys, json\nprint(json.dumps([sorted(o) for o in map(json.loads, sys.stdin)]))"),
                        lists.out.toUtf8()),
              QStringLiteral("[[\"assigned_service\", \"created\", \"description\", \"id\", \"list\", \"updated\", \"updated_by\"]]\n"));
    EXPECT_TRUE(lists.out.contains(QStringLiteral("\"description\":\"two\\nlines\""))) << lists.why();
}

#ifdef Q_OS_UNIX
// Runs the tool with its output on a pseudo-terminal, as a person sees it.
ToolRun runCliInTerminal(TestDatabase *tdb, QStringList args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    targetDatabase(tdb, args, env);
    std::vector<QByteArray> strings{QFile::encodeName(cliPath())};
    for (const QString &a : std::as_const(args))
        strings.push_back(a.toUtf8());
    const qsizetype argc = qsizetype(strings.size());
    for (const QString &e : env.toStringList())
        strings.push_back(e.toUtf8());
    std::vector<char *> argv, envp;
    for (qsizetype i = 0; i < qsizetype(strings.size()); ++i)
        (i < argc ? argv : envp).push_back(strings[size_t(i)].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ToolRun r;
    if (pid < 0)
        return r;
    QByteArray out;
    char buf[4096];
    for (ssize_t n; (n = read(terminal, buf, sizeof buf)) > 0;) // EIO once the tool has ended
        out.append(buf, n);
    close(terminal);
    int status = 0;
    waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = QString::fromUtf8(out);
    return r;
}

TEST(CliOutput, ATerminalIsShownControlCharactersWhileAPipeGetsThemExactly)
{
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(kv::Backend::SQLite);
    const int list = tdb.addList(QStringLiteral("Holiday"));
    const QString hostile = QStringLiteral("Evil\x1b]0;owned\x07\x1b[2J") + QChar(0x9B) + QStringLiteral("31m");
    tdb.addClient(1, {{QStringLiteral("Last_Name"), hostile}});
    tdb.addMember(list, 1);
    const QString shown = QStringLiteral("Evil\\x1b]0;owned\\x07\\x1b[2J\\x9b31m");
    const struct
    {
        QStringList options;
        QString expected;
    } cases[] = {
        {{}, shown},
        {{QStringLiteral("--csv")}, shown},
        {{QStringLiteral("--json")}, QStringLiteral("Evil\\u001b]0;owned\\u0007\\u001b[2J\\u009b31m")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        const QStringList a = QStringList{QStringLiteral("members"), QStringLiteral("--list"), QStringLiteral("Holiday")} + c.options;
        const ToolRun terminal = runCliInTerminal(&tdb, a);
        ASSERT_EQ(terminal.code, 0) << terminal.why();
        EXPECT_TRUE(terminal.out.contains(c.expected)) << terminal.why();
        EXPECT_FALSE(terminal.out.contains(QChar(0x1b)) || terminal.out.contains(QChar(0x07)) || terminal.out.contains(QChar(0x9B)))
            << terminal.why();
        // Through a pipe the data stays as stored (the table, made for reading, has no control characters to spare).
        if (!c.options.isEmpty()) {
            const ToolRun piped = runCli(&tdb, a);
            ASSERT_EQ(piped.code, 0) << piped.why();
            const QString raw = c.options.first() == QLatin1String("--csv") ? hostile : QStringLiteral("Evil\\u001b]0;owned\\u0007\\u001b[2J") + QChar(0x9B) + QStringLiteral("31m");
            EXPECT_TRUE(piped.out.contains(raw)) << piped.why();
        }
    }
}
#endif

TEST(CliOutput, CsvCellsASpreadsheetWouldRunGetAnApostropheAndJsonStaysRaw)
{
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(kv::Backend::SQLite);
    const QStringList raw = {QStringLiteral("=1+2"),     QStringLiteral("+cmd"),  QStringLiteral("-2+3"),
                             QStringLiteral("@SUM(A1)"), QStringLiteral("\tTab"), QStringLiteral("\rReturn"),
                             QStringLiteral("-5"),       QStringLiteral("+1.5"),  QStringLiteral("Plain")};
    const QStringList csv = {QStringLiteral("'=1+2"),     QStringLiteral("'+cmd"),   QStringLiteral("'-2+3"),
                             QStringLiteral("'@SUM(A1)"), QStringLiteral("'\tTab"), QStringLiteral("'\rReturn"),
                             QStringLiteral("-5"),        QStringLiteral("+1.5"),    QStringLiteral("Plain")};
    const int list = tdb.addList(QStringLiteral("Holiday"), {{QStringLiteral("List_Desc"), raw[0]}});
    for (int p = 1; p <= raw.size(); ++p) {
        tdb.addClient(p, {{QStringLiteral("Address1"), raw[p - 1]}});
        tdb.addMember(list, p);
    }
    const ToolRun members = runCli(&tdb, args({"members", "--list", "Holiday", "--csv"}));
    ASSERT_EQ(members.code, 0) << members.why();
    QHash<QString, QString> address; // client id -> Address cell
    for (const QStringList &row : kv::parseCsv(members.out).mid(1))
        address.insert(row.value(0), row.value(3));
    const ToolRun json = runCli(&tdb, args({"members", "--list", "Holiday", "--json"}));
    for (int p = 1; p <= raw.size(); ++p) {
        const QString id = QStringLiteral("C%1").arg(p, 5, 10, QLatin1Char('0'));
        EXPECT_EQ(address.value(id), csv[p - 1]) << id.toStdString();
        EXPECT_TRUE(json.out.contains(QJsonDocument(QJsonArray{raw[p - 1]}).toJson(QJsonDocument::Compact).mid(1).chopped(1)))
            << raw[p - 1].toStdString();
    }
    const ToolRun lists = runCli(&tdb, args({"lists", "--csv"}));
    EXPECT_EQ(kv::parseCsv(lists.out).value(1).value(1), csv[0]) << lists.why();
}

TEST(CliImport, CountsAddedAlreadyMembersAndNotFoundOnAMessyFile)
{
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(kv::Backend::SQLite);
    const int list = tdb.addList(QStringLiteral("Holiday"));
    for (int p = 1; p <= 3; ++p)
        tdb.addClient(p);
    tdb.addMember(list, 1);

    QByteArray file = "\xEF\xBB\xBF" "Name,Client_ID\r\n"
                      "One,C00001\r\n" // already a member
                      "\r\n"
                      "Two,C00002\r\n"
                      "Two again,C00002\r\n" // named twice
                      "Nobody,\r\n";
    for (int i = 1; i <= 12; ++i)
        file += "Ghost " + QByteArray::number(i) + ",X" + QByteArray::number(i) + "\r\n";
    file += "\"Three, the\",C00003"; // no line end at the close
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ids.csv"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();

    const ToolRun r = runCli(&tdb, {QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Holiday"),
                                    QStringLiteral("--from-csv"), path, QStringLiteral("--invited"), QStringLiteral("yes")});
    ASSERT_EQ(r.code, 0) << r.why();
    EXPECT_EQ(r.out, QStringLiteral("Added 2, already members 2, not found 12.\n"
                                    "Not found (the first 10): X1, X2, X3, X4, X5, X6, X7, X8, X9, X10\n"));
    const auto rows = tdb.rows(QStringLiteral("Select Person_ID, Client_ID, Invited from List_Members where List_ID = :L order by Person_ID"),
                               {{QStringLiteral("L"), list}});
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].value(QStringLiteral("client_id")).toString(), QStringLiteral("C00002"));
    EXPECT_EQ(rows[2].value(QStringLiteral("invited")).toString(), QStringLiteral("Y"));

    // A column that is not there: nothing is read into the list.
    const ToolRun wrong = runCli(&tdb, {QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Holiday"),
                                        QStringLiteral("--from-csv"), path, QStringLiteral("--column"), QStringLiteral("Id")});
    EXPECT_EQ(wrong.code, 2);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("The file has no column headed \"Id\""))) << wrong.why();
    EXPECT_EQ(tdb.count(QStringLiteral("List_Members")), 3);

    // Files that cannot be what they seem are refused naming the line; ids
    // not found are shown with their control characters escaped.
    const struct
    {
        QByteArray file;
        int code;
        QString expected;
    } files[] = {
        {"Client_ID\nC00001\n\"C00002\nC00003\n", 2, QStringLiteral("Line 3 opens a quoted field that is never closed")},
        {QByteArray("Client_ID\nC00001\nC000") + '\0' + "02\n", 2, QStringLiteral("Line 3 holds a NUL character")},
        {"Client_ID\nX\x1b[2J\x07\n", 0, QStringLiteral("Not found: X\\x1b[2J\\x07\n")},
    };
    for (const auto &c : files) {
        SCOPED_TRACE(c.expected.toStdString());
        QFile bad(path);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
        bad.write(c.file);
        bad.close();
        const ToolRun r = runCli(&tdb, {QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Holiday"),
                                        QStringLiteral("--from-csv"), path});
        EXPECT_EQ(r.code, c.code) << r.why();
        EXPECT_TRUE((r.err + r.out).contains(c.expected)) << r.why();
        EXPECT_FALSE(r.out.contains(QChar(0x1b))) << r.why();
        EXPECT_EQ(tdb.count(QStringLiteral("List_Members")), 3);
    }
}

// The cases whose outcome depends on the database: each runs on both backends.
class CliBackend : public ::testing::TestWithParam<kv::Backend>
{
};

TEST_P(CliBackend, FourImportsOfTheSameFileAtOnceAddEachClientOnce)
{
    KV_REQUIRE_BACKEND(GetParam());
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(GetParam());
    const int list = tdb.addList(QStringLiteral("Holiday"));
    QByteArray file = "Person_ID\n";
    for (int p = 1; p <= 300; ++p) {
        tdb.addClient(p);
        file += QByteArray::number(p) + "\n";
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ids.csv"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();

    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 4; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        startCli(*runs.back(), &tdb,
                 {QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--from-csv"), path});
    }
    int added = 0;
    for (auto &p : runs) {
        ASSERT_TRUE(p->waitForFinished(120000));
        const QString out = QString::fromUtf8(p->readAllStandardOutput());
        ASSERT_EQ(p->exitCode(), 0) << out.toStdString() << QString::fromUtf8(p->readAllStandardError()).toStdString();
        added += out.section(QLatin1Char(' '), 1, 1).chopped(1).toInt(); // "Added N, ..."
    }
    EXPECT_EQ(added, 300);
    EXPECT_EQ(tdb.count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), list}}), 300);
}

TEST_P(CliBackend, AnImportIdTwoClientsShareAddsNeitherAndNamesThemApart)
{
    KV_REQUIRE_BACKEND(GetParam());
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(GetParam());
    const int list = tdb.addList(QStringLiteral("Holiday"));
    tdb.addClient(5, {{QStringLiteral("Client_ID"), QStringLiteral("C-7")}});
    tdb.addClient(2, {{QStringLiteral("Client_ID"), QStringLiteral("C-7")}});
    tdb.addClient(3);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ids.csv"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Client_ID\nC-7\nC00003\n");
    f.close();
    const ToolRun r = runCli(&tdb, {QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Holiday"),
                                    QStringLiteral("--from-csv"), path});
    ASSERT_EQ(r.code, 0) << r.why();
    EXPECT_EQ(r.out, QStringLiteral("Added 1, already members 0, not found 0, shared by several clients 1.\n"
                                    "Not added, shared by several clients:\n"
                                    "  C-7 matches 2 clients: Person_ID 2, Person_ID 5\n"));
    EXPECT_EQ(tdb.rows(QStringLiteral("Select Person_ID from List_Members where List_ID = :L"), {{QStringLiteral("L"), list}}),
              (QList<QVariantMap>{{{QStringLiteral("person_id"), 3}}}));
}

TEST_P(CliBackend, DryRunListsExactlyTheRowsTheRunThenWrites)
{
    KV_REQUIRE_BACKEND(GetParam());
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(GetParam());
    tdb.insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 4}, {QStringLiteral("Service_Desc"), QStringLiteral("Hot")},
                                            {QStringLiteral("Service_Type"), QStringLiteral("D")}});
    tdb.insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
    const int list = tdb.addList(QStringLiteral("Holiday"), {{QStringLiteral("Active_Only"), QStringLiteral("N")}});
    // 2026-12-24 is a Thursday: one client has a Thursday route, one is episodic.
    tdb.addClient(1, {{QStringLiteral("Svcs_Used"), 4}, {QStringLiteral("Thu_Rte"), QStringLiteral("T9")}, {QStringLiteral("Thu_Stop"), 2.5}});
    tdb.addClient(2, {{QStringLiteral("Svcs_Used"), 4}, {QStringLiteral("Delivery_Type"), QStringLiteral("E")},
                      {QStringLiteral("Def_Rte"), QStringLiteral("A1")}, {QStringLiteral("Def_Stop"), 7.0}});
    tdb.addClient(3, {{QStringLiteral("Def_Rte"), QStringLiteral("A1")}, {QStringLiteral("Def_Stop"), 3.0}});
    tdb.addClient(4);
    tdb.addMember(list, 1, {{QStringLiteral("Quantity"), 5}});
    tdb.addMember(list, 2);
    tdb.addMember(list, 3);
    tdb.addMember(list, 4, {{QStringLiteral("RecVisible"), false}});

    const QStringList common = args({"fulfil", "--list", "Holiday", "--date", "2026-12-24", "--item", "31", "--quantity", "2"});
    const ToolRun dry = runCli(&tdb, common + args({"--dry-run", "--csv"}));
    ASSERT_EQ(dry.code, 0) << dry.why();
    EXPECT_TRUE(dry.err.contains(QStringLiteral("Dry run: 3 deliveries would be scheduled"))) << dry.why();
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries")) + tdb.count(QStringLiteral("DefDels")) + tdb.count(QStringLiteral("History")), 0);

    // person, client, date, day, route, stop, schedule, service, item, quantity
    QStringList planned;
    const QList<QStringList> table = kv::parseCsv(dry.out);
    ASSERT_EQ(table.size(), 4) << dry.why();
    for (const QStringList &row : table.mid(1))
        planned << QStringList{row[0], row[1], row[3], row[4], row[5], row[6], row[7], row[8], row[10], row[12]}.join(QLatin1Char('|'));
    planned.sort();

    // A user name wider than the stamps is refused up front; a login name
    // nobody chose is cut to fit (PostgreSQL would refuse every insert).
    const QString tooLong(34, QLatin1Char('u'));
    const ToolRun refused = runCli(&tdb, common + QStringList{QStringLiteral("--yes"), QStringLiteral("--user"), tooLong});
    EXPECT_EQ(refused.code, 2) << refused.why();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("at most 33 characters"))) << refused.why();
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries")), 0);
    const QByteArray login = qgetenv("USER");
    qputenv("USER", QByteArray(50, 'l'));
    const ToolRun real = runCli(&tdb, common + args({"--yes"}));
    qputenv("USER", login);
    ASSERT_EQ(real.code, 0) << real.why();
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries"), QStringLiteral("Created_By = :C"),
                        {{QStringLiteral("C"), QString(33, QLatin1Char('l')) + kv::ListStamp::kSuffix}}),
              3);
    QStringList written;
    for (const QVariantMap &r : tdb.rows(QStringLiteral(
             "Select EpisodicDeliveries.Person_ID, Client_ID, Deliv_Date, Del_Day, Route, Stop, Schedule_Type, Svcs_Used, Item_ID, Quantity "
             "from EpisodicDeliveries join DefDels on DefDels.Deliv_ID = EpisodicDeliveries.RecordID")))
        written << QStringList{r.value(QStringLiteral("person_id")).toString(), r.value(QStringLiteral("client_id")).toString(),
                               r.value(QStringLiteral("deliv_date")).toDate().toString(Qt::ISODate), r.value(QStringLiteral("del_day")).toString(),
                               r.value(QStringLiteral("route")).toString(), QString::number(r.value(QStringLiteral("stop")).toDouble()),
                               r.value(QStringLiteral("schedule_type")).toString(), r.value(QStringLiteral("svcs_used")).toString(),
                               r.value(QStringLiteral("item_id")).toString(), r.value(QStringLiteral("quantity")).toString()}
                       .join(QLatin1Char('|'));
    written.sort();
    EXPECT_EQ(planned, written);
    EXPECT_EQ(planned.size(), 3);
    EXPECT_TRUE(planned.contains(QStringLiteral("1|C00001|2026-12-24|THU|T9|2.5|S|4|31|5")));

    // A second dry run sees them scheduled; with --skip-scheduled nobody is
    // left, and it says why rather than that nobody matched.
    const ToolRun again = runCli(&tdb, common + args({"--dry-run"}));
    EXPECT_TRUE(again.out.contains(QStringLiteral("3 of these members already have a delivery"))) << again.why();
    const ToolRun skip = runCli(&tdb, common + args({"--dry-run", "--skip-scheduled"}));
    EXPECT_EQ(skip.code, 0) << skip.why();
    EXPECT_TRUE(skip.out.contains(QStringLiteral("All 3 members already have a delivery from this list on 12/24/2026. Nothing was scheduled.")))
        << skip.why();

    // The driver's sheet of what was written: by route and stop.
    const ToolRun sheet = runCli(&tdb, args({"deliveries", "--list", "Holiday", "--pending", "--date", "2026-12-24", "--csv"}));
    ASSERT_EQ(sheet.code, 0) << sheet.why();
    const QList<QStringList> sheetRows = kv::parseCsv(sheet.out);
    ASSERT_EQ(sheetRows.size(), 4) << sheet.why();
    QStringList order;
    for (const QStringList &row : sheetRows.mid(1))
        order << row[1] + QLatin1Char('/') + row[2] + QLatin1Char('/') + row[3] + QLatin1Char('/') + row[8] + QLatin1Char('/') + row[9];
    EXPECT_EQ(order, QStringList({QStringLiteral("A1/3/C00003/Turkey/2"), QStringLiteral("A1/7/C00002/Turkey/2"),
                                  QStringLiteral("T9/2.5/C00001/Turkey/5")}));
}

TEST_P(CliBackend, ALookupThatCannotOpenStopsTheRunBeforeItWritesAndOneNotReadIsNoError)
{
    KV_REQUIRE_BACKEND(GetParam());
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    TestDatabase tdb(GetParam());
    const int list = tdb.addList(QStringLiteral("Holiday"), {{QStringLiteral("Active_Only"), QStringLiteral("N")}});
    tdb.addClient(1, {{QStringLiteral("Def_Rte"), QStringLiteral("A1")}, {QStringLiteral("Def_Stop"), 1.0}});
    tdb.addMember(list, 1);
    tdb.insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 7}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
    // As a role without SELECT on Items or a damaged table would: the items lookup fails to open.
    QSqlQuery alter(tdb.db().connection());
    ASSERT_TRUE(alter.exec(QStringLiteral("ALTER TABLE Items RENAME COLUMN Meal_Item TO Meal_Name"))) << alter.lastError().text().toStdString();
    const QStringList common = args({"fulfil", "--list", "Holiday", "--date", "2026-12-24", "--yes", "--item"});

    const ToolRun needsItems = runCli(&tdb, common + QStringList{QStringLiteral("7")});
    EXPECT_EQ(needsItems.code, 2) << needsItems.why();
    EXPECT_TRUE(needsItems.err.contains(QStringLiteral("Meal_Item"), Qt::CaseInsensitive)) << needsItems.why();
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries")) + tdb.count(QStringLiteral("History")), 0) << needsItems.why();

    // A command opens only what it reads: without an item the broken lookup is never touched.
    const ToolRun noItem = runCli(&tdb, common + QStringList{QStringLiteral("none")});
    EXPECT_EQ(noItem.code, 0) << noItem.why();
    EXPECT_TRUE(noItem.err.isEmpty()) << noItem.why();
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries")), 1) << noItem.why();
}

INSTANTIATE_TEST_SUITE_P(Backends, CliBackend, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL),
                         [](const auto &info) { return info.param == kv::Backend::SQLite ? "SQLite" : "PostgreSQL"; });

#ifdef Q_OS_UNIX
// The tool says where it stands ("paused at PHASE") and waits there for the
// signal, so that every run is interrupted at the place the case names: inside
// a writing or rendering loop, or after the last tick just before COMMIT.
TEST(CliInterrupt, ASignalInAnyPhaseRollsBackKeepsTheFileAndEndsWith130)
{
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    constexpr int kClients = 300;
    TestDatabase tdb(kv::Backend::SQLite);
    tdb.insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
    const int list = tdb.addList(QStringLiteral("Big"), {{QStringLiteral("Active_Only"), QStringLiteral("N")}});
    const int empty = tdb.addList(QStringLiteral("Empty"));
    tdb.exec(QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                            "INSERT INTO Clients (Person_ID, Client_ID, Last_Name, Status, Delivery_Type, Def_Rte, Def_Stop) "
                            "SELECT x, 'C' || x, 'Last' || x, 'A', 'O', 'R1', 1 FROM n").arg(kClients));
    tdb.exec(QStringLiteral("INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible) "
                            "SELECT %1, Person_ID, Client_ID, 1 FROM Clients").arg(list));
    QTemporaryDir dir;
    const QString ids = dir.filePath(QStringLiteral("ids.csv"));
    {
        QFile f(ids);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Client_ID\n");
        for (int p = 1; p <= kClients; ++p)
            f.write("C" + QByteArray::number(p) + "\n");
    }
    const qint64 members = tdb.count(QStringLiteral("List_Members"));
    tdb.db().disconnect();

    // A report replaces its file only once it is whole.
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    {
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the previous report");
    }
    const QStringList fulfil = args({"fulfil", "--list", "Big", "--date", "2026-12-24", "--item", "31", "--yes"});
    const QStringList addMembers{QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Empty"),
                                 QStringLiteral("--from-csv"), ids};
    const struct
    {
        QStringList args;
        const char *phase;
        int signal;
        QString said;
    } runs[] = {
        {fulfil, "write", SIGINT, kv::UnitOfWork::kNothingWritten},
        {fulfil, "commit", SIGTERM, kv::UnitOfWork::kNothingWritten},
        {addMembers, "commit", SIGINT, kv::UnitOfWork::kNothingWritten},
        {args({"cancel-pending", "--list", "Big", "--yes"}), "commit", SIGINT, kv::UnitOfWork::kNothingWritten},
        {{QStringLiteral("report"), QStringLiteral("--list"), QStringLiteral("Big"), QStringLiteral("--template"),
          QStringLiteral(KESTROVAN_SOURCE_DIR "/templates/ListMembersAddressLabel.rtm"), QStringLiteral("--pdf"), pdf},
         "write", SIGTERM, kv::UnitOfWork::kCancelledText},
    };
    for (const auto &[run, phase, sig, said] : runs) {
        SCOPED_TRACE((run.join(QLatin1Char(' ')) + QStringLiteral(" at ") + QLatin1String(phase)).toStdString());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KESTROVAN_CLI_PAUSE_AT"), QLatin1String(phase));
        QStringList line = run;
        targetDatabase(&tdb, line, env);
        p.setProcessEnvironment(env);
        p.start(cliPath(), line);
        ASSERT_TRUE(p.waitForStarted());
        p.setReadChannel(QProcess::StandardError);
        const QByteArray marker = QByteArray("kestrovan: paused at ") + phase;
        QByteArray err;
        while (!err.contains(marker) && p.state() == QProcess::Running)
            if (p.waitForReadyRead(120000))
                err += p.readAllStandardError();
        ASSERT_TRUE(err.contains(marker)) << "never reached " << phase << "\n" << err.toStdString()
                                          << p.readAllStandardOutput().toStdString();
        ::kill(pid_t(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(60000));
        err += p.readAllStandardError();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 130) << err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(err).contains(said)) << err.toStdString();
    }
    QFile previous(pdf);
    ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
    EXPECT_EQ(previous.readAll(), QByteArray("the previous report"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("ids.csv"), QStringLiteral("labels.pdf")}));
    tdb.db().connect();
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb.count(QStringLiteral("DefDels")), 0);
    EXPECT_EQ(tdb.count(QStringLiteral("History")), 0);
    EXPECT_EQ(tdb.count(QStringLiteral("List_Members")), members);
    EXPECT_EQ(tdb.count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), empty}}), 0);
}

// A server of its own, so that it can be stopped in the middle of a run.
class PrivateServer
{
public:
    PrivateServer() { m_port = cluster(QStringLiteral("start")).trimmed().toInt(); }
    ~PrivateServer() { cluster(QStringLiteral("stop")); }
    int port() const { return m_port; }
    // Stopped as an administrator would stop it (sessions ended), its data kept.
    void stop() { pgCtl(QStringLiteral("-m fast stop")); }
    // Started again on its port with the data it had.
    bool restart()
    {
        return pgCtl(QStringLiteral("-l %1/server.log -o '-c port=%2 -c listen_addresses=127.0.0.1 -c unix_socket_directories=%1' start")
                         .arg(m_dir.path())
                         .arg(m_port));
    }

private:
    bool pgCtl(const QString &arguments)
    {
        const QString owner = ::geteuid() == 0 ? QStringLiteral("runuser -u postgres -- ") : QString();
        return QProcess::execute(QStringLiteral("bash"),
                                 {QStringLiteral("-c"), owner
                                      + QStringLiteral("$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)/pg_ctl -D %1/data -w %2 >/dev/null")
                                            .arg(m_dir.path(), arguments)})
            == 0;
    }
    QString cluster(const QString &command)
    {
        QProcess p;
        p.start(QStringLiteral("bash"), {QStringLiteral(KESTROVAN_SOURCE_DIR "/scripts/pg-cluster"), command, m_dir.path()});
        p.waitForFinished(120000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    QTemporaryDir m_dir;
    int m_port = 0;
};

TEST(CliServerGone, AServerStoppedMidRunIsOneLineSayingNothingWasWritten)
{
    KV_REQUIRE_BACKEND(kv::Backend::PostgreSQL);
    if (!QFileInfo::exists(cliPath()))
        GTEST_SKIP() << "the command-line tool is not built";
    PrivateServer server;
    ASSERT_GT(server.port(), 0) << "the private server did not start";
    const QByteArray port = qgetenv("KESTROVAN_PG_PORT");
    qputenv("KESTROVAN_PG_PORT", QByteArray::number(server.port()));
    const auto restore = qScopeGuard([&] { qputenv("KESTROVAN_PG_PORT", port); });

    TestDatabase tdb(kv::Backend::PostgreSQL);
    tdb.insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
    tdb.addList(QStringLiteral("Big"), {{QStringLiteral("Active_Only"), QStringLiteral("N")}});
    tdb.exec(QStringLiteral("INSERT INTO Clients (Person_ID, Client_ID, Last_Name, Status, Delivery_Type, Def_Rte, Def_Stop) "
                            "SELECT x, 'C' || x, 'Last' || x, 'A', 'O', 'R1', 1 FROM generate_series(1, 60000) AS x"));
    tdb.exec(QStringLiteral("INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible) "
                            "SELECT (SELECT Record_ID FROM Lists), Person_ID, Client_ID, TRUE FROM Clients"));

    QProcess p;
    startCli(p, &tdb, args({"fulfil", "--list", "Big", "--date", "2026-12-24", "--item", "31", "--yes"}));
    ASSERT_TRUE(p.waitForStarted());
    // The run has begun its unit of work once it holds its list's row lock.
    const QString listLocked = QStringLiteral("SELECT count(*) FROM pg_locks l JOIN pg_class c ON c.oid = l.relation "
                                              "WHERE c.relname = 'lists' AND l.mode = 'RowShareLock' AND l.pid <> pg_backend_pid()");
    QElapsedTimer t;
    t.start();
    while (tdb.exec(listLocked).toInt() == 0 && t.elapsed() < 60000 && p.state() == QProcess::Running)
        QThread::msleep(20);
    ASSERT_EQ(p.state(), QProcess::Running) << "finished before the server could be stopped";
    server.stop();
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 2) << err.toStdString();
    // The tool's own words are one line. (libpq itself may still relay the
    // server's "FATAL: terminating connection" when it arrives between statements.)
    QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf([](const QString &l) { return l.startsWith(QLatin1String("FATAL:")); });
    ASSERT_EQ(lines.size(), 1) << err.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("went away")) && lines[0].endsWith(kv::UnitOfWork::kNothingWritten)) << err.toStdString();

    ASSERT_TRUE(server.restart());
    tdb.db().disconnect();
    tdb.db().connect();
    EXPECT_EQ(tdb.count(QStringLiteral("EpisodicDeliveries")) + tdb.count(QStringLiteral("History")), 0);
}
#endif

} // namespace
