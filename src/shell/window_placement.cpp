#include "shell/window_placement.h"

#include "data/engine/db_error.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
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

TPosRec fitPosRec(const TPosRec &stored, const QRect &area, const QMargins &frame)
{
    if (stored.State == 2 || !area.isValid())
        return stored;
    TPosRec fitted = stored;
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    bool moveAcross = false, moveDown = false;
    if (fitted.Width + frameWidth > area.width()) {
        fitted.Width = area.width() - frameWidth;
        moveAcross = true;
    }
    if (fitted.Height + frameHeight > area.height()) {
        fitted.Height = area.height() - frameHeight;
        moveDown = true;
    }
    const int outerWidth = fitted.Width + frameWidth;
    const int outerHeight = fitted.Height + frameHeight;
    const int titleHeight = qMax(frame.top(), kTitleHeight);
    const QRect title(fitted.Left, fitted.Top, outerWidth, titleHeight);
    const bool titleReachable = area.adjusted(-kTitleSlack, -kTitleSlack, kTitleSlack, 0).contains(title);
    if (!titleReachable)
        moveAcross = moveDown = true;
    if (moveAcross)
        fitted.Left = qBound(area.left(), fitted.Left, area.left() + area.width() - outerWidth);
    if (moveDown)
        fitted.Top = qBound(area.top(), fitted.Top, area.top() + area.height() - outerHeight);
    return fitted;
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
    return updateKeys(file, [&](QSettings &ini) { ini.setValue(kFormPositions + QLatin1Char('/') + entry, text); });
}

namespace {

// One section of an INI text as lines without their line ends; lines before
// the first header belong to a section with an empty header.
struct IniSection
{
    QByteArray header; // "[Form_Positions]"
    QList<QByteArray> lines;
};

QList<IniSection> iniSections(const QByteArray &text)
{
    QList<IniSection> sections{IniSection{}};
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().startsWith('['))
            sections.append(IniSection{line.trimmed(), {}});
        else if (!line.trimmed().isEmpty())
            sections.last().lines.append(line);
    }
    return sections;
}

QByteArray iniKey(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (t.startsWith(';') || t.startsWith('#'))
        return QByteArray();
    const qsizetype eq = t.indexOf('=');
    return eq > 0 ? t.left(eq).trimmed() : QByteArray();
}

// Puts the key lines of `ours` into `text` line by line: a key's line is
// replaced in place, a new key goes after the last line of its section, a new
// section at the end. Nothing else is touched, line ends included.
QByteArray mergeIni(QByteArray text, const QList<IniSection> &ours)
{
    const QByteArray eol = text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    for (const IniSection &section : ours) {
        for (const QByteArray &keyLine : section.lines) {
            const QByteArray key = iniKey(keyLine);
            if (key.isEmpty())
                continue;
            // Walk the file's lines: [start, end) of each line without its end.
            qsizetype pos = 0, insertAt = -1;
            bool inSection = section.header.isEmpty(), replaced = false;
            while (pos <= text.size()) {
                qsizetype end = text.indexOf('\n', pos);
                const qsizetype next = end < 0 ? text.size() + 1 : end + 1;
                if (end < 0)
                    end = text.size();
                const qsizetype contentEnd = end > pos && text.at(end - 1) == '\r' ? end - 1 : end;
                const QByteArray line = text.mid(pos, contentEnd - pos);
                if (line.trimmed().startsWith('[')) {
                    if (inSection)
                        break;
                    inSection = line.trimmed() == section.header;
                    if (inSection)
                        insertAt = next;
                } else if (inSection && !line.trimmed().isEmpty()) {
                    insertAt = next;
                    if (iniKey(line) == key) {
                        text.replace(pos, contentEnd - pos, keyLine);
                        replaced = true;
                        break;
                    }
                }
                pos = next;
            }
            if (replaced)
                continue;
            if (insertAt < 0) {
                if (!text.isEmpty() && !text.endsWith('\n'))
                    text += eol;
                if (!text.isEmpty())
                    text += eol;
                text += section.header + eol + keyLine + eol;
            } else if (insertAt > text.size()) {
                text += eol + keyLine; // the section's last line had no line end
            } else {
                text.insert(insertAt, keyLine + eol);
            }
        }
    }
    return text;
}

} // namespace

bool LocalSettings::updateKeys(const QString &file, const std::function<void(QSettings &)> &write)
{
    // The keys as the settings class spells them (escapes, lists, byte
    // arrays), so that it reads them back; written to a scratch file first.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const QString scratchFile = scratch.filePath(QStringLiteral("keys.ini"));
    {
        QSettings keys(scratchFile, QSettings::IniFormat);
        write(keys);
        keys.sync();
        if (keys.status() != QSettings::NoError)
            return false;
    }
    QFile ours(scratchFile);
    if (!ours.open(QIODevice::ReadOnly))
        return false;
    QList<IniSection> sections = iniSections(ours.readAll());

    const QFileInfo info(file);
    if (!info.absoluteDir().exists())
        QDir().mkpath(info.absolutePath());
    QByteArray text;
    if (info.exists()) {
        QFile current(file);
        if (!current.open(QIODevice::ReadOnly))
            return false;
        text = current.readAll();
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(mergeIni(text, sections));
    return out.commit();
}

} // namespace kv
