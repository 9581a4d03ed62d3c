// kestrovan members --list NAME [--csv]: the members of a list as the members
// window loads them, hidden ones included, in last-name order.

#include "tools/cli/cli.h"

#include "members/member_load_save.h"
#include "members/member_row_set.h"

#include "data/engine/db_error.h"

namespace {

using RS = kv::MemberRowSet;

struct Column
{
    const char *title;
    int field;
};

const Column kColumns[] = {
    {"Client ID", RS::Client_ID}, {"Last", RS::Last_Name},     {"First", RS::First_Name},     {"Address", RS::Address1},
    {"City", RS::City},           {"Invited", RS::Invited},    {"Confirmed", RS::Confirmed},  {"Qty", RS::Quantity},
    {"Visible", RS::RecVisible},  {"Service", RS::Service_Desc}, {"Status", RS::Status},
};

QString cell(const RS &rows, int viewRow, int field)
{
    const QVariant v = rows.valueAt(viewRow, field);
    if (!v.isValid())
        return QString();
    if (field == RS::RecVisible)
        return v.toBool() ? QStringLiteral("Y") : QStringLiteral("N");
    return v.toString().simplified();
}

QString csvField(const QString &s)
{
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')))
        return s;
    QString q = s;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

int runMembers(kv::cli::Context &ctx)
{
    const QString listName = ctx.requireOption(QStringLiteral("--list"));
    const bool csv = ctx.flag(QStringLiteral("--csv"));
    TDataModuleLists &dm = ctx.dataModule();
    kv::MemberLoadSave loadSave(dm, ctx.prompts());
    if (loadSave.listIdByName(listName) == 0)
        throw kv::cli::UsageError{QStringLiteral("There is no list named \"%1\".").arg(listName)};
    dm.QueryGetListIDFromListName->close();

    RS rows;
    rows.setFiltered(false); // hidden members too
    const auto result = loadSave.load(rows, listName);
    loadSave.closeClientInfo();
    if (!result.completed)
        return 2;

    QTextStream &out = ctx.out();
    QStringList titles;
    for (const Column &c : kColumns)
        titles << QString::fromLatin1(c.title);
    if (csv) {
        out << titles.join(QLatin1Char(',')) << Qt::endl;
        for (int r = 0; r < rows.recordCount(); ++r) {
            QStringList cells;
            for (const Column &c : kColumns)
                cells << csvField(cell(rows, r, c.field));
            out << cells.join(QLatin1Char(',')) << Qt::endl;
        }
        return 0;
    }

    QList<QStringList> lines;
    for (int r = 0; r < rows.recordCount(); ++r) {
        QStringList cells;
        for (const Column &c : kColumns)
            cells << cell(rows, r, c.field);
        lines << cells;
    }
    kv::cli::printTable(out, titles, lines);
    out << QStringLiteral("Members: ") << rows.recordCount() << Qt::endl;
    return 0;
}

kv::cli::Registration reg{QStringLiteral("members"), QStringLiteral("kestrovan members --list NAME [--csv]"), &runMembers};

} // namespace
