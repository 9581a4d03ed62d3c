#include "members/ui/bar_progress.h"

#include "data/engine/unit_of_work.h"
#include "shell/ui/user_input.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>

namespace kv {

namespace {

// Often enough for Escape to feel immediate, rarely enough to cost nothing
// in a loop over tens of thousands of rows.
constexpr qint64 kPumpIntervalMs = 50;

} // namespace

BarProgress::BarProgress(QProgressBar *bar, QWidget *window)
    : m_bar(bar)
    , m_window(window)
{
}

BarProgress::~BarProgress()
{
    disarm();
}

void BarProgress::arm()
{
    if (m_armed)
        return;
    m_armed = true;
    m_cancelRequested = false;
    m_sincePump.invalidate();
    QCoreApplication::instance()->installEventFilter(this);
}

void BarProgress::disarm()
{
    if (!m_armed)
        return;
    m_armed = false;
    m_cancelRequested = false;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void BarProgress::setPercent(int percent)
{
    m_bar->setValue(qBound(0, percent, 100));
    m_bar->repaint();
    if (!m_armed)
        return;
    if (!m_sincePump.isValid() || m_sincePump.elapsed() >= kPumpIntervalMs) {
        QCoreApplication::processEvents();
        m_sincePump.start();
    }
    if (m_cancelRequested) {
        m_cancelRequested = false;
        throw Cancelled();
    }
}

bool BarProgress::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_armed || !m_window || !isUserInput(event->type()))
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    const bool ours = (w && w->window() == m_window) || watched == m_window->windowHandle();
    if (!ours)
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        m_cancelRequested = true;
    event->ignore();
    return true;
}

} // namespace kv
