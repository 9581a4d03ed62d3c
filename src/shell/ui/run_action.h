#pragma once

#include <QString>
#include <functional>

namespace kv {

class Prompts;

// The boundary of every window handler (menu choice, button, action, dialog
// step): traces entry and exit under the handler's name, shows the busy
// cursor while fn runs (unless told to leave the cursor alone, for a handler
// that first asks the user something in a dialog), and catches whatever fn
// throws — our errors, the standard library's, anything else — and shows its
// text in a plain message box. Nothing escapes into Qt's event loop, and the
// window stays usable. Cleanup belongs in fn (qScopeGuard), so it has run
// before the box appears. Answers true when fn ran to its end.
enum class ActionCursor { Busy, Unchanged };
bool runAction(Prompts &prompts, const QString &name, const std::function<void()> &fn,
               ActionCursor cursor = ActionCursor::Busy);

// What the box says for an exception that carries no text of its own
// (translated under the context "RunAction" where it is shown).
extern const QString kUnexpectedErrorText;

// The text of the exception being handled; call it inside a catch block, for
// a slot that must report an error another way than a message box.
QString currentErrorText();

} // namespace kv
