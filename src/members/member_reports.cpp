#include "members/member_reports.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/prompts.h"
#include "data/report_data.h"
#include "data/translate.h"
#include "report/query_lookup_source.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

MemberRowSetReportSource::MemberRowSetReportSource(const MemberRowSet &rows)
    : m_rows(rows)
{
}

QStringList MemberRowSetReportSource::fieldNames() const
{
    QStringList names;
    for (int i = 0; i < MemberRowSet::FieldCount; ++i)
        names << MemberRowSet::fieldName(i);
    return names;
}

QVariant MemberRowSetReportSource::value(const QString &field) const
{
    if (eof())
        return {};
    const int i = MemberRowSet::fieldIndex(field);
    return i < 0 ? QVariant() : m_rows.valueAt(m_row, i);
}

HostReportSources::HostReportSources(Database &db, const ReportTemplate &tmpl, ReportSources &sources)
{
    for (const QString &name : tmpl.sourcesUsed()) {
        if (!ReportData::isSource(name) || sources.source(name))
            continue;
        m_queries.push_back(ReportData::open(db, name));
        Query &q = *m_queries.back();
        const QString key = ReportData::keyOf(name);
        if (key.isEmpty())
            m_sources.push_back(std::make_unique<QueryReportSource>(q));
        else
            m_sources.push_back(std::make_unique<QueryLookupSource>(q, key));
        m_sources.back()->first();
        sources.add(name, m_sources.back().get());
    }
}

HostReportSources::~HostReportSources() = default;

const QString MemberReports::kSaveBeforePrinting =
    QString::fromUtf8(QT_TRANSLATE_NOOP("MemberReports", "Save your changes before printing the report?"));
const QString MemberReports::kMissingTemplate =
    QString::fromUtf8(QT_TRANSLATE_NOOP("MemberReports", "Could not locate the report template file:"));
const QString MemberReports::kAllInfoTemplate = QStringLiteral("\\ListMembersAllInfo.rtm");
const QString MemberReports::kPhoneListTemplate = QStringLiteral("\\ListMembersPhoneList.rtm");
const QString MemberReports::kAddressLabelTemplate = QStringLiteral("\\ListMembersAddressLabel.rtm");
const QString MemberReports::kAddressLabel10Template = QStringLiteral("\\ListMembersAddressLabel-10.rtm");
const QString MemberReports::kAddressLabel14Template = QStringLiteral("\\ListMembersAddressLabel-14.rtm");
const QString MemberReports::kMembersSource = QStringLiteral("DBPipelineListMembers");
const QString MemberReports::kClientInfoSource = QStringLiteral("DBPipelineListClientInfo");

QString MemberReports::templateFile(Report report)
{
    switch (report) {
    case Report::CompleteInformation: return kAllInfoTemplate;
    case Report::PhoneList: return kPhoneListTemplate;
    case Report::AddressLabels: return kAddressLabelTemplate;
    case Report::AddressLabels10: return kAddressLabel10Template;
    case Report::AddressLabels14: return kAddressLabel14Template;
    }
    return QString();
}

bool MemberReports::isLabels(Report report)
{
    return report == Report::AddressLabels || report == Report::AddressLabels10 || report == Report::AddressLabels14;
}

QString MemberReports::fullTemplateName(const QString &dataDirectory, Report report)
{
    return fullTemplateName(dataDirectory, templateFile(report));
}

QString MemberReports::fullTemplateName(const QString &dataDirectory, const QString &templateFile)
{
    // The file names begin with a backslash; on other platforms it becomes
    // their own separator so that the file can be found.
    QString name = dataDirectory + templateFile;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::toNativeSeparators(name);
}

QString MemberReports::missingTemplateText(const QString &fullName)
{
    return shown("MemberReports", kMissingTemplate) + QStringLiteral("\n\r") + fullName;
}

void MemberReports::addSources(ReportSources &sources, ReportDataSource &members, ReportDataSource &clientInfo)
{
    sources.add(kMembersSource, &members);
    sources.add(kClientInfoSource, &clientInfo, kMembersSource);
}

const QString MemberReports::kListClientsSql = QStringLiteral(
    "Select * from Clients where Person_ID in (Select Person_ID from List_Members where List_ID = :List_ID)");

void MemberReports::readClientsOfList(QueryDetailSource &clients, Query &allClients, int listId)
{
    allClients.setSql(kListClientsSql);
    allClients.paramByName(QStringLiteral("List_ID")).setAsInteger(listId);
    clients.readAllFrom(allClients, QStringLiteral("Person_ID"));
}

void MemberReports::print(Report report, const Context &c, const Output &output)
{
    MemberRowSet &rows = c.rows;
    const bool labels = isLabels(report);

    if (rows.state() == DataState::Insert && c.prompts.confirm(shown("MemberReports", kSaveBeforePrinting)))
        rows.post();
    const MemberRowSet::Bookmark remembered = rows.isOpen() && !rows.isEmpty() ? rows.getBookmark() : MemberRowSet::kNoBookmark;

    // The grid and the client record go back on every path; the first error
    // is passed on afterwards, for the caller's boundary to show.
    FirstFailure failure;
    auto restore = [&] {
        try {
            if (remembered != MemberRowSet::kNoBookmark && rows.bookmarkValid(remembered))
                rows.gotoBookmark(remembered);
            rows.freeBookmark(remembered);
            // The detail walked every member; it goes back to the current one.
            if (c.clientInfo.isOpen() || rows.recNo() >= 0) {
                c.clientInfo.close();
                const QVariant person = rows.recNo() >= 0 ? rows.fieldValue(MemberRowSet::Person_ID) : QVariant();
                if (person.isValid() && !person.isNull()) {
                    c.clientInfo.paramByName(QStringLiteral("Person_ID")).setAsInteger(person.toLongLong());
                    c.clientInfo.open();
                }
            }
        } catch (...) {
            failure.record();
        }
        if (labels)
            c.dataModule.QueryListMembers->close();
    };

    try {
        // Leaving the current row posts its pending edit, so the report shows it.
        if (rows.state() == DataState::Edit) {
            if (rows.isModified())
                rows.post();
            else
                rows.cancel();
        }
        if (rows.isOpen())
            rows.first();
        const QString fullName = fullTemplateName(c.dataModule.dataDirectory(), report);
        if (QFileInfo::exists(fullName)) {
            if (labels) {
                Query &members = *c.dataModule.QueryListMembers;
                members.close();
                members.paramByName(QStringLiteral("List_ID")).setAsInteger(c.listId);
                members.open();
            }
            const ReportTemplate tmpl = ReportTemplate::load(fullName);
            MemberRowSetReportSource memberSource(rows);
            QueryDetailSource clientSource(c.clientInfo, QStringLiteral("Person_ID"), QStringLiteral("Person_ID"));
            Query allClients(c.dataModule.DatabaseLists, QStringLiteral("QueryListClients"));
            readClientsOfList(clientSource, allClients, c.listId);
            ReportSources sources;
            addSources(sources, memberSource, clientSource);
            const HostReportSources hostData(*c.dataModule.DatabaseLists, tmpl, sources);
            ReportRun run;
            run.listName = c.listName;
            ReportRenderer(tmpl, sources, run).check();
            output(tmpl, sources, run);
        } else {
            throw Error(missingTemplateText(fullName));
        }
    } catch (...) {
        failure.record();
    }
    restore();
    failure.rethrow();
}

} // namespace kv
