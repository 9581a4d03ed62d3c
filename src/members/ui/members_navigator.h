#pragma once

#include "members/member_row_set.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace kv {

// The members window's record navigator: first, prior page, prior, next,
// next page, last, post, cancel.
class MembersNavigator : public QWidget
{
    Q_OBJECT
public:
    static const QString kHintFirst;
    static const QString kHintPriorPage; // "Move backward 10 records"
    static const QString kHintPrior;
    static const QString kHintNext;
    static const QString kHintNextPage; // "Move forward 10 records"
    static const QString kHintLast;
    static const QString kHintPost;
    static const QString kHintCancel;

    explicit MembersNavigator(QWidget *parent = nullptr);
    void setRowSet(MemberRowSet *rows);
    QToolButton *button(const QString &objectName) const;
    QList<QToolButton *> buttons() const { return m_buttons; }

Q_SIGNALS:
    void firstClicked();
    void priorPageClicked();
    void priorClicked();
    void nextClicked();
    void nextPageClicked();
    void lastClicked();
    void postClicked();
    void cancelClicked();

private:
    void updateEnabled();
    QList<QToolButton *> m_buttons;
    QPointer<MemberRowSet> m_rows;
};

} // namespace kv
