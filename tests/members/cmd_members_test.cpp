// kestrovan members: the list as the members window loads it, on the command line.

#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct MembersRun
{
    int exitCode = -1;
    QStringList lines;
    QString err;
};

MembersRun runMembers(const QString &dataDir, const QStringList &args)
{
    const QString tool = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kestrovan"));
    if (!QFileInfo::exists(tool))
        return {};
    QProcess p;
    p.start(tool, QStringList{QStringLiteral("--data"), dataDir, QStringLiteral("members")} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(MembersCommand, PrintsHiddenMembersTooInLastNameOrder)
{
    SettingsSandbox sandbox;
    TestDatabase tdb(kv::Backend::SQLite);
    const int list = tdb.addList(QStringLiteral("Holiday"));
    tdb.addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("young")}, {QStringLiteral("Address1"), QStringLiteral("1 Elm, Apt 2")}});
    tdb.addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("Adams")}});
    tdb.addMember(list, 1, {{QStringLiteral("RecVisible"), false}, {QStringLiteral("Quantity"), 3}});
    tdb.addMember(list, 2, {{QStringLiteral("Invited"), QStringLiteral("Y")}});
    if (!QFileInfo::exists(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kestrovan"))))
        GTEST_SKIP() << "the command-line tool is not built";

    const MembersRun csv = runMembers(tdb.directory(), {QStringLiteral("--list"), QStringLiteral("Holiday"), QStringLiteral("--csv")});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    ASSERT_EQ(csv.lines.size(), 3);
    EXPECT_TRUE(csv.lines[0].startsWith(QStringLiteral("Client ID,Last,First")));
    EXPECT_TRUE(csv.lines[1].startsWith(QStringLiteral("C00002,Adams,")));
    EXPECT_TRUE(csv.lines[1].contains(QStringLiteral(",Y,")));
    EXPECT_TRUE(csv.lines[2].contains(QStringLiteral("\"1 Elm, Apt 2\"")));
    EXPECT_TRUE(csv.lines[2].contains(QStringLiteral(",3,N,"))); // quantity, hidden

    const MembersRun table = runMembers(tdb.directory(), {QStringLiteral("--list"), QStringLiteral("Holiday")});
    ASSERT_EQ(table.exitCode, 0);
    EXPECT_EQ(table.lines.last(), QStringLiteral("Members: 2"));

    const MembersRun missing = runMembers(tdb.directory(), {QStringLiteral("--list"), QStringLiteral("Nope")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Nope")));
}

} // namespace
