// kestrovan members (--list NAME | --list-id N) [--csv | --json]: the members of a list as the
// members window loads them, hidden ones included, in last-name order.

#include "tools/cli/cli.h"

#include "members/member_load_save.h"
#include "members/member_row_set.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"

namespace {

using RS = kv::MemberRowSet;

struct Column
{
    const char *title;
    const char *key; // --json
    int field;
};

const Column kColumns[] = {
    {"Client ID", "client_id", RS::Client_ID},   {"Last", "last_name", RS::Last_Name},  {"First", "first_name", RS::First_Name},
    {"Address", "address", RS::Address1},        {"City", "city", RS::City},            {"Invited", "invited", RS::Invited},
    {"Confirmed", "confirmed", RS::Confirmed},   {"Qty", "quantity", RS::Quantity},     {"Visible", "visible", RS::RecVisible},
    {"Service", "service", RS::Service_Desc},    {"Status", "status", RS::Status},
};

QString cell(const RS &rows, int viewRow, int field)
{
    const QVariant v = rows.valueAt(viewRow, field);
    if (!v.isValid() || v.isNull())
        return QString();
    if (field == RS::RecVisible)
        return v.toBool() ? QStringLiteral("Y") : QStringLiteral("N");
    return v.toString();
}

int runMembers(kv::cli::Context &ctx)
{
    ctx.machineReadable(); // a bad combination is refused before the database is opened
    // The list is chosen first: the lookup travels with the connection's first trip.
    TDataModuleLists &dm = ctx.dataModule({&TDataModuleLists::QueryListLookup});
    const kv::cli::Context::ChosenList chosen = ctx.chosenList();
    const int listId = chosen.id;
    const QString listName = chosen.name;
    dm.QueryListLookup->close();

    kv::MemberLoadSave loadSave(dm, ctx.prompts());
    RS rows;
    rows.setFiltered(false); // hidden members too
    // A failed read throws; main prints it and ends with status 2.
    loadSave.load(rows, listName, listId);
    loadSave.closeClientInfo();

    QStringList titles, keys;
    for (const Column &c : kColumns) {
        titles << QString::fromLatin1(c.title);
        keys << QString::fromLatin1(c.key);
    }
    QList<QStringList> lines;
    for (int r = 0; r < rows.recordCount(); ++r) {
        QStringList cells;
        for (const Column &c : kColumns)
            cells << cell(rows, r, c.field);
        lines << cells;
    }
    ctx.printRows(titles, keys, lines);
    if (!ctx.machineReadable())
        ctx.out() << QStringLiteral("Members: ") << rows.recordCount() << Qt::endl;
    return 0;
}

kv::cli::Registration reg{{
    .name = QStringLiteral("members"),
    .summary = QStringLiteral("the members of a list, hidden ones included, in last-name order"),
    .usage = QStringLiteral("kestrovan members (--list NAME | --list-id N) [--csv | --json]"),
    .options = kv::cli::listOptions(QStringLiteral("the list"))
        + QList<kv::cli::OptionSpec>{kv::cli::csvOption(),
                kv::cli::jsonOption(QStringLiteral("client_id, last_name, first_name, address, city, invited, confirmed, quantity, "
                                                   "visible, service, status"))},
    .run = &runMembers,
}};

} // namespace
