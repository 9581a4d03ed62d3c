#include "report_test_support.h"

#include "data/engine/db_error.h"
#include "members/member_reports.h"
#include "report/report_renderer.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kv::MemberReports;
using kv::ReportTemplate;
using reporttest::shipped;
using reporttest::DemoMembers;
using reporttest::RecordingDevice;

namespace {

kv::ReportRun run()
{
    kv::ReportRun r;
    r.listName = QStringLiteral("Holiday Dinner 2026");
    r.printTime = QDateTime(QDate(2026, 11, 2), QTime(9, 30));
    return r;
}

QStringList lastNamesIn(const QStringList &texts)
{
    static const QRegularExpression surname(QStringLiteral("Last\\d{4}"));
    QStringList names;
    for (const QString &t : texts) {
        const QRegularExpressionMatch m = surname.match(t);
        if (m.hasMatch())
            names << m.captured();
    }
    return names;
}

} // namespace

TEST(AddressLabels, ThirtyLabelsPerSheetAcrossThenDown)
{
    DemoMembers demo(65);
    RecordingDevice dev;
    const ReportTemplate t = shipped(MemberReports::Report::AddressLabels);
    ASSERT_EQ(dev.render(t, demo.sources, run()), 3);
    EXPECT_EQ(lastNamesIn(dev.texts(0)).size(), 30);
    EXPECT_EQ(lastNamesIn(dev.texts(1)).size(), 30);
    EXPECT_EQ(lastNamesIn(dev.texts(2)).size(), 5);

    // Labels 1 to 3 share the first row, in the three columns; label 4 starts the second row.
    std::vector<reporttest::DrawnText> names;
    for (const auto &d : dev.pages[0])
        if (!lastNamesIn({d.text}).isEmpty())
            names.push_back(d);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names[0].text, QStringLiteral("John Last0001"));
    EXPECT_NEAR(names[0].yMm(), names[1].yMm(), 0.01);
    EXPECT_NEAR(names[1].yMm(), names[2].yMm(), 0.01);
    EXPECT_NEAR(names[1].xMm() - names[0].xMm(), 69.85, 0.05);
    EXPECT_NEAR(names[3].xMm(), names[0].xMm(), 0.05);
    EXPECT_GT(names[3].yMm(), names[2].yMm() + 20);
    // Labels 1 and 7 have three lines each (centred alike): two rows apart.
    EXPECT_NEAR(names[6].yMm() - names[0].yMm(), 2 * 25.4, 0.05);
    // The last label of the sheet is on the tenth row and inside the paper.
    EXPECT_NEAR(names[29].yMm() - names[0].yMm(), 9 * 25.4, 0.05);

    // The address block: street, the second address line only where there is one, city line.
    const QStringList page = dev.texts(0);
    const int i4 = page.indexOf(QStringLiteral("Carlos Last0004"));
    ASSERT_GE(i4, 0);
    EXPECT_EQ(page.mid(i4, 4), (QStringList{QStringLiteral("Carlos Last0004"), QStringLiteral("104 Walnut St"),
                                            QStringLiteral("Apt 4"), QStringLiteral("Carlisle, PA 17004")}));
    const int i1 = page.indexOf(QStringLiteral("John Last0001"));
    EXPECT_EQ(page.mid(i1, 3), (QStringList{QStringLiteral("John Last0001"), QStringLiteral("101 Front St"),
                                            QStringLiteral("Camp Hill, PA 17001")}));
}

TEST(AddressLabels, DownFirstOrderFillsAColumnBeforeTheNext)
{
    DemoMembers demo(12);
    const ReportTemplate t = ReportTemplate::parse(R"J({"format": "kestrovan-report",
        "page": {"paper": "Custom", "width": 100, "height": 60, "margins": {"top": 0, "bottom": 0, "left": 0, "right": 0}},
        "columns": {"count": 2, "width": 50, "order": "down"},
        "detail": {"height": 20, "items": [{"width": 45, "expr": "Last_Name"}]}})J",
                                                   QStringLiteral("down.rtm"));
    RecordingDevice dev;
    ASSERT_EQ(dev.render(t, demo.sources), 2);
    const auto &p = dev.pages[0];
    ASSERT_EQ(p.size(), 6u);
    EXPECT_EQ(p[0].text, QStringLiteral("Last0001"));
    EXPECT_EQ(p[2].text, QStringLiteral("Last0003"));
    EXPECT_NEAR(p[2].xMm(), p[0].xMm(), 0.01); // first column, third row
    EXPECT_NEAR(p[3].xMm() - p[0].xMm(), 50, 0.01); // the fourth starts the second column
    EXPECT_NEAR(p[3].yMm(), p[0].yMm(), 0.01);
}

