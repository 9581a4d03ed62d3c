// kestrovan cancel-pending: removes the pending deliveries of a list and their
// item rows, and notes it in the history, as the lists window does.

#include "tools/cli/cli.h"

#include "data/engine/query.h"
#include "lists/cancel_pending.h"

namespace {

int runCancelPending(kv::cli::Context &ctx)
{
    const QString name = ctx.requireOption(QStringLiteral("--list"));
    TDataModuleLists &dm = ctx.dataModule();
    kv::Query &lookup = *dm.QueryListLookup;
    if (lookup.isOpen())
        lookup.refresh();
    else
        lookup.open();
    if (!lookup.locate({QStringLiteral("List_Name")}, {name}))
        throw kv::cli::UsageError{QStringLiteral("There is no list named \"%1\".").arg(name)};
    const QVariant listId = lookup.fieldValue(QStringLiteral("Record_ID"));
    const QString user = ctx.userName;
    kv::CancelPendingDeliveries cancel(*dm.DatabaseLists, ctx.prompts(), [user] { return user; });
    const std::optional<int> removed = cancel.run(listId, name);
    if (removed)
        ctx.out() << QStringLiteral("%1 pending deliveries of %2 cancelled.").arg(*removed).arg(name) << Qt::endl;
    return 0;
}

kv::cli::Registration reg{QStringLiteral("cancel-pending"), QStringLiteral("kestrovan cancel-pending --list NAME [--yes]"),
                          &runCancelPending};

} // namespace
