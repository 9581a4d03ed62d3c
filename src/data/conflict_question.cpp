#include "data/conflict_question.h"

#include "data/engine/edit_conflict.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"

namespace kv {

bool askReadAgainOrKeep(Prompts &prompts, const QString &message, const QString &question,
                        const std::function<void()> &readAgain, const std::function<void()> &keepEdits)
{
    const bool again = prompts.askDefaultNo(Prompts::Kind::Warning, message + QStringLiteral("\n\n") + question,
                                            Prompts::Buttons::YesNo)
        == Prompts::Answer::Yes;
    if (again)
        readAgain();
    else
        keepEdits();
    return again;
}

bool askReadAgainOrKeep(Prompts &prompts, const QString &message, const QString &question, Query &query,
                        const EditConflict &conflict, const std::function<void()> &alsoReadAgain)
{
    return askReadAgainOrKeep(
        prompts, message, question,
        [&] {
            query.cancel();
            query.refresh();
            if (alsoReadAgain)
                alsoReadAgain();
        },
        [&] {
            for (const EditConflict::Row &row : conflict.rows())
                query.adoptStored(row);
        });
}

bool postAskingAfterConflict(Database &db, Query &query, Prompts &prompts, const QString &question,
                             const std::function<void()> &alsoReadAgain)
{
    try {
        UnitOfWork::run(db, [&query] { query.post(); });
        return true;
    } catch (const RolledBack &e) {
        if (!e.conflict())
            throw;
        // Another user saved the row after it was read; nothing was written.
        askReadAgainOrKeep(prompts, e.text(), question, query, *e.conflict(), alsoReadAgain);
        return false;
    }
}

} // namespace kv
