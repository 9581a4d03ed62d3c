// kestrovan add-members: puts clients into a list by status, by delivery
// service or one by one, with the same selection, flags and stamps as the
// members window, and prints the same count message.

#include "tools/cli/cli.h"

#include "data/engine/query.h"
#include "members/add_members.h"
#include "members/copy_members.h"
#include "shell/progress.h"

namespace {

const QStringList kStatusCodes = {QStringLiteral("none"), QStringLiteral("N"), QStringLiteral("W"),
                                  QStringLiteral("A"),    QStringLiteral("S"), QStringLiteral("I")};

int statusIndex(const QString &code)
{
    for (int i = 0; i < kStatusCodes.size(); ++i)
        if (kStatusCodes.at(i).compare(code, Qt::CaseInsensitive) == 0)
            return i;
    throw kv::cli::UsageError{QStringLiteral("--status takes none, N, W, A, S or I")};
}

int runAddMembers(kv::cli::Context &ctx)
{
    const QString name = ctx.requireOption(QStringLiteral("--list"));
    const int methods = int(ctx.hasOption(QStringLiteral("--status"))) + int(ctx.hasOption(QStringLiteral("--service")))
        + int(ctx.hasOption(QStringLiteral("--client")));
    if (methods != 1)
        throw kv::cli::UsageError{QStringLiteral("choose exactly one of --status, --service and --client")};

    kv::AddMembersChoice choice;
    if (ctx.hasOption(QStringLiteral("--status"))) {
        choice.method = kv::AddMembersChoice::ByStatus;
        choice.statusIndex = statusIndex(ctx.option(QStringLiteral("--status")));
    } else if (ctx.hasOption(QStringLiteral("--service"))) {
        choice.method = kv::AddMembersChoice::ByService;
        bool ok = false;
        const int id = ctx.option(QStringLiteral("--service")).toInt(&ok);
        if (!ok)
            throw kv::cli::UsageError{QStringLiteral("--service takes a service id")};
        choice.serviceId = id;
    } else {
        choice.method = kv::AddMembersChoice::SingleClient;
    }

    const QString type = ctx.option(QStringLiteral("--delivery-type"), QStringLiteral("all"));
    if (type.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
        choice.deliveryType = kv::AddMembersChoice::AllDeliveryTypes;
    else if (type.compare(QLatin1String("O"), Qt::CaseInsensitive) == 0)
        choice.deliveryType = kv::AddMembersChoice::OngoingOnly;
    else if (type.compare(QLatin1String("E"), Qt::CaseInsensitive) == 0)
        choice.deliveryType = kv::AddMembersChoice::EpisodicOnly;
    else
        throw kv::cli::UsageError{QStringLiteral("--delivery-type takes all, O or E")};

    const QString invited = ctx.option(QStringLiteral("--invited"), QStringLiteral("no"));
    if (invited != QLatin1String("yes") && invited != QLatin1String("no"))
        throw kv::cli::UsageError{QStringLiteral("--invited takes yes or no")};
    choice.flags.invited = invited == QLatin1String("yes");
    const QString confirmed = ctx.option(QStringLiteral("--confirmed"), QStringLiteral("unknown"));
    if (confirmed == QLatin1String("Y"))
        choice.flags.confirmed = Qt::Checked;
    else if (confirmed == QLatin1String("N"))
        choice.flags.confirmed = Qt::Unchecked;
    else if (confirmed == QLatin1String("unknown"))
        choice.flags.confirmed = Qt::PartiallyChecked;
    else
        throw kv::cli::UsageError{QStringLiteral("--confirmed takes Y, N or unknown")};

    TDataModuleLists &dm = ctx.dataModule();
    const int listId = kv::CopyMembers::destinationByName(*dm.QueryGetListIDFromListName, name);
    if (listId <= 0)
        throw kv::cli::UsageError{QStringLiteral("There is no list named \"%1\".").arg(name)};

    if (choice.method == kv::AddMembersChoice::SingleClient) {
        bool ok = false;
        const int personId = ctx.option(QStringLiteral("--client")).toInt(&ok);
        if (!ok)
            throw kv::cli::UsageError{QStringLiteral("--client takes a Person_ID")};
        kv::Query &clients = *dm.QueryClientLookUp;
        clients.close();
        clients.open();
        if (!clients.locate({QStringLiteral("Person_ID")}, {personId}))
            throw kv::cli::UsageError{QStringLiteral("There is no client with Person_ID %1.").arg(personId)};
        choice.personId = clients.fieldValue(QStringLiteral("Person_ID"));
        choice.clientId = clients.fieldValue(QStringLiteral("Client_ID")).toString();
    }

    kv::NullProgress progress;
    kv::AddMembers op(*dm.DatabaseLists, ctx.prompts(), progress);
    op.run(listId, choice);
    return 0;
}

kv::cli::Registration reg{
    QStringLiteral("add-members"),
    QStringLiteral("kestrovan add-members --list NAME (--status none|N|W|A|S|I | --service ID | --client PERSON_ID) "
                   "[--delivery-type all|O|E] [--invited yes|no] [--confirmed Y|N|unknown]"),
    &runAddMembers};

} // namespace
