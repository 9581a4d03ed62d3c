// kestrovan report --list NAME --template all|phone|labels|labels-10|labels-14|FILE.rtm --pdf FILE:
// one of the members window's filtered reports (or another label sheet, or a
// site's own template) written to a PDF file, with the members as the window
// first shows them (visible ones, in last-name order). With --alignment-test
// a label template prints one sheet of outlined cells instead.

#include "tools/cli/cli.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "members/confirmed_filter.h"
#include "members/member_load_save.h"
#include "members/member_reports.h"
#include "report/report_alignment.h"
#include "members/member_row_set.h"

#include <QFileInfo>

namespace {

using kv::MemberReports;

const QString kReportNotWritten = QStringLiteral("%1 was not written; a file that was there keeps its bytes.");
const QString kTemplateWords = QStringLiteral("all|phone|labels|labels-10|labels-14|FILE.rtm");

// The template a --template value names: one of the shipped files beside the
// database by its word, or any template file by its path.
QString templateFileFor(const QString &value, TDataModuleLists &dm)
{
    static const QList<QPair<QString, QString>> shipped{
        {QStringLiteral("all"), MemberReports::kAllInfoTemplate},
        {QStringLiteral("phone"), MemberReports::kPhoneListTemplate},
        {QStringLiteral("labels"), MemberReports::kAddressLabelTemplate},
        {QStringLiteral("labels-10"), MemberReports::kAddressLabel10Template},
        {QStringLiteral("labels-14"), MemberReports::kAddressLabel14Template},
    };
    for (const auto &[word, file] : shipped)
        if (value == word)
            return MemberReports::fullTemplateName(dm.dataDirectory(), file);
    return value;
}

void requireKnownTemplate(const QString &value)
{
    static const QStringList words = kTemplateWords.split(QLatin1Char('|')).mid(0, 5);
    if (!words.contains(value) && !value.endsWith(QLatin1String(".rtm"), Qt::CaseInsensitive))
        throw kv::cli::UsageError{
            QStringLiteral("--template takes all, phone, labels, labels-10, labels-14 or the path of a .rtm file, not \"%1\"").arg(value)};
}

kv::ReportTemplate loadTemplate(const QString &file)
{
    if (!QFileInfo::exists(file))
        throw kv::Error(MemberReports::missingTemplateText(file));
    return kv::ReportTemplate::load(file);
}

// One page with every label cell of the sheet outlined and numbered.
int runAlignmentTest(kv::cli::Context &ctx, const QString &templateValue, const QString &pdf)
{
    const QString file = templateValue.endsWith(QLatin1String(".rtm"), Qt::CaseInsensitive)
        ? templateValue
        : templateFileFor(templateValue, ctx.dataModule());
    const kv::ReportTemplate tmpl = loadTemplate(file);
    const kv::ReportOutcome outcome = kv::LabelAlignmentTest::renderToPdf(tmpl, pdf);
    ctx.out() << QStringLiteral("%1: alignment test, %2 label cell(s), %3 page(s) written to %4\n")
                     .arg(tmpl.title)
                     .arg(kv::LabelAlignmentTest::cellsPerSheet(tmpl))
                     .arg(outcome.pages)
                     .arg(pdf);
    ctx.out().flush();
    return 0;
}

int runReport(kv::cli::Context &ctx)
{
    const QString templateValue = ctx.requireOption(QStringLiteral("--template"));
    requireKnownTemplate(templateValue);
    const QString pdf = ctx.requireOption(QStringLiteral("--pdf"));
    if (ctx.flag(QStringLiteral("alignment-test")))
        return runAlignmentTest(ctx, templateValue, pdf);
    // The list is chosen first: the lookup travels with the connection's first trip.
    TDataModuleLists &dm = ctx.dataModule({&TDataModuleLists::QueryListLookup});
    const kv::cli::Context::ChosenList chosen = ctx.chosenList();
    const int listId = chosen.id;
    const QString listName = chosen.name;
    dm.QueryListLookup->close();
    kv::MemberLoadSave loadSave(dm, ctx.prompts());

    const kv::ReportTemplate tmpl = loadTemplate(templateFileFor(templateValue, dm));

    kv::MemberRowSet rows;
    rows.setFilter(kv::ConfirmedFilter::kInitialExpression);
    rows.setFiltered(true);
    // A failed read throws; main prints it and ends with status 2.
    const auto loaded = loadSave.load(rows, listName, listId);

    kv::MemberRowSetReportSource members(rows);
    kv::QueryDetailSource clientInfo(*loadSave.QueryClientInfo, QStringLiteral("Person_ID"), QStringLiteral("Person_ID"));
    kv::Query allClients(dm.DatabaseLists, QStringLiteral("QueryListClients"));
    MemberReports::readClientsOfList(clientInfo, allClients, loaded.listId);
    kv::ReportSources sources;
    MemberReports::addSources(sources, members, clientInfo);
    const kv::HostReportSources hostData(*dm.DatabaseLists, tmpl, sources);
    kv::ReportRun run;
    run.listName = listName;
    // Ctrl+C or SIGTERM: the temporary file goes, a file already there stays.
    run.checkpoint = [] { kv::cli::stopIfInterrupted("write"); };
    kv::ReportOutcome outcome;
    try {
        outcome = kv::ReportRenderer::renderToPdf(tmpl, sources, run, pdf);
    } catch (const kv::Cancelled &e) {
        ctx.err() << e.text() << ' ' << kReportNotWritten.arg(pdf) << Qt::endl;
        return kv::cli::ExitInterrupted;
    }
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
    .usage = QStringLiteral("kestrovan report (--list NAME | --list-id N) --template all|phone|labels|labels-10|labels-14|FILE.rtm --pdf FILE\n"
                            "kestrovan report --template labels|labels-10|labels-14|FILE.rtm --alignment-test --pdf FILE"),
    .options = kv::cli::listOptions(QStringLiteral("the list"))
        + QList<kv::cli::OptionSpec>{
            {QStringLiteral("template"), kTemplateWords,
             QStringLiteral("complete information, phone list, address labels (30, 10 or 14 to a sheet) or a template file")},
            {QStringLiteral("alignment-test"), QString(),
             QStringLiteral("print one sheet with every label cell outlined instead of the list (no --list)")},
            {QStringLiteral("pdf"), QStringLiteral("FILE"), QStringLiteral("the PDF file to write")},
        },
    .run = &runReport,
}};

} // namespace
