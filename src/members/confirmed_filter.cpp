#include "members/confirmed_filter.h"

namespace kv {

const QString ConfirmedFilter::kInitialExpression = QStringLiteral("RecVisible = True");
const QString ConfirmedFilter::kNoneExpression = QStringLiteral("RecVisible=True");
const QString ConfirmedFilter::kCheckedExpression = QStringLiteral("Confirmed='Y' and RecVisible=True");
const QString ConfirmedFilter::kNotCheckedExpression = QStringLiteral("Confirmed='N' and RecVisible=True");
const QString ConfirmedFilter::kUnknownExpression = QStringLiteral("Confirmed=Null and RecVisible=True");
const QString ConfirmedFilter::kPaneNone = QStringLiteral("Filter: None");
const QString ConfirmedFilter::kPaneChecked = QStringLiteral("Filter: Confirmed is Checked");
const QString ConfirmedFilter::kPaneNotChecked = QStringLiteral("Filter: Confirmed is Not Checked");
const QString ConfirmedFilter::kPaneUnknown = QStringLiteral("Filter: Confirmed is Unknown");

QString ConfirmedFilter::expressionOf(State s)
{
    switch (s) {
    case Checked:
        return kCheckedExpression;
    case NotChecked:
        return kNotCheckedExpression;
    case Unknown:
        return kUnknownExpression;
    case None:
        break;
    }
    return kNoneExpression;
}

ConfirmedFilter::State ConfirmedFilter::stateOf(const QString &expression)
{
    if (expression == kCheckedExpression)
        return Checked;
    if (expression == kNotCheckedExpression)
        return NotChecked;
    if (expression == kUnknownExpression)
        return Unknown;
    return None;
}

QString ConfirmedFilter::paneText(State s)
{
    switch (s) {
    case Checked:
        return kPaneChecked;
    case NotChecked:
        return kPaneNotChecked;
    case Unknown:
        return kPaneUnknown;
    case None:
        break;
    }
    return kPaneNone;
}

ConfirmedFilter::State ConfirmedFilter::choose(State entry)
{
    if (entry == None || m_state == entry) {
        m_state = None;
        m_expression = kNoneExpression;
    } else {
        m_state = entry;
        m_expression = expressionOf(entry);
    }
    return m_state;
}

} // namespace kv
