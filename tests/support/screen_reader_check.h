#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabBar>
#include <QTextEdit>
#include <QWidget>

namespace kv::test {

// The controls under root a screen reader would announce without a name, as
// "Class objectName"; empty when every control can be named. Uses the name Qt
// itself would speak (accessible name, the label whose buddy it is, or its
// own text), so a correct buddy counts as much as an explicit name.
inline QStringList controlsWithoutSpokenName(QWidget *root)
{
    QStringList missing;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QPlainTextEdit *>(w)
            || qobject_cast<QTextEdit *>(w) || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QTabBar *>(w);
        if (!control || !w->isVisibleTo(root))
            continue;
        // The parts Qt builds inside a control (a combo box's line edit, a
        // line edit's clear button, a grid's headers and corner) are spoken
        // as that control.
        QWidget *p = w->parentWidget();
        if (qobject_cast<QHeaderView *>(w) || qobject_cast<QComboBox *>(p) || qobject_cast<QAbstractSpinBox *>(p)
            || (w->objectName().isEmpty() && (qobject_cast<QAbstractScrollArea *>(p) || qobject_cast<QLineEdit *>(p))))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            missing << QStringLiteral("%1 %2").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
    }
    return missing;
}

} // namespace kv::test
