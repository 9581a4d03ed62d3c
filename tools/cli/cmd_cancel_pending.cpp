// kestrovan cancel-pending: removes the pending deliveries of a list and their
// item rows, and notes it in the history, as the lists window does.

#include "tools/cli/cli.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "lists/cancel_pending.h"
#include "lists/result_sentences.h"

namespace {

int runCancelPending(kv::cli::Context &ctx)
{
    // The list is chosen first: the lookup travels with the connection's first trip.
    TDataModuleLists &dm = ctx.dataModule({&TDataModuleLists::QueryListLookup});
    const kv::cli::Context::ChosenList chosen = ctx.chosenList();
    const int id = chosen.id;
    const QString name = chosen.name;
    const QVariant listId = id;
    dm.QueryListLookup->close();
    const QString user = ctx.userName;
    kv::CancelPendingDeliveries cancel(*dm.DatabaseLists, ctx.prompts(), [user] { return user; });
    std::optional<int> removed;
    kv::UnitOfWork::run(*dm.DatabaseLists, [&] { removed = cancel.run(listId, name); });
    if (removed)
        ctx.out() << kv::cancelPendingResultText(*removed, name) << Qt::endl;
    return 0;
}

kv::cli::Registration reg{{
    .name = QStringLiteral("cancel-pending"),
    .summary = QStringLiteral("deletes the pending deliveries a list scheduled, with their items"),
    .usage = QStringLiteral("kestrovan cancel-pending (--list NAME | --list-id N) [--yes]"),
    .options = kv::cli::listOptions(QStringLiteral("the list")),
    .run = &runCancelPending,
}};

} // namespace
