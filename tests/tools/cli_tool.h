#pragma once

// Runs the command-line tool as a child process against a test database.

#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

struct ToolRun
{
    int code = -1; // -1: ended by a signal or did not end
    QString out;
    QString err;
    std::string why() const { return (QStringLiteral("exit %1\nstdout:\n%2\nstderr:\n%3").arg(code).arg(out, err)).toStdString(); }
};

inline QString cliPath()
{
    const QString build = qEnvironmentVariable("KESTROVAN_BUILD_DIR");
    return build.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kestrovan"))
                           : build + QStringLiteral("/bin/kestrovan");
}

// The arguments and environment that point the tool at tdb (none without one).
inline void targetDatabase(TestDatabase *tdb, QStringList &args, QProcessEnvironment &env)
{
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!tdb)
        return;
    // Before the subcommand, so that the case's own arguments end the line.
    QStringList target{QStringLiteral("--data"), tdb->directory()};
    if (tdb->backend() == kv::Backend::PostgreSQL) {
        const PgTarget t = PgTarget::fromEnvironment();
        target << QStringLiteral("--server") << t.host;
        env.insert(QStringLiteral("KESTROVAN_PG_PORT"), QString::number(t.port));
        env.insert(QStringLiteral("KESTROVAN_PG_SCHEMA"), tdb->schema());
    }
    args = target + args;
}

// Starts the tool with args against tdb (none without one) and returns at once;
// extra variables (a proxy's KESTROVAN_PG_PORT) go over those.
inline void startCli(QProcess &p, TestDatabase *tdb, QStringList args, const QProcessEnvironment &extra = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    targetDatabase(tdb, args, env);
    env.insert(extra);
    p.setProcessEnvironment(env);
    p.start(cliPath(), args);
}

inline ToolRun runCli(TestDatabase *tdb, QStringList args, const QByteArray &stdinData = QByteArray(),
                      const QProcessEnvironment &extra = {})
{
    QProcess p;
    startCli(p, tdb, std::move(args), extra);
    if (!stdinData.isEmpty())
        p.write(stdinData);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Feeds text to a short Python program on stdin and answers what it prints:
// the round trip through a spreadsheet's reader.
inline QString runPython(const QString &program, const QByteArray &input)
{
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"), program});
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}
