// kestrovan fulfil: schedules the deliveries of a list as the fulfilment
// window does, with the list's stored defaults for every option left out.

#include "tools/cli/cli.h"

#include "data/engine/query.h"
#include "lists/fulfil_list.h"

namespace {

const QString kUsage = QStringLiteral(
    "kestrovan fulfil --list NAME --date YYYY-MM-DD [--confirmed checked|unchecked|unknown|irrelevant] "
    "[--active-only yes|no] [--service own|ID] [--item none|ID] [--yes] [--skip-scheduled]");

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
        if (m_skip && buttons == Buttons::YesNoCancel && text.endsWith(kv::ListFulfilment::kRerunQuestionEnd))
            return Answer::No;
        return m_inner.ask(kind, text, buttons);
    }
    void show(Kind kind, const QString &text) override { m_inner.show(kind, text); }

private:
    kv::Prompts &m_inner;
    bool m_skip;
};

// Positions the list lookup on the first list of that name.
void locateListByName(kv::Query &lookup, const QString &name)
{
    if (lookup.isOpen())
        lookup.refresh();
    else
        lookup.open();
    if (!lookup.locate({QStringLiteral("List_Name")}, {name}))
        throw kv::cli::UsageError{QStringLiteral("There is no list named \"%1\".").arg(name)};
}

bool hasKey(kv::Query &q, const char *keyField, int id)
{
    if (!q.isOpen())
        q.open();
    const int f = q.fieldIndex(QLatin1String(keyField));
    for (int r = 0; r < q.recordCount(); ++r)
        if (q.valueAt(r, f).toInt() == id)
            return true;
    return false;
}

int readId(const QString &option, const QString &value)
{
    bool ok = false;
    const int id = value.toInt(&ok);
    if (!ok)
        throw kv::cli::UsageError{QStringLiteral("%1 takes a number or the word shown in the usage").arg(option)};
    return id;
}

int runFulfil(kv::cli::Context &ctx)
{
    const QString name = ctx.requireOption(QStringLiteral("--list"));
    const QDate date = QDate::fromString(ctx.requireOption(QStringLiteral("--date")), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        throw kv::cli::UsageError{QStringLiteral("--date must be a date written YYYY-MM-DD")};

    TDataModuleLists &dm = ctx.dataModule();
    locateListByName(*dm.QueryListLookup, name);
    kv::FulfilmentOptions o = kv::ListDefaults::fromCurrentRow(*dm.QueryListLookup).toOptions();
    const int listId = dm.QueryListLookup->fieldValue(QStringLiteral("Record_ID")).toInt();
    o.deliveryDate = date;

    if (ctx.hasOption(QStringLiteral("--confirmed"))) {
        static const QStringList words{QStringLiteral("checked"), QStringLiteral("unchecked"), QStringLiteral("unknown"),
                                       QStringLiteral("irrelevant")};
        o.confirmedIndex = int(words.indexOf(ctx.option(QStringLiteral("--confirmed")).toLower()));
        if (o.confirmedIndex < 0)
            throw kv::cli::UsageError{QStringLiteral("--confirmed takes checked, unchecked, unknown or irrelevant")};
    }
    if (ctx.hasOption(QStringLiteral("--active-only"))) {
        const QString v = ctx.option(QStringLiteral("--active-only")).toLower();
        if (v != QLatin1String("yes") && v != QLatin1String("no"))
            throw kv::cli::UsageError{QStringLiteral("--active-only takes yes or no")};
        o.activeOnly = v == QLatin1String("yes");
    }
    if (ctx.hasOption(QStringLiteral("--service"))) {
        const QString v = ctx.option(QStringLiteral("--service"));
        o.serviceId.reset();
        if (v.compare(QLatin1String("own"), Qt::CaseInsensitive) == 0) {
            o.serviceIndex = kv::FulfilmentOptions::ClientsOwnService;
        } else {
            o.serviceIndex = kv::FulfilmentOptions::SelectedService;
            o.serviceId = readId(QStringLiteral("--service"), v);
        }
    }
    if (ctx.hasOption(QStringLiteral("--item"))) {
        const QString v = ctx.option(QStringLiteral("--item"));
        o.itemId.reset();
        if (v.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
            o.itemsIndex = kv::FulfilmentOptions::ServiceDefaults;
        } else {
            o.itemsIndex = kv::FulfilmentOptions::SelectedItem;
            o.itemId = readId(QStringLiteral("--item"), v);
        }
    }
    // Only what the window's lookups offer can be chosen: a delivery service
    // and an item that exist.
    if (o.serviceIndex == kv::FulfilmentOptions::SelectedService && o.serviceId
        && !hasKey(*dm.QueryServices, "Service_ID", *o.serviceId))
        throw kv::cli::UsageError{QStringLiteral("There is no delivery service with ID %1.").arg(*o.serviceId)};
    if (o.itemsIndex == kv::FulfilmentOptions::SelectedItem && o.itemId && !hasKey(*dm.QueryItems, "Item_ID", *o.itemId))
        throw kv::cli::UsageError{QStringLiteral("There is no item with ID %1.").arg(*o.itemId)};
    const QString problem = kv::ListFulfilment::check(o);
    if (!problem.isEmpty())
        throw kv::cli::UsageError{problem};

    kv::NullProgress progress;
    const QString user = ctx.userName;
    SkipScheduledPrompts prompts(ctx.prompts(), ctx.flag(QStringLiteral("--skip-scheduled")));
    kv::ListFulfilment fulfilment(dm, prompts, progress, [user] { return user; });
    kv::ListFulfilment::Result r;
    try {
        r = fulfilment.run(listId, o);
    } catch (...) {
        fulfilment.finish();
        throw;
    }
    fulfilment.finish();
    if (r.outcome == kv::ListFulfilment::Outcome::Fulfilled || r.skipped > 0)
        ctx.out() << QStringLiteral("%1 deliveries scheduled for %2 on %3, %4 members skipped.")
                         .arg(r.deliveries)
                         .arg(name, date.toString(Qt::ISODate))
                         .arg(r.skipped)
                  << Qt::endl;
    return 0;
}

kv::cli::Registration reg{QStringLiteral("fulfil"), kUsage, &runFulfil};

} // namespace
