#pragma once

// The tool's arguments read into a value before anything runs: which
// subcommand, its option values, the global options, or why the arguments
// cannot be run. Parsing touches no database and no file, so it can be tested
// and fuzzed on its own.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace kv::cli {

class Context;

// One option a subcommand (or the tool) accepts, written without dashes.
struct OptionSpec
{
    QString name; // "list" for --list
    QString valueName; // "NAME"; empty for a flag
    QString description;
    bool isFlag() const { return valueName.isEmpty(); }
};

using Handler = std::function<int(Context &)>;

struct Command
{
    QString name;
    QString summary; // one line for the overview
    QString usage; // the synopsis, "kestrovan lists [--json]"
    QList<OptionSpec> options;
    Handler run;
};

// Each subcommand registers itself from its own file, declaring its options there:
//   static kv::cli::Registration reg{{.name = ..., .summary = ..., .usage = ..., .options = {...}, .run = &runLists}};
struct Registration
{
    explicit Registration(Command command);
    // The older form: a subcommand without options of its own.
    Registration(const QString &name, const QString &usage, Handler run);
};

QList<Command> &commands();
const Command *findCommand(const QString &name);

// Accepted before or after the subcommand.
const QList<OptionSpec> &globalOptions();

struct Invocation
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Error;
    const Command *command = nullptr; // Run; Help of one subcommand; an Error within one
    QString error; // Error: what is wrong, naming the argument

    QString dataDir; // --data
    QString server; // --server
    QString userName; // --user (empty when not given)
    bool yes = false; // --yes
    // The subcommand's own options: values by name, flags present with an empty value.
    QHash<QString, QString> values;

    bool has(const QString &name) const { return values.contains(name); }
};

// Reads the arguments (without the program's name).
Invocation parse(const QStringList &arguments);

// The texts --help prints: the overview, or one subcommand's options.
QString overviewHelp();
QString commandHelp(const Command &command);
QString versionText();

// Deliveries are stamped "NAME (List)" into Created_By, 40 characters wide as
// History's User is; a longer name fails the insert on PostgreSQL (SQLite would
// keep it whole), so --user is held to what fits on both (ListStamp).

// How --csv writes, as the overview and each listing's help state it.
inline const QString kCsvRuleText = QStringLiteral(
    "comma-separated values with a header line (RFC 4180); a text starting with =, +, -, @, TAB or CR gets a leading ' "
    "so that a spreadsheet shows it rather than running it (numbers stay numbers; --json stays raw)");

// The exit statuses, as the help and the README state them.
enum ExitStatus { ExitDone = 0, ExitQuestion = 1, ExitError = 2, ExitOutcomeUnknown = 3, ExitInterrupted = 130 };

} // namespace kv::cli
