// The command line's conventions: help and version on stdout with status 0,
// every bad argument named with what was expected, status 2, nothing written.

#include "cli_tool.h"

#include "members/import_members.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CliArgs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(cliPath()))
            GTEST_SKIP() << "the command-line tool is not built";
        tdb = std::make_unique<TestDatabase>(kv::Backend::SQLite);
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 7}, {QStringLiteral("Service_Desc"), QStringLiteral("Holiday")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
        const int holiday = tdb->addList(QStringLiteral("Holiday"));
        tdb->addList(QStringLiteral("Route R07"), {{QStringLiteral("Reason"), QStringLiteral("RTE")}});
        for (int p = 1; p <= 2; ++p) {
            tdb->addClient(p, {{QStringLiteral("Svcs_Used"), 7}, {QStringLiteral("Status"), QStringLiteral("A")}});
            tdb->addMember(holiday, p);
        }
    }

    QString snapshot()
    {
        QStringList counts;
        for (const char *t : {"Lists", "List_Members", "EpisodicDeliveries", "DefDels", "History"})
            counts << QString::number(tdb->count(QLatin1String(t)));
        return counts.join(QLatin1Char(' '));
    }

    std::unique_ptr<TestDatabase> tdb;
};

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST_F(CliArgs, EveryBadArgumentIsNamedWithStatusTwoAndNothingWritten)
{
    struct Case
    {
        const char *args;
        const char *expected; // a piece of the message on stderr
    };
    const Case cases[] = {
        {"", "no subcommand given"},
        {"frobnicate", "unknown subcommand \"frobnicate\""},
        {"lists --bogus", "bogus"},
        {"lists --data", "--data"},
        {"lists extra", "unexpected argument \"extra\""},
        {"fulfil --list Holiday --yes", "--date is required"},
        {"fulfil --list Holiday --date 2026-02-30 --yes", "\"2026-02-30\""},
        {"fulfil --list Holiday --date -2026-01-01 --yes", "1900-01-01 to 9999-12-31"},
        {"fulfil --list Holiday --date 1899-12-31 --yes", "written YYYY-MM-DD"},
        {"fulfil --list Holiday --date 2026-1-5 --yes", "\"2026-1-5\""},
        {"fulfil --list Holiday --date 2026-12-24 --confirmed maybe --yes", "checked, unchecked, unknown or irrelevant, not \"maybe\""},
        {"fulfil --list Holiday --date 2026-12-24 --quantity 1000 --yes", "from 0 to 999"},
        {"fulfil --list Holiday --date 2026-12-24 --service 99 --yes", "no delivery service with ID 99"},
        {"fulfil --list Holiday --date 2026-12-24 --item 99 --yes", "no item with ID 99"},
        {"fulfil --list Holiday --date 2026-12-24 --item x --yes", "--item takes an id"},
        {"fulfil --list Holiday --date 2026-12-24 --csv --yes", "go with --dry-run"},
        {"fulfil --list Holiday --list Holiday --date 2026-12-24 --yes", "--list is given more than once"},
        {"fulfil --list Route R07 --date 2026-12-24 --yes", "unexpected argument"},
        {"add-members --list Holiday --status A --client 1", "exactly one of"},
        {"add-members --list Holiday --status Q", "none, N, W, A, S or I, not \"Q\""},
        {"add-members --list Holiday --service 99", "no delivery service with ID 99"},
        {"add-members --list Holiday --client 99", "no client with Person_ID 99"},
        {"add-members --list Holiday --client 0", "--client takes an id"},
        {"add-members --list Holiday --status A --column Client_ID", "--column goes with --from-csv"},
        {"add-members --list Holiday --from-csv /nonexistent/ids.csv", "cannot read"},
        {"members --list Holiday --csv --json", "choose one of --json and --csv"},
        {"deliveries --list Holiday --date 2026-13-01", "\"2026-13-01\""},
        {"cancel-pending --yes", "give one of --list and --list-id"},
        {"cancel-pending --list Holiday --list-id 1 --yes", "give one of --list and --list-id"},
        {"members --list-id 99", "There is no list with id 99."},
        {"members --list-id x", "--list-id takes an id"},
        {"fulfil --list Holiday --date 2026-12-24 --yes --user uuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuu", "at most 33 characters"},
        {"lists --user=", "--user takes a user name"},
    };
    const QString before = snapshot();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun r = runCli(tdb.get(), words(c.args));
        EXPECT_EQ(r.code, 2) << r.why();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.expected))) << r.why();
        EXPECT_TRUE(r.out.isEmpty()) << r.why();
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(CliArgs, ListsOfTheHostAreNotTheToolsLists)
{
    // A host's route list of that name is not one of the plug-in's lists.
    const QString before = snapshot();
    for (const QStringList &args :
         {QStringList{QStringLiteral("add-members"), QStringLiteral("--list"), QStringLiteral("Route R07"), QStringLiteral("--client"),
                      QStringLiteral("1")},
          QStringList{QStringLiteral("members"), QStringLiteral("--list"), QStringLiteral("Route R07")},
          QStringList{QStringLiteral("deliveries"), QStringLiteral("--list"), QStringLiteral("Route R07")}}) {
        const ToolRun r = runCli(tdb.get(), args);
        EXPECT_EQ(r.code, 2) << r.why();
        EXPECT_TRUE(r.err.contains(QStringLiteral("There is no list named \"Route R07\"."))) << r.why();
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliArgs, ANameTwoListsShareIsRefusedListingEachAndListIdChoosesOne)
{
    const int second = tdb->addList(QStringLiteral("Holiday"), {{QStringLiteral("List_Desc"), QStringLiteral("the other one")},
                                                                {QStringLiteral("Create_Date"), QDate(2026, 11, 3)}});
    const QString before = snapshot();
    for (const char *line : {"cancel-pending --list Holiday --yes", "fulfil --list Holiday --date 2026-12-24 --yes",
                             "add-members --list Holiday --client 1", "members --list Holiday", "deliveries --list Holiday",
                             "report --list Holiday --template phone --pdf /nonexistent/x.pdf"}) {
        SCOPED_TRACE(line);
        const ToolRun r = runCli(tdb.get(), words(line));
        EXPECT_EQ(r.code, 2) << r.why();
        EXPECT_TRUE(r.err.contains(QStringLiteral("2 lists are named \"Holiday\"; choose one with --list-id"))) << r.why();
        EXPECT_TRUE(r.err.contains(QStringLiteral("--list-id %1  created 2026-11-03  the other one").arg(second))) << r.why();
        EXPECT_TRUE(r.err.contains(QStringLiteral("--list-id %1  created").arg(second - 2))) << r.why();
        EXPECT_EQ(snapshot(), before);
    }
    const ToolRun added = runCli(tdb.get(), {QStringLiteral("add-members"), QStringLiteral("--list-id"), QString::number(second),
                                             QStringLiteral("--client"), QStringLiteral("1")});
    ASSERT_EQ(added.code, 0) << added.why();
    EXPECT_EQ(tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), second}}), 1);
    const ToolRun shown = runCli(tdb.get(), {QStringLiteral("members"), QStringLiteral("--list-id"), QString::number(second), QStringLiteral("--csv")});
    EXPECT_EQ(kv::parseCsv(shown.out).size(), 2) << shown.why();
}

