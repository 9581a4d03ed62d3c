// The three shipped reports over a list with long values, read back through
// the renderer's own record of what it drew: nothing cut while a smaller size
// or a wrap could hold it, memos whole across page breaks, labels in their cells.

#include "report_test_support.h"

#include "members/member_reports.h"
#include "report/report_alignment.h"
#include "report/report_renderer.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using kv::MemberReports;
using kv::ReportDrawnText;
using kv::ReportTemplate;
using reporttest::shipped;
using reporttest::renderRecorded;

namespace {

// Everything but the blanks: wrapping may move blanks, never drop a character.
QString letters(QString s)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return s.remove(blanks);
}

QString drawn(const std::vector<ReportDrawnText> &parts)
{
    QString all;
    for (const auto &d : parts)
        all += d.lines.join(QString());
    return letters(all);
}

QString longWords(int length, const QString &seed)
{
    QString s;
    for (int i = 0; s.size() < length; ++i)
        s += (i ? QStringLiteral(" ") : QString()) + seed + QString::number(i);
    return s.left(length);
}

// Members whose values fill their columns: 60-character names, 35-character
// addresses, 2,000-character directions and preferences.
struct LongMembers
{
    explicit LongMembers(int n)
        : members(reporttest::memberFields())
        , clients(reporttest::clientFields())
    {
        for (int i = 1; i <= n; ++i) {
            const QString first = QStringLiteral("Bartholomew-Maximilian"); // 22
            const QString last = QStringLiteral("Featherstonehaugh-Wolfeschlegelst%1").arg(i, 4, 10, QLatin1Char('0')); // 37
            const QString address = QStringLiteral("%1 Northwestern Boulevard Apt 9B").arg(10000 + i); // 35
            const QString city = QStringLiteral("Lower Paxton Township");
            members.addRow(QVariantMap{{QStringLiteral("Person_ID"), i},
                                       {QStringLiteral("First_Name"), first},
                                       {QStringLiteral("Last_Name"), last},
                                       {QStringLiteral("Address1"), address},
                                       {QStringLiteral("City"), city},
                                       {QStringLiteral("Service_Desc"), QStringLiteral("Home Delivered Meals")}});
            clients.add(i, QVariantMap{{QStringLiteral("Person_ID"), i},
                                       {QStringLiteral("Last_Name"), last},
                                       {QStringLiteral("First_Name"), first},
                                       {QStringLiteral("Mid_Name"), QStringLiteral("Constantine-Xavier")},
                                       {QStringLiteral("Address1"), address},
                                       {QStringLiteral("Address2"), QStringLiteral("Rear Entrance, Building Seven")},
                                       {QStringLiteral("City"), city},
                                       {QStringLiteral("State"), QStringLiteral("PA")},
                                       {QStringLiteral("ZIP"), QStringLiteral("17011-1234")},
                                       {QStringLiteral("Phone"), QStringLiteral("(717) 555-0100 x1234")},
                                       {QStringLiteral("OPhone"), QStringLiteral("(717) 555-0199 x9876")},
                                       {QStringLiteral("Email"), QStringLiteral("bartholomew.featherstonehaugh-wolfeschlegel@example.org")},
                                       {QStringLiteral("Directions"), longWords(2000, QStringLiteral("turn-left-at-the-oak"))},
                                       {QStringLiteral("Preferences"), longWords(2000, QStringLiteral("no-pork-low-salt"))}});
        }
        MemberReports::addSources(sources, members, clients);
    }
    kv::TableReportSource members;
    reporttest::ClientTableSource clients;
    kv::ReportSources sources;
};

} // namespace

TEST(FittedReports, LabelsHoldLongNamesAndAddressesWholeThirtyToASheetInsideTheirCells)
{
    LongMembers data(35);
    const ReportTemplate t = shipped(MemberReports::Report::AddressLabels);
    const auto r = renderRecorded(t, data.sources);
    EXPECT_EQ(r->outcome.pages, 2);
    EXPECT_EQ(r->outcome.cutValues, 0);
    const auto labels = r->of(QStringLiteral("detail.items[0]"));
    ASSERT_EQ(labels.size(), 35u);
    for (size_t i = 0; i < labels.size(); ++i) {
        const ReportDrawnText &d = labels[i];
        SCOPED_TRACE(d.lines.join(QLatin1Char('|')).toStdString());
        EXPECT_FALSE(d.cut);
        EXPECT_EQ(letters(d.lines.join(QString())), letters(d.value));
        EXPECT_GE(d.pointSize, 7.0);
        EXPECT_EQ(d.page, i < 30 ? 1 : 2);
        // The cell of label i on its sheet: three across, ten down.
        const int onSheet = int(i % 30);
        const QRectF cell(t.margins.left() + t.columns.positions[onSheet % 3], t.margins.top() + (onSheet / 3) * 25.4,
                          t.columns.width, 25.4);
        EXPECT_TRUE(cell.adjusted(-0.01, -0.01, 0.01, 0.01).contains(d.text))
            << "label " << i << " drawn at " << d.text.x() << "," << d.text.y() << " " << d.text.width() << "x" << d.text.height();
    }
}

