#include "tools/cli/cli.h"

#include "data/engine/db_error.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <unistd.h>
#include <cstdio>

using namespace kv::cli;

namespace kv::cli {

void printTable(QTextStream &out, const QStringList &titles, const QList<QStringList> &rows)
{
    const int n = int(titles.size());
    QList<int> widths;
    for (const QString &t : titles)
        widths << int(t.size());
    for (const QStringList &row : rows)
        for (int i = 0; i < n && i < row.size(); ++i)
            widths[i] = qMax(widths[i], int(row[i].size()));
    auto line = [&](const QStringList &cells) {
        QString s;
        for (int i = 0; i < n; ++i) {
            const QString cell = cells.value(i);
            s += i + 1 < n ? cell.leftJustified(widths[i]) + QStringLiteral("  ") : cell;
        }
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        out << s << Qt::endl;
    };
    line(titles);
    QStringList rule;
    for (int w : std::as_const(widths))
        rule << QString(w, QLatin1Char('-'));
    line(rule);
    for (const QStringList &row : rows)
        line(row);
}

QList<Command> &commands()
{
    static QList<Command> list;
    return list;
}

Registration::Registration(const QString &name, const QString &usage, Handler run)
{
    commands().push_back({name, usage, std::move(run)});
}

Prompts::Answer CliPrompts::ask(Kind, const QString &text, Buttons buttons)
{
    if (!m_yes)
        throw QuestionRefused{text};
    return (buttons == Buttons::OkCancel || buttons == Buttons::Ok) ? Answer::Ok : Answer::Yes;
}

void CliPrompts::show(Kind kind, const QString &text)
{
    if (kind == Kind::Error) {
        m_errorShown = true;
        std::fprintf(stderr, "%s\n", qPrintable(text));
    } else {
        std::fprintf(stdout, "%s\n", qPrintable(text));
    }
    std::fflush(stdout);
}

CliPrompts &Context::prompts()
{
    if (!m_prompts)
        m_prompts = std::make_unique<CliPrompts>(yes);
    return *m_prompts;
}

TDataModuleLists &Context::dataModule()
{
    if (m_dm)
        return *m_dm;
    TDataModuleLists::Overrides o;
    if (!server.isEmpty()) {
        o.mode = QStringLiteral("C");
        o.serverIp = server;
        if (!dataDir.isEmpty())
            o.alias = dataDir;
    } else if (!dataDir.isEmpty()) {
        o.mode = QStringLiteral("F");
        o.alias = dataDir;
    }
    if (qEnvironmentVariableIsSet("KESTROVAN_PG_PORT"))
        o.serverPort = qEnvironmentVariable("KESTROVAN_PG_PORT").toInt();
    if (qEnvironmentVariableIsSet("KESTROVAN_PG_SCHEMA"))
        o.pgSchema = qEnvironmentVariable("KESTROVAN_PG_SCHEMA");
    m_dm = std::make_unique<TDataModuleLists>(prompts(), [] {}, nullptr, o);
    m_dm->DataModuleCreate();
    DataModuleLists = m_dm.get();
    return *m_dm;
}

Context::~Context()
{
    if (DataModuleLists == m_dm.get())
        DataModuleLists = nullptr;
}

QTextStream &Context::out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &Context::err()
{
    static QTextStream s(stderr);
    return s;
}

QString Context::option(const QString &name, const QString &fallback) const
{
    const int i = args.indexOf(name);
    if (i < 0)
        return fallback;
    if (i + 1 >= args.size())
        throw UsageError{QStringLiteral("%1 needs a value").arg(name)};
    return args.at(i + 1);
}

bool Context::hasOption(const QString &name) const
{
    return args.contains(name);
}

bool Context::flag(const QString &name) const
{
    return args.contains(name);
}

QString Context::requireOption(const QString &name) const
{
    if (!hasOption(name))
        throw UsageError{QStringLiteral("%1 is required").arg(name)};
    return option(name);
}

} // namespace kv::cli

namespace {

QString loginName()
{
    QString n = qEnvironmentVariable("USER");
    if (n.isEmpty())
        n = qEnvironmentVariable("USERNAME");
    return n;
}

void printUsage()
{
    std::fprintf(stderr, "usage:\n");
    for (const Command &c : commands())
        std::fprintf(stderr, "  %s\n", qPrintable(c.usage));
    std::fprintf(stderr, "global options: --data DIR | --server HOST, --user NAME\n");
}

} // namespace

int main(int argc, char **argv)
{
    // Reports render through QtGui; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a runtime folder Qt warns on stderr, which scripts read for
    // our questions and errors; give it a private one.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/kestrovan-runtime-" + QByteArray::number(uint(getuid()));
        if (QDir().mkpath(QString::fromLocal8Bit(dir))) {
            QFile::setPermissions(QString::fromLocal8Bit(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", dir);
        }
    }
    QApplication app(argc, argv);
    QStringList raw = app.arguments().mid(1);

    Context ctx;
    ctx.userName = loginName();
    QString commandName;
    for (int i = 0; i < raw.size(); ++i) {
        const QString a = raw.at(i);
        auto value = [&]() -> QString {
            if (i + 1 >= raw.size()) {
                std::fprintf(stderr, "%s needs a value\n", qPrintable(a));
                std::exit(2);
            }
            return raw.at(++i);
        };
        if (a == QLatin1String("--data"))
            ctx.dataDir = value();
        else if (a == QLatin1String("--server"))
            ctx.server = value();
        else if (a == QLatin1String("--user"))
            ctx.userName = value();
        else if (a == QLatin1String("--yes"))
            ctx.yes = true;
        else if (commandName.isEmpty() && !a.startsWith(QLatin1String("--")))
            commandName = a;
        else
            ctx.args << a;
    }
    if (commandName.isEmpty() || commandName == QLatin1String("help")) {
        printUsage();
        return commandName.isEmpty() ? 2 : 0;
    }
    for (const Command &c : commands()) {
        if (c.name != commandName)
            continue;
        try {
            const int rc = c.run(ctx);
            return ctx.prompts().errorShown() && rc == 0 ? 2 : rc;
        } catch (const QuestionRefused &q) {
            std::fprintf(stderr, "%s\n", qPrintable(q.text));
            return 1;
        } catch (const UsageError &e) {
            std::fprintf(stderr, "%s\nusage: %s\n", qPrintable(e.text), qPrintable(c.usage));
            return 2;
        } catch (const kv::ApplicationEnding &) {
            return 2; // the message has been printed
        } catch (const kv::Error &e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.text()));
            return 2;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 2;
        }
    }
    std::fprintf(stderr, "unknown command: %s\n", qPrintable(commandName));
    printUsage();
    return 2;
}
