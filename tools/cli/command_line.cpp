#include "tools/cli/command_line.h"

#include "data/list_stamp.h"

#include <QCommandLineParser>
#include <QSet>

#include <algorithm>

#ifndef KESTROVAN_VERSION
#define KESTROVAN_VERSION "0"
#endif

namespace kv::cli {

namespace {

const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");
const QString kData = QStringLiteral("data");
const QString kServer = QStringLiteral("server");
const QString kUser = QStringLiteral("user");
const QString kYes = QStringLiteral("yes");

const QString kExitStatusText = QStringLiteral(
    "Exit status: 0 the command did all it said; 1 a question was not answered (give --yes), nothing written; "
    "2 an error or a bad argument (named on stderr), nothing written; 3 the connection to the server was lost as the "
    "changes were being saved and the server could not say whether it saved them (stderr says how to look); "
    "130 interrupted (Ctrl+C or SIGTERM), nothing written.\n");

QCommandLineOption toQt(const OptionSpec &o)
{
    QStringList names{o.name};
    if (o.name == kHelp)
        names.prepend(QStringLiteral("h"));
    return o.isFlag() ? QCommandLineOption(names, o.description) : QCommandLineOption(names, o.description, o.valueName);
}

QString optionLines(const QList<OptionSpec> &options)
{
    QStringList left;
    for (const OptionSpec &o : options)
        left << QStringLiteral("--") + o.name + (o.isFlag() ? QString() : QLatin1Char(' ') + o.valueName);
    int width = 0;
    for (const QString &l : std::as_const(left))
        width = qMax(width, int(l.size()));
    QString text;
    for (int i = 0; i < options.size(); ++i)
        text += QStringLiteral("  ") + left.at(i).leftJustified(width + 2) + options.at(i).description + QLatin1Char('\n');
    return text;
}

const QList<OptionSpec> &helpAndVersion()
{
    static const QList<OptionSpec> list{{kHelp, QString(), QStringLiteral("print this help on stdout")},
                                        {kVersion, QString(), QStringLiteral("print the version on stdout")}};
    return list;
}

// The first argument that is neither an option nor the value of a global one.
int commandIndex(const QStringList &args)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--"))
            return i + 1 < args.size() ? i + 1 : -1;
        if (a.startsWith(QLatin1Char('-'))) {
            if (!a.contains(QLatin1Char('='))) {
                const QString bare = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
                for (const OptionSpec &g : globalOptions())
                    if (!g.isFlag() && g.name == bare)
                        ++i; // its value
            }
            continue;
        }
        return i;
    }
    return -1;
}

} // namespace

