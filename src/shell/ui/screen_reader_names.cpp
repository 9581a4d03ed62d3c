#include "shell/ui/screen_reader_names.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>

namespace kv {

namespace {

bool isControl(QWidget *w)
{
    return qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)
        || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTextEdit *>(w)
        || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QTabBar *>(w);
}

QString spoken(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

QString captionText(const QLabel *label)
{
    QString t = label->text();
    t.remove(QLatin1Char('&'));
    if (t.endsWith(QLatin1Char(':')))
        t.chop(1);
    return t.trimmed();
}

// The label left of w in the grid or form row that holds it.
QString labelBeside(QWidget *w)
{
    QWidget *parent = w->parentWidget();
    if (!parent || !parent->layout())
        return QString();
    QList<QLayout *> layouts{parent->layout()};
    while (!layouts.isEmpty()) {
        QLayout *l = layouts.takeFirst();
        const int at = l->indexOf(w);
        if (auto *grid = qobject_cast<QGridLayout *>(l); grid && at >= 0) {
            int row, col, rs, cs;
            grid->getItemPosition(at, &row, &col, &rs, &cs);
            for (int c = col - 1; c >= 0; --c)
                if (QLayoutItem *item = grid->itemAtPosition(row, c))
                    if (auto *label = qobject_cast<QLabel *>(item->widget()))
                        return captionText(label);
            return QString();
        }
        if (auto *form = qobject_cast<QFormLayout *>(l); form && at >= 0) {
            int row;
            QFormLayout::ItemRole role;
            form->getWidgetPosition(w, &row, &role);
            if (auto *label = qobject_cast<QLabel *>(form->itemAt(row, QFormLayout::LabelRole) ? form->itemAt(row, QFormLayout::LabelRole)->widget() : nullptr))
                return captionText(label);
            return QString();
        }
        if (auto *box = qobject_cast<QBoxLayout *>(l); box && at > 0)
            if (auto *label = qobject_cast<QLabel *>(box->itemAt(at - 1)->widget()))
                return captionText(label);
        for (int i = 0; i < l->count(); ++i)
            if (QLayout *inner = l->itemAt(i)->layout())
                layouts.append(inner);
    }
    return QString();
}

QString enclosingGroupTitle(QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (auto *group = qobject_cast<QGroupBox *>(p); group && !group->title().isEmpty())
            return QString(group->title()).remove(QLatin1Char('&'));
    return QString();
}

} // namespace

void nameControlsForScreenReaders(QWidget *root)
{
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!isControl(w) || !spoken(w).isEmpty())
            continue;
        QString name = labelBeside(w);
        // The box inside a composite field (a date field) has the field's caption beside the field.
        if (name.isEmpty() && w->parentWidget() && w->parentWidget()->focusProxy() == w)
            name = labelBeside(w->parentWidget());
        if (name.isEmpty())
            name = w->toolTip();
        if (name.isEmpty())
            name = enclosingGroupTitle(w);
        if (!name.isEmpty())
            w->setAccessibleName(name);
    }
}

} // namespace kv
