#pragma once

#include "shell/progress.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

// The small window a long operation shows while it works: a message, a bar in
// percent and a count. Shown without being modal; it has no buttons and no way
// to cancel. The operation that drives it creates it (owned by its window),
// and frees it when it ends, also on failure.
class TFormMessageBox : public QDialog, public kv::Progress
{
    Q_OBJECT
public:
    static const QString kCaption;        // "Brenquistal"
    static const QString kDefaultMessage; // "Saving data. Please do not interrupt!"
    static const QString kDefaultCount;   // "Total Clients:"
    static constexpr int kClientWidth = 303;
    static constexpr int kClientHeight = 131;

    explicit TFormMessageBox(QWidget *parent = nullptr);

    // kv::Progress: shows the window (not modal) with the message and the
    // count, makes the bar and the count visible and paints at once.
    void begin(const QString &message, const QString &countText) override;
    // Sets the bar, repaints and lets pending events through so that the
    // window stays painted during a long loop.
    void setPercent(int percent) override;
    void end() override;

    QLabel *Label1;
    QProgressBar *RzProgressBarSaveStatus;
    QLabel *LabelRecordCount;

protected:
    void keyPressEvent(QKeyEvent *event) override; // Esc must not close it
    void closeEvent(QCloseEvent *event) override;

private:
    void paintNow();
    bool m_working = false;
    int m_paintedPercent = -1;
    QElapsedTimer m_sincePaint;
};
