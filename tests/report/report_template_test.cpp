#include "report_test_support.h"

#include "data/engine/db_error.h"
#include "members/member_reports.h"
#include "report/report_template.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kv::ReportExpression;
using kv::ReportTemplate;

namespace {

QString parseError(const QByteArray &json, const QString &file = QStringLiteral("/data/Broken.rtm"))
{
    try {
        ReportTemplate::parse(json, file);
    } catch (const kv::Error &e) {
        return e.text();
    }
    return QString();
}

const QByteArray kMinimal = R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [
  {"x": 0, "y": 0, "width": 40, "height": 5, "expr": "Last_Name"}]}})J";

} // namespace

TEST(ReportTemplateErrors, BrokenJsonNamesFileLineAndColumn)
{
    const QByteArray json = "{\n  \"format\": \"kestrovan-report\",\n  \"detail\": {\"height\": 5,}\n}\n";
    const QString text = parseError(json);
    EXPECT_TRUE(text.startsWith(QStringLiteral("/data/Broken.rtm: line 3, column "))) << text.toStdString();
}

TEST(ReportTemplateErrors, BadValuesNameTheirJsonPath)
{
    struct Case
    {
        QByteArray json;
        QString expected;
    } cases[] = {
        {R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10}, {"width": "wide"}]}})J",
         QStringLiteral("/data/Broken.rtm: detail.items[1].width: a number is expected")},
        {R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10, "wordwrap": true}]}})J",
         QStringLiteral("/data/Broken.rtm: detail.items[0].wordwrap: unknown setting")},
        {R"J({"format": "kestrovan-report", "page": {"margins": {"left": -1}}, "detail": {"height": 5}})J",
         QStringLiteral("/data/Broken.rtm: page.margins.left: must not be less than 0")},
        {R"J({"format": "kestrovan-report", "columns": {"count": 3, "positions": [0, 70]}, "detail": {"height": 5}})J",
         QStringLiteral("/data/Broken.rtm: columns.positions: 3 positions are expected")},
        {R"J({"format": "other", "detail": {"height": 5}})J",
         QStringLiteral("/data/Broken.rtm: format: \"kestrovan-report\" is expected")},
        {R"J({"format": "kestrovan-report"})J", QStringLiteral("/data/Broken.rtm: detail: a template needs a detail band")},
        {R"J([1, 2])J", QStringLiteral("/data/Broken.rtm: line 1, column 1: the template must be one JSON object")},
        {R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10, "fit": "squeeze"}]}})J",
         QStringLiteral("/data/Broken.rtm: detail.items[0].fit: \"none\" or \"shrink\" is expected")},
        {R"J({"format": "kestrovan-report", "font": {"size": 9}, "detail": {"height": 5, "items": [{"width": 10, "minSize": 10}]}})J",
         QStringLiteral("/data/Broken.rtm: detail.items[0].minSize: must not be larger than the font's size (9)")},
        {R"J({"format": "kestrovan-report", "pageFooter": {"height": 5, "items": [{"width": 10, "stretch": true}]}, "detail": {"height": 5}})J",
         QStringLiteral("/data/Broken.rtm: pageFooter.items[0].stretch: a page header or footer cannot stretch")},
        {R"J({"format": "kestrovan-report", "columns": {"count": 3}, "detail": {"height": 5, "items": [{"width": 10, "stretch": true}]}})J",
         QStringLiteral("/data/Broken.rtm: detail: items cannot stretch in a detail band with several columns")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseError(c.json), c.expected) << c.json.toStdString();
}