TEST_F(CliArgs, AReportRefusesAnAbsurdBandAndNamesAFullDisk)
{
    QTemporaryDir dir;
    QFile shipped(QStringLiteral(KESTROVAN_SOURCE_DIR "/templates/ListMembersPhoneList.rtm"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QJsonObject tmpl = QJsonDocument::fromJson(shipped.readAll()).object();
    QJsonObject detail = tmpl.value(QStringLiteral("detail")).toObject();
    detail.insert(QStringLiteral("height"), 1e9); // a slip of the keyboard: it would run for hours
    tmpl.insert(QStringLiteral("detail"), detail);
    const QString tall = dir.filePath(QStringLiteral("tall.rtm"));
    QFile out(tall);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(tmpl).toJson());
    out.close();
    const ToolRun r = runCli(tdb.get(), {QStringLiteral("report"), QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--template"),
                                         tall, QStringLiteral("--pdf"), dir.filePath(QStringLiteral("tall.pdf"))});
    EXPECT_EQ(r.code, 2) << r.why();
    EXPECT_TRUE(r.err.contains(QStringLiteral("detail.height")) && r.err.contains(QStringLiteral("at most"))) << r.why();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("tall.pdf"))));

#ifdef Q_OS_LINUX
    // A disk with room for a few pages' worth of nothing.
    const QString full = dir.filePath(QStringLiteral("full"));
    QDir().mkpath(full);
    if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                    QStringLiteral("size=8k"), QStringLiteral("tmpfs"), full}) != 0)
        GTEST_SKIP() << "a small file system cannot be mounted here (not root)";
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {full}); });
    const QString pdf = full + QStringLiteral("/phone.pdf");
    const ToolRun disk = runCli(tdb.get(), {QStringLiteral("report"), QStringLiteral("--list"), QStringLiteral("Holiday"),
                                            QStringLiteral("--template"), shipped.fileName(), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(disk.code, 2) << disk.why();
    EXPECT_TRUE(disk.err.contains(QStringLiteral("No space left on device")) && disk.err.contains(pdf)) << disk.why();
    EXPECT_TRUE(QDir(full).entryList(QDir::Files).isEmpty()) << disk.why();
#endif
}

TEST_F(CliArgs, HelpAndVersionGoToStdoutWithStatusZero)
{
    const ToolRun overview = runCli(nullptr, {QStringLiteral("--help")});
    EXPECT_EQ(overview.code, 0) << overview.why();
    EXPECT_TRUE(overview.err.isEmpty()) << overview.why();
    for (const char *sub : {"lists", "members", "add-members", "fulfil", "cancel-pending", "report", "deliveries"})
        EXPECT_TRUE(overview.out.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(sub)))) << sub;
    for (const char *status : {"1 a question", "2 an error", "3 the connection to the server was lost", "130 interrupted"})
        EXPECT_TRUE(overview.out.contains(QLatin1String(status))) << status;
    // The CSV rule, in the overview and in the help of every subcommand that writes CSV.
    const QString csvRule = QStringLiteral("a text starting with =, +, -, @, TAB or CR gets a leading '");
    EXPECT_TRUE(overview.out.contains(csvRule)) << overview.why();
    for (const char *csv : {"lists", "members", "deliveries", "fulfil"})
        EXPECT_TRUE(runCli(nullptr, {QStringLiteral("help"), QLatin1String(csv)}).out.contains(csvRule)) << csv;
    EXPECT_EQ(runCli(nullptr, {QStringLiteral("help")}).out, overview.out);

    const ToolRun sub = runCli(nullptr, {QStringLiteral("help"), QStringLiteral("fulfil")});
    EXPECT_EQ(sub.code, 0) << sub.why();
    EXPECT_TRUE(sub.out.startsWith(QStringLiteral("Usage: kestrovan fulfil (--list NAME | --list-id N) --date YYYY-MM-DD"))) << sub.why();
    EXPECT_TRUE(sub.out.contains(QStringLiteral("--dry-run"))) << sub.why();
    EXPECT_TRUE(sub.out.contains(QStringLiteral("--quantity N"))) << sub.why();
    const ToolRun flag = runCli(nullptr, {QStringLiteral("fulfil"), QStringLiteral("--help")});
    EXPECT_EQ(flag.code, 0);
    EXPECT_EQ(flag.out, sub.out);

    const ToolRun version = runCli(nullptr, {QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0) << version.why();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^kestrovan \\d+\\.\\d+\\.\\d+\\n$")).match(version.out).hasMatch()) << version.why();
}

} // namespace
