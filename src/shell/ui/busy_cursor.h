#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace kv {

// Shows a cursor for the life of the object and restores the one that was
// there before, on every path out of the handler or operation. A process
// without a GUI application (the command line, a test without a screen) has
// no cursor to show and goes without. The one busy-cursor helper of the
// plug-in: handlers get it through runAction, operations that run long
// statements announce it through Progress::busy (CursorProgress).
class CursorScope
{
public:
    explicit CursorScope(Qt::CursorShape shape = Qt::WaitCursor)
        : m_on(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_on)
            QGuiApplication::setOverrideCursor(QCursor(shape));
    }
    ~CursorScope()
    {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
    }
    CursorScope(const CursorScope &) = delete;
    CursorScope &operator=(const CursorScope &) = delete;

private:
    bool m_on;
};

} // namespace kv