TEST(ReportTemplateErrors, BadExpressionNamesPathAndColumn)
{
    const QString text = parseError(
        R"J({"format": "kestrovan-report", "pageHeader": {"height": 5, "items": [{"width": 10, "expr": "'Page ' + + PageNumber"}]}, "detail": {"height": 5}})J");
    EXPECT_EQ(text, QStringLiteral("/data/Broken.rtm: pageHeader.items[0].expr, column 11: unexpected '+'"));
    EXPECT_EQ(parseError(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10, "expr": "Join(', ', Last_Name"}]}})J"),
              QStringLiteral("/data/Broken.rtm: detail.items[0].expr, column 21: ',' or ')' expected"));
    EXPECT_EQ(parseError(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10, "expr": "Shout(Last_Name)"}]}})J"),
              QStringLiteral("/data/Broken.rtm: detail.items[0].expr, column 1: unknown function 'Shout'"));
    EXPECT_EQ(parseError(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10, "expr": "'open"}]}})J"),
              QStringLiteral("/data/Broken.rtm: detail.items[0].expr, column 1: text not closed"));
    EXPECT_EQ(parseError(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10, "expr": "Lookup(Last_Name, 1)"}]}})J"),
              QStringLiteral("/data/Broken.rtm: detail.items[0].expr, column 1: Lookup takes a field of a named source first, such as Services.Service_Desc"));
}

TEST(ReportTemplateErrors, UnknownFieldsAndSourcesAreFoundBeforeDrawing)
{
    reporttest::DemoMembers demo(3);
    auto checkText = [&](const QByteArray &json) {
        const ReportTemplate t = ReportTemplate::parse(json, QStringLiteral("/data/Fields.rtm"));
        try {
            kv::ReportRenderer(t, demo.sources).check();
        } catch (const kv::Error &e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_EQ(checkText(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 9}, {"width": 9, "expr": "Last_Nam"}]}})J"),
              QStringLiteral("/data/Fields.rtm: detail.items[1].expr: data source \"DBPipelineListMembers\" has no field \"Last_Nam\""));
    EXPECT_EQ(checkText(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 9, "expr": "Clients.Phone"}]}})J"),
              QStringLiteral("/data/Fields.rtm: detail.items[0].expr: there is no data source \"Clients\""));
    // Field names are matched without regard to case, as PostgreSQL answers them in lower case.
    EXPECT_EQ(checkText(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 9, "expr": "DBPipelineListClientInfo.phone + last_name"}]}})J"),
              QString());
}

TEST(ReportTemplateErrors, MissingFileNamesIt)
{
    try {
        ReportTemplate::load(QStringLiteral("/nonexistent/ListMembersPhoneList.rtm"));
        FAIL() << "no error";
    } catch (const kv::Error &e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("/nonexistent/ListMembersPhoneList.rtm: cannot be read"))) << e.text().toStdString();
    }
}

// Hostile templates: deep nesting, endless and huge files, long literals.
// Each ends in an error naming the file and the place, never in a crash, and
// a large but legal template still parses (parsing is linear in its size).
TEST(ReportTemplateErrors, HostileTemplatesAreRefusedClearly)
{
    auto withExpr = [](const QByteArray &expr) {
        return QByteArray(R"J({"format": "kestrovan-report", "detail": {"height": 5, "items": [{"width": 10, "expr": ")J") + expr
            + QByteArray(R"J("}]}})J");
    };
    const int deep = 100000;
    const QString nestedText = QStringLiteral("/data/Broken.rtm: detail.items[0].expr, column 101: nested deeper than 100 levels of parentheses and calls");
    EXPECT_EQ(parseError(withExpr(QByteArray(deep, '(') + "1" + QByteArray(deep, ')'))), nestedText);
    EXPECT_EQ(parseError(withExpr(QByteArray("Upper(").repeated(deep) + "1" + QByteArray(deep, ')'))),
              QStringLiteral("/data/Broken.rtm: detail.items[0].expr, column 606: nested deeper than 100 levels of parentheses and calls"));
    // A hundred levels are still fine.
    EXPECT_EQ(parseError(withExpr(QByteArray(100, '(') + "1" + QByteArray(100, ')'))), QString());
    // Nested JSON is stopped by the JSON reader itself.
    EXPECT_TRUE(parseError(QByteArray(deep, '[') + QByteArray(deep, ']')).startsWith(QStringLiteral("/data/Broken.rtm: line 1, column ")));

    // A megabyte literal parses (and quickly: see the commit that made parsing linear).
    const QByteArray literal(1024 * 1024, 'x');
    const ReportTemplate t = ReportTemplate::parse(withExpr("'" + literal + "'"), QStringLiteral("big.rtm"));
    EXPECT_EQ(t.detail.items[0].expr.text().size(), literal.size() + 2);

    // An endless device and a file over the limit are refused without being read whole.
    const QString tooLarge = QStringLiteral("%1: the template is larger than 8 MB; a report template is never that large");
    try {
        ReportTemplate::load(QStringLiteral("/dev/zero"));
        ADD_FAILURE() << "/dev/zero was accepted";
    } catch (const kv::Error &e) {
        EXPECT_EQ(e.text(), tooLarge.arg(QStringLiteral("/dev/zero")));
    }
    QTemporaryDir dir;
    const QString huge = dir.filePath(QStringLiteral("Huge.rtm"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(ReportTemplate::kMaxFileSize + 1)); // sparse: nothing to read but its size
    }
    EXPECT_EQ(parseError(QByteArray(int(ReportTemplate::kMaxFileSize) + 1, ' '), huge), tooLarge.arg(huge));
    try {
        ReportTemplate::load(huge);
        ADD_FAILURE() << "a file over the limit was accepted";
    } catch (const kv::Error &e) {
        EXPECT_EQ(e.text(), tooLarge.arg(huge));
    }
}

