#include "lists/ui/fulfilment_flow.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/trace.h"
#include "lists/cancel_pending.h"
#include "lists/fulfil_list.h"
#include "lists/ui/form_list_fulfillment_options.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <memory>

namespace kv {

namespace {

// Keeps a window from taking input while a long run lets events through:
// clicks, keys, wheel turns, shortcuts and close requests meant for it are
// dropped, while painting goes on. Other windows (the progress window, the
// message boxes) are not touched, and the window does not change its looks.
class InputBlock : public QObject
{
public:
    explicit InputBlock(QWidget *owner)
        : m_window(owner ? owner->window() : nullptr)
    {
        if (m_window)
            QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputBlock() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_window || !isInput(event->type()))
            return false;
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == m_window) {
            event->ignore();
            return true;
        }
        if (watched == m_window->windowHandle() && event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    static bool isInput(QEvent::Type t)
    {
        switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

    QPointer<QWidget> m_window;
};

} // namespace

void runFulfilment(QWidget *owner, TDataModuleLists &dm, int listId, Prompts &prompts, Progress &progress,
                   std::function<QString()> userName)
{
    TraceScope trace(QStringLiteral("ActionFulfillExecute"));
    ListFulfilment fulfilment(dm, prompts, progress, std::move(userName));
    std::unique_ptr<TFormListFulfillmentOptions> dialog;
    QString failure;
    try {
        const bool located = fulfilment.locateList(listId);
        dialog = std::make_unique<TFormListFulfillmentOptions>(dm, owner);
        FormListFulfillmentOptions = dialog.get();
        if (located)
            dialog->setListText(dm.QueryListLookup->fieldValue(QStringLiteral("List_Name")).toString());
        if (dialog->exec() == QDialog::Accepted) {
            // The list the dialog shows is the one fulfilled: its members, its
            // name in the note and its quantity all belong to the same list.
            const int chosen = dialog->chosenListId();
            const FulfilmentOptions options = dialog->options();
            Trace::value(QStringLiteral("List fulfilled"), qint64(chosen));
            InputBlock block(owner);
            fulfilment.run(chosen, options);
        }
    } catch (const Error &e) {
        failure = e.text();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    try {
        fulfilment.finish();
    } catch (const Error &e) {
        if (failure.isEmpty())
            failure = e.text();
    }
    FormListFulfillmentOptions = nullptr;
    dialog.reset();
    if (!failure.isEmpty())
        prompts.error(failure);
}

void runCancelPending(QWidget *owner, TDataModuleLists &dm, const QVariant &listRecordId, const QString &listName,
                      Prompts &prompts, std::function<QString()> userName)
{
    TraceScope trace(QStringLiteral("ActionCancelPendingExecute"));
    QString failure;
    try {
        Q_UNUSED(owner)
        CancelPendingDeliveries cancel(*dm.DatabaseLists, prompts, std::move(userName));
        cancel.run(listRecordId, listName);
    } catch (const Error &e) {
        failure = e.text();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (!failure.isEmpty())
        prompts.error(failure);
}

} // namespace kv
