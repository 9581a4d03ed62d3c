#include "data/private_temp_folder.h"

#include "data/engine/db_error.h"
#include "data/trace.h"
#include "data/translate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace kv {

const QString PrivateTempFolder::kPrefix = QStringLiteral("kestrovan-");

namespace {

bool processRuns(qint64 pid)
{
#ifdef Q_OS_WIN
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!h)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return running;
#else
    // EPERM: it runs, as somebody else.
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
#endif
}

bool ownedByUs(const QFileInfo &fi)
{
#ifdef Q_OS_WIN
    Q_UNUSED(fi);
    return true; // the folder lives under the user's own temporary folder
#else
    return fi.ownerId() == uint(::getuid());
#endif
}

QString platformTemp()
{
#ifdef Q_OS_WIN
    const QString local = qEnvironmentVariable("LOCALAPPDATA");
    return local.isEmpty() ? QString() : QDir(local).filePath(QStringLiteral("Temp"));
#else
    return QStringLiteral("/tmp");
#endif
}

} // namespace

QStringList PrivateTempFolder::bases()
{
    QStringList out;
    // Qt answers an empty path when TMPDIR names a folder that does not exist.
    for (const QString &base : {QDir::tempPath(), platformTemp()}) {
        const QString clean = base.isEmpty() ? QString() : QDir::cleanPath(base);
        if (!clean.isEmpty() && !out.contains(clean) && QFileInfo(clean).isDir() && !QDir(clean).isRoot())
            out << clean;
    }
    return out;
}

int PrivateTempFolder::removeStale(const QString &base)
{
    static const QRegularExpression name(QStringLiteral("^") + QRegularExpression::escape(kPrefix) + QStringLiteral("([0-9]+)-"));
    int removed = 0;
    const QFileInfoList entries = QDir(base).entryInfoList({kPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &fi : entries) {
        const QRegularExpressionMatch m = name.match(fi.fileName());
        if (!m.hasMatch() || fi.isSymLink() || !fi.isDir() || !ownedByUs(fi))
            continue;
        const qint64 pid = m.captured(1).toLongLong();
        if (pid <= 0 || pid == QCoreApplication::applicationPid() || processRuns(pid))
            continue;
        if (QDir(fi.absoluteFilePath()).removeRecursively())
            ++removed;
    }
    if (removed)
        Trace::message(QStringLiteral("Removed %1 private folder(s) of ended processes from %2").arg(removed).arg(base));
    return removed;
}

std::unique_ptr<QTemporaryDir> PrivateTempFolder::make(const QStringList &bases)
{
    QStringList tried;
    for (const QString &base : bases) {
        if (base.isEmpty())
            continue;
        if (!QFileInfo(base).isDir()) {
            tried << shown("PrivateTempFolder", "%1 (not a folder)").arg(QDir::toNativeSeparators(base));
            continue;
        }
        removeStale(base);
        auto dir = std::make_unique<QTemporaryDir>(
            QDir(base).filePath(kPrefix + QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX")));
        if (dir->isValid())
            return dir;
        tried << QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(base), dir->errorString());
    }
    throw Error(shown("PrivateTempFolder", "No private temporary folder can be made; tried: %1. Set TMPDIR (TEMP on Windows) to a "
                                           "folder this user can write to.")
                    .arg(tried.isEmpty() ? shown("PrivateTempFolder", "no temporary folder exists") : tried.join(QStringLiteral("; "))));
}

} // namespace kv
