#pragma once

#include "data/data_module.h"
#include "data/prompts.h"

#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>

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

private:
    bool m_yes;
    bool m_errorShown = false;
};

class Context
{
public:
    QStringList args; // the subcommand's own arguments, global options removed
    QString dataDir; // --data
    QString server; // --server
    QString userName; // --user, else the login name
    bool yes = false; // --yes

    // Creates and connects the data module (registry settings unless --data or
    // --server say otherwise).
    TDataModuleLists &dataModule();
    CliPrompts &prompts();
    QTextStream &out();
    QTextStream &err();

    // Option helpers over args: "--name VALUE".
    QString option(const QString &name, const QString &fallback = QString()) const;
    bool hasOption(const QString &name) const;
    bool flag(const QString &name) const;
    QString requireOption(const QString &name) const;

    ~Context();

private:
    std::unique_ptr<CliPrompts> m_prompts;
    std::unique_ptr<TDataModuleLists> m_dm;
};

// Prints rows as aligned columns under their titles and a rule of dashes.
void printTable(QTextStream &out, const QStringList &titles, const QList<QStringList> &rows);

using Handler = std::function<int(Context &)>;

struct Command
{
    QString name;
    QString usage;
    Handler run;
};

// Each subcommand registers itself from its own file:
//   static kv::cli::Registration reg{"lists", "kestrovan lists", &runLists};
struct Registration
{
    Registration(const QString &name, const QString &usage, Handler run);
};

QList<Command> &commands();

} // namespace kv::cli
