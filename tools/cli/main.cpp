#include "tools/cli/cli.h"

#include "data/engine/db_error.h"
#include "data/engine/unit_of_work.h"
#include "kestrovan/login_name.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>

using namespace kv::cli;

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

int usageError(const Invocation &inv)
{
    QString text = QStringLiteral("kestrovan: %1\n").arg(inv.error);
    if (inv.command)
        text += QStringLiteral("usage: %1\nSee \"kestrovan help %2\".\n").arg(inv.command->usage, inv.command->name);
    else
        text += QStringLiteral("See \"kestrovan --help\".\n");
    print(stderr, text);
    return ExitError;
}

int execute(const Invocation &inv)
{
    switch (inv.action) {
    case Invocation::Action::Error: return usageError(inv);
    case Invocation::Action::Help: print(stdout, inv.command ? commandHelp(*inv.command) : overviewHelp()); return ExitDone;
    case Invocation::Action::Version: print(stdout, versionText()); return ExitDone;
    case Invocation::Action::Run: break;
    }

    const Command &c = *inv.command;
    Context ctx(inv);
    if (ctx.userName.isEmpty())
        ctx.userName = kestrovan::loginName();
    try {
        const int rc = c.run(ctx);
        return ctx.prompts().errorShown() && rc == 0 ? ExitError : rc;
    } catch (const QuestionRefused &q) {
        print(stderr, q.text + QLatin1Char('\n'));
        return ExitQuestion;
    } catch (const UsageError &e) {
        Invocation failed = inv;
        failed.error = e.text;
        return usageError(failed);
    } catch (const kv::ApplicationEnding &) {
        return ExitError; // the message has been printed
    } catch (const kv::RolledBack &e) {
        print(stderr, e.text() + QLatin1Char('\n'));
        return e.wasCancelled() ? ExitInterrupted : ExitError;
    } catch (const kv::Cancelled &e) {
        print(stderr, e.text() + QLatin1Char('\n'));
        return ExitInterrupted;
    } catch (const kv::Error &e) {
        print(stderr, e.text() + QLatin1Char('\n'));
        return ExitError;
    } catch (const std::exception &e) {
        print(stderr, QString::fromLocal8Bit(e.what()) + QLatin1Char('\n'));
        return ExitError;
    }
}

} // namespace

int main(int argc, char **argv)
{
    // From the start: a signal that comes before the write loop still stops
    // the run at its first step, and the unit of work writes nothing.
    installInterruptHandler();
    // Reports render through QtGui; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a runtime folder Qt warns on stderr, which scripts read for
    // our questions and errors; give it a private one.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QString who = kestrovan::loginName();
        who.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")));
        const QString dir = QDir::tempPath() + QStringLiteral("/kestrovan-runtime-") + who;
        if (!who.isEmpty() && QDir().mkpath(dir)) {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
        }
    }
    QApplication app(argc, argv);
    return execute(parse(app.arguments().mid(1)));
}
