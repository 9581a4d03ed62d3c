// kestrovan report: the list's visible members in last-name order, written to
// a PDF with the template beside the database.

#include "report_test_support.h"

#include "members/member_reports.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

QString cliPath()
{
    const QString build = qEnvironmentVariable("KESTROVAN_BUILD_DIR");
    return build.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/kestrovan") : build + QStringLiteral("/bin/kestrovan");
}

class ReportCliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tdb = std::make_unique<TestDatabase>(kv::Backend::SQLite);
        const int list = tdb->addList(QStringLiteral("Winter Boxes"));
        const char *names[] = {"Zimmer", "Adler", "Moss", "Hidden"};
        for (int i = 0; i < 4; ++i) {
            tdb->addClient(i + 1, {{QStringLiteral("Last_Name"), QString::fromLatin1(names[i])},
                                   {QStringLiteral("City"), QStringLiteral("York")},
                                   {QStringLiteral("Phone"), QStringLiteral("(717) 555-010%1").arg(i + 1)}});
            tdb->addMember(list, i + 1, {{QStringLiteral("RecVisible"), i != 3}});
        }
        for (const QString &f : {kv::MemberReports::kPhoneListTemplate, kv::MemberReports::kAddressLabelTemplate}) {
            const QString name = QLatin1Char('/') + f.mid(1); // the names begin with a backslash
            ASSERT_TRUE(QFile::copy(reporttest::templatesDir() + name, tdb->directory() + name));
        }
    }

    void start(QProcess &p, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(cliPath(), QStringList{QStringLiteral("report"), QStringLiteral("--data"), tdb->directory()} + args);
    }

    int run(const QStringList &args, const std::function<void()> &inChild = {})
    {
        QProcess p;
        if (inChild)
            p.setChildProcessModifier(inChild);
        start(p, args);
        if (!p.waitForFinished(60000))
            return -1;
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    // Enough members that writing their report takes a while.
    void addManyMembers(int n)
    {
        const int list = tdb->addList(QStringLiteral("Many"));
        tdb->exec(QStringLiteral("INSERT INTO Clients (Person_ID, Client_ID, Last_Name, First_Name, Address1, City, Phone) "
                                 "WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < :Last) "
                                 "SELECT i, 'C' || i, 'Many' || i, 'Pat', i || ' Market St', 'York', '(717) 555-0000' FROM n"),
                  {{QStringLiteral("Last"), 1000 + n - 1}});
        tdb->exec(QStringLiteral("INSERT INTO List_Members (List_ID, Person_ID, Client_ID, RecVisible, Invited) "
                                 "SELECT :List_ID, Person_ID, Client_ID, True, 'Y' FROM Clients WHERE Person_ID >= 1000"),
                  {{QStringLiteral("List_ID"), list}});
    }

    QByteArray previousReport(const QString &pdf)
    {
        const QByteArray bytes = "%PDF-1.4 the previous good report\n";
        QFile f(pdf);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return bytes;
    }

    static QByteArray bytesOf(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }

    std::unique_ptr<TestDatabase> tdb;
    QTemporaryDir config;
    QTemporaryDir outDir;
    QString out, err;
};

} // namespace

TEST_F(ReportCliTest, PhoneListOfVisibleMembersInLastNameOrder)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString pdf = outDir.filePath(QStringLiteral("phone.pdf"));
    ASSERT_EQ(run({QStringLiteral("--list"), QStringLiteral("Winter Boxes"), QStringLiteral("--template"), QStringLiteral("phone"),
                   QStringLiteral("--pdf"), pdf}),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("3 member(s), 1 page(s)"))) << out.toStdString();
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    const int adler = text.indexOf(QStringLiteral("Adler, First2"));
    const int moss = text.indexOf(QStringLiteral("Moss, First3"));
    const int zimmer = text.indexOf(QStringLiteral("Zimmer, First1"));
    EXPECT_GE(adler, 0);
    EXPECT_GT(moss, adler);
    EXPECT_GT(zimmer, moss);
    EXPECT_FALSE(text.contains(QStringLiteral("Hidden")));
    EXPECT_TRUE(text.contains(QStringLiteral("(717) 555-0103")));
    EXPECT_TRUE(text.contains(QStringLiteral("Winter Boxes")));
}

TEST_F(ReportCliTest, MissingTemplateIsAnErrorWithTheFullName)
{
    const QString pdf = outDir.filePath(QStringLiteral("all.pdf"));
    EXPECT_EQ(run({QStringLiteral("--list"), QStringLiteral("Winter Boxes"), QStringLiteral("--template"), QStringLiteral("all"),
                   QStringLiteral("--pdf"), pdf}),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("Could not locate the report template file:\n\r")
                             + kv::MemberReports::fullTemplateName(tdb->directory(), kv::MemberReports::Report::CompleteInformation)))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