TEST(FittedReports, PhoneListShowsEveryNameWholeInItsRow)
{
    LongMembers data(70);
    const auto r = renderRecorded(shipped(MemberReports::Report::PhoneList), data.sources);
    EXPECT_EQ(r->outcome.cutValues, 0);
    const auto names = r->of(QStringLiteral("detail.items[0]"));
    ASSERT_EQ(names.size(), 70u);
    for (const ReportDrawnText &d : names) {
        EXPECT_FALSE(d.cut);
        EXPECT_EQ(letters(d.lines.join(QString())), letters(d.value));
        EXPECT_TRUE(d.lines.join(QLatin1Char(' ')).contains(QStringLiteral("Bartholomew-Maximilian")));
        EXPECT_GE(d.pointSize, 7.0);
        EXPECT_TRUE(d.box.adjusted(-0.01, -0.01, 0.01, 0.01).contains(d.text));
    }
    // Rows that grow to hold a wrapped value never overlap the next row or the page footer.
    for (size_t i = 1; i < names.size(); ++i) {
        if (names[i].page == names[i - 1].page) {
            EXPECT_GE(names[i].box.top(), names[i - 1].box.bottom() - 0.01);
        }
    }
    for (const ReportDrawnText &d : r->items)
        EXPECT_FALSE(d.cut) << d.item.toStdString() << ": " << d.lines.join(QLatin1Char('|')).toStdString();
}

TEST(FittedReports, CompleteInformationStretchesMemosAcrossThePageBreak)
{
    LongMembers data(2);
    const ReportTemplate t = shipped(MemberReports::Report::CompleteInformation);
    const auto r = renderRecorded(t, data.sources);
    EXPECT_EQ(r->outcome.cutValues, 0);
    for (const ReportDrawnText &d : r->items)
        EXPECT_FALSE(d.cut) << d.item.toStdString() << ": " << d.lines.join(QLatin1Char('|')).toStdString();

    const double bodyTop = t.margins.top() + t.pageHeader.height;
    const double bodyBottom = t.paperSize().height() - t.margins.bottom();
    for (const QString &memo : {QStringLiteral("DIRECTIONS"), QStringLiteral("PREFERENCES")}) {
        QString path;
        for (const kv::ReportItem &item : t.detail.items)
            if (item.expr.text().contains(memo) && item.stretch)
                path = item.path;
        ASSERT_FALSE(path.isEmpty()) << memo.toStdString() << " does not stretch";
        const auto parts = r->of(path);
        ASSERT_FALSE(parts.empty());
        // The first member's memo, whole, on however many pages it takes; no line outside the page's body.
        std::vector<ReportDrawnText> first;
        for (const auto &d : parts)
            if (d.page <= 2)
                first.push_back(d);
        EXPECT_EQ(drawn(first), letters(parts.front().value)) << memo.toStdString();
        for (const auto &d : parts) {
            EXPECT_GE(d.text.top(), bodyTop - 0.01);
            EXPECT_LE(d.text.bottom(), bodyBottom + 0.01);
        }
    }
    // The preferences run over the page break, and what follows them moved down below their last line.
    const auto prefs = r->of(QStringLiteral("detail.items[116]"));
    ASSERT_GE(prefs.size(), 3u);
    EXPECT_EQ(prefs[0].page, 1);
    EXPECT_EQ(prefs[1].page, 2);
    const auto otherHeading = r->of(QStringLiteral("detail.items[136]"));
    ASSERT_FALSE(otherHeading.empty());
    EXPECT_EQ(otherHeading[0].lines, QStringList{QStringLiteral("Other Information")});
    EXPECT_EQ(otherHeading[0].page, 2);
    EXPECT_GT(otherHeading[0].text.top(), prefs[1].text.bottom());
    // The second member starts its own page after the first one's continuation.
    EXPECT_EQ(r->outcome.pages, 4);
    EXPECT_EQ(prefs[2].page, 3);
}

