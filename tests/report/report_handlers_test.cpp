// The filtered reports as the members window runs them: the member row set as
// the grid shows it, the client record as its detail, the template beside the
// database, and the grid left as it was.

#include "members/member_ops_fixture.h"
#include "report_test_support.h"

#include "data/report_data.h"
#include "members/member_reports.h"
#include "members/ui/form_list_members.h"
#include "report/report_alignment.h"
#include "report/ui/report_preview.h"
#include "shell/ui/run_action.h"
#include "support/find_widget.h"

#include <QAction>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

using kv::MemberReports;
using kv::MemberRowSet;

namespace {

class MemberReportsTest : public MemberOpsTest
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Surnames and cities chosen so that name order and city order differ.
        struct C
        {
            int id;
            const char *last;
            const char *city;
            QVariant confirmed;
            bool visible;
        } clients[] = {
            {1, "Adams", "York", QStringLiteral("Y"), true},     {2, "Baker", "Carlisle", QVariant(), true},
            {3, "Cole", "Hershey", QStringLiteral("Y"), true},   {4, "Diaz", "Altoona", QStringLiteral("N"), true},
            {5, "Evans", "Berwick", QStringLiteral("Y"), false}, {6, "Fox", "Erie", QStringLiteral("Y"), true},
        };
        for (const C &c : clients) {
            tdb->addClient(c.id, {{QStringLiteral("Last_Name"), QString::fromLatin1(c.last)},
                                  {QStringLiteral("City"), QString::fromLatin1(c.city)},
                                  {QStringLiteral("Address1"), QStringLiteral("%1 Main St").arg(c.id)},
                                  {QStringLiteral("State"), QStringLiteral("PA")},
                                  {QStringLiteral("ZIP"), QStringLiteral("1700%1").arg(c.id)},
                                  {QStringLiteral("Phone"), QStringLiteral("(717) 555-000%1").arg(c.id)}});
            tdb->addMember(listId, c.id, {{QStringLiteral("Confirmed"), c.confirmed}, {QStringLiteral("RecVisible"), c.visible},
                                          {QStringLiteral("Invited"), QStringLiteral("Y")}});
        }
        connect();
        load();
        for (const QString &f : {MemberReports::kAllInfoTemplate, MemberReports::kPhoneListTemplate, MemberReports::kAddressLabelTemplate}) {
            const QString name = f.mid(1);
            ASSERT_TRUE(QFile::copy(reporttest::templatesDir() + QLatin1Char('/') + name, tdb->directory() + QLatin1Char('/') + name));
        }
    }

    // Runs a report with the members window's context, inside a boundary that
    // shows its error as a warning, as the window's does; the pages are recorded.
    void print(MemberReports::Report report)
    {
        const MemberReports::Context c{*dm, prompts, rows, *loadSave->QueryClientInfo, listId, kListName};
        kv::runAction(
            prompts, QStringLiteral("Report"),
            [&] {
                MemberReports::print(report, c, [&](const kv::ReportTemplate &t, const kv::ReportSources &s, const kv::ReportRun &r) {
                    ++outputs;
                    membersQueryOpenWhilePrinting = dm->QueryListMembers->isOpen();
                    device = std::make_unique<reporttest::RecordingDevice>();
                    device->render(t, s, r);
                });
            },
            kv::ActionCursor::Unchanged, kv::Prompts::Kind::Warning);
    }

    QStringList surnamesPrinted() const
    {
        static const QStringList all{QStringLiteral("Adams"), QStringLiteral("Baker"), QStringLiteral("Cole"),
                                     QStringLiteral("Diaz"),  QStringLiteral("Evans"), QStringLiteral("Fox")};
        QStringList out;
        for (const QString &t : device->allTexts())
            for (const QString &n : all)
                if (t.startsWith(n + QStringLiteral(", ")))
                    out << n;
        return out;
    }

    int outputs = 0;
    bool membersQueryOpenWhilePrinting = false;
    std::unique_ptr<reporttest::RecordingDevice> device;
};

} // namespace

