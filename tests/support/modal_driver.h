#pragma once

#include "support/find_widget.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QAbstractButton;

namespace kv {

// Drives a modal dialog the code under test opens with exec(): the callback
// runs once the dialog is the active modal widget, finds its controls by
// object name and presses its buttons. Works offscreen; no timing guesses
// beyond polling the event loop.
class ModalDriver
{
public:
    using Action = std::function<void(QWidget *dialog)>;

    // Runs action on the next modal widget that appears (or whose object name
    // or class is objectNameOrClass, when given). Polls every few
    // milliseconds up to timeoutMs. Returns immediately; the action runs from
    // the event loop of the modal dialog itself.
    static void whenShown(Action action, const QString &objectNameOrClass = QString(), int timeoutMs = 10000);

    // Stops every wait that has not found its dialog yet (a test's teardown).
    static void cancelAll();

    // Helpers for actions. A control that is not there fails the test.
    template<class T>
    static T *child(QWidget *dialog, const QString &name)
    {
        return test::need<T>(dialog, name);
    }
    // Clicks the button of that object name, or else the one whose text
    // without '&' equals it ("OK", "Yes").
    static bool click(QWidget *dialog, const QString &nameOrText);
    // Closes the dialog as its Esc key would.
    static void reject(QWidget *dialog);
};

} // namespace kv
