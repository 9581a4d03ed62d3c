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

class Database;
class EditConflict;
class Query;

// The same for one query's refused row: Yes drops the pending edit and reads
// the query again (then alsoReadAgain, for what a window shows beside it); No
// takes the values stored now as read, the edit still pending.
bool askReadAgainOrKeep(Prompts &prompts, const QString &message, const QString &question, Query &query,
                        const EditConflict &conflict, const std::function<void()> &alsoReadAgain = {});

// Writes query's pending edit in a unit of work of its own and answers true.
// After another user's change it asks as above and answers false; any other
// failure throws RolledBack with the edit still pending.
bool postAskingAfterConflict(Database &db, Query &query, Prompts &prompts, const QString &question,
                             const std::function<void()> &alsoReadAgain = {});

} // namespace kv