TEST(FittedText, WhatCannotFitIsShortenedAtAWordAndCounted)
{
    kv::TableReportSource src(QStringList{QStringLiteral("Name"), QStringLiteral("Memo")});
    src.addRow(QVector<QVariant>{QStringLiteral("Featherstonehaugh-Wolfeschlegel, Bartholomew"), longWords(3000, QStringLiteral("word"))});
    kv::ReportSources sources;
    sources.add(QStringLiteral("DBPipelineListMembers"), &src);
    // Without "fit" a name is shortened at a word, never mid-word; with
    // "shrink" a memo too long for its box even at the minimum size is cut
    // after its last whole line.
    const ReportTemplate t = ReportTemplate::parse(R"J({"format": "kestrovan-report", "detail": {"height": 30, "items": [
        {"width": 75, "height": 5, "expr": "Name"},
        {"y": 6, "width": 60, "height": 20, "expr": "Memo", "fit": "shrink", "minSize": 7}]}})J",
                                                   QStringLiteral("cut.rtm"));
    const auto r = renderRecorded(t, sources);
    EXPECT_EQ(r->outcome.cutValues, 2);
    EXPECT_EQ(kv::ReportRenderer::cutValuesText(r->outcome),
              kv::ReportRenderer::kCutValues.arg(2).arg(QStringLiteral("page 1, detail.items[0]")));
    const auto name = r->of(QStringLiteral("detail.items[0]"));
    ASSERT_EQ(name.size(), 1u);
    EXPECT_TRUE(name[0].cut);
    EXPECT_EQ(name[0].lines, QStringList{QStringLiteral("Featherstonehaugh-Wolfeschlegel") + QChar(0x2026)});
    const auto memo = r->of(QStringLiteral("detail.items[1]"));
    ASSERT_EQ(memo.size(), 1u);
    EXPECT_TRUE(memo[0].cut);
    EXPECT_EQ(memo[0].pointSize, 7.0);
    EXPECT_TRUE(memo[0].lines.back().endsWith(QChar(0x2026)));
    EXPECT_LE(memo[0].text.bottom(), memo[0].box.bottom() + 0.01);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^(word\\d+ )*word\\d+\\x{2026}$")).match(memo[0].lines.back()).hasMatch())
        << memo[0].lines.back().toStdString();
}

// The three label sheets: each label (and each cell of the one-page alignment
// test) lands in its cell, a sheet's worth to a page.
TEST(LabelStocks, EveryLabelAndAlignmentCellInsideItsCell)
{
    struct Stock
    {
        QString file;
        int columns, rows;
        double width, height;
    } stocks[] = {
        {MemberReports::kAddressLabelTemplate, 3, 10, 66.675, 25.4},
        {MemberReports::kAddressLabel10Template, 2, 5, 101.6, 50.8},
        {MemberReports::kAddressLabel14Template, 2, 7, 101.6, 33.86667},
    };
    for (const Stock &s : stocks) {
        SCOPED_TRACE(s.file.toStdString());
        const ReportTemplate t = ReportTemplate::load(MemberReports::fullTemplateName(reporttest::templatesDir(), s.file));
        const int perSheet = s.columns * s.rows;
        ASSERT_EQ(kv::LabelAlignmentTest::cellsPerSheet(t), perSheet);
        auto cellOf = [&](int i) {
            const int onSheet = i % perSheet;
            return QRectF(t.margins.left() + t.columns.positions[onSheet % s.columns], t.margins.top() + (onSheet / s.columns) * s.height,
                          s.width, s.height)
                .adjusted(-0.01, -0.01, 0.01, 0.01);
        };

        LongMembers data(perSheet + 3);
        const auto r = renderRecorded(t, data.sources);
        EXPECT_EQ(r->outcome.pages, 2);
        EXPECT_EQ(r->outcome.cutValues, 0);
        const auto labels = r->of(QStringLiteral("detail.items[0]"));
        ASSERT_EQ(int(labels.size()), perSheet + 3);
        for (int i = 0; i < int(labels.size()); ++i) {
            EXPECT_EQ(labels[size_t(i)].page, i < perSheet ? 1 : 2);
            EXPECT_TRUE(cellOf(i).contains(labels[size_t(i)].text)) << "label " << i;
            EXPECT_EQ(letters(labels[size_t(i)].lines.join(QString())), letters(labels[size_t(i)].value));
        }

        const ReportTemplate sheet = kv::LabelAlignmentTest::sheet(t);
        kv::TableReportSource cells;
        kv::LabelAlignmentTest::fillCells(t, cells);
        kv::ReportSources sources;
        sources.add(kv::LabelAlignmentTest::kCellSource, &cells);
        const auto a = renderRecorded(sheet, sources);
        EXPECT_EQ(a->outcome.pages, 1);
        const auto numbers = a->of(QStringLiteral("detail.items[1]"));
        ASSERT_EQ(int(numbers.size()), perSheet);
        for (int i = 0; i < perSheet; ++i) {
            EXPECT_EQ(numbers[size_t(i)].lines.value(0), QStringLiteral("Label %1").arg(i + 1));
            EXPECT_TRUE(cellOf(i).contains(numbers[size_t(i)].text)) << "cell " << i;
        }
    }
}
