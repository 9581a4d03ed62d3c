#include "lists/ui/fulfilment_flow.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/trace.h"
#include "lists/cancel_pending.h"
#include "lists/fulfil_list.h"
#include "lists/result_sentences.h"
#include "lists/ui/form_list_fulfillment_options.h"
#include "shell/ui/cursor_progress.h"
#include "shell/ui/run_action.h"
#include "shell/ui/user_input.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QScopeGuard>
#include <QStatusBar>
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
        if (!m_window || !isUserInput(event->type()))
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
    QPointer<QWidget> m_window;
};

// What was done, said in the window without a box to click; it gives the
// status bar's panes back after a while.
void tellInStatusBar(QWidget *owner, const QString &sentence)
{
    if (QStatusBar *bar = owner ? owner->findChild<QStatusBar *>() : nullptr)
        bar->showMessage(sentence, 30000);
}

} // namespace

void runFulfilment(QWidget *owner, TDataModuleLists &dm, int listId, Prompts &prompts, Progress &progress,
                   std::function<QString()> userName)
{
    runAction(
        prompts, QStringLiteral("runFulfilment"),
        [&] {
            // The run's long statements show the busy cursor over the progress window.
            CursorProgress shown(&progress);
            ListFulfilment fulfilment(dm, prompts, shown, std::move(userName));
            std::unique_ptr<TFormListFulfillmentOptions> dialog;
            const auto release = qScopeGuard([&dialog] {
                FormListFulfillmentOptions = nullptr;
                dialog.reset();
            });
            // The run's ending comes on every path; its own error is the one
            // shown only when the run went well.
            auto finishAfterFailure = qScopeGuard([&fulfilment] {
                try {
                    fulfilment.finish();
                } catch (...) {
                    // The failure that brought us here is the one to report.
                }
            });
            const bool located = fulfilment.locateList(listId);
            dialog = std::make_unique<TFormListFulfillmentOptions>(dm, prompts, owner);
            FormListFulfillmentOptions = dialog.get();
            if (located)
                dialog->setListText(dm.QueryListLookup->fieldValue(QStringLiteral("List_Name")).toString());
            if (dialog->exec() == QDialog::Accepted) {
                // The list the dialog shows is the one fulfilled: its members, its
                // name in the note and its quantity all belong to the same list.
                const int chosen = dialog->chosenListId();
                const FulfilmentOptions options = dialog->options();
                const QString listName = dialog->listText();
                Trace::value(QStringLiteral("List fulfilled"), qint64(chosen));
                InputBlock block(owner);
                const ListFulfilment::Result r = fulfilment.run(chosen, options);
                if (r.outcome == ListFulfilment::Outcome::Fulfilled || r.skipped > 0)
                    tellInStatusBar(owner, fulfilmentResultText(r.deliveries, listName, options.deliveryDate, r.skipped));
            }
            finishAfterFailure.dismiss();
            fulfilment.finish();
        },
        ActionCursor::Unchanged);
}

void runCancelPending(QWidget *owner, TDataModuleLists &dm, const QVariant &listRecordId, const QString &listName,
                      Prompts &prompts, std::function<QString()> userName)
{
    runAction(
        prompts, QStringLiteral("runCancelPending"),
        [&] {
            CursorProgress busyCursor;
            CancelPendingDeliveries cancel(*dm.DatabaseLists, prompts, std::move(userName), busyCursor);
            if (const std::optional<int> removed = cancel.run(listRecordId, listName))
                tellInStatusBar(owner, cancelPendingResultText(*removed, listName));
        },
        ActionCursor::Unchanged);
}

} // namespace kv