// A report that cannot be finished is an error, and the file that was there
// before keeps its bytes: a full device, a file-size limit, a killed process.
TEST_F(ReportCliTest, UnfinishedReportIsAnErrorAndKeepsThePreviousFile)
{
    const QStringList phone{QStringLiteral("--list"), QStringLiteral("Many"), QStringLiteral("--template"), QStringLiteral("phone")};
    const QString notWritten = kv::ReportRenderer::kNotWritten.section(QLatin1Char('%'), 0, 0);
    addManyMembers(3000);

    EXPECT_EQ(run(phone + QStringList{QStringLiteral("--pdf"), QStringLiteral("/dev/full")}), 2);
    EXPECT_TRUE(err.startsWith(notWritten + QStringLiteral("/dev/full: "))) << err.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("written to"))) << out.toStdString();

    const QString pdf = outDir.filePath(QStringLiteral("phone.pdf"));
    const QByteArray before = previousReport(pdf);
    // The disk "fills" at 128 KB: writes beyond fail (EFBIG) instead of ending the process.
    EXPECT_EQ(run(phone + QStringList{QStringLiteral("--pdf"), pdf},
                  [] {
                      ::signal(SIGXFSZ, SIG_IGN);
                      const rlimit limit{128 * 1024, 128 * 1024};
                      ::setrlimit(RLIMIT_FSIZE, &limit);
                  }),
              2);
    EXPECT_TRUE(err.startsWith(notWritten + pdf + QStringLiteral(": "))) << err.toStdString();
    EXPECT_EQ(bytesOf(pdf), before);
    EXPECT_EQ(QDir(outDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("phone.pdf")});

    // Killed once it has its output open, long before it could finish.
    QProcess p;
    start(p, phone + QStringList{QStringLiteral("--pdf"), pdf});
    ASSERT_TRUE(p.waitForStarted());
    bool killed = false;
    QElapsedTimer waited;
    waited.start();
    while (!killed && p.state() == QProcess::Running && waited.elapsed() < 60000) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(p.processId()));
        for (const QFileInfo &fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget().startsWith(outDir.path())) {
                ::kill(pid_t(p.processId()), SIGKILL);
                killed = true;
                break;
            }
    }
    ASSERT_TRUE(killed) << "the report ended before it was seen writing";
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(bytesOf(pdf), before);
}

// A value that fits nowhere is still printed, shortened, and the tool says so.
TEST_F(ReportCliTest, ShortenedValuesAreCountedOnStderr)
{
    tdb->exec(QStringLiteral("UPDATE Clients SET Address2 = :Address WHERE Person_ID = 1"),
              {{QStringLiteral("Address"), QStringLiteral("word ").repeated(400)}});
    const QString pdf = outDir.filePath(QStringLiteral("labels.pdf"));
    ASSERT_EQ(run({QStringLiteral("--list"), QStringLiteral("Winter Boxes"), QStringLiteral("--template"), QStringLiteral("labels"),
                   QStringLiteral("--pdf"), pdf}),
              0)
        << err.toStdString();
    EXPECT_EQ(err.trimmed(), kv::ReportRenderer::kCutValues.arg(1).arg(QStringLiteral("page 1, detail.items[0]")));
    EXPECT_TRUE(QFile::exists(pdf));
}

// Other label sheets by name, and the one-page alignment test that needs no list.
TEST_F(ReportCliTest, LabelStocksAndAlignmentTest)
{
    const QString name = QLatin1Char('/') + kv::MemberReports::kAddressLabel10Template.mid(1);
    ASSERT_TRUE(QFile::copy(reporttest::templatesDir() + name, tdb->directory() + name));
    const QString pdf = outDir.filePath(QStringLiteral("labels.pdf"));
    ASSERT_EQ(run({QStringLiteral("--list"), QStringLiteral("Winter Boxes"), QStringLiteral("--template"), QStringLiteral("labels-10"),
                   QStringLiteral("--pdf"), pdf}),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("3 member(s), 1 page(s)"))) << out.toStdString();

    ASSERT_EQ(run({QStringLiteral("--template"), QStringLiteral("labels"), QStringLiteral("--alignment-test"), QStringLiteral("--pdf"), pdf}), 0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("alignment test, 30 label cell(s), 1 page(s) written to ") + pdf)) << out.toStdString();
    // Any template file by its path.
    ASSERT_EQ(run({QStringLiteral("--template"), tdb->directory() + name, QStringLiteral("--alignment-test"), QStringLiteral("--pdf"), pdf}), 0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("alignment test, 10 label cell(s), 1 page(s)"))) << out.toStdString();

    EXPECT_EQ(run({QStringLiteral("--list"), QStringLiteral("Winter Boxes"), QStringLiteral("--template"), QStringLiteral("labels-12"),
                   QStringLiteral("--pdf"), pdf}),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("labels-10, labels-14 or the path of a .rtm file, not \"labels-12\""))) << err.toStdString();
}
