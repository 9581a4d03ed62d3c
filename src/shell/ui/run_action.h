#pragma once

#include "data/engine/db_error.h"
#include "data/prompts.h"

#include <QString>
#include <functional>

namespace kv {

// The boundary of every window handler (menu choice, button, action, dialog
// step): traces entry and exit under the handler's name, shows the busy
// cursor while fn runs (unless told to leave the cursor alone, for a handler
// that first asks the user something in a dialog), and catches whatever fn
// throws — our errors, the standard library's, anything else — and shows its
// text (currentErrorText) in a plain message box, or in a box of the kind
// `shownAs` where the window's description says so (the reports' warning).
// Nothing escapes into Qt's event loop, and the window stays usable. Cleanup
// belongs in fn (qScopeGuard), so it has run before the box appears. Answers
// true when fn ran to its end.
enum class ActionCursor { Busy, Unchanged };
bool runAction(Prompts &prompts, const QString &name, const std::function<void()> &fn,
               ActionCursor cursor = ActionCursor::Busy, Prompts::Kind shownAs = Prompts::Kind::Error);

} // namespace kv