namespace {

class OneRow : public kv::ReportSourceLookup
{
public:
    OneRow()
        : src(QStringList{QStringLiteral("Last_Name"), QStringLiteral("First_Name"), QStringLiteral("DOB"),
                          QStringLiteral("Monday"), QStringLiteral("Confirmed"), QStringLiteral("Stop"), QStringLiteral("Empty")})
    {
        src.addRow(QVector<QVariant>{QStringLiteral("O'Neil"), QStringLiteral("Ann"), QDate(1941, 3, 9), true,
                                     QStringLiteral("N"), 12.5, QVariant()});
        src.first();
    }
    const kv::ReportDataSource *source(const QString &name) const override
    {
        return name == QLatin1String("M") ? &src : nullptr;
    }
    QString eval(const QString &expr) const
    {
        kv::ReportVariables vars;
        vars.pageNumber = 4;
        vars.listName = QStringLiteral("Thanksgiving");
        vars.printTime = QDateTime(QDate(2026, 11, 2), QTime(14, 5));
        return ReportExpression::parse(expr, QStringLiteral("test")).evaluate(*this, QStringLiteral("M"), vars);
    }
    kv::TableReportSource src;
};

} // namespace

TEST(ReportExpressions, EvaluateAgainstTheCurrentRow)
{
    OneRow r;
    EXPECT_EQ(r.eval(QStringLiteral("Last_Name + ', ' + First_Name")), QStringLiteral("O'Neil, Ann"));
    EXPECT_EQ(r.eval(QStringLiteral("'It''s ' + M.first_name")), QStringLiteral("It's Ann"));
    EXPECT_EQ(r.eval(QStringLiteral("FormatDate(DOB, 'MMMM d, yyyy')")), QStringLiteral("March 9, 1941"));
    EXPECT_EQ(r.eval(QStringLiteral("DOB")), QStringLiteral("03/09/1941"));
    EXPECT_EQ(r.eval(QStringLiteral("FormatDate(Empty, 'MM/dd/yyyy')")), QString());
    EXPECT_EQ(r.eval(QStringLiteral("'Page ' + PageNumber + ' of list ' + ListName")), QStringLiteral("Page 4 of list Thanksgiving"));
    EXPECT_EQ(r.eval(QStringLiteral("FormatDate(PrintDate, 'yyyy-MM-dd')")), QStringLiteral("2026-11-02"));
    EXPECT_EQ(r.eval(QStringLiteral("Join(', ', Empty, Last_Name, '  ', First_Name)")), QStringLiteral("O'Neil, Ann"));
    EXPECT_EQ(r.eval(QStringLiteral("If(Monday, 'Mon') + If(Empty, 'x', 'none')")), QStringLiteral("Monnone"));
    // "N" is a flag's unchecked value: it counts as false, as does an empty value.
    EXPECT_EQ(r.eval(QStringLiteral("YesNo(Confirmed) + '/' + YesNo(Empty) + '/' + YesNo(Monday)")), QStringLiteral("No//Yes"));
    EXPECT_EQ(r.eval(QStringLiteral("IfEmpty(Empty, 'Unknown')")), QStringLiteral("Unknown"));
    EXPECT_EQ(r.eval(QStringLiteral("FormatNumber(Stop, 2) + ' ' + Stop")), QStringLiteral("12.50 12.5"));
    EXPECT_EQ(r.eval(QStringLiteral("Upper(Trim('  abc ')) + (Lower('X') + 'y')")), QStringLiteral("ABCxy"));
    EXPECT_EQ(r.eval(QString()), QString());
    // A number beyond a 64-bit integer stays a floating-point number (it used to be converted, undefined).
    EXPECT_EQ(r.eval(QStringLiteral("99999999999999999999999")), QStringLiteral("1e+23"));
    // Lookup reads a named source by key; with no such source it is empty.
    EXPECT_EQ(r.eval(QStringLiteral("IfEmpty(Lookup(Nowhere.Name, 3), '-')")), QStringLiteral("-"));
}