QList<Command> &commands()
{
    static QList<Command> list;
    return list;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

Registration::Registration(Command command)
{
    commands().push_back(std::move(command));
}

Registration::Registration(const QString &name, const QString &usage, Handler run)
    : Registration(Command{name, QString(), usage, {}, std::move(run)})
{
}

const QList<OptionSpec> &globalOptions()
{
    static const QList<OptionSpec> list{
        {kData, QStringLiteral("DIR"), QStringLiteral("the data location (file server) for this run, instead of the registry's")},
        {kServer, QStringLiteral("HOST"), QStringLiteral("the database server (client-server) for this run, instead of the registry's")},
        {kUser, QStringLiteral("NAME"), QStringLiteral("the user name written into stamps and notes, at most %1 characters (default: the login name, cut to fit)")
                                      .arg(kv::ListStamp::kMaxNameLength)},
        {kYes, QString(), QStringLiteral("answer Yes to every question the window would ask")},
    };
    return list;
}

Invocation parse(const QStringList &arguments)
{
    Invocation inv;
    const int at = commandIndex(arguments);
    QString name = at >= 0 ? arguments.at(at) : QString();
    bool helpCommand = false;
    if (name == kHelp) {
        helpCommand = true;
        name.clear();
        // "help SUBCOMMAND": the next word that is not an option names it.
        for (int i = at + 1; i < arguments.size(); ++i)
            if (!arguments.at(i).startsWith(QLatin1Char('-'))) {
                name = arguments.at(i);
                break;
            }
    }
    const Command *command = name.isEmpty() ? nullptr : findCommand(name);
    if (!name.isEmpty() && !command) {
        inv.error = QStringLiteral("unknown subcommand \"%1\"").arg(name);
        return inv;
    }
    inv.command = command;

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QList<OptionSpec> accepted = globalOptions() + helpAndVersion();
    if (command)
        accepted += command->options;
    for (const OptionSpec &o : std::as_const(accepted))
        parser.addOption(toQt(o));
    // The program's name is not among the arguments; QCommandLineParser skips the first.
    if (!parser.parse(QStringList{QStringLiteral("kestrovan")} + arguments)) {
        inv.error = parser.errorText();
        return inv;
    }

    QSet<QString> seen;
    for (const QString &n : parser.optionNames()) {
        const QString canonical = n == QLatin1String("h") ? kHelp : n;
        if (seen.contains(canonical)) {
            inv.error = QStringLiteral("--%1 is given more than once").arg(canonical);
            return inv;
        }
        seen.insert(canonical);
    }
    if (parser.isSet(kHelp) || helpCommand) {
        inv.action = Invocation::Action::Help;
        return inv;
    }
    if (parser.isSet(kVersion)) {
        inv.action = Invocation::Action::Version;
        inv.command = nullptr;
        return inv;
    }
    if (!command) {
        inv.error = QStringLiteral("no subcommand given");
        return inv;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        inv.error = QStringLiteral("unexpected argument \"%1\"").arg(positional.value(1));
        return inv;
    }

    inv.dataDir = parser.value(kData);
    inv.server = parser.value(kServer);
    inv.userName = parser.value(kUser);
    inv.yes = parser.isSet(kYes);
    if (parser.isSet(kUser) && inv.userName.trimmed().isEmpty()) {
        inv.error = QStringLiteral("--user takes a user name, not an empty text");
        return inv;
    }
    for (const OptionSpec &o : command->options)
        if (parser.isSet(o.name))
            inv.values.insert(o.name, o.isFlag() ? QString() : parser.value(o.name));
    inv.action = Invocation::Action::Run;
    return inv;
}

QString overviewHelp()
{
    QString text = QStringLiteral("kestrovan %1: the lists and deliveries of the Kestrovan plug-in from the command line.\n\n"
                                  "Usage: kestrovan [global options] SUBCOMMAND [options]\n"
                                  "       kestrovan help SUBCOMMAND\n\nSubcommands:\n")
                       .arg(QStringLiteral(KESTROVAN_VERSION));
    // Registration order follows the link order; the overview does not.
    QList<const Command *> sorted;
    int width = 0;
    for (const Command &c : commands()) {
        sorted << &c;
        width = qMax(width, int(c.name.size()));
    }
    std::sort(sorted.begin(), sorted.end(), [](const Command *a, const Command *b) { return a->name < b->name; });
    for (const Command *c : std::as_const(sorted))
        text += QStringLiteral("  ") + c->name.leftJustified(width + 2) + c->summary + QLatin1Char('\n');
    text += QStringLiteral("\nGlobal options (before or after the subcommand):\n") + optionLines(globalOptions() + helpAndVersion());
    text += QStringLiteral("\n--csv: ") + kCsvRuleText + QStringLiteral(".\n");
    text += QLatin1Char('\n') + kExitStatusText;
    return text;
}

QString commandHelp(const Command &c)
{
    QString text = QStringLiteral("Usage: ") + c.usage + QLatin1Char('\n');
    if (!c.summary.isEmpty())
        text += QLatin1Char('\n') + c.summary + QLatin1Char('\n');
    if (!c.options.isEmpty())
        text += QStringLiteral("\nOptions:\n") + optionLines(c.options);
    text += QStringLiteral("\nGlobal options:\n") + optionLines(globalOptions());
    text += QLatin1Char('\n') + kExitStatusText;
    return text;
}

QString versionText()
{
    return QStringLiteral("kestrovan %1\n").arg(QStringLiteral(KESTROVAN_VERSION));
}

} // namespace kv::cli
