#pragma once

// The operating system's login name, for the host and the command-line tool
// when no user name is given. Read from the environment the platforms set
// (USER on Unix and macOS, USERNAME on Windows, LOGNAME where only it is
// set), else from the name of the home folder, which every platform names
// after the login; empty when neither says anything.

#include <QDir>
#include <QString>

namespace kestrovan {

inline QString loginName()
{
    for (const char *var : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(var).trimmed();
        if (!name.isEmpty())
            return name;
    }
    const QDir home = QDir::home();
    if (home.isRoot())
        return QString();
    return home.dirName();
}

} // namespace kestrovan
