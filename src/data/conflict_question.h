#pragma once

#include "data/prompts.h"

#include <QString>
#include <functional>

namespace kv {

// The one dialogue after another user's change refused a save, in every
// window: what happened (the message names the rows and their values), then
// the window's own question whether to read the rows again. Yes calls
// readAgain (the edits are dropped); No, the default so that Enter never drops
// edits, calls keepEdits, which takes the values stored now as the values
// read, so the next save writes the edits over them. Answers whether the rows
// were read again.
bool askReadAgainOrKeep(Prompts &prompts, const QString &message, const QString &question,
                        const std::function<void()> &readAgain, const std::function<void()> &keepEdits);

} // namespace kv
