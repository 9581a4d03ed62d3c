#pragma once

#include <QString>

namespace kv {

// Questions and notices, shown by the windows as message boxes and answered
// from a script in tests. Only Yes (or OK where the buttons are OK and Cancel)
// goes ahead.
class Prompts
{
public:
    enum class Kind { Confirmation, Information, Warning, Error };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompts() = default;

    virtual Answer ask(Kind kind, const QString &text, Buttons buttons) = 0;
    virtual void show(Kind kind, const QString &text) = 0;
    // A question whose Yes removes, cancels or writes a second time: No is the
    // default answer, so Enter never destroys. Boxes without a default answer
    // it like any other question.
    virtual Answer askDefaultNo(Kind kind, const QString &text, Buttons buttons) { return ask(kind, text, buttons); }

    // Shortcuts for the common forms.
    bool confirm(const QString &text) { return ask(Kind::Confirmation, text, Buttons::YesNo) == Answer::Yes; }
    bool confirmDestroying(const QString &text)
    {
        return askDefaultNo(Kind::Confirmation, text, Buttons::YesNo) == Answer::Yes;
    }
    bool warnDestroying(const QString &text) { return askDefaultNo(Kind::Warning, text, Buttons::YesNo) == Answer::Yes; }
    void inform(const QString &text) { show(Kind::Information, text); }
    void warn(const QString &text) { show(Kind::Warning, text); }
    void error(const QString &text) { show(Kind::Error, text); }
};

} // namespace kv
