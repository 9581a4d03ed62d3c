#include "shell/ui/form_placement.h"

#include "data/trace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kv {

TPosRec posRecOf(const QWidget *window)
{
    TPosRec rec;
    const Qt::WindowStates s = window->windowState();
    const WinState state = s.testFlag(Qt::WindowMaximized) ? WinState::Maximized
        : s.testFlag(Qt::WindowMinimized)                  ? WinState::Minimized
                                                           : WinState::Normal;
    // Top and left are the frame's, as move() takes them back. A maximised
    // window stores only its state; a minimised one keeps the bounds it had
    // (normalGeometry() would give the client area's corner here, and the
    // window would creep down by its title bar on every reopening).
    const QRect bounds(window->pos(), window->size());
    rec.Top = bounds.top();
    rec.Left = bounds.left();
    rec.Height = bounds.height();
    rec.Width = bounds.width();
    rec.State = WinStateToInt(state);
    return rec;
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frameExtra = window->frameGeometry().size() - window->size();
    const QSize room = area.size() - frameExtra;
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));
    QRect frame(QPoint(0, 0), window->frameGeometry().size());
    frame.moveCenter(area.center());
    frame.moveTopLeft(QPoint(qMax(frame.left(), area.left()), qMax(frame.top(), area.top())));
    window->move(frame.topLeft());
}

void applyPosRec(QWidget *window, const TPosRec &rec)
{
    const WinState state = IntToWinState(rec.State);
    Qt::WindowStates s = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state == WinState::Minimized)
        s |= Qt::WindowMinimized;
    else if (state == WinState::Maximized)
        s |= Qt::WindowMaximized;
    window->setWindowState(s);
    if (rec.State == 2)
        return;
    // Top and left first, then width and height.
    window->move(rec.Left, rec.Top);
    window->resize(rec.Width, rec.Height);
}

void SetFormPos(QWidget *window, const QString &entry, const QString &file)
{
    TraceScope trace(QStringLiteral("SetFormPos"));
    const QString text = LocalSettings::readPlacement(file, entry);
    Trace::value(entry, text);
    if (text == LocalSettings::kDefault)
        return;
    applyPosRec(window, StrToPosRec(text));
}

bool SaveFormPos(QWidget *window, const QString &entry, const QString &file)
{
    TraceScope trace(QStringLiteral("SaveFormPos"));
    const QString text = PosRecToStr(posRecOf(window));
    Trace::value(entry, text);
    return LocalSettings::writePlacement(file, entry, text);
}

} // namespace kv
