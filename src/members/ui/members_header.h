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

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    MembersGrid *m_grid;
};

} // namespace kv
