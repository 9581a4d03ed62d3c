#pragma once

// The plug-in's private temporary folder ("kestrovan-PID-XXXXXX", readable by
// its user only), where the local temporary database lives. It is made in the
// system's temporary folder (TMPDIR, TEMP), or in the platform's own when that
// names a folder that does not exist, never in the root of a file system. A
// process that was killed cannot remove its folder; the next one does, since
// the folder's name says whose it was.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace kv {

class PrivateTempFolder
{
public:
    static const QString kPrefix; // "kestrovan-"

    // Where a private folder may go, in order: the system's temporary folder
    // when it exists, then the platform's own (/tmp; the local temporary
    // folder on Windows). Paths are whole, however long.
    static QStringList bases();

    // Removes the stale private folders in each base, then makes one in the
    // first base that takes it. Throws kv::Error naming every base tried and
    // why when none does.
    static std::unique_ptr<QTemporaryDir> make(const QStringList &bases);

    // Private folders in base of processes that no longer run (this user's,
    // real folders only: a link is never followed), removed; answers how many.
    static int removeStale(const QString &base);
};

} // namespace kv
