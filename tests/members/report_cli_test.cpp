// kestrovan report: the list's visible members in last-name order, written to
// a PDF with the template beside the database.

#include "report_test_support.h"

#include "members/member_reports.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

    int run(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(cliPath(), QStringList{QStringLiteral("report"), QStringLiteral("--data"), tdb->directory()} + args);
        if (!p.waitForFinished(60000))
            return -1;
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
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
