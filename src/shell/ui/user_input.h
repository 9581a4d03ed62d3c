#pragma once

#include <QEvent>

namespace kv {

// The events a user sends a window (clicks, keys, shortcuts, close). A window
// that is busy writing swallows these, so no second operation starts inside
// the first, while paint and timer events keep its progress alive.
inline bool isUserInput(QEvent::Type t)
{
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace kv
