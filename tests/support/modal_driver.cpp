#include "support/modal_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

namespace kv {

namespace {

bool matches(QWidget *w, const QString &want)
{
    return want.isEmpty() || w->objectName() == want || QString::fromLatin1(w->metaObject()->className()) == want;
}

int g_generation = 0;

void poll(std::shared_ptr<ModalDriver::Action> action, QString want, std::shared_ptr<QElapsedTimer> clock, int timeoutMs,
          int generation)
{
    if (generation != g_generation)
        return;
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible() && matches(modal, want)) {
        (*action)(modal);
        return;
    }
    if (clock->elapsed() > timeoutMs)
        return;
    QTimer::singleShot(5, qApp, [=] { poll(action, want, clock, timeoutMs, generation); });
}

} // namespace

void ModalDriver::whenShown(Action action, const QString &objectNameOrClass, int timeoutMs)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto shared = std::make_shared<Action>(std::move(action));
    const int generation = g_generation;
    QTimer::singleShot(0, qApp, [=] { poll(shared, objectNameOrClass, clock, timeoutMs, generation); });
}

void ModalDriver::cancelAll()
{
    ++g_generation;
}

bool ModalDriver::click(QWidget *dialog, const QString &nameOrText)
{
    if (!dialog)
        return false;
    auto *button = dialog->findChild<QAbstractButton *>(nameOrText);
    if (!button) {
        const auto buttons = dialog->findChildren<QAbstractButton *>();
        for (QAbstractButton *b : buttons) {
            if (b->text().remove(QLatin1Char('&')) == nameOrText) {
                button = b;
                break;
            }
        }
    }
    if (!button)
        return false;
    button->click();
    return true;
}

void ModalDriver::reject(QWidget *dialog)
{
    if (auto *d = qobject_cast<QDialog *>(dialog))
        d->reject();
    else if (dialog)
        dialog->close();
}

} // namespace kv
