#pragma once

#include "shell/progress.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

// The small window a long operation shows while it works: a message, a bar in
// percent, a count and a "Cancel" button. Shown without being modal. Cancel
// makes the next setPercent throw kv::Cancelled, so the unit of work around
// the operation rolls back. The operation that drives it creates it (owned by
// its window), and frees it when it ends, also on failure.
class TFormMessageBox : public QDialog, public kv::Progress
{
    Q_OBJECT
public:
    static const QString kCaption;        // "Brenquistal"
    static const QString kDefaultMessage; // "Saving data. Please do not interrupt!"
    static const QString kDefaultCount;   // "Total Clients:"
    static const QString kCancelCaption;  // "Cancel"
    static constexpr int kClientWidth = 303;
    static constexpr int kClientHeight = 131;

    explicit TFormMessageBox(QWidget *parent = nullptr);

    // kv::Progress: shows the window (not modal) with the message and the
    // count, makes the bar and the count visible and paints at once.
    void begin(const QString &message, const QString &countText) override;
    // Sets the bar, repaints and lets pending events through so that the
    // window stays painted during a long loop. Throws kv::Cancelled once the
    // user has pressed Cancel.
    void setPercent(int percent) override;
    void end() override;

    QLabel *Label1;
    QProgressBar *RzProgressBarSaveStatus;
    QLabel *LabelRecordCount;
    QPushButton *BitBtnCancel;

protected:
    void keyPressEvent(QKeyEvent *event) override; // Esc must not close it
    void closeEvent(QCloseEvent *event) override; // only Cancel stops the work

private:
    void paintNow();
    bool m_working = false;
    bool m_cancelRequested = false;
    int m_paintedPercent = -1;
    QElapsedTimer m_sincePaint;
};
