#pragma once

#include "shell/progress.h"

#include <QDialog>
#include <memory>

// The small window a long operation shows while it works: a message (Label1),
// a bar in percent (RzProgressBarSaveStatus), a count (LabelRecordCount) and a
// "Cancel" button (BitBtnCancel). Shown without being modal. Cancel makes the
// next setPercent throw kv::Cancelled, so the unit of work around the
// operation rolls back. The operation that drives it creates it (owned by its
// window), and frees it when it ends, also on failure.
class TFormMessageBox : public QDialog, public kv::Progress
{
    Q_OBJECT
public:
    explicit TFormMessageBox(QWidget *parent = nullptr);
    ~TFormMessageBox() override;

    // kv::Progress: shows the window (not modal) with the message and the
    // count, makes the bar and the count visible and paints at once.
    void begin(const QString &message, const QString &countText) override;
    // Sets the bar, repaints and lets pending events through so that the
    // window stays painted during a long loop. Throws kv::Cancelled once the
    // user has pressed Cancel.
    void setPercent(int percent) override;
    void end() override;

protected:
    void keyPressEvent(QKeyEvent *event) override; // Esc must not close it
    void closeEvent(QCloseEvent *event) override; // only Cancel stops the work

private:
    class Private;
    std::unique_ptr<Private> d;
};
