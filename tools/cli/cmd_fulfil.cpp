// kestrovan fulfil: schedules the deliveries of a list as the fulfilment
// window does, with the list's stored defaults for every option left out;
// --dry-run shows the deliveries instead of writing them.

#include "tools/cli/cli.h"

#include "data/dates.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/translate.h"
#include "lists/fulfil_list.h"
#include "lists/fulfil_preview.h"
#include "lists/result_sentences.h"

#include <QLocale>

#include <algorithm>

namespace {

const QString kUsage = QStringLiteral(
    "kestrovan fulfil (--list NAME | --list-id N) --date YYYY-MM-DD [--confirmed checked|unchecked|unknown|irrelevant] "
    "[--active-only yes|no] [--service own|ID] [--item none|ID] [--quantity N] [--dry-run [--csv | --json]] [--yes] "
    "[--skip-scheduled]");

// --skip-scheduled answers No to "... Schedule them again?": only the members
// without a delivery from the list on the date are scheduled. Every other
// question goes to the tool's own prompts (--yes).
class SkipScheduledPrompts : public kv::Prompts
{
public:
    SkipScheduledPrompts(kv::Prompts &inner, bool skip)
        : m_inner(inner)
        , m_skip(skip)
    {
    }
    Answer ask(Kind kind, const QString &text, Buttons buttons) override
    {
        if (m_skip && buttons == Buttons::YesNoCancel && text.endsWith(kv::shown("ListFulfilment", kv::ListFulfilment::kRerunQuestionEnd)))
            return Answer::No;
        return m_inner.ask(kind, text, buttons);
    }
    void show(Kind kind, const QString &text) override { m_inner.show(kind, text); }

private:
    kv::Prompts &m_inner;
    bool m_skip;
};

const QString kDryRunSummary = QStringLiteral("Dry run: %1 deliveries would be scheduled for %2 on %3; nothing was written.");
const QString kDryRunAlready = QStringLiteral(
    "%1 of these members already have a delivery from this list on that date; --skip-scheduled leaves them out.");

void printPlan(kv::cli::Context &ctx, const QList<kv::PlannedDelivery> &plan, const kv::FulfilmentOptions &o)
{
    const bool withItem = o.itemsIndex == kv::FulfilmentOptions::SelectedItem;
    QStringList titles{QStringLiteral("Person ID"), QStringLiteral("Client ID"), QStringLiteral("Name"),     QStringLiteral("Date"),
                       QStringLiteral("Day"),       QStringLiteral("Route"),     QStringLiteral("Stop"),     QStringLiteral("Schedule"),
                       QStringLiteral("Service ID"), QStringLiteral("Service")};
    QStringList keys{QStringLiteral("person_id"), QStringLiteral("client_id"),  QStringLiteral("name"),  QStringLiteral("date"),
                     QStringLiteral("day"),       QStringLiteral("route"),      QStringLiteral("stop"),  QStringLiteral("schedule_type"),
                     QStringLiteral("service_id"), QStringLiteral("service")};
    if (withItem) {
        titles << QStringLiteral("Item ID") << QStringLiteral("Item") << QStringLiteral("Qty");
        keys << QStringLiteral("item_id") << QStringLiteral("item") << QStringLiteral("quantity");
    }
    QList<QStringList> rows;
    for (const kv::PlannedDelivery &d : plan) {
        const QString name = d.firstName.isEmpty() ? d.lastName : d.lastName + QStringLiteral(", ") + d.firstName;
        QStringList row{QString::number(d.personId),
                        d.clientId,
                        name,
                        d.date.toString(Qt::ISODate),
                        d.day,
                        d.route,
                        QString::number(d.stop),
                        d.scheduleType,
                        d.serviceId ? QString::number(*d.serviceId) : QString(),
                        d.serviceName};
        if (withItem)
            row << QString::number(*d.itemId) << d.itemName << QString::number(d.quantity);
        rows << row;
    }
    ctx.printRows(titles, keys, rows);
}

int runFulfil(kv::cli::Context &ctx)
{
    ctx.requireOption(QStringLiteral("date"));
    const QDate date = ctx.dateOption(QStringLiteral("date"));
    const bool dryRun = ctx.flag(QStringLiteral("dry-run"));
    if (!dryRun && ctx.machineReadable())
        throw kv::cli::UsageError{QStringLiteral("--csv and --json go with --dry-run")};

    // Every value is checked before the database is opened.
    std::optional<int> confirmed, service, item, quantity;
    std::optional<bool> activeOnly;
    bool serviceGiven = ctx.hasOption(QStringLiteral("service")), itemGiven = ctx.hasOption(QStringLiteral("item"));
    if (ctx.hasOption(QStringLiteral("confirmed"))) {
        static const QStringList words{QStringLiteral("checked"), QStringLiteral("unchecked"), QStringLiteral("unknown"),
                                       QStringLiteral("irrelevant")};
        confirmed = int(words.indexOf(ctx.choice(QStringLiteral("confirmed"), words)));
    }
    if (ctx.hasOption(QStringLiteral("active-only")))
        activeOnly = ctx.choice(QStringLiteral("active-only"), {QStringLiteral("yes"), QStringLiteral("no")}) == QLatin1String("yes");
    if (serviceGiven)
        service = ctx.idOption(QStringLiteral("service"), QStringLiteral("own"));
    if (itemGiven)
        item = ctx.idOption(QStringLiteral("item"), QStringLiteral("none"));
    if (ctx.hasOption(QStringLiteral("quantity")))
        quantity = ctx.intOption(QStringLiteral("quantity"), 0, 999);

    // The list is chosen first: the lookup travels with the connection's first trip.
    TDataModuleLists &dm = ctx.dataModule({&TDataModuleLists::QueryListLookup});
    const kv::cli::Context::ChosenList chosen = ctx.chosenList();
    const int listId = chosen.id;
    const QString name = chosen.name;
    kv::FulfilmentOptions o = kv::ListDefaults::fromCurrentRow(*dm.QueryListLookup).toOptions();
    dm.QueryListLookup->close();
    o.deliveryDate = date;
    if (confirmed)
        o.confirmedIndex = *confirmed;
    if (activeOnly)
        o.activeOnly = *activeOnly;
    if (serviceGiven) {
        o.serviceIndex = service ? kv::FulfilmentOptions::SelectedService : kv::FulfilmentOptions::ClientsOwnService;
        o.serviceId = service;
    }
    if (itemGiven) {
        o.itemsIndex = item ? kv::FulfilmentOptions::SelectedItem : kv::FulfilmentOptions::ServiceDefaults;
        o.itemId = item;
    }
    if (quantity)
        o.quantity = *quantity;
    // Only what the window's lookups offer can be chosen: a delivery service
    // and an item that exist.
    if (o.serviceIndex == kv::FulfilmentOptions::SelectedService && o.serviceId)
        ctx.requireService(*o.serviceId);
    if (o.itemsIndex == kv::FulfilmentOptions::SelectedItem && o.itemId)
        ctx.requireItem(*o.itemId);
    const QString problem = kv::ListFulfilment::check(o);
    if (!problem.isEmpty())
        throw kv::cli::UsageError{problem};

    if (dryRun) {
        QList<kv::PlannedDelivery> plan = kv::FulfilmentPreview::plan(dm, listId, o);
        if (plan.isEmpty()) {
            ctx.prompts().inform(kv::shown("ListFulfilment", kv::ListFulfilment::kNoCandidatesMessage));
            return 0;
        }
        if (ctx.flag(QStringLiteral("skip-scheduled"))) {
            const qsizetype matched = plan.size();
            plan.removeIf([](const kv::PlannedDelivery &d) { return d.alreadyScheduled; });
            // Members did match: say why none would be scheduled, as the real run does.
            if (plan.isEmpty()) {
                ctx.prompts().inform(kv::shown("ListFulfilment", kv::ListFulfilment::kAllScheduledMessage).arg(matched).arg(
                    QLocale().toString(date, kv::AcceptedDates::shortFormat())));
                return 0;
            }
        }
        printPlan(ctx, plan, o);
        QString summary = kDryRunSummary.arg(plan.size()).arg(name, date.toString(Qt::ISODate));
        const qsizetype already = std::count_if(plan.begin(), plan.end(), [](const kv::PlannedDelivery &d) { return d.alreadyScheduled; });
        if (already > 0)
            summary += QLatin1Char('\n') + kDryRunAlready.arg(already);
        if (ctx.machineReadable())
            ctx.err() << summary << Qt::endl;
        else
            ctx.out() << summary << Qt::endl;
        return 0;
    }

    const QString user = ctx.userName;
    SkipScheduledPrompts prompts(ctx.prompts(), ctx.flag(QStringLiteral("skip-scheduled")));
    kv::ListFulfilment fulfilment(dm, prompts, ctx.progress(), [user] { return user; });
    kv::ListFulfilment::Result r;
    try {
        kv::UnitOfWork::run(*dm.DatabaseLists, [&] { r = fulfilment.run(listId, o); });
    } catch (...) {
        fulfilment.finish();
        throw;
    }
    fulfilment.finish();
    if (r.outcome == kv::ListFulfilment::Outcome::Fulfilled || r.skipped > 0)
        ctx.out() << kv::fulfilmentResultText(r.deliveries, name, date, r.skipped) << Qt::endl;
    return 0;
}

kv::cli::Registration reg{{
    .name = QStringLiteral("fulfil"),
    .summary = QStringLiteral("schedules a delivery for every qualifying member of a list (or shows them with --dry-run)"),
    .usage = kUsage,
    .options = kv::cli::listOptions(QStringLiteral("the list to fulfil"))
        + QList<kv::cli::OptionSpec>{
            {QStringLiteral("date"), QStringLiteral("YYYY-MM-DD"), QStringLiteral("the delivery date")},
            {QStringLiteral("confirmed"), QStringLiteral("WHICH"),
             QStringLiteral("members whose Confirmed is checked, unchecked, unknown, or irrelevant (all)")},
            {QStringLiteral("active-only"), QStringLiteral("yes|no"), QStringLiteral("active clients only")},
            {QStringLiteral("service"), QStringLiteral("own|ID"), QStringLiteral("each client's own service, or this delivery service")},
            {QStringLiteral("item"), QStringLiteral("none|ID"), QStringLiteral("the service's default items, or this item")},
            {QStringLiteral("quantity"), QStringLiteral("N"),
             QStringLiteral("the list's quantity, 0 to 999: with an item, each member gets the larger of this and their own")},
            {QStringLiteral("skip-scheduled"), QString(),
             QStringLiteral("answer No when members already have a delivery from the list on the date: schedule only the others")},
            {QStringLiteral("dry-run"), QString(),
             QStringLiteral("print the deliveries the run would write (member, route, stop, service, item) and write nothing")},
            kv::cli::csvOption(),
            kv::cli::jsonOption(QStringLiteral("person_id, client_id, name, date, day, route, stop, schedule_type, service_id, service, "
                                               "and with an item item_id, item, quantity")),
        },
    .run = &runFulfil,
}};

} // namespace
