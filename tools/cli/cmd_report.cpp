// kestrovan report --list NAME --template all|phone|labels --pdf FILE: one of
// the members window's filtered reports written to a PDF file, with the
// members as the window first shows them (visible ones, in last-name order)
// and the template beside the database.

#include "tools/cli/cli.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "members/confirmed_filter.h"
#include "members/member_load_save.h"
#include "members/member_reports.h"
#include "members/member_row_set.h"

#include <QFileInfo>

namespace {

using kv::MemberReports;

MemberReports::Report reportNamed(const QString &name)
{
    if (name == QLatin1String("all"))
        return MemberReports::Report::CompleteInformation;
    if (name == QLatin1String("phone"))
        return MemberReports::Report::PhoneList;
    if (name == QLatin1String("labels"))
        return MemberReports::Report::AddressLabels;
    throw kv::cli::UsageError{QStringLiteral("--template takes all, phone or labels, not \"%1\"").arg(name)};
}

int runReport(kv::cli::Context &ctx)
{
    const QString listName = ctx.requireOption(QStringLiteral("--list"));
    const MemberReports::Report report = reportNamed(ctx.requireOption(QStringLiteral("--template")));
    const QString pdf = ctx.requireOption(QStringLiteral("--pdf"));

    TDataModuleLists &dm = ctx.dataModule();
    ctx.listIdByName(listName); // the plug-in's own lists only
    dm.QueryListLookup->close();
    kv::MemberLoadSave loadSave(dm, ctx.prompts());

    const QString templateName = MemberReports::fullTemplateName(dm.dataDirectory(), report);
    if (!QFileInfo::exists(templateName))
        throw kv::Error(MemberReports::missingTemplateText(templateName));
    const kv::ReportTemplate tmpl = kv::ReportTemplate::load(templateName);

    kv::MemberRowSet rows;
    rows.setFilter(kv::ConfirmedFilter::kInitialExpression);
    rows.setFiltered(true);
    const auto loaded = loadSave.load(rows, listName);
    if (!loaded.completed)
        return 2; // the error has been shown

    kv::MemberRowSetReportSource members(rows);
    kv::QueryDetailSource clientInfo(*loadSave.QueryClientInfo, QStringLiteral("Person_ID"), QStringLiteral("Person_ID"));
    kv::ReportSources sources;
    MemberReports::addSources(sources, members, clientInfo);
    const kv::HostReportSources hostData(*dm.DatabaseLists, tmpl, sources);
    kv::ReportRun run;
    run.listName = listName;
    const kv::ReportOutcome outcome = kv::ReportRenderer::renderToPdf(tmpl, sources, run, pdf);
    loadSave.closeClientInfo();
    ctx.out() << QStringLiteral("%1: %2 member(s), %3 page(s) written to %4\n").arg(tmpl.title).arg(rows.recordCount()).arg(outcome.pages).arg(pdf);
    ctx.out().flush();
    // Written, but a reader must know that something on it is not whole.
    if (outcome.cutValues > 0) {
        ctx.err() << kv::ReportRenderer::cutValuesText(outcome) << '\n';
        ctx.err().flush();
    }
    return 0;
}

kv::cli::Registration reg{{
    .name = QStringLiteral("report"),
    .summary = QStringLiteral("writes one of the members window's reports of a list to a PDF file"),
    .usage = QStringLiteral("kestrovan report --list NAME --template all|phone|labels --pdf FILE"),
    .options =
        {
            {QStringLiteral("list"), QStringLiteral("NAME"), QStringLiteral("the list (one of the plug-in's lists)")},
            {QStringLiteral("template"), QStringLiteral("all|phone|labels"),
             QStringLiteral("complete information, phone list or address labels")},
            {QStringLiteral("pdf"), QStringLiteral("FILE"), QStringLiteral("the PDF file to write")},
        },
    .run = &runReport,
}};

} // namespace