TEST(PhoneList, RowsInSourceOrderWithPageHeadersAndAFinalCount)
{
    DemoMembers demo(80);
    RecordingDevice dev;
    const int pages = dev.render(shipped(MemberReports::Report::PhoneList), demo.sources, run());
    ASSERT_GE(pages, 2);
    QStringList expected;
    for (int i = 1; i <= 80; ++i)
        expected << QStringLiteral("Last%1").arg(i, 4, 10, QLatin1Char('0'));
    EXPECT_EQ(lastNamesIn(dev.allTexts()), expected);
    for (int p = 0; p < pages; ++p) {
        const QStringList texts = dev.texts(p);
        EXPECT_TRUE(texts.contains(QStringLiteral("Phone List")));
        EXPECT_TRUE(texts.contains(QStringLiteral("Holiday Dinner 2026")));
        EXPECT_TRUE(texts.contains(QStringLiteral("Printed November 2, 2026")));
        EXPECT_EQ(texts.count(QStringLiteral("Page %1").arg(p + 1)), 1) << "once a page, not in header and footer both";
    }
    // Name, phone, second phone, address and city on one line, left to right.
    const QStringList first = dev.texts(0);
    const int i = first.indexOf(QStringLiteral("Last0005, Olga"));
    ASSERT_GE(i, 0);
    EXPECT_EQ(first.mid(i, 5), (QStringList{QStringLiteral("Last0005, Olga"), QStringLiteral("(717) 555-0005"),
                                            QStringLiteral("(717) 555-9005"), QStringLiteral("105 Market St"),
                                            QStringLiteral("Harrisburg")}));
    EXPECT_TRUE(dev.texts(pages - 1).contains(QStringLiteral("Members listed: 80")));
}

TEST(PhoneList, EmptySourceGivesOnePageWithHeaderAndZeroCount)
{
    DemoMembers demo(0);
    RecordingDevice dev;
    ASSERT_EQ(dev.render(shipped(MemberReports::Report::PhoneList), demo.sources, run()), 1);
    EXPECT_TRUE(dev.texts(0).contains(QStringLiteral("Page 1")));
    EXPECT_TRUE(dev.texts(0).contains(QStringLiteral("Members listed: 0")));
}

TEST(CompleteInformation, OneMemberPerPageWithTheirClientRecord)
{
    DemoMembers demo(3);
    RecordingDevice dev;
    ASSERT_EQ(dev.render(shipped(MemberReports::Report::CompleteInformation), demo.sources, run()), 3);
    for (int p = 0; p < 3; ++p) {
        const QStringList texts = dev.texts(p);
        const QString last = QStringLiteral("Last%1").arg(p + 1, 4, 10, QLatin1Char('0'));
        // The client detail follows the member: the page shows only its own member's record.
        QStringList names = lastNamesIn(texts);
        names.removeDuplicates();
        EXPECT_EQ(names, QStringList{last}) << texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("(717) 555-%1").arg(p + 1, 4, 10, QLatin1Char('0'))));
        EXPECT_TRUE(texts.contains(QStringLiteral("Page %1").arg(p + 1)));
    }
    EXPECT_TRUE(dev.texts(1).contains(QStringLiteral("Mon Wed Fri")));
    EXPECT_TRUE(dev.texts(0).contains(QStringLiteral("Mon Fri")));
    EXPECT_TRUE(dev.texts(2).contains(QStringLiteral("Members in this report: 3")));
    EXPECT_EQ(demo.clients.moves, 3);
}

TEST(Renderer, DetailSourcesAreOnlyQueriedWhenTheTemplateReadsThem)
{
    DemoMembers demo(10);
    const ReportTemplate t = ReportTemplate::parse(
        R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 50, "expr": "Last_Name"}]}})J",
        QStringLiteral("plain.rtm"));
    RecordingDevice dev;
    dev.render(t, demo.sources);
    EXPECT_EQ(demo.clients.moves, 0);
}

