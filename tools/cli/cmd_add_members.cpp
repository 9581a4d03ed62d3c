// kestrovan add-members: puts clients into a list by status, by delivery
// service, one by one or from a column of a CSV file, with the same selection,
// flags and stamps as the members window, and prints the same count message.

#include "tools/cli/cli.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "members/add_members.h"
#include "members/import_members.h"

#include <QFile>

namespace {

const QStringList kStatusCodes = {QStringLiteral("none"), QStringLiteral("N"), QStringLiteral("W"),
                                  QStringLiteral("A"),    QStringLiteral("S"), QStringLiteral("I")};
// A spreadsheet of client ids is small; anything far larger is not one.
constexpr qint64 kMaxImportBytes = 64 * 1024 * 1024;

QString readImportFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw kv::cli::UsageError{QStringLiteral("--from-csv: cannot read \"%1\": %2").arg(path, f.errorString())};
    const QByteArray bytes = f.read(kMaxImportBytes + 1);
    if (bytes.size() > kMaxImportBytes)
        throw kv::cli::UsageError{QStringLiteral("--from-csv: \"%1\" is larger than 64 MB").arg(path)};
    return QString::fromUtf8(bytes);
}

int runAddMembers(kv::cli::Context &ctx)
{
    const int methods = int(ctx.hasOption(QStringLiteral("status"))) + int(ctx.hasOption(QStringLiteral("service")))
        + int(ctx.hasOption(QStringLiteral("client"))) + int(ctx.hasOption(QStringLiteral("from-csv")));
    if (methods != 1)
        throw kv::cli::UsageError{QStringLiteral("choose exactly one of --status, --service, --client and --from-csv")};
    if (ctx.hasOption(QStringLiteral("column")) && !ctx.hasOption(QStringLiteral("from-csv")))
        throw kv::cli::UsageError{QStringLiteral("--column goes with --from-csv")};

    kv::AddMembersChoice choice;
    if (ctx.hasOption(QStringLiteral("status"))) {
        choice.method = kv::AddMembersChoice::ByStatus;
        choice.statusIndex = int(kStatusCodes.indexOf(ctx.choice(QStringLiteral("status"), kStatusCodes)));
    } else if (ctx.hasOption(QStringLiteral("service"))) {
        choice.method = kv::AddMembersChoice::ByService;
        choice.serviceId = ctx.idOption(QStringLiteral("service"), QString());
    } else {
        choice.method = kv::AddMembersChoice::SingleClient;
    }

    const QString type = ctx.choice(QStringLiteral("delivery-type"), {QStringLiteral("all"), QStringLiteral("O"), QStringLiteral("E")},
                                    QStringLiteral("all"));
    choice.deliveryType = type == QLatin1String("O")   ? kv::AddMembersChoice::OngoingOnly
                          : type == QLatin1String("E") ? kv::AddMembersChoice::EpisodicOnly
                                                       : kv::AddMembersChoice::AllDeliveryTypes;
    choice.flags.invited =
        ctx.choice(QStringLiteral("invited"), {QStringLiteral("yes"), QStringLiteral("no")}, QStringLiteral("no")) == QLatin1String("yes");
    const QString confirmed =
        ctx.choice(QStringLiteral("confirmed"), {QStringLiteral("Y"), QStringLiteral("N"), QStringLiteral("unknown")}, QStringLiteral("unknown"));
    choice.flags.confirmed = confirmed == QLatin1String("Y")   ? Qt::Checked
                             : confirmed == QLatin1String("N") ? Qt::Unchecked
                                                               : Qt::PartiallyChecked;
    std::optional<int> personId;
    if (choice.method == kv::AddMembersChoice::SingleClient && !ctx.hasOption(QStringLiteral("from-csv")))
        personId = ctx.idOption(QStringLiteral("client"), QString());

    // The file is read before the database is opened: a bad file writes nothing.
    std::optional<kv::MemberImportFile> file;
    if (ctx.hasOption(QStringLiteral("from-csv"))) {
        try {
            file = kv::MemberImportFile::fromCsv(readImportFile(ctx.option(QStringLiteral("from-csv"))),
                                                 ctx.option(QStringLiteral("column")));
        } catch (const kv::Error &e) {
            // Decides: a file that cannot be read is a bad argument (status 2, with the usage).
            throw kv::cli::UsageError{QStringLiteral("--from-csv: ") + e.text()};
        }
    }

    // The list is chosen first: the lookup travels with the connection's first trip.
    TDataModuleLists &dm = ctx.dataModule({&TDataModuleLists::QueryListLookup});
    const int listId = ctx.chosenList().id;
    dm.QueryListLookup->close();

    if (file) {
        kv::ImportMembers import(*dm.DatabaseLists, ctx.progress());
        const kv::ImportMembers::Result r = import.run(listId, *file, choice.flags);
        ctx.out() << kv::ImportMembers::summary(r) << Qt::endl;
        return 0;
    }
    if (choice.method == kv::AddMembersChoice::ByService)
        ctx.requireService(*choice.serviceId);
    if (personId) {
        kv::Query &clients = *dm.QueryClientLookUp;
        if (clients.isOpen())
            clients.refresh();
        else
            clients.open();
        if (!clients.locate({QStringLiteral("Person_ID")}, {*personId}))
            throw kv::cli::UsageError{QStringLiteral("There is no client with Person_ID %1.").arg(*personId)};
        choice.personId = clients.fieldValue(QStringLiteral("Person_ID"));
        choice.clientId = clients.fieldValue(QStringLiteral("Client_ID")).toString();
    }

    kv::AddMembers op(*dm.DatabaseLists, ctx.prompts(), ctx.progress());
    // The operation runs its own unit and tells its result only after the
    // commit; an outer unit here would make it say "added" before that.
    op.run(listId, choice);
    return 0;
}

kv::cli::Registration reg{{
    .name = QStringLiteral("add-members"),
    .summary = QStringLiteral("adds clients to a list by status, delivery service, Person_ID or a column of a CSV file"),
    .usage = QStringLiteral("kestrovan add-members (--list NAME | --list-id N) (--status none|N|W|A|S|I | --service ID | --client PERSON_ID | "
                            "--from-csv FILE [--column NAME]) [--delivery-type all|O|E] [--invited yes|no] [--confirmed Y|N|unknown]"),
    .options = kv::cli::listOptions(QStringLiteral("the list to add to"))
        + QList<kv::cli::OptionSpec>{
            {QStringLiteral("status"), QStringLiteral("CODE"), QStringLiteral("clients of a status: none, N, W, A, S or I")},
            {QStringLiteral("service"), QStringLiteral("ID"), QStringLiteral("active clients of a delivery service")},
            {QStringLiteral("client"), QStringLiteral("PERSON_ID"), QStringLiteral("one client")},
            {QStringLiteral("from-csv"), QStringLiteral("FILE"),
             QStringLiteral("the clients named by a column of client ids (or person ids) of a CSV file with a header line; "
                            "all or nothing")},
            {QStringLiteral("column"), QStringLiteral("NAME"),
             QStringLiteral("the column of --from-csv (default: the one headed Client_ID, else Person_ID)")},
            {QStringLiteral("delivery-type"), QStringLiteral("TYPE"),
             QStringLiteral("with --status or --service: all, O (ongoing) or E (episodic); default all")},
            {QStringLiteral("invited"), QStringLiteral("yes|no"), QStringLiteral("the new members' Invited flag; default no")},
            {QStringLiteral("confirmed"), QStringLiteral("Y|N|unknown"), QStringLiteral("the new members' Confirmed flag; default unknown")},
        },
    .run = &runAddMembers,
}};

} // namespace
