#include "tools/cli/cli.h"

#include "data/engine/db_error.h"
#include "data/trace.h"
#include "data/engine/unit_of_work.h"
#include "data/list_stamp.h"
#include "data/text_cut.h"
#include "data/translate.h"
#include "kestrovan/login_name.h"
#include "lists/fulfil_list.h"

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

int maxUserNameLength()
{
    return kv::ListStamp::kMaxNameLength;
}

QString userNameTooLongText(const QString &name)
{
    return QStringLiteral("--user takes a user name of at most %1 characters (it is stamped as \"NAME%2\" into a %3-character "
                          "column), not %4 characters")
        .arg(maxUserNameLength())
        .arg(kv::ListStamp::kSuffix)
        .arg(kv::ListStamp::kWidth)
        .arg(kv::characterCount(name));
}

const QString kServerGone = QStringLiteral("The database server %1 went away during the run. %2");
const QString kHowToLook = QStringLiteral(
    "To look: kestrovan%1 members %2 (the list's members) and kestrovan%1 deliveries %2 --pending (its pending deliveries).");

// A value as a POSIX shell reads it back, for a command line the user may copy.
QString shellWord(const QString &value)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._/:=@%+-]+$"));
    if (plain.match(value).hasMatch())
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The commands that show what a run whose outcome is unknown left behind,
// against the same database and list.
QString howToLook(const Invocation &inv)
{
    QString list;
    if (inv.has(QStringLiteral("list-id")))
        list = QStringLiteral("--list-id ") + shellWord(inv.values.value(QStringLiteral("list-id")));
    else if (inv.has(QStringLiteral("list")))
        list = QStringLiteral("--list ") + shellWord(inv.values.value(QStringLiteral("list")));
    else
        return QString();
    QString where;
    if (!inv.dataDir.isEmpty())
        where += QStringLiteral(" --data ") + shellWord(inv.dataDir);
    if (!inv.server.isEmpty())
        where += QStringLiteral(" --server ") + shellWord(inv.server);
    return kHowToLook.arg(where, list);
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

QtMessageHandler g_defaultHandler = nullptr;

// stderr carries the tool's questions and errors, one message each: what Qt
// and the SQL driver say on their own (a lost server's notices, dozens of
// them) goes into the trace, which keeps its own place.
void messagesToTrace(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg || qstrcmp(context.category, "kestrovan.trace") == 0) {
        g_defaultHandler(type, context, text);
        return;
    }
    if (kv::Trace::enabled())
        kv::Trace::message(QStringLiteral("[%1] %2").arg(QLatin1String(context.category ? context.category : "default"), text));
}

// The one line a script needs when the server stopped answering mid-run; the
// driver's own words go into the trace.
int errorExit(Context &ctx, const QString &text)
{
    if (ctx.serverWentAway()) {
        kv::Trace::message(text);
        print(stderr, kServerGone.arg(ctx.serverName(), kv::shown("UnitOfWork", kv::UnitOfWork::kNothingWritten)) + QLatin1Char('\n'));
    } else {
        print(stderr, text + QLatin1Char('\n'));
    }
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
    if (ctx.userName.isEmpty()) {
        // Nobody chose the login name: cut to fit rather than fail every run.
        ctx.userName = kv::ListStamp::userName(kestrovan::loginName());
    } else if (kv::characterCount(ctx.userName) > maxUserNameLength()) {
        Invocation refused = inv;
        refused.error = userNameTooLongText(ctx.userName);
        return usageError(refused);
    }
    // The command line's one place that reports: each kind of failure ends
    // with its own status, and says currentErrorText().
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
    } catch (const kv::OutcomeUnknown &) {
        // Never "nothing was written": a script that ran again on that word
        // could do the work twice.
        const QString look = howToLook(inv);
        print(stderr, kv::currentErrorText() + QLatin1Char('\n') + (look.isEmpty() ? QString() : look + QLatin1Char('\n')));
        return ExitOutcomeUnknown;
    } catch (const kv::RolledBack &e) {
        if (!e.wasCancelled())
            return errorExit(ctx, kv::currentErrorText());
        print(stderr, kv::currentErrorText() + QLatin1Char('\n'));
        return ExitInterrupted;
    } catch (const kv::Cancelled &) {
        print(stderr, kv::currentErrorText() + QLatin1Char('\n'));
        return ExitInterrupted;
    } catch (...) {
        // Every other error, ours, the standard library's or anything else: its text, status 2.
        return errorExit(ctx, kv::currentErrorText());
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
    g_defaultHandler = qInstallMessageHandler(messagesToTrace);
    QApplication app(argc, argv);
    return execute(parse(app.arguments().mid(1)));
}
