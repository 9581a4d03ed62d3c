#pragma once

#include <QString>

namespace kv {

// Which Confirmed filter the members window has in force. Every expression
// keeps the visibility condition, so a hidden member is never shown under any
// of them. The state lives as long as the window.
class ConfirmedFilter
{
public:
    enum State { None, Checked, NotChecked, Unknown };

    static const QString kInitialExpression; // "RecVisible = True"
    static const QString kNoneExpression; // "RecVisible=True", after a filter was turned off
    static const QString kCheckedExpression;
    static const QString kNotCheckedExpression;
    static const QString kUnknownExpression;
    static const QString kPaneNone;
    static const QString kPaneChecked;
    static const QString kPaneNotChecked;
    static const QString kPaneUnknown;

    // The filter whose entry carries the check mark (None: no filter).
    explicit ConfirmedFilter(State s = None)
        : m_state(s)
        , m_expression(s == None ? kInitialExpression : expressionOf(s))
    {
    }

    State state() const { return m_state; }
    QString expression() const { return m_expression; }
    QString paneText() const { return paneText(m_state); }
    bool isChecked(State entry) const { return entry != None && m_state == entry; }

    // Choosing an entry: the entry in force turns the filter off, any other
    // replaces the filter in force. Answers the new state.
    State choose(State entry);

    static QString expressionOf(State s);
    // The state whose expression is in force (None for any other).
    static State stateOf(const QString &expression);
    // What the status pane shows for s, in the user's language.
    static QString paneText(State s);

private:
    State m_state;
    QString m_expression;
};

} // namespace kv