TEST(Renderer, LongValuesStayInsideTheirBox)
{
    kv::TableReportSource src(QStringList{QStringLiteral("Text")});
    src.addRow(QVector<QVariant>{QStringLiteral("A very long street name that cannot fit in a narrow column at all")});
    kv::ReportSources sources;
    sources.add(QStringLiteral("DBPipelineListMembers"), &src);
    const ReportTemplate t = ReportTemplate::parse(
        R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 30, "expr": "Text"}]}})J", QStringLiteral("x.rtm"));
    RecordingDevice dev;
    dev.render(t, sources);
    ASSERT_EQ(dev.texts(0).size(), 1);
    EXPECT_TRUE(dev.texts(0)[0].endsWith(QChar(0x2026))) << dev.texts(0)[0].toStdString();
}

TEST(Renderer, BandTallerThanThePageContinuesOnTheNextPagesAndEnds)
{
    DemoMembers demo(2);
    const ReportTemplate t = ReportTemplate::parse(R"J({"format": "kestrovan-report",
        "page": {"paper": "Custom", "width": 100, "height": 50, "margins": {"top": 0, "bottom": 0, "left": 0, "right": 0}},
        "detail": {"height": 80, "items": [{"width": 50, "expr": "Last_Name"}, {"y": 60, "width": 50, "expr": "City"}]}})J",
                                                   QStringLiteral("tall.rtm"));
    RecordingDevice dev;
    // Row 1 on pages 1-2; row 2 from the rest of page 2 through page 4.
    EXPECT_EQ(dev.render(t, demo.sources), 4);
    EXPECT_EQ(dev.texts(0), QStringList{QStringLiteral("Last0001")});
    EXPECT_EQ(dev.texts(1), (QStringList{QStringLiteral("Camp Hill"), QStringLiteral("Last0002")}));
    EXPECT_EQ(dev.texts(2), QStringList{QStringLiteral("Mechanicsburg")});
}

// The PDF itself, read back by poppler's pdftotext: the text comes out in the
// order the rows were given.
TEST(PdfOutput, PhoneListTextOrderInThePdf)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    DemoMembers demo(60);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("phone.pdf"));
    const int pages = kv::ReportRenderer::renderToPdf(shipped(MemberReports::Report::PhoneList), demo.sources, run(), pdf).pages;
    ASSERT_GE(pages, 2);
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    int last = -1;
    for (int i = 1; i <= 60; ++i) {
        const int at = text.indexOf(QStringLiteral("Last%1, ").arg(i, 4, 10, QLatin1Char('0')));
        ASSERT_GT(at, last) << "member " << i;
        last = at;
    }
    EXPECT_EQ(text.count(QLatin1Char('\f')), pages);
    EXPECT_TRUE(text.contains(QStringLiteral("Page 2")));
}

TEST(PdfOutput, UnwritableFileIsAnErrorNotAnEmptySuccess)
{
    DemoMembers demo(1);
    EXPECT_THROW(kv::ReportRenderer::renderToPdf(shipped(MemberReports::Report::PhoneList), demo.sources, run(),
                                                 QStringLiteral("/nonexistent-folder/x.pdf")),
                 kv::Error);
}

TEST(PdfOutput, AFailureMidReportLeavesTheEarlierFileAsItWas)
{
    // A source that fails on its third row, as a lost connection would.
    class Failing : public kv::TableReportSource
    {
    public:
        using TableReportSource::TableReportSource;
        void next() override
        {
            if (++moves == 3)
                throw kv::Error(QStringLiteral("the connection was lost"));
            TableReportSource::next();
        }
        int moves = 0;
    };
    Failing src(QStringList{QStringLiteral("Last_Name")});
    for (int i = 0; i < 10; ++i)
        src.addRow(QVector<QVariant>{QStringLiteral("Name%1").arg(i)});
    kv::ReportSources sources;
    sources.add(QStringLiteral("DBPipelineListMembers"), &src);
    const ReportTemplate t = ReportTemplate::parse(
        R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 50, "expr": "Last_Name"}]}})J", QStringLiteral("f.rtm"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    {
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier report");
    }
    EXPECT_THROW(kv::ReportRenderer::renderToPdf(t, sources, {}, pdf), kv::Error);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("earlier report"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("out.pdf")});
}
