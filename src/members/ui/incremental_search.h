#pragma once

#include "members/member_row_set.h"

#include <QLineEdit>
#include <QPointer>

namespace kv {

// Moves the current row to the closest match of the typed text in the active
// order's field and completes the text with the rest of the matched value.
class IncrementalSearch : public QLineEdit
{
    Q_OBJECT
public:
    explicit IncrementalSearch(QWidget *parent = nullptr);
    void setRowSet(MemberRowSet *rows) { m_rows = rows; }
    // The view row the text leads to (-1: none); used by the box as the user types.
    static int findClosest(MemberRowSet &rows, const QString &text, QString *matchedText = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void search(const QString &typed);
    QPointer<MemberRowSet> m_rows;
    bool m_noComplete = false;
};

} // namespace kv
