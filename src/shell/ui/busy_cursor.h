#pragma once

#include <QApplication>
#include <QCursor>

namespace kv {

// Shows a cursor for the life of the object and restores the one that was
// there before, on every path out of the handler.
class CursorScope
{
public:
    explicit CursorScope(Qt::CursorShape shape = Qt::WaitCursor)
    {
        QApplication::setOverrideCursor(QCursor(shape));
    }
    ~CursorScope() { QApplication::restoreOverrideCursor(); }
    CursorScope(const CursorScope &) = delete;
    CursorScope &operator=(const CursorScope &) = delete;
};

} // namespace kv
