#pragma once

#include "data/prompts.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

// Answers questions from a queue (Yes when the queue is empty, unless told
// otherwise) and records every text it was shown, in order.
class ScriptedPrompts : public kv::Prompts
{
public:
    struct Shown
    {
        Kind kind;
        QString text;
        bool question;
        bool defaultNo = false; // asked with No as the default answer
    };

    Answer ask(Kind kind, const QString &text, Buttons buttons) override;
    Answer askDefaultNo(Kind kind, const QString &text, Buttons buttons) override;
    void show(Kind kind, const QString &text) override;

    void answer(Answer a) { m_answers << a; }
    void answerYes() { answer(Answer::Yes); }
    void answerNo() { answer(Answer::No); }
    void setDefaultAnswer(Answer a) { m_default = a; }
    // The next question is shown and then raise() throws instead of an
    // answer: a fault in the middle of a handler.
    void failNextQuestion(std::function<void()> raise) { m_raise = std::move(raise); }

    QStringList texts() const;
    QStringList questions() const;
    QStringList notices() const;
    const QList<Shown> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); m_answers.clear(); }

private:
    QList<Answer> m_answers;
    QList<Shown> m_shown;
    Answer m_default = Answer::Yes;
    std::function<void()> m_raise;
};
