#include "support/scripted_prompts.h"

#include <utility>

kv::Prompts::Answer ScriptedPrompts::ask(Kind kind, const QString &text, Buttons buttons)
{
    m_shown.push_back({kind, text, true});
    if (m_raise)
        std::exchange(m_raise, {})();
    Answer a = m_answers.isEmpty() ? m_default : m_answers.takeFirst();
    // An OK/Cancel box cannot answer Yes: map the script onto its buttons.
    if (buttons == Buttons::OkCancel || buttons == Buttons::Ok) {
        if (a == Answer::Yes)
            a = Answer::Ok;
        else if (a == Answer::No)
            a = Answer::Cancel;
    }
    return a;
}

kv::Prompts::Answer ScriptedPrompts::askDefaultNo(Kind kind, const QString &text, Buttons buttons)
{
    const Answer a = ask(kind, text, buttons);
    m_shown[m_shown.size() - 1].defaultNo = true;
    return a;
}

void ScriptedPrompts::show(Kind kind, const QString &text)
{
    m_shown.push_back({kind, text, false});
}

QStringList ScriptedPrompts::texts() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        out << s.text;
    return out;
}

QStringList ScriptedPrompts::questions() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        if (s.question)
            out << s.text;
    return out;
}

QStringList ScriptedPrompts::notices() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        if (!s.question)
            out << s.text;
    return out;
}
