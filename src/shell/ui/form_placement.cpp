#include "shell/ui/form_placement.h"

#include "data/trace.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

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

namespace {

QSize frameExtraOf(const QWidget *window)
{
    return window->frameGeometry().size() - window->size();
}

// Moves the first items of the window's top layout into a scroll area put in their place.
bool scrollBody(QWidget *window, int keptItems)
{
    auto *box = qobject_cast<QBoxLayout *>(window->layout());
    if (!box || box->count() <= keptItems || window->findChild<QScrollArea *>(QStringLiteral("ScrollAreaBody")))
        return false;
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("ScrollAreaBodyContent"));
    auto *inner = new QBoxLayout(box->direction(), content);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(box->spacing());
    const int moved = box->count() - keptItems;
    for (int i = 0; i < moved; ++i) {
        const int stretch = box->stretch(0);
        QLayoutItem *item = box->takeAt(0);
        if (QWidget *w = item->widget()) {
            inner->addWidget(w, stretch, item->alignment());
            delete item;
        } else if (QLayout *l = item->layout()) {
            l->setParent(nullptr);
            inner->addLayout(l, stretch);
        } else {
            inner->addItem(item);
            inner->setStretch(inner->count() - 1, stretch);
        }
    }
    auto *scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("ScrollAreaBody"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    // Only up and down while the screen is wide enough: the fields' width and
    // the scroll bar's are kept.
    scroll->setMinimumWidth(content->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    box->insertWidget(0, scroll, 1);
    return true;
}

// The frame is known only once the window is shown: then a window whose
// frame is larger than the area loses the difference, once.
class FrameFit : public QObject
{
public:
    // mayResize: the window was found too large for the screen; otherwise it
    // keeps its size and is only moved.
    FrameFit(QWidget *window, bool mayResize)
        : QObject(window)
        , m_mayResize(mayResize)
    {
        setObjectName(QStringLiteral("kvFrameFit"));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWidget *>(watched);
        if (event->type() != QEvent::Show || !window || window->isMaximized() || window->isMinimized())
            return false;
        const QScreen *screen = window->screen();
        if (!screen)
            return false;
        const QRect area = screen->availableGeometry();
        // The platform window knows its frame before the widget's own figures catch up.
        const QMargins m = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
        const QSize frame = window->size() + QSize(m.left() + m.right(), m.top() + m.bottom());
        const QSize over = m_mayResize ? (frame - area.size()).expandedTo(QSize(0, 0)) : QSize(0, 0);
        if (!over.isNull())
            window->resize(window->size() - over);
        // Placed over its parent, a dialog may still cross the screen's edge
        // by its frame; a placement the user stored stays where it was stored.
        const QRect placed(window->pos(), frame - over);
        if (!over.isNull() || (!window->property("kvStoredPlacement").isValid() && !area.contains(placed)))
            window->move(qBound(area.left(), placed.x(), area.right() + 1 - placed.width()),
                         qBound(area.top(), placed.y(), area.bottom() + 1 - placed.height()));
        return false;
    }

    bool m_mayResize = false;
};

} // namespace

void fitToScreen(QWidget *window, int keptItems)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size() - frameExtraOf(window);
    auto *frameFit = static_cast<FrameFit *>(window->findChild<QObject *>(QStringLiteral("kvFrameFit"), Qt::FindDirectChildrenOnly));
    if (!frameFit)
        frameFit = new FrameFit(window, false);
    const QSize needed = window->minimumSizeHint().expandedTo(window->minimumSize());
    if (needed.height() <= room.height() && needed.width() <= room.width() && window->width() <= room.width()
        && window->height() <= room.height())
        return;
    // Made to fit without its frame, which is known once it shows.
    frameFit->m_mayResize = true;
    if (window->minimumSize() == window->maximumSize()) {
        // A fixed design size gives way to the screen.
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (window->minimumSizeHint().height() > room.height() || window->minimumSizeHint().width() > room.width())
        scrollBody(window, keptItems);
    window->resize(window->size().boundedTo(room));
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    fitToScreen(window);
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

namespace {

// What SetFormPos read and what it made of it, kept on the window until it
// closes: a placement fitted to a smaller screen is written back as it was
// stored unless the user moved or resized the window, so that it comes back
// on the larger screen as the user left it there.
const char *const kStoredText = "kvStoredPlacement";
const char *const kAppliedRect = "kvAppliedPlacement";

QRect boundsOf(const TPosRec &rec)
{
    return QRect(rec.Left, rec.Top, rec.Width, rec.Height);
}

// The screen a stored placement was on, when it is still there.
const QScreen *screenFor(const QWidget *window, const TPosRec &rec)
{
    if (rec.State != 2)
        if (const QScreen *s = QGuiApplication::screenAt(boundsOf(rec).center()))
            return s;
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

} // namespace

void SetFormPos(QWidget *window, const QString &entry, const QString &file)
{
    TraceScope trace(QStringLiteral("SetFormPos"));
    const QString text = LocalSettings::readPlacement(file, entry);
    Trace::value(entry, text);
    if (text == LocalSettings::kDefault)
        return;
    const TPosRec stored = StrToPosRec(text);
    TPosRec fitted = stored;
    if (const QScreen *screen = screenFor(window, stored)) {
        const QRect frame = window->frameGeometry(), inner = window->geometry();
        const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                               frame.bottom() - inner.bottom());
        fitted = fitPosRec(stored, screen->availableGeometry(), margins);
    }
    applyPosRec(window, fitted);
    window->setProperty(kStoredText, text);
    window->setProperty(kAppliedRect, QRect(window->pos(), window->size()));
}

bool SaveFormPos(QWidget *window, const QString &entry, const QString &file)
{
    TraceScope trace(QStringLiteral("SaveFormPos"));
    const TPosRec now = posRecOf(window);
    QString text = PosRecToStr(now);
    const QString stored = window->property(kStoredText).toString();
    if (!stored.isEmpty() && now.State != 2 && now.State == StrToPosRec(stored).State
        && QRect(window->pos(), window->size()) == window->property(kAppliedRect).toRect())
        text = stored;
    Trace::value(entry, text);
    return LocalSettings::writePlacement(file, entry, text);
}

} // namespace kv
