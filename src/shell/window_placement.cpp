#include "shell/window_placement.h"

#include "data/engine/db_error.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace kv {

const QString LocalSettings::kFileName = QStringLiteral("Brenqui.ini");
const QString LocalSettings::kFormPositions = QStringLiteral("Form_Positions");
const QString LocalSettings::kDefault = QStringLiteral("Default");
const QString LocalSettings::kSubFolder = QStringLiteral("Brenquistal");
const QString LocalSettings::kCannotCreate = QStringLiteral("Cannot create directory");
const QString LocalSettings::kAppDataVariable = QStringLiteral("AppData");

int WinStateToInt(WinState state)
{
    return int(state);
}

WinState IntToWinState(int n)
{
    switch (n) {
    case 1: return WinState::Minimized;
    case 2: return WinState::Maximized;
    default: return WinState::Normal;
    }
}

QString PosRecToStr(const TPosRec &rec)
{
    if (rec.State == 2)
        return QStringLiteral("2");
    return QStringLiteral("%1 %2 %3 %4 %5").arg(rec.State).arg(rec.Top).arg(rec.Left).arg(rec.Height).arg(rec.Width);
}

namespace {

// Strict decimal: an optional sign and digits, nothing else (no blanks).
qint32 toInteger(const QString &piece)
{
    bool ok = false;
    int value = 0;
    static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
    if (digits.match(piece).hasMatch())
        value = piece.toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(piece));
    return value;
}

} // namespace

TPosRec StrToPosRec(const QString &text)
{
    TPosRec rec;
    rec.State = toInteger(text.left(1));
    if (rec.State == 2)
        return rec;
    int blanks[4];
    int from = 0;
    for (int &b : blanks) {
        b = text.indexOf(QLatin1Char(' '), from);
        if (b < 0)
            throw Error(QStringLiteral("'%1' is not a valid window placement").arg(text));
        from = b + 1;
    }
    rec.Top = toInteger(text.mid(blanks[0] + 1, blanks[1] - blanks[0] - 1));
    rec.Left = toInteger(text.mid(blanks[1] + 1, blanks[2] - blanks[1] - 1));
    rec.Height = toInteger(text.mid(blanks[2] + 1, blanks[3] - blanks[2] - 1));
    rec.Width = toInteger(text.mid(blanks[3] + 1));
    return rec;
}

QString LocalSettings::findAppDataFolder()
{
    const QString appData = qEnvironmentVariable("AppData");
    if (appData.isEmpty())
        return QString();
    const QString folder = QDir::toNativeSeparators(appData + QLatin1Char('/') + kSubFolder);
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder))
        throw Error(kCannotCreate + folder);
    return folder + QDir::separator();
}

QString LocalSettings::filePath(const QString &appDataFolder)
{
    if (!appDataFolder.isEmpty())
        return appDataFolder + kFileName;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir::toNativeSeparators(config + QLatin1Char('/') + kFileName);
}

QString LocalSettings::readPlacement(const QString &file, const QString &entry)
{
    if (!QFileInfo::exists(file))
        return kDefault;
    QSettings ini(file, QSettings::IniFormat);
    return ini.value(kFormPositions + QLatin1Char('/') + entry, kDefault).toString();
}

bool LocalSettings::writePlacement(const QString &file, const QString &entry, const QString &text)
{
    const QFileInfo info(file);
    if (!info.absoluteDir().exists())
        QDir().mkpath(info.absolutePath());
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(kFormPositions + QLatin1Char('/') + entry, text);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace kv
