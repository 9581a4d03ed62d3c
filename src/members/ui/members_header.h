#pragma once

#include <QHeaderView>

namespace kv {

class MembersGrid;

// Two-line titles centred under the header groups; clicks are title buttons.
class MembersHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit MembersHeader(MembersGrid *grid);
    QSize sizeHint() const override;
    // A title's tooltip: the title on one line and, for the flags, the key
    // that changes the current member's mark.
    QString toolTipOf(int logicalIndex) const;

protected:
    bool event(QEvent *e) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    MembersGrid *m_grid;
};

} // namespace kv