// The shipped templates are site data that offices edit; they must parse and
// name only fields that the member row set and the client record have.
TEST(ShippedTemplates, ParseAndNameOnlyExistingFields)
{
    reporttest::DemoMembers demo(1);
    for (kv::MemberReports::Report report : {kv::MemberReports::Report::CompleteInformation, kv::MemberReports::Report::PhoneList,
                                             kv::MemberReports::Report::AddressLabels}) {
        const QString file = kv::MemberReports::fullTemplateName(reporttest::templatesDir(), report);
        SCOPED_TRACE(file.toStdString());
        const ReportTemplate t = ReportTemplate::load(file);
        EXPECT_NO_THROW(kv::ReportRenderer(t, demo.sources).check());
        EXPECT_EQ(t.dataSource, kv::MemberReports::kMembersSource);
        EXPECT_FALSE(t.title.isEmpty());
    }
}

TEST(ShippedTemplates, LabelSheetHasTheStandardThirtyLabelGeometry)
{
    const ReportTemplate t = ReportTemplate::load(
        kv::MemberReports::fullTemplateName(reporttest::templatesDir(), kv::MemberReports::Report::AddressLabels));
    EXPECT_NEAR(t.paperSize().width(), 215.9, 0.01);
    EXPECT_NEAR(t.paperSize().height(), 279.4, 0.01);
    ASSERT_EQ(t.columns.count, 3);
    EXPECT_NEAR(t.columns.width, 66.675, 0.001); // 2.625"
    EXPECT_NEAR(t.detail.height, 25.4, 0.001); // 1"
    EXPECT_NEAR(t.columns.positions[1] - t.columns.positions[0], 69.85, 0.001); // 2.75" pitch
    // Ten rows fill the sheet between the margins exactly.
    EXPECT_NEAR(t.printableSize().height(), 10 * 25.4, 0.001);
}

TEST(TemplateNames, FullNameIsTheDataFolderFollowedByTheFileName)
{
    using R = kv::MemberReports::Report;
    EXPECT_EQ(kv::MemberReports::templateFile(R::CompleteInformation), QStringLiteral("\\ListMembersAllInfo.rtm"));
    EXPECT_EQ(kv::MemberReports::templateFile(R::PhoneList), QStringLiteral("\\ListMembersPhoneList.rtm"));
    EXPECT_EQ(kv::MemberReports::templateFile(R::AddressLabels), QStringLiteral("\\ListMembersAddressLabel.rtm"));
    EXPECT_EQ(kv::MemberReports::fullTemplateName(QStringLiteral("/srv/meals"), R::AddressLabels),
              QDir::toNativeSeparators(QStringLiteral("/srv/meals/ListMembersAddressLabel.rtm")));
    EXPECT_EQ(kv::MemberReports::missingTemplateText(QStringLiteral("/srv/x.rtm")),
              QStringLiteral("Could not locate the report template file:\n\r/srv/x.rtm"));
}
