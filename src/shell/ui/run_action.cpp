#include "shell/ui/run_action.h"

#include "data/trace.h"
#include "shell/ui/busy_cursor.h"

#include <optional>

namespace kv {

bool runAction(Prompts &prompts, const QString &name, const std::function<void()> &fn, ActionCursor cursor,
               Prompts::Kind shownAs)
{
    const TraceScope trace(name);
    QString text;
    try {
        std::optional<CursorScope> busy;
        if (cursor == ActionCursor::Busy)
            busy.emplace(Qt::WaitCursor);
        fn();
        return true;
    } catch (const ApplicationEnding &) {
        return false; // the user has been told already; nothing runs after it
    } catch (...) {
        text = currentErrorText();
    }
    Trace::value(name + QStringLiteral(" failed"), text);
    try {
        prompts.show(shownAs, text);
    } catch (...) {
        // The box itself failed (no screen, no memory): there is no one left to tell.
    }
    return false;
}

} // namespace kv
