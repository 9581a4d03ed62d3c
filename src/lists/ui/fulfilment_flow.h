#pragma once

#include "data/prompts.h"
#include "shell/progress.h"

#include <QString>
#include <QVariant>
#include <functional>

class QWidget;
class TDataModuleLists;

namespace kv {

// Fulfils a list from the lists window: shows the options dialog on the list
// (listId: the open members window's list, else the lists window's current
// row), runs the fulfilment of the list chosen in the dialog, and shows any
// error after everything has been cleaned up (a runAction boundary). While the rows are written the
// owner's window takes no input, so the list cannot change under the run.
void runFulfilment(QWidget *owner, TDataModuleLists &dm, int listId, Prompts &prompts, Progress &progress,
                   std::function<QString()> userName);

// Cancels the pending deliveries of the lists window's current list.
// listRecordId is the row's Record_ID as stored (none for a list never saved).
void runCancelPending(QWidget *owner, TDataModuleLists &dm, const QVariant &listRecordId, const QString &listName,
                      Prompts &prompts, std::function<QString()> userName);

} // namespace kv
