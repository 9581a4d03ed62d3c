#include "members/confirmed_filter.h"

#include "data/translate.h"

namespace kv {

const QString ConfirmedFilter::kInitialExpression = QStringLiteral("RecVisible = True");
const QString ConfirmedFilter::kNoneExpression = QStringLiteral("RecVisible=True");
const QString ConfirmedFilter::kCheckedExpression = QStringLiteral("Confirmed='Y' and RecVisible=True");
const QString ConfirmedFilter::kNotCheckedExpression = QStringLiteral("Confirmed='N' and RecVisible=True");
const QString ConfirmedFilter::kUnknownExpression = QStringLiteral("Confirmed=Null and RecVisible=True");
const QString ConfirmedFilter::kPaneNone = QString::fromUtf8(QT_TRANSLATE_NOOP("ConfirmedFilter", "Filter: None"));
const QString ConfirmedFilter::kPaneChecked =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ConfirmedFilter", "Filter: Confirmed is Checked"));
const QString ConfirmedFilter::kPaneNotChecked =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ConfirmedFilter", "Filter: Confirmed is Not Checked"));
const QString ConfirmedFilter::kPaneUnknown =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ConfirmedFilter", "Filter: Confirmed is Unknown"));

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
        return shown("ConfirmedFilter", kPaneChecked);
    case NotChecked:
        return shown("ConfirmedFilter", kPaneNotChecked);
    case Unknown:
        return shown("ConfirmedFilter", kPaneUnknown);
    case None:
        break;
    }
    return shown("ConfirmedFilter", kPaneNone);
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
