// kestrovan lists: what the lists window shows, as text.

#include "cli_tool.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

TEST(CliLists, PrintsTheWindowsListsInItsOrderWithTheBrowseColumns)
{
    TestDatabase tdb(kv::Backend::SQLite);
    tdb.insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 250}, {QStringLiteral("Service_Desc"), QStringLiteral("Holiday Meals")},
                                            {QStringLiteral("Service_Type"), QStringLiteral("D")}});
    tdb.addList(QStringLiteral("Winter"), {{QStringLiteral("List_Desc"), QStringLiteral("Storm boxes")},
                                           {QStringLiteral("Service_Method"), QStringLiteral("S")},
                                           {QStringLiteral("Service_Used"), 250},
                                           {QStringLiteral("Updated_By"), QStringLiteral("Dispatch")},
                                           {QStringLiteral("Create_Date"), QDate(2026, 10, 2)},
                                           {QStringLiteral("Last_Update"), QDateTime(QDate(2026, 10, 31), QTime(10, 15, 0))}});
    tdb.addList(QStringLiteral("Autumn"), {{QStringLiteral("Create_Date"), QDate(2026, 9, 1)}});
    tdb.addList(QStringLiteral("Routes"), {{QStringLiteral("Reason"), QStringLiteral("RTE")}});
    tdb.db().disconnect();

    QProcess p;
    startCli(p, nullptr, {QStringLiteral("lists"), QStringLiteral("--data"), tdb.directory()});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    ASSERT_EQ(p.exitCode(), 0) << err.toStdString();
    const QStringList lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('\n')).toStdString();

    const QString header = lines[0];
    const QStringList titles = {QStringLiteral("List"), QStringLiteral("Description"), QStringLiteral("Assigned Service"),
                                QStringLiteral("Updated By"), QStringLiteral("Created"), QStringLiteral("Updated")};
    int at = -1;
    for (const QString &t : titles) {
        const int next = header.indexOf(t, at + 1);
        EXPECT_GT(next, at) << t.toStdString();
        at = next;
    }
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Autumn")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Winter")));
    // Every value sits under its title.
    const QString &winter = lines[3];
    EXPECT_EQ(winter.indexOf(QStringLiteral("Storm boxes")), header.indexOf(QStringLiteral("Description")));
    EXPECT_EQ(winter.indexOf(QStringLiteral("Holiday Meals")), header.indexOf(QStringLiteral("Assigned Service")));
    EXPECT_EQ(winter.indexOf(QStringLiteral("Dispatch")), header.indexOf(QStringLiteral("Updated By")));
    EXPECT_EQ(winter.indexOf(QStringLiteral("2026-10-02")), header.indexOf(QStringLiteral("Created")));
    EXPECT_EQ(winter.indexOf(QStringLiteral("2026-10-31 10:15")), header.lastIndexOf(QStringLiteral("Updated")));
}

} // namespace
