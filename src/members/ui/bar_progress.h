#pragma once

#include "shell/progress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QProgressBar;
class QWidget;

namespace kv {

// The members window's status-bar bar as the operations see it. While a
// writing operation runs (between arm() and disarm()) it lets pending events
// through now and then so the window repaints and Escape is seen; every other
// click, key or close meant for the window is dropped, so no second operation
// starts inside the first. After Escape the next setPercent throws
// kv::Cancelled (once): the row loop stops and its unit of work rolls back.
class BarProgress : public QObject, public Progress
{
public:
    BarProgress(QProgressBar *bar, QWidget *window);
    ~BarProgress() override;

    void setPercent(int percent) override;

    void arm();
    void disarm();
    bool armed() const { return m_armed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QProgressBar *m_bar;
    QPointer<QWidget> m_window;
    bool m_armed = false;
    bool m_cancelRequested = false;
    QElapsedTimer m_sincePump;
};

} // namespace kv
