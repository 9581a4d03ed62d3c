#pragma once

#include "data/data_module.h"
#include "data/prompts.h"
#include "shell/progress.h"
#include "tools/cli/command_line.h"

#include <QDate>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <utility>
#include <optional>

namespace kv::cli {

// A question the tool would have to ask: without --yes it prints the text on
// stderr and ends with status 1, having written nothing more.
struct QuestionRefused
{
    QString text;
};

// Bad arguments or an error: printed on stderr, status 2.
struct UsageError
{
    QString text;
};

class CliPrompts : public Prompts
{
public:
    explicit CliPrompts(bool yes)
        : m_yes(yes)
    {
    }
    Answer ask(Kind kind, const QString &text, Buttons buttons) override;
    void show(Kind kind, const QString &text) override;
    bool errorShown() const { return m_errorShown; }
    // While held, errors are kept instead of printed (the tool's start, whose
    // errors may all come from one lost server); printHeld() prints them.
    void holdErrors(bool hold) { m_hold = hold; }
    QStringList takeHeldErrors() { return std::exchange(m_held, {}); }
    void printHeldErrors();

private:
    bool m_yes;
    bool m_errorShown = false;
    bool m_hold = false;
    QStringList m_held;
};

// Progress of a writing loop: silent, but it stops the operation (kv::Cancelled,
// so the unit of work rolls back) once SIGINT or SIGTERM has arrived.
class CliProgress : public Progress
{
public:
    void setPercent(int percent) override;
    void busy(bool on) override;
};

// Installs the SIGINT/SIGTERM handler that asks the running operation to stop;
// a second signal ends the process at once.
void installInterruptHandler();
bool interruptRequested();
// Throws kv::Cancelled once an interrupt has arrived (never while another
// exception is on its way). phase names the place for pauseAt().
void stopIfInterrupted(const char *phase);
// With KESTROVAN_CLI_PAUSE_AT=phase in the environment, the first time the run
// reaches that phase ("write": a writing or rendering loop, "commit": just
// before COMMIT) it says "kestrovan: paused at PHASE" on stderr and waits for
// SIGINT or SIGTERM, so that a test interrupts it at a known place instead of
// guessing from the clock.
void pauseAt(const char *phase);

class Context
{
public:
    explicit Context(const Invocation &invocation);
    ~Context();

    const Command &command() const { return *m_inv.command; }
    QString dataDir; // --data
    QString server; // --server
    QString userName; // --user, else the login name
    bool yes = false; // --yes

    // Creates and connects the data module (registry settings unless --data or
    // --server say otherwise). firstReads, on the call that creates it: the
    // standing queries the subcommand opens first, which then travel with the
    // connection's catalogue query to a server far away.
    using FirstReads = std::initializer_list<kv::Query *TDataModuleLists::*>;
    TDataModuleLists &dataModule(FirstReads firstReads = {});
    CliPrompts &prompts();
    // After an error: true when the run was connected to a database server
    // that no longer answers a new connection (stopped, or gone from the network).
    bool serverWentAway();
    QString serverName() const; // "HOST:PORT"
    CliProgress &progress() { return m_progress; }
    QTextStream &out();
    QTextStream &err();

    // The subcommand's options, named "--list" or "list". Asking for an option
    // the subcommand does not declare is a programming error (std::logic_error).
    QString option(const QString &name, const QString &fallback = QString()) const;
    bool hasOption(const QString &name) const;
    bool flag(const QString &name) const { return hasOption(name); }
    QString requireOption(const QString &name) const;

    // Typed values; a bad one is a UsageError naming the option, what it
    // takes and what it got.
    // One of the words (case-insensitive); answers the word as listed.
    QString choice(const QString &name, const QStringList &words, const QString &fallback = QString()) const;
    int intOption(const QString &name, int min, int max, int fallback = 0) const;
    QDate dateOption(const QString &name) const; // empty QDate when not given
    // A positive id, or nullopt for the word (e.g. "none", "own").
    std::optional<int> idOption(const QString &name, const QString &word) const;

    // Rows in the form --json / --csv ask for (a table otherwise); both at
    // once is a UsageError.
    void printRows(const QStringList &titles, const QStringList &jsonKeys, const QList<QStringList> &rows);
    bool machineReadable() const;

    // The list --list NAME or --list-id N names (exactly one of them), among
    // the plug-in's own lists (Reason 'LST') as the lists window shows them,
    // with QueryListLookup on its row. A name two lists share is refused,
    // each of them listed, since acting on one would be a guess.
    struct ChosenList
    {
        int id = 0;
        QString name;
    };
    ChosenList chosenList();
    // Refuse an id the database does not hold.
    void requireService(int serviceId);
    void requireItem(int itemId);

private:
    QString declared(const QString &name) const;

    Invocation m_inv;
    CliProgress m_progress;
    std::unique_ptr<CliPrompts> m_prompts;
    std::unique_ptr<TDataModuleLists> m_dm;
};

// Prints rows as aligned columns under their titles and a rule of dashes.
void printTable(QTextStream &out, const QStringList &titles, const QList<QStringList> &rows);
// RFC 4180: a header line, then one line per row, CRLF line ends; a field with
// a comma, quote or line break is quoted with its quotes doubled.
void printCsv(QTextStream &out, const QStringList &titles, const QList<QStringList> &rows);
QString csvField(const QString &value);
// A text cell a spreadsheet would run as a formula (it starts with =, +, -, @,
// TAB or CR) gets a leading apostrophe; numbers such as "-5" stay as they are.
QString spreadsheetSafe(const QString &value);

// One JSON object per line (JSON Lines), keys in the order given. For a
// terminal DEL and the C1 controls are written as \u escapes as well.
void printJsonLines(QTextStream &out, const QStringList &keys, const QList<QStringList> &rows, bool terminal = false);

// True when the stream is a terminal (listings then show control characters
// as \xNN instead of sending them; see printableText).
bool writesToTerminal(FILE *stream);

// The --json and --csv options as every listing declares them.
OptionSpec jsonOption(const QString &keys);
OptionSpec csvOption();
// --list NAME and --list-id N, as every subcommand that acts on one list declares them.
QList<OptionSpec> listOptions(const QString &what);

// The messages every subcommand shares.
QString noListNamed(const QString &name);
QString noListWithId(int id);

} // namespace kv::cli
