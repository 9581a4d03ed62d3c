#include "shell/ui/qt_prompts.h"

#include "shell/ui/busy_cursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

namespace kv {

namespace {

QMessageBox::Icon iconFor(Prompts::Kind kind)
{
    switch (kind) {
    case Prompts::Kind::Confirmation: return QMessageBox::Question;
    case Prompts::Kind::Information: return QMessageBox::Information;
    case Prompts::Kind::Warning: return QMessageBox::Warning;
    // An error is shown as a plain message: its own text, no icon.
    case Prompts::Kind::Error: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QString titleFor(Prompts::Kind kind)
{
    switch (kind) {
    case Prompts::Kind::Confirmation: return QCoreApplication::translate("kv::QtPrompts", "Confirm");
    case Prompts::Kind::Information: return QCoreApplication::translate("kv::QtPrompts", "Information");
    case Prompts::Kind::Warning: return QCoreApplication::translate("kv::QtPrompts", "Warning");
    case Prompts::Kind::Error: return QtPrompts::caption();
    }
    return QtPrompts::caption();
}

// A box whose question must be answered by a button: as in the platform's own
// Yes/No boxes, Escape and the title bar's close do nothing (QMessageBox would
// treat either as No, dropping edits or going ahead unasked).
class PromptBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;
    bool needsAnAnswer = false;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (needsAnAnswer && event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (needsAnAnswer) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

QString QtPrompts::caption()
{
    return QCoreApplication::translate("kv::QtPrompts", "Brenquistal");
}

Prompts::Answer QtPrompts::ask(Kind kind, const QString &text, Buttons buttons)
{
    return exec(kind, text, buttons, false);
}

Prompts::Answer QtPrompts::askDefaultNo(Kind kind, const QString &text, Buttons buttons)
{
    return exec(kind, text, buttons, true);
}

Prompts::Answer QtPrompts::exec(Kind kind, const QString &text, Buttons buttons, bool defaultNo)
{
    PromptBox box(iconFor(kind), titleFor(kind), text, QMessageBox::NoButton, m_parent ? m_parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("PromptBox"));
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    }
    box.needsAnAnswer = buttons == Buttons::YesNo;
    if (box.button(QMessageBox::No))
        box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    // A question is answered under the normal cursor, whatever the handler shows.
    const int r = [&] {
        const CursorScope normal(Qt::ArrowCursor);
        return box.exec();
    }();
    switch (r) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

void QtPrompts::show(Kind kind, const QString &text)
{
    ask(kind, text, Buttons::Ok);
}

} // namespace kv
