#pragma once

#include "members/member_row_set.h"
#include "report/query_detail_source.h"
#include "report/report_renderer.h"
#include "report/report_template.h"

#include <functional>
#include <memory>
#include <vector>

class TDataModuleLists;

namespace kv {

class Database;
class Prompts;
class Query;

// The data module's report data (Config, Services, Cuisines) that a template
// names, opened for one run and added to its sources; nothing is opened for a
// template that does not name them. A source whose table the host's database
// lacks is a kv::Error before anything is drawn.
class HostReportSources
{
public:
    HostReportSources(Database &db, const ReportTemplate &tmpl, ReportSources &sources);
    ~HostReportSources();

private:
    std::vector<std::unique_ptr<Query>> m_queries;
    std::vector<std::unique_ptr<ReportDataSource>> m_sources;
};

// The member row set as the grid shows it: the rows of the current view, in
// the active order, with the filter in force. It reads the rows by their view
// position, so walking it leaves the grid's current row alone.
class MemberRowSetReportSource : public ReportDataSource
{
public:
    explicit MemberRowSetReportSource(const MemberRowSet &rows);

    QStringList fieldNames() const override;
    void first() override { m_row = 0; }
    void next() override
    {
        if (m_row < m_rows.recordCount())
            ++m_row;
    }
    bool eof() const override { return m_row >= m_rows.recordCount(); }
    QVariant value(const QString &field) const override;

private:
    const MemberRowSet &m_rows;
    int m_row = 0;
};

// The three filtered reports of the members window: the template file beside
// the database, the member data and the client record of the current member
// as its detail, and the steps around them that keep the grid as it was.
class MemberReports
{
public:
    // The address labels on the described sheet (30 to a sheet) or on one of
    // its shipped siblings.
    enum class Report { CompleteInformation, PhoneList, AddressLabels, AddressLabels10, AddressLabels14 };
    static bool isLabels(Report report);

    static const QString kSaveBeforePrinting; // "Save your changes before printing the report?"
    static const QString kMissingTemplate; // "Could not locate the report template file:"
    static const QString kAllInfoTemplate; // "\ListMembersAllInfo.rtm"
    static const QString kPhoneListTemplate; // "\ListMembersPhoneList.rtm"
    static const QString kAddressLabelTemplate; // "\ListMembersAddressLabel.rtm"
    // The labels template's siblings for other common sheets, shipped beside it.
    static const QString kAddressLabel10Template; // "\ListMembersAddressLabel-10.rtm": 2 x 4 in, 10 to a Letter sheet
    static const QString kAddressLabel14Template; // "\ListMembersAddressLabel-14.rtm": 1 1/3 x 4 in, 14 to a sheet
    static const QString kMembersSource; // "DBPipelineListMembers"
    static const QString kClientInfoSource; // "DBPipelineListClientInfo"

    static QString templateFile(Report report);
    // The data folder followed directly by the file name, with the platform's separators.
    static QString fullTemplateName(const QString &dataDirectory, Report report);
    static QString fullTemplateName(const QString &dataDirectory, const QString &templateFile);
    // "Could not locate the report template file:" LF CR full name.
    static QString missingTemplateText(const QString &fullName);

    // Shows (or prints) the loaded report; the members window opens the print
    // preview, tests and the command line write a PDF.
    using Output = std::function<void(const ReportTemplate &, const ReportSources &, const ReportRun &)>;

    struct Context
    {
        TDataModuleLists &dataModule;
        Prompts &prompts;
        MemberRowSet &rows;
        Query &clientInfo; // the client record query with its ":Person_ID"
        int listId = 0;
        QString listName;
    };

    // Runs one report: the save question for an inserted row, the remembered
    // row, the move to the first row, the template beside the database, the
    // members query opened for the labels. The grid returns to the remembered
    // row on every path; then the first error (missingTemplateText when the
    // template is missing) is thrown for the caller's boundary, which shows it
    // as a warning.
    static void print(Report report, const Context &context, const Output &output);

    // The client rows of every member of a list, read in one statement.
    static const QString kListClientsSql;
    // Points the client detail of a run at allClients over the list's members
    // (kListClientsSql), so the run reads them at once, not one per member.
    static void readClientsOfList(QueryDetailSource &clients, Query &allClients, int listId);

    // The sources of a run over any member source (the command line's too).
    static void addSources(ReportSources &sources, ReportDataSource &members, ReportDataSource &clientInfo);
};

} // namespace kv