TEST_P(MemberReportsTest, PhoneListShowsVisibleMembersInGridOrderWithTheirPhones)
{
    print(MemberReports::Report::PhoneList);
    ASSERT_EQ(outputs, 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
    // "Last_Name" order, the hidden member left out.
    EXPECT_EQ(surnamesPrinted(), (QStringList{QStringLiteral("Adams"), QStringLiteral("Baker"), QStringLiteral("Cole"),
                                              QStringLiteral("Diaz"), QStringLiteral("Fox")}));
    // The phone comes from the client record, which follows each member.
    const QStringList texts = device->allTexts();
    const int cole = texts.indexOf(QStringLiteral("Cole, First3"));
    ASSERT_GE(cole, 0);
    EXPECT_EQ(texts.at(cole + 1), QStringLiteral("(717) 555-0003"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Holiday Meals")));
    EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_P(MemberReportsTest, ConfirmedFilterAndCitySortAreReflected)
{
    rows.setFilter(kv::ConfirmedFilter::kCheckedExpression);
    rows.setIndexName(QStringLiteral("City"));
    print(MemberReports::Report::PhoneList);
    ASSERT_EQ(outputs, 1);
    // Confirmed and visible only, by city: Erie (Fox), Hershey (Cole), York (Adams).
    EXPECT_EQ(surnamesPrinted(), (QStringList{QStringLiteral("Fox"), QStringLiteral("Cole"), QStringLiteral("Adams")}));
}

TEST_P(MemberReportsTest, FilterThatShowsNoMemberGivesAnEmptyReport)
{
    rows.setFilter(QStringLiteral("Confirmed='N' and RecVisible=True"));
    rows.setFilter(QStringLiteral("Confirmed='Y' and Confirmed='N'"));
    print(MemberReports::Report::AddressLabels);
    ASSERT_EQ(outputs, 1);
    EXPECT_EQ(device->pages.size(), 1u);
    EXPECT_TRUE(device->texts(0).isEmpty());
}

TEST_P(MemberReportsTest, LabelsOpenTheMembersQueryAndCloseItAfterwards)
{
    print(MemberReports::Report::AddressLabels);
    ASSERT_EQ(outputs, 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(membersQueryOpenWhilePrinting);
    EXPECT_FALSE(dm->QueryListMembers->isOpen());
    const QStringList texts = device->allTexts();
    const int adams = texts.indexOf(QStringLiteral("First1 Adams"));
    ASSERT_GE(adams, 0);
    EXPECT_EQ(texts.mid(adams, 3), (QStringList{QStringLiteral("First1 Adams"), QStringLiteral("1 Main St"), QStringLiteral("York, PA 17001")}));
}

TEST_P(MemberReportsTest, MissingTemplateWarnsWithTheFullNameAndPrintsNothing)
{
    const QString full = MemberReports::fullTemplateName(dm->dataDirectory(), MemberReports::Report::AddressLabels);
    ASSERT_TRUE(QFile::remove(full));
    rows.setRecNo(2);
    print(MemberReports::Report::AddressLabels);
    EXPECT_EQ(outputs, 0);
    ASSERT_EQ(prompts.shown().size(), 1);
    EXPECT_EQ(prompts.shown()[0].kind, kv::Prompts::Kind::Warning);
    EXPECT_EQ(prompts.shown()[0].text, QStringLiteral("Could not locate the report template file:\n\r") + full);
    EXPECT_TRUE(full.startsWith(tdb->directory()));
    EXPECT_EQ(rows.recNo(), 2);
    EXPECT_FALSE(dm->QueryListMembers->isOpen());
}

TEST_P(MemberReportsTest, BrokenTemplateIsAWarningNamingTheFile)
{
    const QString full = MemberReports::fullTemplateName(dm->dataDirectory(), MemberReports::Report::PhoneList);
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{\"format\": \"kestrovan-report\",\n \"detail\": {\"height\": 5, \"items\": [{\"width\": 9, \"expr\": \"Phone_Number\"}]}}");
    f.close();
    rows.setRecNo(3);
    print(MemberReports::Report::PhoneList);
    EXPECT_EQ(outputs, 0);
    ASSERT_EQ(prompts.shown().size(), 1);
    EXPECT_EQ(prompts.shown()[0].kind, kv::Prompts::Kind::Warning);
    EXPECT_EQ(prompts.shown()[0].text,
              full + QStringLiteral(": detail.items[0].expr: data source \"DBPipelineListMembers\" has no field \"Phone_Number\""));
    EXPECT_EQ(rows.recNo(), 3);
}

TEST_P(MemberReportsTest, UnsavedEditIsPrintedAndTheGridReturnsToItsRow)
{
    rows.setRecNo(3); // Diaz
    const MemberRowSet::Bookmark diaz = rows.getBookmark();
    rows.edit();
    rows.setFieldValue(MemberRowSet::Quantity, 7);
    print(MemberReports::Report::CompleteInformation);
    ASSERT_EQ(outputs, 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
    const QStringList diazPage = device->texts(3);
    ASSERT_TRUE(diazPage.contains(QStringLiteral("Diaz, First4")));
    EXPECT_FALSE(diazPage.filter(QStringLiteral("Quantity: 7 ")).isEmpty()) << diazPage.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rows.getBookmark(), diaz);
    EXPECT_EQ(rows.state(), kv::DataState::Browse);
    EXPECT_EQ(rows.fieldValue(MemberRowSet::Quantity).toInt(), 7);
    // The client record query is back on the current member.
    EXPECT_EQ(loadSave->QueryClientInfo->fieldValue(QStringLiteral("Person_ID")).toInt(), 4);
}

TEST_P(MemberReportsTest, CompleteInformationGivesEachMemberAPageWithTheClientRecord)
{
    print(MemberReports::Report::CompleteInformation);
    ASSERT_EQ(outputs, 1);
    ASSERT_EQ(device->pages.size(), 5u);
    EXPECT_TRUE(device->texts(2).contains(QStringLiteral("Cole, First3")));
    EXPECT_TRUE(device->texts(2).contains(QStringLiteral("Hershey, PA 17003")));
    EXPECT_FALSE(device->texts(2).contains(QStringLiteral("York, PA 17001")));
}

KV_MEMBER_OPS_BACKENDS(MemberReportsTest);

// The whole road from the members window: its menu entries, its Confirmed
// filter and a city sort, and the preview replaced by a recording.
class MemberReportsWindowTest : public MemberReportsTest
{
protected:
    void SetUp() override
    {
        MemberReportsTest::SetUp();
        // The window's settings file (layout, label sheet) is the test's own.
        if (dm)
            dm->cAppDataFolder = sandbox.appDataDir() + QLatin1Char('/');
    }

    void TearDown() override
    {
        kv::ReportPreview::setOutputOverride({});
        MemberReportsTest::TearDown();
    }

    void captureOutput()
    {
        kv::ReportPreview::setOutputOverride([this](const kv::ReportTemplate &t, const kv::ReportSources &s, const kv::ReportRun &r) {
            ++outputs;
            device = std::make_unique<reporttest::RecordingDevice>();
            device->render(t, s, r);
        });
    }

    SettingsSandbox sandbox;
};

TEST_P(MemberReportsWindowTest, PrintMenuReflectsFilterAndSortAndKeepsTheCurrentRow)
{
    captureOutput();
    TFormListMembers form(*dm, prompts);
    form.show();
    ASSERT_EQ(form.memberRowSet().recordCount(), 5) << prompts.texts().join(QLatin1Char('|')).toStdString();
    kv::test::need<QAction>(&form, QStringLiteral("ActionFilterListToConfirmed"))->trigger();
    form.wwDBGridListMembersTitleButtonClick(QStringLiteral("City"));
    form.memberRowSet().last();
    const auto current = form.memberRowSet().getBookmark();

    kv::test::need<QAction>(&form, QStringLiteral("PhoneList2"))->trigger();
    ASSERT_EQ(outputs, 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(surnamesPrinted(), (QStringList{QStringLiteral("Fox"), QStringLiteral("Cole"), QStringLiteral("Adams")}));
    EXPECT_TRUE(device->texts(0).contains(kListName));
    EXPECT_EQ(form.memberRowSet().getBookmark(), current);

    kv::test::need<QAction>(&form, QStringLiteral("Labels1"))->trigger();
    ASSERT_EQ(outputs, 2);
    EXPECT_TRUE(device->texts(0).contains(QStringLiteral("First6 Fox")));
    EXPECT_FALSE(device->texts(0).contains(QStringLiteral("First2 Baker")));
    EXPECT_FALSE(dm->QueryListMembers->isOpen());

    kv::test::need<QAction>(&form, QStringLiteral("PhoneList1"))->trigger();
    ASSERT_EQ(outputs, 3);
    EXPECT_EQ(device->pages.size(), 3u);
    EXPECT_TRUE(prompts.notices().isEmpty()) << prompts.texts().join(QLatin1Char('|')).toStdString();
    form.close();
}

TEST_P(MemberReportsWindowTest, MissingTemplateFromTheMenuShowsTheFullName)
{
    captureOutput();
    const QString full = MemberReports::fullTemplateName(dm->dataDirectory(), MemberReports::Report::PhoneList);
    ASSERT_TRUE(QFile::remove(full));
    TFormListMembers form(*dm, prompts);
    form.show();
    prompts.clear();
    kv::test::need<QAction>(&form, QStringLiteral("PhoneList2"))->trigger();
    EXPECT_EQ(outputs, 0);
    EXPECT_EQ(prompts.notices(), QStringList{QStringLiteral("Could not locate the report template file:\n\r") + full});
    EXPECT_EQ(prompts.shown().last().kind, kv::Prompts::Kind::Warning);
    form.close();
}

// The label sheet chosen in the Print menu is the one "Address Labels" and the
// alignment page print on (the command line's page, in the preview), and the
// next window starts with it.
TEST_P(MemberReportsWindowTest, LabelStockChosenInTheMenuPrintsTheLabelsAndTheirAlignmentPage)
{
    QString title;
    kv::ReportPreview::setOutputOverride([&](const kv::ReportTemplate &t, const kv::ReportSources &s, const kv::ReportRun &r) {
        ++outputs;
        title = t.title;
        device = std::make_unique<reporttest::RecordingDevice>();
        device->render(t, s, r);
    });
    const QString ten = QLatin1Char('/') + MemberReports::kAddressLabel10Template.mid(1);
    ASSERT_TRUE(QFile::copy(reporttest::templatesDir() + ten, tdb->directory() + ten));
    {
        TFormListMembers form(*dm, prompts);
        form.show();
        EXPECT_TRUE(kv::test::need<QAction>(&form, QStringLiteral("LabelStock30"))->isChecked());
        kv::test::need<QAction>(&form, QStringLiteral("LabelAlignmentPage1"))->trigger();
        ASSERT_EQ(outputs, 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(device->count(0, kv::LabelAlignmentTest::kCellText.arg(QString())), 30);
        kv::test::need<QAction>(&form, QStringLiteral("LabelStock10"))->trigger();
        form.close();
    }
    TFormListMembers form(*dm, prompts);
    form.show();
    EXPECT_TRUE(kv::test::need<QAction>(&form, QStringLiteral("LabelStock10"))->isChecked());
    EXPECT_FALSE(kv::test::need<QAction>(&form, QStringLiteral("LabelStock30"))->isChecked());
    kv::test::need<QAction>(&form, QStringLiteral("Labels1"))->trigger();
    ASSERT_EQ(outputs, 2) << prompts.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(title, kv::ReportTemplate::load(tdb->directory() + ten).title);
    EXPECT_TRUE(device->texts(0).contains(QStringLiteral("First6 Fox")));
    kv::test::need<QAction>(&form, QStringLiteral("LabelAlignmentPage1"))->trigger();
    ASSERT_EQ(outputs, 3);
    EXPECT_EQ(device->count(0, kv::LabelAlignmentTest::kCellText.arg(QString())), 10);

    // A sheet whose template is not beside the database is named, as the labels' own is.
    kv::test::need<QAction>(&form, QStringLiteral("LabelStock14"))->trigger();
    prompts.clear();
    kv::test::need<QAction>(&form, QStringLiteral("LabelAlignmentPage1"))->trigger();
    EXPECT_EQ(outputs, 3);
    EXPECT_EQ(prompts.notices(), QStringList{MemberReports::missingTemplateText(
                                     MemberReports::fullTemplateName(dm->dataDirectory(), MemberReports::Report::AddressLabels14))});
    form.close();
}

KV_MEMBER_OPS_BACKENDS(MemberReportsWindowTest);

// A site's own template reads the host data the data module offers: the
// Config row, service and cuisine names by their ids; a table the host's
// database lacks is named in the warning and nothing is printed.
TEST_P(MemberReportsTest, TemplateReadsConfigServiceAndCuisineNames)
{
    tdb->exec(QStringLiteral("INSERT INTO Config (Config_ID, Agency_Name, Phone) VALUES (1, 'Meals on Route', '(717) 555-0000')"));
    tdb->exec(QStringLiteral("INSERT INTO Services (Service_ID, Service_Desc, Service_Type) VALUES (77, 'Home Meals', 'D')"));
    tdb->exec(QStringLiteral("INSERT INTO Cuisines (Cuisine_ID, Cuisine) VALUES (3, 'Kosher')"));
    tdb->exec(QStringLiteral("UPDATE Clients SET Svcs_Used = 77, Cuisine_ID = 3 WHERE Person_ID = 1"));
    load();
    QFile f(tdb->directory() + QLatin1Char('/') + MemberReports::kPhoneListTemplate.mid(1));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(R"J({"format": "kestrovan-report",
        "pageHeader": {"height": 5, "items": [{"width": 150, "expr": "Config.Agency_Name + ' ' + Config.Phone"}]},
        "detail": {"height": 5, "items": [{"width": 150,
            "expr": "Last_Name + ': ' + IfEmpty(Lookup(Services.Service_Desc, Svcs_Used), '-') + ' / ' + IfEmpty(Lookup(Cuisines.Cuisine, DBPipelineListClientInfo.CUISINE_ID), '-')"}]}})J");
    f.close();
    print(MemberReports::Report::PhoneList);
    ASSERT_EQ(outputs, 1) << prompts.texts().join(QLatin1Char('|')).toStdString();
    const QStringList texts = device->allTexts();
    EXPECT_TRUE(texts.contains(QStringLiteral("Meals on Route (717) 555-0000")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Adams: Home Meals / Kosher")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Baker: - / -")));

    // DDL does not go through a prepared statement on PostgreSQL.
    QSqlQuery drop(tdb->db().connection());
    ASSERT_TRUE(drop.exec(QStringLiteral("DROP TABLE Cuisines"))) << drop.lastError().text().toStdString();
    print(MemberReports::Report::PhoneList);
    EXPECT_EQ(outputs, 1);
    EXPECT_EQ(prompts.texts().value(0), kv::ReportData::kMissingTable.arg(QStringLiteral("Cuisines"), QStringLiteral("Cuisines")));
}
