#include "shell/ui/run_action.h"

#include "data/engine/db_error.h"
#include "data/prompts.h"
#include "data/trace.h"
#include "shell/ui/busy_cursor.h"
#include "shell/ui/translate.h"

#include <exception>
#include <optional>

namespace kv {

namespace {
const char *const kContext = "RunAction";
} // namespace

const QString kUnexpectedErrorText = QString::fromUtf8(QT_TRANSLATE_NOOP("RunAction", "An unexpected error occurred."));

QString currentErrorText()
{
    QString text;
    try {
        throw;
    } catch (const Error &e) {
        text = e.text();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return text.isEmpty() ? shown(kContext, kUnexpectedErrorText) : text;
}

bool runAction(Prompts &prompts, const QString &name, const std::function<void()> &fn, ActionCursor cursor)
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
        prompts.error(text);
    } catch (...) {
        // The box itself failed (no screen, no memory): there is no one left to tell.
    }
    return false;
}

} // namespace kv
