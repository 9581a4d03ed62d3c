#pragma once

#include "data/prompts.h"

class QWidget;

namespace kv {

// Message boxes of the kind and with the buttons each operation names.
class QtPrompts : public Prompts
{
public:
    explicit QtPrompts(QWidget *parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget *parent) { m_parent = parent; }

    Answer ask(Kind kind, const QString &text, Buttons buttons) override;
    Answer askDefaultNo(Kind kind, const QString &text, Buttons buttons) override;
    void show(Kind kind, const QString &text) override;

    // The caption every box of the plug-in carries.
    static QString caption();

private:
    Answer exec(Kind kind, const QString &text, Buttons buttons, bool defaultNo);

    QWidget *m_parent;
};

} // namespace kv
