#pragma once

#include <QMargins>
#include <QRect>
#include <QString>
#include <functional>

class QSettings;

namespace kv {

// The placement of one window and its text form in the local settings file.
struct TPosRec
{
    qint32 Top = 0;
    qint32 Left = 0;
    qint32 Height = 0;
    qint32 Width = 0;
    int State = 0; // 0 normal, 1 minimised, 2 maximised
};

inline bool operator==(const TPosRec &a, const TPosRec &b)
{
    return a.Top == b.Top && a.Left == b.Left && a.Height == b.Height && a.Width == b.Width && a.State == b.State;
}

enum class WinState { Normal = 0, Minimized = 1, Maximized = 2 };

int WinStateToInt(WinState state);
// Any number other than 1 and 2 reads as normal.
WinState IntToWinState(int n);

// "2" for a maximised window, else "State Top Left Height Width".
QString PosRecToStr(const TPosRec &rec);
// Throws kv::Error (a conversion error) when a piece is not a whole number or
// fewer than four blanks separate them; nothing is half-parsed.
TPosRec StrToPosRec(const QString &text);

// A stored placement as it opens on a screen whose available area is `area`,
// the frame adding `frame` around the window (top and left are the frame's):
// a window larger than the area is made as large as the area and moved into
// it, and one whose title bar is not on the area is moved onto it, so that
// it can be grabbed and its buttons reached. A maximised placement stays as
// it is.
TPosRec fitPosRec(const TPosRec &stored, const QRect &area, const QMargins &frame = QMargins());

// A maximised window leaves its resize borders outside the screen: a title
// bar this far beyond the area's top, left or right edge is still on it.
inline constexpr int kTitleSlack = 8;
// The title bar's height where the frame is not known yet (before showing).
inline constexpr int kTitleHeight = 24;

// The local settings file and where it lives.
class LocalSettings
{
public:
    static const QString kFileName;           // "Brenqui.ini"
    static const QString kFormPositions;      // "Form_Positions"
    static const QString kDefault;            // "Default", what a missing entry reads as
    static const QString kSubFolder;          // "Brenquistal"
    static const QString kCannotCreate;       // "Cannot create directory"
    static const QString kAppDataVariable;    // "AppData"

    // The plug-in's data folder with a trailing separator, created (one level)
    // when missing; empty when "AppData" is empty. Throws kv::Error with
    // "Cannot create directory<AppData>\Brenquistal" when it cannot be created.
    static QString findAppDataFolder();

    // The settings file of a data folder. With no folder it lives in the
    // platform's per-user configuration folder rather than the process's
    // working directory, which may be anywhere (or read-only).
    static QString filePath(const QString &appDataFolder);

    // The stored text, or "Default" for a missing file, section or key.
    static QString readPlacement(const QString &file, const QString &entry);
    // Written at once; false when the file cannot be written.
    static bool writePlacement(const QString &file, const QString &entry, const QString &text);

    // The file is the host's too: `write` sets the plug-in's keys on a
    // settings object, and only the lines of those keys change in the file;
    // every other section, comment, quote and byte stays as it was. False
    // when the file cannot be written (it then keeps its bytes).
    static bool updateKeys(const QString &file, const std::function<void(QSettings &)> &write);
};

} // namespace kv
