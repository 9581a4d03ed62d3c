#include "data/conflict_question.h"

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

} // namespace kv
